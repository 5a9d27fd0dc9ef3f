#include "calc/Prosent.h"

#include "widgets/Frames.h"
#include "widgets/HelpKey.h"

TProsentMin* ProsentMin = nullptr;

TProsentMin::TProsentMin(const kalvenor::Context& context)
    : QDialog(nullptr, kalvenor::kDialogFrame) {
    setObjectName("ProsentMin");
    setWindowTitle("Kalvenor 1.1");
    resize(222, 124);
    kalvenor::InstallHelpKey(this, context, kHelpContext);
}
