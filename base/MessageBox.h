#pragma once

#include <string>

namespace kalvenor {

// The buttons a box offers.
enum class Buttons { Ok, YesNo, YesNoCancel };

enum class Icon { None, Stop, Question, Warning };

// The button the user pressed; a box closed by its title bar or Escape
// answers as ClosedAnswer says.
enum class Answer { Ok, Cancel, Yes, No };

// One message box: its text, caption, buttons and icon, exact as the user
// is to see them.
struct Message {
    std::string text;
    std::string caption;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    bool operator==(const Message&) const = default;
};

// What a box closed without a button answers: the only answer an OK box
// has, No for a Yes/No question, Cancel where there is a Cancel.
Answer ClosedAnswer(Buttons buttons);

// How an error is shown, the user's or the program's: its text under the
// program's name, with the stop icon.
Message ErrorMessage(std::string text);

class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    virtual Answer MessageBox(const Message& message) = 0;
};

}  // namespace kalvenor
