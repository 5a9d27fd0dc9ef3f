#include "calc/DataProblems.h"

#include "base/Files.h"
#include "calc/TableValues.h"
#include "tables/TableFiles.h"

namespace kalvenor {

std::optional<std::string> SectionTableProblem(const Dataset& table, NumberFormat format) {
    const auto field = table.FindField(kSectionField);
    if (!field) {
        return "В таблице допустимых длительных токов нет поля " + Quoted(kSectionField) + ".";
    }
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        const auto section = NumberAt(table, row, *field);
        if (!section) {
            return std::string(
                "В таблице допустимых длительных токов есть строка без сечения. "
                "Сечение должно быть больше нуля.");
        }
        if (!(*section > 0)) {
            return "В таблице допустимых длительных токов есть строка с сечением " +
                   FloatToStr(*section, format) + " кв.мм. Сечение должно быть больше нуля.";
        }
    }
    // A current of zero or below is never chosen, yet it says the table is
    // not what the user meant; no row of it may decide a cable.
    if (const auto current = table.FindField(kCurrentField)) {
        for (std::size_t row = 0; row < table.RowCount(); ++row) {
            const auto value = NumberAt(table, row, *current);
            if (value && !(*value > 0)) {
                return "В таблице допустимых длительных токов в строке с сечением " +
                       FloatToStr(*NumberAt(table, row, *field), format) +
                       " кв.мм длительный ток " + FloatToStr(*value, format) +
                       " А. Длительный ток должен быть больше нуля.";
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> BreakerSeriesProblem(const Dataset& breakers, std::string_view series) {
    const auto seriesField = breakers.FindField(kSeriesField);
    if (!seriesField) {
        return std::nullopt;
    }
    for (std::size_t row = 0; row < breakers.RowCount(); ++row) {
        if (TextAt(breakers, row, *seriesField) != series) {
            continue;
        }
        for (std::string_view name : kBreakerPositiveFields) {
            const auto field = breakers.FindField(name);
            const auto value = field ? NumberAt(breakers, row, *field) : std::nullopt;
            if (value && !(*value > 0)) {
                return "В базе данных <Автоматы> в строке " + std::to_string(row + 1) + " (серия " +
                       Quoted(series) + ") значение поля " + Quoted(name) +
                       " должно быть больше нуля.";
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> TransformerDataProblem(std::string_view name,
                                                  std::optional<double> power,
                                                  std::optional<double> uk) {
    const std::string transformer =
        "В базе данных <Трансформаторы> у трансформатора " + Quoted(name) + " ";
    if (!power) {
        return transformer + "не указана мощность.";
    }
    if (!(*power > 0)) {
        return transformer + "мощность должна быть больше нуля.";
    }
    if (!uk) {
        return transformer + "не указано напряжение короткого замыкания.";
    }
    if (!(*uk > 0)) {
        return transformer + "напряжение короткого замыкания должно быть больше нуля.";
    }
    return std::nullopt;
}

std::optional<std::string> StoredTransformerProblem(std::string_view name,
                                                    std::optional<double> power,
                                                    std::optional<double> uk) {
    if ((power && !(*power > 0)) || (uk && !(*uk > 0))) {
        return TransformerDataProblem(name, power, uk);
    }
    return std::nullopt;
}

std::string MissingSeriesMessage(std::string_view series) {
    return "В базе данных <Автоматы> нет автомата серии " + Quoted(series) +
           ". Выполните расчет заново.";
}

std::optional<std::string> LengthProblem(double length) {
    if (!(length > 0)) {
        return "Длина трассы должна быть больше нуля.";
    }
    return std::nullopt;
}

}  // namespace kalvenor
