#include "calc/ShortCircuit.h"

#include "base/Numbers.h"
#include "calc/Stop.h"
#include "calc/TableValues.h"
#include "tables/TableFiles.h"

#include <cmath>
#include <numbers>

namespace kalvenor {

namespace {

constexpr double kPhaseVoltage = 230;
// The transformer's rated current and impedance belong to its 0,4 kV
// windings: built on the phase voltage they come out a third of the real
// impedance, and the check would pass breakers a real fault never trips.
constexpr double kLineVoltage = 400;
constexpr double kReactancePerMetre = 0.0006;
constexpr double kApproxVoltage = 176;
constexpr double kApproxResistanceFactor = 1.5;

double ModeCurrent(const ShortCircuitCheck& check, double section) {
    return check.useTransformer ? ShortCircuitCurrent(check.material, section, check.uk,
                                                      check.powerKva, check.length)
                                : ApproxShortCircuitCurrent(check.material, check.length, section);
}

}  // namespace

double Resistivity(std::string_view material) {
    return material == kCopper ? 0.018 : 0.027;
}

// Invalid data (no cross-section, no transformer power, a negative length or
// voltage) give 0 rather than an infinite or meaningless current: the trip
// check then refuses the line instead of passing it on figures nobody can
// vouch for, and nothing "inf" or "nan" ever reaches a result field. The
// calculation refuses such data before it gets here.
double ShortCircuitCurrent(std::string_view material, double section, double uk, double powerKva,
                           double length) {
    if (!(section > 0) || !(powerKva > 0) || uk < 0 || length < 0) {
        return 0;
    }
    const double resistance = 2 * Resistivity(material) * length / section;
    const double reactance = kReactancePerMetre * length;
    const double lineImpedance = std::hypot(resistance, reactance);
    const double transformerCurrent = powerKva * 1000 / (std::numbers::sqrt3 * kLineVoltage);
    const double transformerImpedance =
        uk * kLineVoltage / (std::numbers::sqrt3 * transformerCurrent * 100);
    const double impedance = lineImpedance + transformerImpedance;
    if (!(impedance > 0) || !std::isfinite(impedance)) {
        return 0;
    }
    return RoundTo(kPhaseVoltage / impedance, 0);
}

double ApproxShortCircuitCurrent(std::string_view material, double length, double section) {
    // A line of no length has no resistance to divide by; see above.
    if (!(length > 0) || !(section > 0)) {
        return 0;
    }
    return kApproxVoltage /
           (kApproxResistanceFactor * Resistivity(material) * 2 * length / section);
}

std::optional<double> ReleaseMultiple(const Dataset& breakers, std::string_view series) {
    const std::size_t seriesField = breakers.FieldByName(kSeriesField);
    const std::size_t multipleField = breakers.FieldByName(kReleaseMultipleField);
    std::optional<double> multiple;
    for (std::size_t row = 0; row < breakers.RowCount(); ++row) {
        if (TextAt(breakers, row, seriesField) == series) {
            // A row whose multiple was left empty says nothing about the
            // release, so it does not override one that does.
            if (const auto value = NumberAt(breakers, row, multipleField)) {
                multiple = value;
            }
        }
    }
    return multiple;
}

double CheckShortCircuit(const Dataset& table, const ShortCircuitCheck& check) {
    const double tripCurrent = check.ratedCurrent * check.releaseMultiple;
    double section = check.selectedSection;
    if (ModeCurrent(check, section) >= tripCurrent) {
        return section;
    }
    const std::size_t sectionField = table.FieldByName(kSectionField);
    const std::size_t rows = table.RowCount();
    // From the selected row upward; a selected section that no row bears
    // (it cannot, it came from this table) leaves only the last row to try.
    std::size_t first = rows == 0 ? 0 : rows - 1;
    for (std::size_t row = 0; row < rows; ++row) {
        if (NumberAt(table, row, sectionField) == check.selectedSection) {
            first = row;
            break;
        }
    }
    for (std::size_t row = first; row < rows; ++row) {
        const auto rowSection = NumberAt(table, row, sectionField);
        if (rowSection && ModeCurrent(check, *rowSection) >= tripCurrent) {
            return *rowSection;
        }
    }
    throw CalculationStop({ShortCircuitAdvice(check.useTransformer), "Kalvenor"});
}

std::string ShortCircuitAdvice(bool useTransformer) {
    std::string advice =
        "Ток короткого замыкания превышает ток электромагнитного расцепителя автомата.\n"
        "Необходимо произвести следующие действия:\n ";
    if (useTransformer) {
        advice += "1)Увеличите мощность трансформатора;\n ";
    }
    advice +=
        "2)Выберите автомат с меньшим током электромагнитного расцепителя;\n "
        "3)Выберите таблицу с большим сечением жил провода или кабеля;\n "
        "4)Уменьшите мощность потребителя;\n 5)Уменьшите длину провода или кабеля.";
    return advice;
}

}  // namespace kalvenor
