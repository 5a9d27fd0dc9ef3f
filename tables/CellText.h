#pragma once

#include "base/Numbers.h"
#include "tables/Dataset.h"

#include <string>
#include <string_view>

namespace kalvenor {

// A cell as a grid shows it: numbers in the user's form, texts as they are,
// the empty text for an empty cell.
std::string CellText(const Value& value, NumberFormat format);

// A text typed into a grid cell, as a value of the field: blank is empty in
// a number field; a text longer than the field's width (in characters) or a
// number that does not convert throws UserError with the reason.
Value ParseCell(const FieldDef& field, std::string_view text, NumberFormat format);

}  // namespace kalvenor
