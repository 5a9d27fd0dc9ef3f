#include "coeff/GroupingTable.h"

#include "tables/TableFiles.h"

#include <array>

namespace kalvenor {

namespace {

constexpr int kRows = 6;
constexpr int kColumns = 3;

// Hundredths, so that the text carries exactly two decimals whatever the
// separator; the single cable is the plain "1".
constexpr std::array<std::array<int, kColumns>, kRows> kHundredths = {{
    {100, 100, 100},
    {90, 92, 93},
    {85, 87, 90},
    {80, 84, 87},
    {78, 82, 86},
    {75, 81, 85},
}};

}  // namespace

std::optional<std::string> GroupingCoefficientText(int cablesIndex, int spacingColumn,
                                                   NumberFormat format) {
    if (cablesIndex < 0 || cablesIndex >= kRows || spacingColumn < 0 || spacingColumn >= kColumns) {
        return std::nullopt;
    }
    const int hundredths = kHundredths[cablesIndex][spacingColumn];
    if (hundredths == 100) {
        return std::string(kNoGrouping);
    }
    std::string text = "0";
    text += format.decimalSeparator;
    text += static_cast<char>('0' + hundredths / 10);
    text += static_cast<char>('0' + hundredths % 10);
    return text;
}

bool AcceptsGroupingCoefficient(std::string_view layingMethod) {
    return layingMethod == kInGround;
}

}  // namespace kalvenor
