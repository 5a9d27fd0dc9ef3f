#pragma once

#include "base/Numbers.h"
#include "calc/Trail.h"

#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

// The trail as an engineer writes it on paper: short Russian sentences
// grouped by step, each formula once with the numbers put in, the deciding
// criterion at the top and the date and time of the calculation at the head.
std::vector<std::string> TrailPage(const Trail& trail, NumberFormat format,
                                   std::string_view calculatedAt);

// The name a saved page is offered under: "Обоснование", the current
// table's name without its extension, and the date given.
std::string TrailFileName(const Trail& trail, std::string_view date);

// The sentence that names what set the section.
std::string CriterionSentence(Criterion criterion, double section, NumberFormat format);

}  // namespace kalvenor
