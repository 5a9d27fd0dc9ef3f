#pragma once

#include "coeff/GroupingTarget.h"
#include "widgets/Context.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The grouping-coefficient dialog for cables laid together in the ground.
// Its controls are its own; tests find them by their names.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6(const kalvenor::Context& context, kalvenor::GroupingTarget& target);

    // Starts at one cable, 100 mm and coefficient "1", then shows the dialog
    // modally; returns once it is closed. The caller clears the report and
    // zeroes the results beforehand.
    void ChooseCoefficient();

    void ComboBox1Change();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void Button2Click();
    void FormClose();
    void FormCreate();
    void FormResize();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public slots:
    // Escape does nothing: the dialog has no cancel, and closing it by any
    // way applies the coefficient on show.
    void reject() override {}

private:
    QFrame* Panel1;
    QGroupBox *GroupBox1, *GroupBox2, *GroupBox3, *RadioGroup1;
    QComboBox* ComboBox1;
    QRadioButton *RadioButton1, *RadioButton2, *RadioButton3;
    QLineEdit* Edit1;
    QPushButton* Button2;

    void CreateControls();
    void Wire();
    // The row of the table: the selected item, or -1 while the box holds a
    // typed text.
    int CablesIndex() const;
    // The coefficient lookup of the list (own == nullptr) and of each button.
    void LookUp(const QRadioButton* own);

    kalvenor::MessageBoxPort& messages_;
    const kalvenor::NumberFormat format_;
    kalvenor::GroupingTarget& target_;
    int openingWidth_ = 0;
};

extern TForm6* Form6;
