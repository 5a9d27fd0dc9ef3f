#include "calc/Prosent.h"

#include "calc/VoltageDrop.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"
#include "widgets/HelpKey.h"
#include "widgets/Text.h"

#include <QLineEdit>
#include <QPushButton>

using namespace kalvenor;

TProsentMin* ProsentMin = nullptr;

TProsentMin::TProsentMin(const Context& context)
    : QDialog(nullptr, kDialogFrame), context_(context) {
    setObjectName("ProsentMin");
    setWindowTitle("Kalvenor 1.1");
    setFixedSize(222, 124);
    // Created in tab order: the button first, then the field.
    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(72, 56, 75, 25);
    Button1->setAutoDefault(false);
    Button1->setDefault(true);
    // Written with the program's own separator, so the default converts in
    // every locale.
    Edit1 = new QLineEdit(ToQString(FloatToStr(2.5, context.format)), this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(48, 16, 121, 21);
    Edit1->setAccessibleName("Процент падения напряжения");
    setTabOrder(Button1, Edit1);
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
