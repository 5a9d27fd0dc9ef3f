#include "base/MessageBox.h"

#include <utility>

namespace kalvenor {

Answer ClosedAnswer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::YesNoCancel:
            return Answer::Cancel;
    }
    return Answer::Cancel;
}

Message ErrorMessage(std::string text) {
    return {std::move(text), "Kalvenor", Buttons::Ok, Icon::Stop};
}

}  // namespace kalvenor
