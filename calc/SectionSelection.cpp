#include "calc/SectionSelection.h"

#include "calc/TableValues.h"
#include "tables/TableFiles.h"

#include <array>

namespace kalvenor {

namespace {

struct TemperatureBand {
    int from;  // the band runs up to the next band's start
    double notInGround;
    double inGround;
};

constexpr std::array<TemperatureBand, 7> kBands{{
    {-5, 1.32, 1.12},
    {0, 1.27, 1.14},
    {10, 1.17, 1.05},
    {20, 1.06, 0.95},
    // 0.64 in the ground, below the 0.71 of the band above: the published
    // table has it so and the program keeps it.
    {30, 0.94, 0.64},
    {40, 0.79, 0.71},
    {50, 0.61, 0.55},
}};

constexpr int kReferenceNotInGround = 25;
constexpr int kReferenceInGround = 15;

}  // namespace

double TemperatureCoefficient(int temperature, bool notInGround) {
    if (temperature == (notInGround ? kReferenceNotInGround : kReferenceInGround)) {
        return 1.0;
    }
    // The input checks admit -5 to 50 only; anything colder takes the first
    // band and anything hotter the last, so a factor is never 0 and never
    // wipes out the table's currents.
    const TemperatureBand* band = &kBands.front();
    for (const TemperatureBand& candidate : kBands) {
        if (temperature >= candidate.from) {
            band = &candidate;
        }
    }
    return notInGround ? band->notInGround : band->inGround;
}

bool IsCableInGround(const Dataset& table) {
    const auto& fields = table.FieldDefs();
    if (fields.size() <= kWiringPosition) {
        return false;
    }
    return fields[kLayingPosition].name == kInGround && fields[kWiringPosition].name == kCable;
}

std::optional<double> SelectSection(Dataset& table, const SectionRequest& request, bool& corrected,
                                    MainWindowState& state) {
    if (!corrected) {
        const double factor = TemperatureCoefficient(request.temperature, !IsCableInGround(table));
        table.ApplyCorrection(kCurrentField, factor, request.grouping);
        corrected = true;
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
            return *current;
        }
    }
    return std::nullopt;
}

}  // namespace kalvenor
