#include "coeff/Kf.h"

#include "widgets/Frames.h"

TForm6* Form6 = nullptr;

TForm6::TForm6(const kalvenor::Context&) : QDialog(nullptr, kalvenor::kDialogFrame) {
    setObjectName("Form6");
    setWindowTitle("Поправочные коэффициенты.");
    resize(414, 216);
}
