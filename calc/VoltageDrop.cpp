#include "calc/VoltageDrop.h"

#include "calc/Stop.h"
#include "calc/TableValues.h"
#include "tables/TableFiles.h"

#include <limits>
#include <vector>

namespace kalvenor {

namespace {

constexpr double kHardLimit = 20;

// The cross-sections of the table in its order, passing over rows without a
// positive one: no formula here may divide by them, and the table check
// before the calculation refuses such tables anyway.
std::vector<double> Sections(const Dataset& table) {
    std::vector<double> sections;
    const std::size_t field = table.FieldByName(kSectionField);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        if (const auto section = NumberAt(table, row, field); section && *section > 0) {
            sections.push_back(*section);
        }
    }
    return sections;
}

// K * I * L * cos f * 100 / (conductivity * x * U): with the cross-section
// for x the drop in percent, with the drop for x the cross-section. One
// expression for both, evaluated in the same order, so the two always agree
// to the last bit.
double DropFormula(const LineData& line, double x) {
    return line.option.dropFactor * line.current * line.length * line.cosPhi * 100 /
           (Conductivity(line.material) * x * line.option.dropVoltage);
}

double RoundedDrop(const LineData& line, double section) {
    return RoundTo(VoltageDropPercent(line, section), -2);
}

}  // namespace

double Conductivity(std::string_view material) {
    return material == kCopper ? 57 : 33;
}

double VoltageDropPercent(const LineData& line, double section) {
    // A cross-section of zero would make the drop infinite and show as such;
    // the sections that arrive here come from rows the selection accepted,
    // so this only keeps a mistake elsewhere from reaching the user as "inf".
    if (!(section > 0)) {
        return 0;
    }
    return DropFormula(line, section);
}

void EnforceHardDropLimit(const Dataset& table, const LineData& line, MainWindowState& state,
                          NumberFormat format, Trail::VoltageDrop* record) {
    state.VoltageDrop = RoundedDrop(line, state.SelectedSection);
    if (record != nullptr) {
        record->atSelected = {state.SelectedSection, state.VoltageDrop};
    }
    if (state.VoltageDrop > kHardLimit) {
        for (const double section : Sections(table)) {
            state.ReducedSection = section;
            state.VoltageDrop = RoundedDrop(line, section);
            if (record != nullptr) {
                record->hardLimitScan.push_back({section, state.VoltageDrop});
            }
            if (state.VoltageDrop <= kHardLimit) {
                break;
            }
        }
    }
    if (record != nullptr) {
        record->hardLimitMet = state.VoltageDrop <= kHardLimit;
    }
    if (state.VoltageDrop > kHardLimit) {
        throw CalculationStop({"Падение напряжения  " + FloatToStr(state.VoltageDrop, format) +
                                   "%, предельное падение не более 20 %, группа отменяется",
                               "Предупреждение", Buttons::Ok, Icon::Warning});
    }
}

std::string DropQuestion(double voltageDrop, NumberFormat format) {
    return "Падение напряжения  " + FloatToStr(voltageDrop, format) +
           ". Уменьшить падение напряжения?";
}

std::optional<std::string> PermittedDropRefusal(double permitted, double voltageDrop,
                                                NumberFormat format) {
    if (permitted <= 0) {
        return "Процент падения напряжения должен быть больше нуля";
    }
    if (permitted > voltageDrop) {
        return "Процент падения напряжения должен быть меньше или равно " +
               FloatToStr(voltageDrop, format);
    }
    return std::nullopt;
}

double RequiredSection(const Dataset& table, const LineData& line, double permittedDrop,
                       MessageBoxPort& messages, NumberFormat format, double* requiredOut) {
    // The dialog refuses a permitted drop of zero or less; should one come
    // through all the same, no cross-section can meet it, which is what an
    // infinite requirement says without dividing by zero.
    const double required = permittedDrop > 0 ? DropFormula(line, permittedDrop)
                                              : std::numeric_limits<double>::infinity();
    if (requiredOut != nullptr) {
        *requiredOut = required;
    }
    const std::vector<double> sections = Sections(table);
    if (sections.empty()) {
        return 0;
    }
    for (const double section : sections) {
        if (section >= required) {
            return section;
        }
    }
    const double largest = sections.back();
    messages.MessageBox(
        {"Максимальное падение напряжения-" + FloatToStr(RoundedDrop(line, largest), format), ""});
    return largest;
}

void ApplyPermittedDrop(const Dataset& table, const LineData& line, double permitted,
                        MainWindowState& state, MessageBoxPort& messages, NumberFormat format,
                        Trail::VoltageDrop* record) {
    double required = 0;
    state.ReducedSection = RequiredSection(table, line, permitted, messages, format, &required);
    state.VoltageDrop = VoltageDropPercent(line, state.ReducedSection);
    if (record != nullptr) {
        record->permittedDrop = permitted;
        record->requiredSection = required;
        record->reducedSection = state.ReducedSection;
        record->noRowMeetsPermitted = state.ReducedSection < required;
        record->reducedDrop = state.VoltageDrop;
    }
}

}  // namespace kalvenor
