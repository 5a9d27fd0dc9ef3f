#pragma once

#include "tables/Dataset.h"

#include <string>
#include <vector>

namespace kalvenor {

// Every series of the loaded breaker database (TableReader::ReadBreakers),
// in its order and without removing repeats, whose current range holds the
// current (both ends included) and whose number of poles matches.
std::vector<std::string> ListBreakers(const Dataset& breakers, int poles, double current);

// The standard rated current for a current: the smallest of the series from
// 0.32 to 630 A not below it; 0 for 0 and 1000 above 630.
double RatedCurrent(double current);

// The question when no breaker fits, by number of poles (1 to 3).
std::string MissingBreakerQuestion(int poles);

}  // namespace kalvenor
