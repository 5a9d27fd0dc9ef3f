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

// The phase and zero conductors' resistance, Ohm.
double LoopResistance(std::string_view material, double length, double section) {
    return 2 * Resistivity(material) * length / section;
}

// One section's current as the check compares it, recorded when asked.
double ModeCurrent(const ShortCircuitCheck& check, double section, Trail::ShortCircuit* record) {
    Trail::FaultAtSection fault;
    if (check.useTransformer) {
        double transformerImpedance = 0;
        fault = ShortCircuitLoop(check.material, section, check.uk, check.powerKva, check.length,
                                 &transformerImpedance);
        if (record != nullptr) {
            record->transformerImpedance = transformerImpedance;
        }
    } else {
        fault.section = section;
        if (section > 0) {
            fault.resistance = LoopResistance(check.material, check.length, section);
        }
        fault.current = ApproxShortCircuitCurrent(check.material, check.length, section);
    }
    if (record != nullptr) {
        fault.trips = fault.current >= record->tripCurrent;
        record->examined.push_back(fault);
    }
    return fault.current;
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
    return ShortCircuitLoop(material, section, uk, powerKva, length).current;
}

Trail::FaultAtSection ShortCircuitLoop(std::string_view material, double section, double uk,
                                       double powerKva, double length,
                                       double* transformerImpedance) {
    Trail::FaultAtSection fault{.section = section};
    if (!(section > 0) || !(powerKva > 0) || uk < 0 || length < 0) {
        return fault;
    }
    fault.resistance = LoopResistance(material, length, section);
    fault.reactance = kReactancePerMetre * length;
    fault.lineImpedance = std::hypot(fault.resistance, fault.reactance);
    const double transformerCurrent = powerKva * 1000 / (std::numbers::sqrt3 * kLineVoltage);
    const double ofTransformer =
        uk * kLineVoltage / (std::numbers::sqrt3 * transformerCurrent * 100);
    if (transformerImpedance != nullptr) {
        *transformerImpedance = ofTransformer;
    }
    const double impedance = fault.lineImpedance + ofTransformer;
    if (impedance > 0 && std::isfinite(impedance)) {
        fault.current = RoundTo(kPhaseVoltage / impedance, 0);
    }
    return fault;
}

double ApproxShortCircuitCurrent(std::string_view material, double length, double section) {
    // A line of no length has no resistance to divide by; see above.
    if (!(length > 0) || !(section > 0)) {
        return 0;
    }
    return kApproxVoltage / (kApproxResistanceFactor * LoopResistance(material, length, section));
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

double CheckShortCircuit(const Dataset& table, const ShortCircuitCheck& check,
                         Trail::ShortCircuit* record) {
    const double tripCurrent = check.ratedCurrent * check.releaseMultiple;
    if (record != nullptr) {
        *record = {.throughTransformer = check.useTransformer,
                   .resistivity = Resistivity(check.material),
                   .releaseMultiple = check.releaseMultiple,
                   .tripCurrent = tripCurrent};
    }
    const auto found = [record](double section) {
        if (record != nullptr) {
            record->section = section;
        }
        return section;
    };
    const double section = check.selectedSection;
    if (ModeCurrent(check, section, record) >= tripCurrent) {
        return found(section);
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
        if (rowSection && *rowSection != section &&
            ModeCurrent(check, *rowSection, record) >= tripCurrent) {
            return found(*rowSection);
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
