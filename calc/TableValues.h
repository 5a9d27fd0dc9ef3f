#pragma once

#include "tables/Dataset.h"

#include <optional>
#include <string>

namespace kalvenor {

// A numeric cell as a double; nothing when the cell is empty or holds text.
std::optional<double> NumberAt(const Dataset& table, std::size_t row, std::size_t field);
// A text cell; the empty text for an empty cell.
std::string TextAt(const Dataset& table, std::size_t row, std::size_t field);

}  // namespace kalvenor
