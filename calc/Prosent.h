#pragma once

#include "widgets/Context.h"

#include <QDialog>

// The drop-limit dialog: the permitted voltage drop the user asks for.
class TProsentMin : public QDialog {
    Q_OBJECT
public:
    explicit TProsentMin(const kalvenor::Context& context);

    // The help section of this dialog, for F1.
    static constexpr int kHelpContext = 1040;
};

extern TProsentMin* ProsentMin;
