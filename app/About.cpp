#include "app/About.h"

#include "widgets/Frames.h"

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(const kalvenor::Context&) : QDialog(nullptr, kalvenor::kDialogFrame) {
    setObjectName("AboutBox");
    setWindowTitle("О программе");
    resize(410, 197);
}
