#include "coeff/Kf.h"

#include "coeff/GroupingTable.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/HelpKey.h"
#include "widgets/Text.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <algorithm>

using namespace kalvenor;

TForm6* Form6 = nullptr;

TForm6::TForm6(const Context& context, GroupingTarget& target)
    : QDialog(nullptr, kDialogFrame),
      messages_(context.messages),
      format_(context.format),
      target_(target) {
    setObjectName("Form6");
    setWindowTitle("Поправочные коэффициенты.");
    CreateControls();
    Wire();
    resize(openingWidth_, 216);
    // A hidden window gets its resize event only when shown; the controls
    // stand where they belong from the start.
    FormResize();
    FormCreate();
    InstallHelpKey(this, context, HelpSection::Coefficients);
}

void TForm6::CreateControls() {
    Panel1 = Named(new QFrame(this), "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    GroupBox1 =
        Named(new QGroupBox("Поправочные коэффициенты на количество работающих кабелей (в эемле)",
                            Panel1),
              "GroupBox1");

    GroupBox2 = Named(new QGroupBox("Количество кабелей", GroupBox1), "GroupBox2");
    ComboBox1 = Named(new QComboBox(GroupBox2), "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems({"1", "2", "3", "4", "5", "6"});
    ComboBox1->setCurrentIndex(0);
    ComboBox1->setAccessibleName(GroupBox2->title());

    GroupBox3 = Named(new QGroupBox("Поправочный козффициент", GroupBox1), "GroupBox3");
    Edit1 = Named(new QLineEdit(GroupBox3), "Edit1");
    Edit1->setReadOnly(true);
    Edit1->setAccessibleName(GroupBox3->title());

    // Only a frame with a caption: the buttons lie over it but belong to
    // GroupBox1, which makes them one exclusive set.
    RadioGroup1 = Named(new QGroupBox("Растояние между кабелями (мм)", GroupBox1), "RadioGroup1");
    RadioButton1 = Named(new QRadioButton("100 (мм)", GroupBox1), "RadioButton1");
    RadioButton2 = Named(new QRadioButton("200 (мм)", GroupBox1), "RadioButton2");
    RadioButton3 = Named(new QRadioButton("300 (мм)", GroupBox1), "RadioButton3");
    RadioButton1->setChecked(true);

    Button2 = Named(new QPushButton("OK", GroupBox1), "Button2");
    Button2->setGeometry(0, 150, 75, 25);

    // The columns as designed, or as wide as their titles need: in a larger
    // font the designed widths cut them.
    const int left =
        std::max({185, GroupBox2->minimumSizeHint().width(), GroupBox3->minimumSizeHint().width()});
    GroupBox2->setGeometry(16, 28, left, 49);
    ComboBox1->setGeometry(16, 20, left - 32, 24);
    GroupBox3->setGeometry(16, 84, left, 49);
    Edit1->setGeometry(16, 20, left - 32, 24);
    RadioGroup1->setGeometry(left + 23, 28, std::max(185, RadioGroup1->minimumSizeHint().width()),
                             105);
    int top = 52;
    for (QRadioButton* button : {RadioButton1, RadioButton2, RadioButton3}) {
        button->setGeometry(RadioGroup1->x() + 16, top, 150, 24);
        button->setAccessibleDescription(RadioGroup1->title());
        top += 24;
    }
    // The dialog keeps 20 pixels right of the spacing frame, and its own
    // frame's title shows whole.
    openingWidth_ = std::max({414, RadioGroup1->geometry().right() + 1 + 20,
                              GroupBox1->minimumSizeHint().width() + 2 * Panel1->frameWidth()});
}

void TForm6::Wire() {
    ConnectGuarded(messages_, ComboBox1, &QComboBox::activated, this, &TForm6::ComboBox1Change);
    ConnectGuarded(messages_, ComboBox1->lineEdit(), &QLineEdit::textEdited, this,
                   &TForm6::ComboBox1Change);
    // A button runs its handler when it becomes checked, by a click or from
    // code, and not when it is clicked while checked already.
    const auto onChecked = [this](QRadioButton* button, void (TForm6::*handler)()) {
        connect(button, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked) {
                RunGuarded(messages_, [&] { (this->*handler)(); });
            }
        });
    };
    onChecked(RadioButton1, &TForm6::RadioButton1Click);
    onChecked(RadioButton2, &TForm6::RadioButton2Click);
    onChecked(RadioButton3, &TForm6::RadioButton3Click);
    ConnectGuarded(messages_, Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
}

void TForm6::ChooseCoefficient() {
    // A selection from code is no change of the user's: no lookup runs.
    ComboBox1->setCurrentIndex(0);
    Edit1->setText("1");
    // From another spacing this is a click on RadioButton1: its lookup, and
    // for a table not in the ground the warning, come before the dialog.
    RadioButton1->setChecked(true);
    exec();
}

int TForm6::CablesIndex() const {
    const int index = ComboBox1->currentIndex();
    // A typed number selects no item, even while the list's highlight still
    // rests on one.
    if (index >= 0 && ComboBox1->itemText(index) != ComboBox1->currentText()) {
        return -1;
    }
    return index;
}

void TForm6::LookUp(const QRadioButton* own) {
    if (AcceptsGroupingCoefficient(target_.LayingMethod())) {
        int column = -1;
        if (RadioButton1->isChecked()) {
            column = kSpacing100;
        } else if (RadioButton2->isChecked()) {
            column = kSpacing200;
        } else if (RadioButton3->isChecked()) {
            column = kSpacing300;
        }
        // The main window gets the value when the dialog closes.
        if (const auto text = GroupingCoefficientText(CablesIndex(), column, format_)) {
            Edit1->setText(ToQString(*text));
        }
        return;
    }
    if (own != nullptr && !own->isChecked()) {
        return;
    }
    target_.SetCoefficient(std::string(kNoGrouping));
    if (own == nullptr) {
        ComboBox1->setCurrentIndex(0);
    }
    messages_.MessageBox(kNotInGround);
    target_.ZeroResults();
}

void TForm6::ComboBox1Change() {
    LookUp(nullptr);
}

void TForm6::RadioButton1Click() {
    LookUp(RadioButton1);
}

void TForm6::RadioButton2Click() {
    LookUp(RadioButton2);
}

void TForm6::RadioButton3Click() {
    LookUp(RadioButton3);
}

void TForm6::Button2Click() {
    target_.SetCoefficient(ToStdString(Edit1->text()));
    close();
}

void TForm6::FormClose() {
    // There is no cancel: however the dialog closes, its value applies.
    target_.SetCoefficient(ToStdString(Edit1->text()));
}

void TForm6::FormCreate() {
    Edit1->setText("1");
}

void TForm6::FormResize() {
    Panel1->setGeometry(rect());
    GroupBox1->setGeometry(Panel1->contentsRect());
    RadioGroup1->resize(width() - RadioGroup1->x() - 20, RadioGroup1->height());
    Button2->move(width() / 2 - Button2->width() / 2, Button2->y());
    update();
}

void TForm6::closeEvent(QCloseEvent* event) {
    RunGuarded(messages_, [this] { FormClose(); });
    event->accept();
    done(QDialog::Accepted);
}

void TForm6::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    RunGuarded(messages_, [this] { FormResize(); });
}
