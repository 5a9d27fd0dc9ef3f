#include "calc/Prosent.h"

#include "app/Application.h"

TProsentMin* ProsentMin = nullptr;

TProsentMin::TProsentMin() : QDialog(nullptr, kalvenor::app::kDialogFrame) {
    setObjectName("ProsentMin");
    setWindowTitle("Kalvenor 1.1");
    resize(222, 124);
}
