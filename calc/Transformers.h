#pragma once

#include "calc/Ports.h"
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

// The item of the transformer list to use for a load: the current one while
// its power covers the load (the kW times the option's transformer factor), otherwise
// the first item, in list order, whose power is strictly greater. The scan
// runs over the list the user sees, not over the database rows, so the answer
// is always an item of that list even after the database was edited; an item
// that no longer has a row is passed over. When no item is large enough it
// shows the message, sets CalcAborted and returns 0.
struct TransformerLoad {
    const VoltageOption& option;
    std::string_view currentName;
    int currentIndex = -1;
    double loadPowerKw = 0;
};
int ChooseTransformer(const Dataset& transformers, const std::vector<std::string>& items,
                      const TransformerLoad& load, MessageBoxPort& messages,
                      MainWindowState& state);

}  // namespace kalvenor
