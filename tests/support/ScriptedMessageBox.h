#pragma once

#include "calc/Ports.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kalvenor::testing {

struct ShownMessage {
    std::string text;
    std::string caption;
    int flags = 0;
    bool operator==(const ShownMessage&) const = default;
};

// Records every box and answers from a plan, so no test waits on a dialog.
// Unplanned boxes answer OK, or No for a question.
class ScriptedMessageBox : public MessageBoxPort {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override {
        shown.push_back({text, caption, flags});
        if (onShow) {
            onShow(shown.back());
        }
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (flags & 0xF) == 0 ? kIdOk : kIdNo;
    }

    void Plan(int answer) { answers.push_back(answer); }

    std::vector<ShownMessage> shown;
    std::deque<int> answers;
    // Runs while the box is "open": tests look at the window at that moment.
    std::function<void(const ShownMessage&)> onShow;
};

}  // namespace kalvenor::testing
