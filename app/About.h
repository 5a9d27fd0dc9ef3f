#pragma once

#include <QDialog>

// The about box.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox();
};

extern TAboutBox* AboutBox;
