#include "calc/Report.h"

namespace kalvenor {

std::vector<std::string> ReportLines(const ReportValues& values, NumberFormat format) {
    const std::string separator(76, '-');
    const auto number = [format](double value) { return FloatToStr(value, format); };
    // "KWT", "C" and "A" are Latin letters, as the printed forms have always
    // read; only the words are Cyrillic.
    return {
        "Расчет электрической сети",
        "",
        "Мощность нагрузки - " + values.power + " KWT",
        separator,
        "Коэффициент мощности (cos f) - " + values.cosPhi,
        separator,
        values.voltageLine,
        separator,
        "Длина трассы - " + values.length + " м",
        separator,
        "Температура среды - " + values.temperature + " C",
        separator,
        "Номинальный ток - " + number(RoundTo(values.nominalCurrent, -1)) + " A",
        separator,
        "Потери напряжения - " + number(values.voltageDrop) + " %",
        separator,
        "Сечение жил - " + number(values.section) + " кв.мм",
        separator,
        "Ток короткого замыкания - " + number(values.shortCircuitCurrent) + " A",
        separator,
        "Автомат серии - " + values.series + "   " + number(values.ratedCurrent) + "  A",
        separator,
    };
}

}  // namespace kalvenor
