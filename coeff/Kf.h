#pragma once

#include "widgets/Context.h"

#include <QDialog>

// The grouping-coefficient dialog for cables laid together in the ground.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(const kalvenor::Context& context);
};

extern TForm6* Form6;
