#include "calc/Prosent.h"

#include "calc/VoltageDrop.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/HelpKey.h"
#include "widgets/NumberInput.h"
#include "widgets/Text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

using namespace kalvenor;

TProsentMin* ProsentMin = nullptr;

TProsentMin::TProsentMin(const Context& context)
    : QDialog(nullptr, kDialogFrame), context_(context) {
    setObjectName("ProsentMin");
    setWindowTitle("Kalvenor 1.1");
    // Created in tab order: the button first, then the field.
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);
    Button1->setDefault(true);
    // Written with the program's own separator, so the default converts in
    // every locale.
    Edit1 = new QLineEdit(ToQString(FloatToStr(2.5, context.format)), this);
    Edit1->setObjectName("Edit1");
    MakeNumberInput(Edit1, context.format.decimalSeparator);
    // A bare "2,5" says nothing of what it is.
    Label1 = new QLabel("Допустимое падение напряжения, %", this);
    Label1->setObjectName("Label1");
    Label1->setBuddy(Edit1);
    Edit1->setAccessibleName(Label1->text());
    setTabOrder(Button1, Edit1);

    // The field and the button as designed, under the label, and the
    // dialog as wide as the label needs.
    constexpr int kMargin = 12;
    Label1->adjustSize();
    const int width = std::max(222, Label1->width() + 2 * kMargin);
    Label1->move((width - Label1->width()) / 2, kMargin);
    const int fieldTop = Label1->y() + Label1->height() + 6;
    Edit1->setGeometry((width - 121) / 2, fieldTop, 121, std::max(21, Edit1->sizeHint().height()));
    const int buttonTop = Edit1->y() + Edit1->height() + 19;
    Button1->setGeometry((width - 75) / 2, buttonTop, 75,
                         std::max(25, Button1->sizeHint().height()));
    setFixedSize(width, buttonTop + Button1->height() + 2 * kMargin);
    ConnectGuarded(context.messages, Button1, &QPushButton::clicked, this,
                   &TProsentMin::Button1Click);
    InstallHelpKey(this, context, HelpSection::ToolbarAndDropLimit);
}

std::optional<double> TProsentMin::Ask(double voltageDrop) {
    voltageDrop_ = voltageDrop;
    accepted_.reset();
    CentreOnScreen(this);
    exec();
    return accepted_;
}

void TProsentMin::Button1Click() {
    // A text that is not a number is the standard conversion error; the
    // dialog stays open for a better one.
    const double permitted = StrToFloat(ToStdString(Edit1->text()), context_.format);
    if (const auto refusal = PermittedDropRefusal(permitted, voltageDrop_, context_.format)) {
        context_.messages.MessageBox({*refusal, "Kalvenor"});
        return;
    }
    accepted_ = permitted;
    accept();
}
