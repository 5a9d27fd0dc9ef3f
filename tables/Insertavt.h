#pragma once

#include "widgets/Context.h"

#include <QDialog>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The breaker-type chooser: a modal dialog that cannot be closed until one
// of the offered series is confirmed.
class TInsertAvtomat : public QDialog {
    Q_OBJECT
public:
    explicit TInsertAvtomat(const kalvenor::Context& context);

    // Offers the series, centred and modal; returns the confirmed one.
    std::string Choose(const std::vector<std::string>& series);
    void Button2Click();
    // The offered item the box names: a typed text counts only when it is
    // exactly one of the items, so ChosenSeries is always a listed series.
    int SelectedItem() const;

    // No close box, no Escape: the calculation needs a series.
    void reject() override {}

    std::string ChosenSeries;

private:
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QPushButton* Button2;

    const kalvenor::Context& context_;
};

extern TInsertAvtomat* InsertAvtomat;
