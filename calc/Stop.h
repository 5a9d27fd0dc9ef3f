#pragma once

#include "base/MessageBox.h"
#include "base/UserError.h"
#include "calc/Ports.h"

#include <optional>
#include <string>
#include <utility>

namespace kalvenor {

// What the main window does once the user has read a stop's message, in
// this order.
struct StopEffects {
    // Yes to the message opens the breaker database, modally.
    bool offersBreakerDatabase = false;
    // An input put back to a sound text; its change rule runs.
    std::optional<std::pair<Input, std::string>> restore;
    // The input to mend, selected and focused.
    std::optional<Input> focus;
    bool clearsReport = false;
    // The results emptied instead of left as the steps before left them.
    bool emptiesResults = false;
};

// The one way a calculation stops: the message that says why, and what the
// main window does after it. The steps throw it; the calculation hands it
// back to its caller (CalculationDriver::Calculate), and only the main
// window's run turns it into the box and the fields it leaves. A caller
// without a window reports its message.
class CalculationStop : public UserError {
public:
    explicit CalculationStop(Message box, StopEffects effects = {})
        : UserError(box.text), box_(std::move(box)), effects_(std::move(effects)) {}

    const Message& Box() const { return box_; }
    const StopEffects& Effects() const { return effects_; }

private:
    Message box_;
    StopEffects effects_;
};

// What the main window shows for a stop: its box, then its effects. The
// results keep what the reset and the steps before the stop left.
void ShowStop(const CalculationStop& stop, MainWindowPort& window, UserPort& user);

}  // namespace kalvenor
