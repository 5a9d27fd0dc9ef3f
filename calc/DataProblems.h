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
// negative, or whose continuous current is zero or negative; the first such
// row, in the table's order, is named.
std::optional<std::string> SectionTableProblem(const Dataset& table, NumberFormat format);

// The transformer's power or short-circuit voltage is missing (no row bears
// the name, or the cell is empty), zero or negative.
std::optional<std::string> TransformerDataProblem(std::string_view name,
                                                  std::optional<double> power,
                                                  std::optional<double> uk);

// A stored value of zero or below where the transformer's power or
// short-circuit voltage must be positive: as TransformerDataProblem, but
// nothing for a value that is missing, which the calculation meets later.
std::optional<std::string> StoredTransformerProblem(std::string_view name,
                                                    std::optional<double> power,
                                                    std::optional<double> uk);

// A row of the series whose currents or release multiple are zero or below:
// a multiple of 0 makes every line trip. Named by its place in the
// database's order.
std::optional<std::string> BreakerSeriesProblem(const Dataset& breakers, std::string_view series);

// The chosen series is on no row of the breaker database any more.
std::string MissingSeriesMessage(std::string_view series);

// A line of no length: the approximate short-circuit current divides by it.
std::optional<std::string> LengthProblem(double length);

}  // namespace kalvenor
