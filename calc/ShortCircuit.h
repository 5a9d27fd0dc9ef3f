#pragma once

#include "calc/Trail.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kalvenor {

// Ohm*mm2/m: 0.018 for copper, 0.027 for anything else.
double Resistivity(std::string_view material);

// Single-phase short circuit at the end of the line through the supply
// transformer, in A, rounded to a whole number: 230 V over the line's loop
// impedance plus the transformer's uk * 400^2 / (100 * S). That is the figure
// for a transformer whose zero-sequence impedance equals its positive-sequence
// one (delta/star); a star/star one gives less. 0 when the data give no
// finite positive impedance (see the definition).
double ShortCircuitCurrent(std::string_view material, double section, double uk, double powerKva,
                           double length);

// The figures of that current: the loop's resistance, reactance and
// impedance, the transformer's impedance and the current itself (0 where
// ShortCircuitCurrent gives 0).
Trail::FaultAtSection ShortCircuitLoop(std::string_view material, double section, double uk,
                                       double powerKva, double length,
                                       double* transformerImpedance = nullptr);

// The same without transformer data: 176 / (1.5 * R of the loop), not rounded.
double ApproxShortCircuitCurrent(std::string_view material, double length, double section);

// The trip multiple of the electromagnetic release of a series, from the
// loaded breaker database (TableReader::ReadBreakers); when several rows bear
// the name the last one in its order wins. Nothing when no row bears the
// name (the database was edited after the series was chosen).
std::optional<double> ReleaseMultiple(const Dataset& breakers, std::string_view series);

struct ShortCircuitCheck {
    std::string_view material;
    double length;           // m
    double selectedSection;  // mm2
    double uk;               // %, transformer mode only
    double powerKva;         // transformer mode only
    double ratedCurrent;     // A, of the breaker
    double releaseMultiple;  // of the chosen series
    bool useTransformer;
};

// The cross-section, from the selected one upward in the table's order, whose
// short-circuit current reaches the release's trip current (equality trips).
// When even the last row falls short it throws the CalculationStop with the
// advice. With `record`, every section examined goes into it as computed.
double CheckShortCircuit(const Dataset& table, const ShortCircuitCheck& check,
                         Trail::ShortCircuit* record = nullptr);

// What to do when no cross-section trips the breaker; raising the
// transformer power is advice only in transformer mode.
std::string ShortCircuitAdvice(bool useTransformer);

}  // namespace kalvenor
