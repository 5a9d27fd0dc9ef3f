#pragma once

#include "base/UserError.h"

#include <string>
#include <string_view>

namespace kalvenor {

// A text that is not a number. The message is shown to the user as it is.
class ConvertError : public UserError {
public:
    explicit ConvertError(std::string_view text);
};

// The decimal separator is the user's, read once at start-up; everything that
// turns text into numbers or numbers into text takes it as an argument.
struct NumberFormat {
    char decimalSeparator = ',';
};

// Blanks around, an optional sign, digits with at most one separator, an
// optional exponent. Anything else, and any value beyond double range, throws
// ConvertError.
double StrToFloat(std::string_view text, NumberFormat format);
bool TryStrToFloat(std::string_view text, NumberFormat format, double& value);

// The general form: 15 significant digits without trailing zeros, fixed
// notation from 0.00001 up to 15 digits before the separator, otherwise
// scientific with the shortest exponent ("1E-6", "1E20").
std::string FloatToStr(double value, NumberFormat format);

// Rounds to a multiple of 10^digit, ties to even, giving the double nearest to
// the decimal result (so 20.004 at -2 is exactly 20).
double RoundTo(double value, int digit);

}  // namespace kalvenor
