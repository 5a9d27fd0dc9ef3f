#pragma once

#include "base/MessageBox.h"

namespace kalvenor {

// The program's message box: Russian buttons, and the text broken only
// where it has its own line breaks while the box fits on the screen.
class QtMessageBox final : public MessageBoxPort {
public:
    Answer MessageBox(const Message& message) override;
};

}  // namespace kalvenor
