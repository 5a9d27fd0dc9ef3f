#include "calc/Breakers.h"

#include "calc/TableValues.h"
#include "tables/TableFiles.h"

#include <algorithm>
#include <array>

namespace kalvenor {

std::vector<std::string> ListBreakers(const Dataset& breakers, int poles, double current) {
    const std::size_t series = breakers.FieldByName(kSeriesField);
    const std::size_t minimum = breakers.FieldByName(kMinCurrentField);
    const std::size_t maximum = breakers.FieldByName(kMaxCurrentField);
    const std::size_t poleCount = breakers.FieldByName(kPolesField);
    std::vector<std::string> list;
    for (std::size_t row = 0; row < breakers.RowCount(); ++row) {
        const auto low = NumberAt(breakers, row, minimum);
        const auto high = NumberAt(breakers, row, maximum);
        const auto rowPoles = NumberAt(breakers, row, poleCount);
        if (low && high && rowPoles && *high >= current && *low <= current &&
            static_cast<int>(*rowPoles) == poles) {
            list.push_back(TextAt(breakers, row, series));
        }
    }
    return list;
}

double RatedCurrent(double current) {
    static constexpr std::array<double, 34> kStandardCurrents{
        0.32, 0.4, 0.5, 0.6, 0.8, 1,  1.25, 1.6, 2,   2.5, 3.2, 4,   5,   6,   8,   10,  12.5,
        16,   20,  25,  32,  40,  50, 63,   80,  100, 125, 160, 200, 250, 320, 400, 500, 630};
    if (current == 0) {
        return 0;
    }
    if (current > kStandardCurrents.back()) {
        return 1000;
    }
    return *std::lower_bound(kStandardCurrents.begin(), kStandardCurrents.end(), current);
}

std::string MissingBreakerQuestion(int poles) {
    const char* kind = poles == 1   ? "однополюсного"
                       : poles == 2 ? "двухполюсного"
                                    : "трехполюсного";
    return std::string("В базе данных нет соответствующего ") + kind +
           " автомата. Открыть базу данных?";
}

}  // namespace kalvenor
