#pragma once

#include "base/Numbers.h"
#include "calc/Ports.h"

#include <string_view>

namespace kalvenor {

// Power and length texts: refused when they equal "0" or order before it
// byte by byte (empty, "-5", ",5", " 1"); "0,5", "00" and letters pass.
bool FailsTextRule(std::string_view text);

// The nine checks before a calculation, in their order: the first that
// fails throws its CalculationStop, with what the main window then mends.
void CheckInputs(MainWindowPort& window, NumberFormat format);

}  // namespace kalvenor
