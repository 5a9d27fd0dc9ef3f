#pragma once

#include "widgets/Context.h"

#include <QDialog>

// The about box.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const kalvenor::Context& context);
};

extern TAboutBox* AboutBox;
