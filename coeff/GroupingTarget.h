#pragma once

#include "calc/InputEvents.h"
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

// The main window as the dialog's target, through the calculation's port.
class MainWindowGroupingTarget final : public GroupingTarget {
public:
    explicit MainWindowGroupingTarget(MainWindowPort& window) : window_(window) {}

    std::string LayingMethod() const override { return window_.Text(TableParameter::LayingMethod); }
    void SetCoefficient(const std::string& text) override {
        window_.SetText(Input::Grouping, text);
    }
    void ZeroResults() override { SetResults(window_, "0"); }

private:
    MainWindowPort& window_;
};

}  // namespace kalvenor
