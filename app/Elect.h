#pragma once

#include "app/MainWindowPeers.h"
#include "calc/Ports.h"
#include "coeff/GroupingTarget.h"
#include "output/ReportCommands.h"
#include "widgets/Context.h"

#include <QComboBox>
#include <QMainWindow>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolButton;
class QWidget;

namespace kalvenor {
class LineInputs;
class DatasetGrid;
class DatasetNavigator;
class SelectionHistory;
class TrailView;
}  // namespace kalvenor

// A drop-down list that tells when its list closes, however it closes.
class TCloseUpComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;
    void showPopup() override;
    void hidePopup() override;
signals:
    void ClosedUp();

private:
    bool popupOpen_ = false;
};

// The main window. The other windows and the calculation reach it through
// its ports; its controls are its own, named as the program names them, and
// tests find them by those names. The layout is built in ElectLayout.cpp;
// this unit keeps the handlers.
class TForm1 : public QMainWindow, public kalvenor::MainWindowPort, public kalvenor::UserPort {
    Q_OBJECT
public:
    TForm1(const kalvenor::Context& context, kalvenor::MainWindowPeers& peers);
    ~TForm1() override;

    // The table view toggle's two captions.
    static constexpr const char* kOpenTable = "Открыть таблицу";
    static constexpr const char* kCloseTable = "Закрыть таблицу";

    // Main-window port of the calculation.
    std::string Text(kalvenor::Input input) const override;
    void SetText(kalvenor::Input input, const std::string& text) override;
    void SelectAndFocus(kalvenor::Input input) override;
    std::string Text(kalvenor::Result result) const override;
    void SetText(kalvenor::Result result, const std::string& text) override;
    std::string Text(kalvenor::TableParameter parameter) const override;
    int ItemIndex(kalvenor::Choice choice) const override;
    void SetItemIndex(kalvenor::Choice choice, int index) override;
    std::string ChoiceText(kalvenor::Choice choice) const override;
    void ClearReport() override;
    void AddReportLine(const std::string& line) override;
    kalvenor::MainWindowState& State() override { return state_; }

    // What the calculation asks of the user.
    kalvenor::Answer MessageBox(const kalvenor::Message& message) override;
    void ShowBreakerDatabaseModal() override;
    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override;
    std::optional<double> AskPermittedDrop(double voltageDrop) override;

    // Fills ComboBox2 from the transformer database, in its order, and
    // keeps it so: every change of the database rebuilds the list, keeping
    // the selected name where it is still there and the first otherwise, so
    // the list and the rows are always in the same order.
    void FillTransformerList(kalvenor::Dataset& transformers);
    // What the coefficient dialog reads and writes here.
    kalvenor::GroupingTarget& Grouping() { return grouping_; }
    // The read-only table view shows the one current-table dataset.
    void BindTableView(kalvenor::Dataset& currentTable);
    // The inputs and choices as a journal line (the series and the permitted
    // drop are the calculation's questions, so they stay empty), and a
    // journal line's put here as the user would choose and type them.
    kalvenor::LineInputs CurrentLine() const;
    void ShowLine(const kalvenor::LineInputs& line);
    // Wide enough for a whole report line, high enough for the layout, and
    // not below the designed 801 x 564: the size the window opens at. Sets
    // the left column's width for it.
    QSize OpeningSize();

    void Button1Click();
    void Button3Click();
    void ComboBox1Change();
    void ComboBox1CloseUp();
    void ComboBox2Change();
    void ComboBox3Change();
    void Edit3Change();
    void Edit4Change();
    void Edit6Change();
    void Edit11Change();
    void FormCreate();
    void N2Click();
    void N3Click();
    void N4Click();
    void N5Click();
    void N7Click();
    void N10Click();
    void N11Click();
    void SaveTrailClick();
    void PrintTrailClick();
    void N15Click();
    void N17Click();
    void N19Click();
    void N20Click();
    void N21Click();
    void N25Click();
    void N26Click();
    void Word1Click();
    void ToolButton2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* ControlBar1;
    QToolButton *ToolButton1, *ToolButton2, *ToolButton4, *ToolButton6, *ToolButton7, *ToolButton9,
        *ToolButton11, *ToolButton13, *ToolButton15, *ToolButton17, *ToolButton18, *ToolButton20,
        *ToolButton21;
    TCloseUpComboBox* ComboBox1;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3, *GroupBox4, *GroupBox6, *GroupBox7, *GroupBox8;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9,
        *Label10, *Label11, *Label12, *Label13, *Label14, *Label15, *Label16, *Label17, *Label18,
        *Label19, *Label20, *Label21, *Label22, *Label23, *Label24, *Label25, *Label26, *Label27,
        *Label29;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6, *Edit11, *Edit12;
    QComboBox *ComboBox2, *ComboBox3;
    QPushButton *Button1, *Button3;
    kalvenor::DatasetGrid* DBGrid1;
    kalvenor::DatasetNavigator* DBNavigator1;
    QTextEdit* RichEdit1;
    QWidget* Panel2;
    QMenu *File1, *N18, *N6, *N24, *N8, *N1;
    QAction *N2, *N10, *N11, *N3, *N19, *N20, *N7, *N25, *Word1, *N26, *N15, *N17, *N21, *N4, *N5;

    void CreateControls();
    void CreateMenu();
    void CreateToolbars();
    // The left column's width for its titles alone, and with the longest
    // parameters whole too.
    void MeasureLeftColumn();
    void Wire();
    template <typename Sender, typename Signal>
    void Connect(Sender* sender, Signal signal, void (TForm1::*handler)());
    // The one mapping from the calculation's terms to the controls.
    QLineEdit* InputEdit(kalvenor::Input input) const;
    QWidget* ResultControl(kalvenor::Result result) const;
    QLabel* ParameterLabel(kalvenor::TableParameter parameter) const;
    QComboBox* ChoiceBox(kalvenor::Choice choice) const;
    void ShowTableView(bool shown);
    void ClearTableParameters();

    void RefillTransformerList();

    const kalvenor::Context& context_;
    kalvenor::MainWindowPeers& peers_;
    kalvenor::Dataset* transformers_ = nullptr;
    int transformersObserver_ = 0;
    kalvenor::MainWindowState state_;
    int leftLeast_ = 0;
    int leftFull_ = 0;
    kalvenor::MainWindowGroupingTarget grouping_{*this};
    kalvenor::ReportCommands reportCommands_{context_};
    QTabWidget* reportPages_ = nullptr;
    kalvenor::TrailView* trail_ = nullptr;
    QAction* trailSave_ = nullptr;
    QAction* trailPrint_ = nullptr;
    // What the voltage option and the table list showed before the user's
    // latest choice, put back when the choice is refused.
    kalvenor::SelectionHistory* voltageHistory_ = nullptr;
    kalvenor::SelectionHistory* tableHistory_ = nullptr;
};

extern TForm1* Form1;
