#pragma once

#include "tables/Dataset.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kalvenor {

// Re-reads the breaker database from the directory (writing back pending
// edits first) and lists, in ascending "Мак. ном. ток А" order and without
// removing repeats, every series whose current range holds the current (both
// ends included) and whose number of poles matches. A missing file lists
// nothing, so the user is asked to fill the database rather than shown a
// list from an earlier calculation.
std::vector<std::string> ListBreakers(Dataset& breakers, const std::filesystem::path& directory,
                                      int poles, double current);

// The standard rated current for a current: the smallest of the series from
// 0.32 to 630 A not below it; 0 for 0 and 1000 above 630.
double RatedCurrent(double current);

// The question when no breaker fits, by number of poles (1 to 3).
std::string MissingBreakerQuestion(int poles);

}  // namespace kalvenor
