#include "calc/Transformers.h"

#include "calc/Stop.h"
#include "calc/TableValues.h"
#include "tables/TableFiles.h"

namespace kalvenor {

namespace {

std::optional<double> LastValueOf(const Dataset& transformers, std::string_view name,
                                  std::string_view fieldName) {
    const auto nameField = transformers.FindField(kTransformerField);
    const auto valueField = transformers.FindField(fieldName);
    if (!nameField || !valueField) {
        return std::nullopt;
    }
    std::optional<double> result;
    for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
        if (TextAt(transformers, row, *nameField) == name) {
            if (const auto value = NumberAt(transformers, row, *valueField)) {
                result = value;
            }
        }
    }
    return result;
}

}  // namespace

std::optional<double> TransformerPower(const Dataset& transformers, std::string_view name) {
    return LastValueOf(transformers, name, kPowerField);
}

std::optional<double> TransformerUk(const Dataset& transformers, std::string_view name) {
    return LastValueOf(transformers, name, kUkField);
}

int ChooseTransformer(const Dataset& transformers, const TransformerLoad& load) {
    const double required = load.option.transformerFactor * load.loadPowerKw;
    const auto current = TransformerPower(transformers, load.currentName);
    if (current && required <= *current) {
        return load.currentIndex;
    }
    if (const auto powerField = transformers.FindField(kPowerField)) {
        for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
            const auto power = NumberAt(transformers, row, *powerField);
            if (power && *power > required) {
                return static_cast<int>(row);
            }
        }
    }
    // Also when the largest transformer's power equals the load exactly:
    // nothing is strictly larger, and no position past the list is returned.
    throw CalculationStop(
        {"В базе данных <Трансформаторы> для данной нагрузки нет данных", "Kalvenor"});
}

}  // namespace kalvenor
