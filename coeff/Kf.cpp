#include "coeff/Kf.h"

TForm6* Form6 = nullptr;

TForm6::TForm6()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("Form6");
    setWindowTitle("Поправочные коэффициенты.");
    resize(414, 216);
}
