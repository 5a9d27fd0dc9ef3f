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
