#pragma once

#include "base/MessageBox.h"

#include <string_view>

namespace kalvenor {

// One item of the network voltage list and every constant that hangs on it.
struct VoltageOption {
    std::string_view item;
    int coresNeeded;               // of the current table
    int poles;                     // of the breaker
    double divisor;                // V, of the nominal current
    std::string_view voltageLine;  // shown beside the results and printed in the report
    // The transformer power a load of 1 kW asks for: a single-phase load
    // draws on one phase of three, a two-phase load on two.
    double transformerFactor;
    // drop % = K * I * L * cos f * 100 / (conductivity * S * U)
    double dropFactor;
    double dropVoltage;  // V
};

// What the user is told when a table or a calculation needs a voltage option
// and none is selected.
inline const Message kChooseVoltage{"Выберите необходимое напряжение сети", "Kalvenor"};

// nullptr for an index that names no option (-1: nothing selected).
const VoltageOption* FindVoltageOption(int index);

// I = P * 1000 / (cos f * U), not rounded.
double NominalCurrent(double powerKw, double cosPhi, const VoltageOption& option);

}  // namespace kalvenor
