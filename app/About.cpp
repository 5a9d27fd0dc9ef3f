#include "app/About.h"

#include "app/Application.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox() : QDialog(nullptr, kalvenor::app::kDialogFrame) {
    setObjectName("AboutBox");
    setWindowTitle("О программе");
    resize(410, 197);
}
