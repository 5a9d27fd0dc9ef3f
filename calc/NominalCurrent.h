#pragma once

#include <string_view>

namespace kalvenor {

// One item of the network voltage list.
struct VoltageOption {
    std::string_view item;
    double divisor;  // V
    int poles;
    std::string_view voltageLine;  // the text shown in Label21 and printed in the report
};

// nullptr for an index that names no option (-1: nothing selected).
const VoltageOption* FindVoltageOption(int index);

// I = P * 1000 / (cos f * U), not rounded.
double NominalCurrent(double powerKw, double cosPhi, const VoltageOption& option);

}  // namespace kalvenor
