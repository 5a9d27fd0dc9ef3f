#pragma once

#include "widgets/Context.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// The drop-limit dialog: the permitted voltage drop the user asks for. It
// only asks and checks; the calculation computes the cross-section for it.
class TProsentMin : public QDialog {
    Q_OBJECT
public:
    explicit TProsentMin(const kalvenor::Context& context);

    // Centred and modal over the present drop (percent, rounded); the value
    // accepted by OK, or nothing when the dialog was closed by its title bar.
    // Edit1 keeps what the user typed last time.
    std::optional<double> Ask(double voltageDrop);
    void Button1Click();

private:
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;

    const kalvenor::Context& context_;
    double voltageDrop_ = 0;
    std::optional<double> accepted_;
};

extern TProsentMin* ProsentMin;
