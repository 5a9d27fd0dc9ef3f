#include "base/Numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>

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
    std::string plain;
    plain.reserve(end - begin);
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int digits = 0;
    int leadingPosition = 0;  // decimal exponent contributed by the digits
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
            plain += c;
        } else if (c == format.decimalSeparator && !seenSeparator) {
            seenSeparator = true;
            plain += '.';
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        plain += 'e';
        std::size_t expBegin = i;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            plain += text[i];
            ++i;
        }
        const std::size_t expDigits = i;
        while (i < end && IsDigit(text[i])) {
            plain += text[i];
            ++i;
        }
        if (i == expDigits) {
            return false;
        }
        // Clamp: only the sign of an absurd exponent matters below.
        const std::string_view expText = text.substr(expBegin, i - expBegin);
        exponent = std::strtol(std::string(expText).c_str(), nullptr, 10);
    }
    if (i != end) {
        return false;
    }
    double parsed = 0;
    const auto result = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (result.ec == std::errc::result_out_of_range) {
        // from_chars reports underflow and overflow alike; only overflow is an
        // error, a value too small for a double is zero.
        if (!seenNonZero || leadingPosition + exponent < 0) {
            parsed = 0;
        } else {
            return false;
        }
    } else if (result.ec != std::errc() || result.ptr != plain.data() + plain.size()) {
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
