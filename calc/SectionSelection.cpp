#include "calc/SectionSelection.h"

#include "calc/TableValues.h"
#include "tables/TableFiles.h"

#include <algorithm>
#include <cmath>

namespace kalvenor {

namespace {

// The conductor's permitted temperature and the ambient temperatures the
// tables of continuous currents are printed for.
constexpr double kConductorTemperature = 65;
constexpr double kReferenceNotInGround = 25;
constexpr double kReferenceInGround = 15;
constexpr int kColdest = -5;
constexpr int kHottest = 50;

}  // namespace

// The heating law the printed tables of correction factors come from: the
// permitted current goes with the square root of the temperature rise the
// conductor may still take. Taken per degree, not per band of ten, because a
// band's factor at its lower edge overrates every warmer degree of the band
// (28 degrees in air would carry more than 25). Rounded to two decimals as
// those tables print it.
double TemperatureCoefficient(int temperature, bool notInGround) {
    // The input checks admit -5 to 50 only; holding to that range keeps the
    // root real and the factor positive whatever reaches here.
    const double ambient = std::clamp(temperature, kColdest, kHottest);
    const double reference = notInGround ? kReferenceNotInGround : kReferenceInGround;
    const double factor =
        std::sqrt((kConductorTemperature - ambient) / (kConductorTemperature - reference));
    return std::floor(factor * 100 + 0.5) / 100;
}

bool IsCableInGround(const Dataset& table) {
    const auto& fields = table.FieldDefs();
    if (fields.size() <= kWiringPosition) {
        return false;
    }
    return fields[kLayingPosition].name == kInGround && fields[kWiringPosition].name == kCable;
}

std::optional<double> SelectSection(Dataset& table, const SectionRequest& request, bool& corrected,
                                    MainWindowState& state, Trail* trail) {
    if (!corrected) {
        const bool notInGround = !IsCableInGround(table);
        const double factor = TemperatureCoefficient(request.temperature, notInGround);
        table.ApplyCorrection(kCurrentField, factor, request.grouping);
        corrected = true;
        if (trail != nullptr) {
            trail->derating = Trail::Derating{
                .temperature = std::clamp(request.temperature, kColdest, kHottest),
                .inGround = !notInGround,
                .conductorTemperature = kConductorTemperature,
                .referenceTemperature = notInGround ? kReferenceNotInGround : kReferenceInGround,
                .temperatureFactor = factor,
                .grouping = request.grouping};
        }
    }
    Trail::Selection* selection = nullptr;
    if (trail != nullptr) {
        selection = &trail->selections.emplace_back(Trail::Selection{.required = request.required});
    }
    table.SetOrder(kSectionField);
    const std::size_t sectionField = table.FieldByName(kSectionField);
    const std::size_t currentField = table.FieldByName(kCurrentField);
    // The first sufficient row wins even when a larger cross-section further
    // down carries less: the table is the user's, not assumed monotonic. A
    // row without a positive cross-section is never chosen, since every later
    // formula divides by it.
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        const auto current = NumberAt(table, row, currentField);
        const auto section = NumberAt(table, row, sectionField);
        if (current && section && *section > 0 && *current >= request.required) {
            state.SelectedSection = *section;
            if (selection != nullptr) {
                const Value stored = table.StoredAt(row, currentField);
                selection->section = *section;
                selection->storedCurrent =
                    std::holds_alternative<double>(stored) ? std::get<double>(stored) : *current;
                selection->correctedCurrent = *current;
            }
            return *current;
        }
    }
    return std::nullopt;
}

}  // namespace kalvenor
