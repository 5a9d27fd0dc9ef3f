#include "base/Numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace kalvenor {

namespace {

std::string NotANumber(std::string_view text) {
    std::string message = "\"";
    message.append(text);
    message.append("\" не является числом.");
    return message;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr long long kExponentLimit = 1'000'000'000;
// The largest double as FloatToStr writes it, "1,79769313486232E308", as
// 0,179769313486232 × 10^309.
constexpr std::string_view kLargestWrittenDigits = "179769313486232";
constexpr long long kLargestWrittenPosition = 309;

// Whether 0,<mantissa's significant digits> × 10^position is at most the
// largest double as written. Compared digit by digit: a double comparison
// would let through texts a little past it that round to the same double.
bool AtMostLargestWritten(std::string_view mantissa, long long position) {
    if (position != kLargestWrittenPosition) {
        return position < kLargestWrittenPosition;
    }
    std::string digits;
    for (const char c : mantissa) {
        if (c != '.' && (c != '0' || !digits.empty())) {
            digits += c;
        }
    }
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
    }
    // With no trailing zeros, digit strings order as the fractions they write.
    return digits <= kLargestWrittenDigits;
}

}  // namespace

ConvertError::ConvertError(std::string_view text) : UserError(NotANumber(text)) {}

bool TryStrToFloat(std::string_view text, NumberFormat format, double& value) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == ' ') {
        --end;
    }
    // Rebuild the number in the form std::from_chars reads, checking the
    // grammar on the way: from_chars alone would take "inf", "nan" and hex.
    std::string mantissa;
    mantissa.reserve(end - begin);
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::size_t digits = 0;
    // The decimal exponent the digits alone contribute, to tell an underflow
    // from an overflow; a text cannot hold enough digits to overflow it.
    long long leadingPosition = 0;
    bool seenNonZero = false;
    bool seenSeparator = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            ++digits;
            if (c != '0') {
                seenNonZero = true;
            }
            if (!seenSeparator && seenNonZero) {
                ++leadingPosition;
            } else if (seenSeparator && !seenNonZero) {
                --leadingPosition;
            }
            mantissa += c;
        } else if (c == format.decimalSeparator && !seenSeparator) {
            seenSeparator = true;
            mantissa += '.';
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    long long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            negativeExponent = text[i] == '-';
            ++i;
        }
        const std::size_t expDigits = i;
        for (; i < end && IsDigit(text[i]); ++i) {
            // Clamped: past this any double is zero or out of range whatever
            // the digits before it, and the sums below cannot overflow.
            exponent = std::min(exponent * 10 + (text[i] - '0'), kExponentLimit);
        }
        if (i == expDigits) {
            return false;
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }
    if (i != end) {
        return false;
    }
    const auto parse = [&mantissa](long long power, double& parsed) {
        const std::string plain = mantissa + 'e' + std::to_string(power);
        const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
        if (result.ec == std::errc() && result.ptr != plain.data() + plain.size()) {
            return std::errc::invalid_argument;
        }
        return result.ec;
    };
    double parsed = 0;
    const std::errc error = parse(exponent, parsed);
    if (error == std::errc::result_out_of_range) {
        // from_chars reports underflow and overflow alike; a value too small
        // for a double is zero.
        if (!seenNonZero || leadingPosition + exponent < 0) {
            parsed = 0;
        } else if (AtMostLargestWritten(mantissa, leadingPosition + exponent)) {
            // The largest double written with 15 digits rounds up past it:
            // what the program writes it reads back.
            parsed = std::numeric_limits<double>::max();
        } else {
            return false;
        }
    } else if (error != std::errc()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
}

double StrToFloat(std::string_view text, NumberFormat format) {
    double value = 0;
    if (!TryStrToFloat(text, format, value)) {
        throw ConvertError(text);
    }
    return value;
}

std::string FloatToStr(double value, NumberFormat format) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0) {
        return "0";
    }
    // 15 significant digits as d.dddddddddddddde[+-]x, correctly rounded.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, 14);
    std::string_view text(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    std::string sign;
    if (text.front() == '-') {
        sign = "-";
        text.remove_prefix(1);
    }
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos)) {
        if (c != '.') {
            digits += c;
        }
    }
    int exponent = 0;
    const std::string_view expText = text.substr(ePos + 1);
    std::from_chars(expText.data() + (expText.front() == '+' ? 1 : 0),
                    expText.data() + expText.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    const char sep = format.decimalSeparator;
    std::string out = sign;
    if (exponent >= -5 && exponent <= 14) {
        if (exponent < 0) {
            out += '0';
            out += sep;
            out.append(static_cast<std::size_t>(-exponent - 1), '0');
            out += digits;
        } else {
            const auto whole = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= whole) {
                out += digits;
                out.append(whole - digits.size(), '0');
            } else {
                out += digits.substr(0, whole);
                out += sep;
                out += digits.substr(whole);
            }
        }
        return out;
    }
    out += digits.front();
    if (digits.size() > 1) {
        out += sep;
        out += digits.substr(1);
    }
    out += 'E';
    out += std::to_string(exponent);
    return out;
}

double RoundTo(double value, int digit) {
    if (!std::isfinite(value) || digit == 0) {
        return std::isfinite(value) ? std::nearbyint(value) : value;
    }
    if (digit < 0) {
        // value * 10^n is exact in long double for the small n in use, so the
        // tie test sees the true decimal value; the quotient of two exact
        // doubles is then the nearest double to the decimal result.
        double scale = 1;
        for (int i = 0; i < -digit; ++i) {
            scale *= 10;
        }
        const long double scaled = static_cast<long double>(value) * scale;
        const long double whole = std::nearbyint(scaled);
        if (std::fabs(whole) >= 9007199254740992.0L) {
            return value;  // already an integer multiple at this precision
        }
        return static_cast<double>(whole) / scale;
    }
    double scale = 1;
    for (int i = 0; i < digit; ++i) {
        scale *= 10;
    }
    const long double whole = std::nearbyint(static_cast<long double>(value) / scale);
    return static_cast<double>(whole * scale);
}

}  // namespace kalvenor
