#pragma once

#include <string>

namespace kalvenor {

// Message-box flags as the program uses them: buttons plus icon.
enum MessageFlags : int {
    kMbOk = 0,
    kMbOkStop = 16,
    kMbOkWarning = 48,
    kMbYesNo = 4,
    kMbYesNoWarning = 52,
    kMbYesNoCancelQuestion = 35,
};

// The button the user pressed.
enum MessageAnswer : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
};

}  // namespace kalvenor
