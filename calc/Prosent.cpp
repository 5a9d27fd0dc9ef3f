#include "calc/Prosent.h"

#include "widgets/Frames.h"

TProsentMin* ProsentMin = nullptr;

TProsentMin::TProsentMin(const kalvenor::Context&) : QDialog(nullptr, kalvenor::kDialogFrame) {
    setObjectName("ProsentMin");
    setWindowTitle("Kalvenor 1.1");
    resize(222, 124);
}
