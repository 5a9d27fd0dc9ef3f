#include "calc/NominalCurrent.h"

#include <array>

namespace kalvenor {

namespace {

// Three-phase lines divide by 380 * 1.73 = 657.4, not by 380 * sqrt(3): the
// figures published with the program's tables are computed that way.
constexpr std::array<VoltageOption, 3> kVoltageOptions{{
    {"380 + 0", 220, 1, "Напряжение = 380 + 0 v."},
    {"2 x 380+0", 380, 2, "Напряжение = 2 x 380+0 v."},
    {"3 x 380+0", 657.4, 3, "Напряжение = 3 x 380+0 v."},
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
