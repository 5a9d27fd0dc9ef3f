#include "app/About.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("AboutBox");
    setWindowTitle("О программе");
    resize(410, 197);
}
