#pragma once

#include "widgets/Context.h"

#include <QDialog>

// The drop-limit dialog: the permitted voltage drop the user asks for.
class TProsentMin : public QDialog {
    Q_OBJECT
public:
    explicit TProsentMin(const kalvenor::Context& context);
};

extern TProsentMin* ProsentMin;
