#pragma once

#include "base/Numbers.h"

#include <string>
#include <vector>

namespace kalvenor {

// What the report repeats: the inputs as the user typed them, the results as
// numbers.
struct ReportValues {
    std::string power;        // as typed
    std::string cosPhi;       // as typed
    std::string voltageLine;  // as shown beside the results
    std::string length;       // as typed
    std::string temperature;  // as typed
    double nominalCurrent;    // the number shown; printed to one decimal
    double voltageDrop;       // already rounded to two decimals
    double section;           // the working cross-section
    double shortCircuitCurrent;
    std::string series;  // as the chooser stored it
    double ratedCurrent;
};

// The report's 22 lines: a heading, an empty line and ten entries each
// followed by a separator.
std::vector<std::string> ReportLines(const ReportValues& values, NumberFormat format);

}  // namespace kalvenor
