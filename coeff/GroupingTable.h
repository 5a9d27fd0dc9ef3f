#pragma once

#include "base/MessageBox.h"
#include "base/Numbers.h"

#include <optional>
#include <string>
#include <string_view>

namespace kalvenor {

// The spacing columns of the grouping table, in the order of the dialog's
// radio buttons.
enum GroupingSpacing : int {
    kSpacing100 = 0,
    kSpacing200 = 1,
    kSpacing300 = 2,
};

// The grouping coefficient for cablesIndex + 1 cables laid in the ground at
// the spacing of spacingColumn, as the text the dialog shows and the
// calculation converts: "1" for a single cable, otherwise two decimals with
// the program's decimal separator. Nothing for a row or column outside the
// table.
std::optional<std::string> GroupingCoefficientText(int cablesIndex, int spacingColumn,
                                                   NumberFormat format);

// Whether the open current table is laid in the ground: the laying method
// exactly as stored, with no folding of case or blanks.
bool AcceptsGroupingCoefficient(std::string_view layingMethod);

// What the dialog says when the open table is not laid in the ground.
inline const Message kNotInGround{
    "Откройте соответствующую таблицу \n  (способ прокладки - в земле) ", "Предупреждение",
    Buttons::Ok, Icon::Warning};

// The coefficient a refusal leaves, and the one every opening starts from.
inline constexpr std::string_view kNoGrouping = "1";

}  // namespace kalvenor
