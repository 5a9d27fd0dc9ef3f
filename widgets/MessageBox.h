#pragma once

#include "base/MessageBox.h"

namespace kalvenor {

// The program's message box: Russian buttons for the flags in use, and the
// text broken only where it has its own line breaks while the box fits on
// the screen.
class QtMessageBox final : public MessageBoxPort {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
};

}  // namespace kalvenor
