#pragma once

#include "base/MessageBox.h"
#include "calc/Ports.h"
#include "calc/Trail.h"
#include "tables/Dataset.h"

#include <optional>

namespace kalvenor {

// The derating factor for the ambient temperature (whole degrees):
// sqrt((65 - t) / (65 - t0)) to two decimals, halves up, t0 being 25 for
// wires and cables in the air and 15 for cables in the ground, where the
// factor is exactly 1. It never rises with the temperature.
double TemperatureCoefficient(int temperature, bool notInGround);

// A cable laid in the ground: laying method "В земле" and wiring type
// "Кабель", both read from the names of the table's field definitions.
bool IsCableInGround(const Dataset& table);

struct SectionRequest {
    int temperature;  // truncated toward zero
    double grouping;
    double required;  // A
};

// The corrected continuous current of the first row, in ascending
// cross-section order, that carries the required current; its cross-section
// goes to SelectedSection. Nothing when no row does: the calculation says so
// with kNoSectionForLoad.
//
// The currents are derated only while `corrected` is false, which then
// becomes true: the caller resets it at the start of each calculation, so a
// second selection in the same calculation compares against the currents
// derated once, and a new calculation always derates the stored currents
// afresh. The table stays ordered by cross-section for the steps after.
//
// With `trail`, the derating when it is applied and the selection (also one
// that finds nothing) are recorded.
std::optional<double> SelectSection(Dataset& table, const SectionRequest& request, bool& corrected,
                                    MainWindowState& state, Trail* trail = nullptr);

inline const Message kNoSectionForLoad{
    "В базе данных <Допустимые длительные токи> для данной нагрузки нет данных", "Kalvenor"};

}  // namespace kalvenor
