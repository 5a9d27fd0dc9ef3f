#pragma once

#include "widgets/Context.h"

#include <functional>

class QWidget;

namespace kalvenor {

// F1 anywhere in the window opens the help at the window's section.
void InstallHelpKey(QWidget* window, const Context& context, HelpSection section);
// The same, with the section chosen when F1 is pressed (for a window whose
// parts have help sections of their own).
void InstallHelpKey(QWidget* window, const Context& context, std::function<HelpSection()> section);

}  // namespace kalvenor
