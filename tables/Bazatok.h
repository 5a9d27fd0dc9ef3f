#pragma once

#include "tables/Dataset.h"
#include "widgets/Context.h"

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace kalvenor {
class DatasetGrid;
class DatasetNavigator;
}  // namespace kalvenor

// The current-table editor: creates, deletes and fills the tables of
// permissible continuous currents, in the one current-table dataset that the
// main window and the calculation share.
class TBazaT : public QDialog {
    Q_OBJECT
public:
    TBazaT(const kalvenor::Context& context, kalvenor::Dataset& currentTable);

    void FileListBox1Change();
    void ComboBox1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // Every current table of the application directory, by name; keeps the
    // selection when the selected file is still there.
    void RefreshFileList();
    // The same, only when the folder changed since the list was made (or
    // it was never made).
    void RefreshChangedFileList();
    void done(int result) override;
    // The first showing opens the window large enough for the longest
    // parameters, every column's title and ten rows, around the same centre.
    void setVisible(bool visible) override;
    QSize OpeningSize() const;
    // The file the user selected in the list, or none.
    QListWidgetItem* SelectedFile() const;

    kalvenor::Dataset& ClientDataSet1;
    kalvenor::DatasetGrid* DBGrid1;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFrame* Panel1;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6;
    QLineEdit *Edit1, *Edit2;
    QComboBox *ComboBox1, *ComboBox2, *ComboBox3, *ComboBox4;
    QPushButton *Button1, *Button2, *Button3;
    kalvenor::DatasetNavigator* DBNavigator1;
    QListWidget* FileListBox1;

    void SelectFile(const QString& name);
    // Tells the user and returns true when tables cannot be created or
    // deleted because the application directory cannot be written or
    // another copy of the program holds it.
    bool RefusedInReadOnlyFolder(const char* action);
    template <typename Sender, typename Signal>
    void Connect(Sender* sender, Signal signal, void (TBazaT::*handler)());

    const kalvenor::Context& context_;
    // The names the list shows, and the folder's stamp when they were read.
    std::vector<std::string> fileNames_;
    std::optional<kalvenor::FileStamp> folderStamp_;
    int parametersWidth_ = 0;
    int tableWidth_ = 0;
    int fileListWidth_ = 0;
    bool opened_ = false;
};

extern TBazaT* BazaT;
