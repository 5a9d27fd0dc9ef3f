#pragma once

#include "base/MessageBox.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace kalvenor::testing {

// A box as the tests quote it: the flags are the numbers the system's
// message box takes (buttons plus icon: 0, 16, 48, 4, 52, 35, ...).
struct ShownMessage {
    std::string text;
    std::string caption;
    int flags = 0;
    bool operator==(const ShownMessage&) const = default;
};

inline int Flags(Buttons buttons, Icon icon) {
    const int buttonFlags = buttons == Buttons::YesNo ? 4 : buttons == Buttons::YesNoCancel ? 3 : 0;
    const int iconFlags = icon == Icon::Stop       ? 16
                          : icon == Icon::Question ? 32
                          : icon == Icon::Warning  ? 48
                                                   : 0;
    return buttonFlags + iconFlags;
}

inline bool Offers(Buttons buttons, Answer answer) {
    switch (buttons) {
        case Buttons::Ok:
            return answer == Answer::Ok;
        case Buttons::YesNo:
            return answer == Answer::Yes || answer == Answer::No;
        case Buttons::YesNoCancel:
            return answer != Answer::Ok;
    }
    return false;
}

// Records every box and answers from a plan, so no test waits on a dialog.
// An unplanned box is closed without a button, as the real box answers
// then; a planned answer the box does not offer is a mistake of the test.
class ScriptedMessageBox : public MessageBoxPort {
public:
    Answer MessageBox(const Message& message) override {
        shown.push_back({message.text, message.caption, Flags(message.buttons, message.icon)});
        if (onShow) {
            onShow(shown.back());
        }
        if (answers.empty()) {
            return ClosedAnswer(message.buttons);
        }
        const Answer answer = answers.front();
        answers.pop_front();
        if (!Offers(message.buttons, answer)) {
            throw std::logic_error("The box \"" + message.text + "\" has no such button.");
        }
        return answer;
    }

    void Plan(Answer answer) { answers.push_back(answer); }

    std::vector<ShownMessage> shown;
    std::deque<Answer> answers;
    // Runs while the box is "open": tests look at the window at that moment.
    std::function<void(const ShownMessage&)> onShow;
};

}  // namespace kalvenor::testing
