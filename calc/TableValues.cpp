#include "calc/TableValues.h"

namespace kalvenor {

std::optional<double> NumberAt(const Dataset& table, std::size_t row, std::size_t field) {
    const Value& value = table.At(row, field);
    if (const auto* number = std::get_if<double>(&value)) {
        return *number;
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return static_cast<double>(*integer);
    }
    return std::nullopt;
}

std::string TextAt(const Dataset& table, std::size_t row, std::size_t field) {
    const Value& value = table.At(row, field);
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return {};
}

}  // namespace kalvenor
