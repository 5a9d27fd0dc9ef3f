#pragma once

#include "base/Numbers.h"
#include "calc/Ports.h"
#include "calc/Trail.h"
#include "calc/VoltageOptions.h"
#include "tables/Dataset.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalvenor {

// Specific conductivity, m/(Ohm*mm2): 57 for copper, 33 for anything else.
double Conductivity(std::string_view material);

// The line whose drop is computed; the current is the nominal current.
struct LineData {
    const VoltageOption& option;
    std::string_view material;
    double cosPhi;
    double length;   // m
    double current;  // A
};

// K * I * L * cos f * 100 / (conductivity * S * U), in percent, not rounded.
// 0 for a cross-section that is not positive (see the definition).
double VoltageDropPercent(const LineData& line, double section);

// The 20 % limit after the short-circuit check. VoltageDrop becomes the
// rounded drop of SelectedSection; above 20 the rows are tried in the
// table's order (ascending cross-section) and ReducedSection and VoltageDrop
// follow each row until one is at 20 or below. Still above 20: the
// CalculationStop with the warning. Exactly 20,00 passes. With `record`,
// the drop of the selected section and of every row tried.
void EnforceHardDropLimit(const Dataset& table, const LineData& line, MainWindowState& state,
                          NumberFormat format, Trail::VoltageDrop* record = nullptr);

// The question above 2.5 %.
std::string DropQuestion(double voltageDrop, NumberFormat format);

// Why the drop-limit dialog refuses a permitted drop, or nothing when it
// takes it: it must be above zero and at most the present drop.
std::optional<std::string> PermittedDropRefusal(double permitted, double voltageDrop,
                                                NumberFormat format);

// The first cross-section, in the table's ascending order, not below the one
// the permitted drop asks for; when even the last row is below it, the last
// row's cross-section after a message giving the drop it reaches.
// With `required`, the cross-section the permitted drop asks for.
double RequiredSection(const Dataset& table, const LineData& line, double permittedDrop,
                       MessageBoxPort& messages, NumberFormat format, double* required = nullptr);

// What the drop-limit dialog's OK does once it has accepted the value:
// ReducedSection from RequiredSection and VoltageDrop for it, not rounded.
// With `record`, the figures of the reduction.
void ApplyPermittedDrop(const Dataset& table, const LineData& line, double permitted,
                        MainWindowState& state, MessageBoxPort& messages, NumberFormat format,
                        Trail::VoltageDrop* record = nullptr);

}  // namespace kalvenor
