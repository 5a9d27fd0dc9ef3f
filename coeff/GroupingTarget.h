#pragma once

#include "calc/Ports.h"

#include <string>

namespace kalvenor {

// What the coefficient dialog reads from and hands back to the window that
// opened it; the dialog knows nothing else of that window.
class GroupingTarget {
public:
    virtual ~GroupingTarget() = default;
    // The laying method of the open current table, as the window shows it.
    virtual std::string LayingMethod() const = 0;
    // The coefficient the calculation uses, as text.
    virtual void SetCoefficient(const std::string& text) = 0;
    // The cross-section, its continuous current and the nominal current back
    // to zero: they no longer belong to the coefficient.
    virtual void ZeroResults() = 0;
};

// The main window as the dialog's target: the laying method in Label6, the
// coefficient in Edit12, the results in Edit1, Edit2 and Edit5.
class MainWindowGroupingTarget final : public GroupingTarget {
public:
    explicit MainWindowGroupingTarget(MainWindowPort& window) : window_(window) {}

    std::string LayingMethod() const override { return window_.Text(Control::Label6); }
    void SetCoefficient(const std::string& text) override {
        window_.SetText(Control::Edit12, text);
    }
    void ZeroResults() override {
        for (const Control result : {Control::Edit1, Control::Edit2, Control::Edit5}) {
            window_.SetText(result, std::to_string(0));
        }
    }

private:
    MainWindowPort& window_;
};

}  // namespace kalvenor
