#include "calc/Prosent.h"

TProsentMin* ProsentMin = nullptr;

TProsentMin::TProsentMin()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("ProsentMin");
    setWindowTitle("Kalvenor 1.1");
    resize(222, 124);
}
