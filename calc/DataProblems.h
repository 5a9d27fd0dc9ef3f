#pragma once

#include "base/Numbers.h"
#include "tables/Dataset.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalvenor {

// Data that would make a formula of the calculation divide by zero or give a
// meaningless figure. The calculation asks before it computes and stops with
// the message, in Russian, instead of showing "inf" or a nonsense result.

// A row of the current table whose cross-section is missing, zero or
// negative; the first such row, in the table's order, is named.
std::optional<std::string> SectionTableProblem(const Dataset& table, NumberFormat format);

// The transformer's power or short-circuit voltage is missing (no row bears
// the name, or the cell is empty), zero or negative.
std::optional<std::string> TransformerDataProblem(std::string_view name,
                                                  std::optional<double> power,
                                                  std::optional<double> uk);

// The chosen series is on no row of the breaker database any more.
std::string MissingSeriesMessage(std::string_view series);

// A line of no length: the approximate short-circuit current divides by it.
std::optional<std::string> LengthProblem(double length);

}  // namespace kalvenor
