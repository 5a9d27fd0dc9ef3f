#pragma once

#include "base/Numbers.h"
#include "calc/Ports.h"

#include <string>

namespace kalvenor {

// What the main window does when an input changes: a result on screen must
// always belong to the inputs beside it.

// The cross-section, its continuous current and the nominal current to the
// same text.
void SetResults(MainWindowPort& window, const std::string& text);
// Results to "0" and the report cleared: the power factor, the temperature
// and the transformer all change the nominal current or what follows from it.
void ClearResults(MainWindowPort& window);

// The change handler of an input, whoever changed its text: the user typing
// or the program. The grouping coefficient has none.
void InputChanged(Input input, MainWindowPort& window, MessageBoxPort& messages,
                  NumberFormat format);

}  // namespace kalvenor
