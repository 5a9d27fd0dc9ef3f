#pragma once

#include "calc/VoltageOptions.h"
#include "tables/Dataset.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

// "Мощность кВА" and "Напряжение к.з. %" of the transformer with that exact
// name; the last matching row wins. Nothing when no row bears the name, so a
// caller can never divide by a power that does not exist.
std::optional<double> TransformerPower(const Dataset& transformers, std::string_view name);
std::optional<double> TransformerUk(const Dataset& transformers, std::string_view name);

// The item of the transformer list to use for a load. The list holds the
// database's rows in their order (ascending power), so a position is both.
// The current item stays while its power covers the load (the kW times the
// option's transformer factor); otherwise the first row whose power is
// strictly greater. When none is, it throws the CalculationStop that says so.
struct TransformerLoad {
    const VoltageOption& option;
    std::string_view currentName;
    int currentIndex = -1;
    double loadPowerKw = 0;
};
int ChooseTransformer(const Dataset& transformers, const TransformerLoad& load);

}  // namespace kalvenor
