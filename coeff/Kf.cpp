#include "coeff/Kf.h"

#include "app/Application.h"

TForm6* Form6 = nullptr;

TForm6::TForm6() : QDialog(nullptr, kalvenor::app::kDialogFrame) {
    setObjectName("Form6");
    setWindowTitle("Поправочные коэффициенты.");
    resize(414, 216);
}
