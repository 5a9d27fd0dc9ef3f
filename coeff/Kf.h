#pragma once

#include <QDialog>

// The grouping-coefficient dialog for cables laid together in the ground.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    TForm6();
};

extern TForm6* Form6;
