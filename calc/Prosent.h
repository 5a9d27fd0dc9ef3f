#pragma once

#include <QDialog>

// The drop-limit dialog: the permitted voltage drop the user asks for.
class TProsentMin : public QDialog {
    Q_OBJECT
public:
    TProsentMin();
};

extern TProsentMin* ProsentMin;
