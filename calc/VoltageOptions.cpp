#include "calc/VoltageOptions.h"

#include <array>

namespace kalvenor {

namespace {

// Three-phase lines divide by 380 * 1.73 = 657.4, and the three-phase drop
// uses 1.73, not the square root of 3: the figures published with the
// program's tables are computed that way.
constexpr std::array<VoltageOption, 3> kVoltageOptions{{
    {"380 + 0", 2, 1, 220, "Напряжение = 380 + 0 v.", 3, 2, 220},
    {"2 x 380+0", 3, 2, 380, "Напряжение = 2 x 380+0 v.", 1.5, 2, 380},
    {"3 x 380+0", 4, 3, 657.4, "Напряжение = 3 x 380+0 v.", 1, 1.73, 380},
}};

}  // namespace

const VoltageOption* FindVoltageOption(int index) {
    if (index < 0 || index >= static_cast<int>(kVoltageOptions.size())) {
        return nullptr;
    }
    return &kVoltageOptions[static_cast<std::size_t>(index)];
}

double NominalCurrent(double powerKw, double cosPhi, const VoltageOption& option) {
    return powerKw * 1000 / (cosPhi * option.divisor);
}

}  // namespace kalvenor
