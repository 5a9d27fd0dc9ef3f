// Text to number and back, against the C library.
//
// Reading: the whole input as a text. When it has the form the program reads
// (blanks around, an optional sign, digits with at most one separator, an
// optional exponent) the value must be exactly the one strtod gives in the C
// locale; any other text must be refused. The same text with '.' and ','
// swapped must read the same with ',' as the separator.
//
// Writing: the first eight bytes as a double. Its general text has at most
// 15 significant digits, reads back as strtod reads it, and differs from the
// comma form only in the separator. A double made from a 15-digit decimal
// (from the same bytes) must come back exactly: 15 digits are always enough
// to tell normal doubles apart.

#include "base/Numbers.h"

#include <bit>
#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using kalvenor::FloatToStr;
using kalvenor::NumberFormat;
using kalvenor::StrToFloat;
using kalvenor::TryStrToFloat;

constexpr NumberFormat kPoint{'.'};
constexpr NumberFormat kComma{','};

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

[[noreturn]] void Fail(const char* what, std::string_view text, double got, double expected) {
    std::fprintf(stderr, "%s\n  text: \"%.*s\"\n  got %a (%.17g), expected %a (%.17g)\n", what,
                 static_cast<int>(text.size()), text.data(), got, got, expected, expected);
    std::abort();
}

bool SameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The program's number form, written out plainly as the oracle's gate. On a
// match, `core` is the text without the blanks around.
bool HasNumberForm(std::string_view text, char separator, std::string_view& core) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return false;
    }
    core = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::size_t i = 0;
    if (i < core.size() && (core[i] == '+' || core[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    bool separatorSeen = false;
    for (; i < core.size(); ++i) {
        if (IsDigit(core[i])) {
            ++digits;
        } else if (core[i] == separator && !separatorSeen) {
            separatorSeen = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < core.size() && (core[i] == 'e' || core[i] == 'E')) {
        ++i;
        if (i < core.size() && (core[i] == '+' || core[i] == '-')) {
            ++i;
        }
        const std::size_t exponentDigits = i;
        while (i < core.size() && IsDigit(core[i])) {
            ++i;
        }
        if (i == exponentDigits) {
            return false;
        }
    }
    return i == core.size();
}

// The largest double's general text; a reader may round it, and anything
// up to it, down to the largest double instead of refusing it.
bool WithinLargestWritten(const std::string& text) {
    const long double magnitude = std::fabs(strtold_l(text.c_str(), nullptr, CLocale()));
    return magnitude <= 1.79769313486232e308L;
}

// Reads with the program and with strtod and demands the same outcome.
void CheckReading(std::string_view text) {
    double got = 0;
    const bool accepted = TryStrToFloat(text, kPoint, got);
    bool threw = false;
    double thrown = 0;
    try {
        thrown = StrToFloat(text, kPoint);
    } catch (const kalvenor::ConvertError&) {
        threw = true;
    }
    if (threw == accepted || (accepted && !SameBits(thrown, got))) {
        Fail("StrToFloat and TryStrToFloat disagree", text, thrown, got);
    }

    std::string_view core;
    if (!HasNumberForm(text, '.', core)) {
        if (accepted) {
            Fail("a text outside the number form was read", text, got, 0);
        }
        return;
    }
    const std::string plain(core);
    char* end = nullptr;
    errno = 0;
    const double expected = strtod_l(plain.c_str(), &end, CLocale());
    if (end != plain.c_str() + plain.size()) {
        Fail("strtod stopped early on a text of the number form", text, 0, expected);
    }
    const bool overflow = errno == ERANGE && std::isinf(expected);
    if (overflow) {
        const bool roundedDown = accepted && std::fabs(got) == DBL_MAX &&
                                 std::signbit(got) == std::signbit(expected) &&
                                 WithinLargestWritten(plain);
        if (accepted && !roundedDown) {
            Fail("a value beyond the double range was read", text, got, expected);
        }
        return;
    }
    if (!accepted) {
        Fail("a number was refused", text, 0, expected);
    }
    if (!SameBits(got, expected)) {
        Fail("the value differs from strtod's", text, got, expected);
    }
}

// The same text for the comma: '.' and ',' trade places, so every text that
// the point form reads the comma form reads alike, and every other is refused.
void CheckComma(std::string_view text) {
    std::string swapped(text);
    for (char& c : swapped) {
        if (c == '.') {
            c = ',';
        } else if (c == ',') {
            c = '.';
        }
    }
    double point = 0;
    double comma = 0;
    const bool pointRead = TryStrToFloat(text, kPoint, point);
    const bool commaRead = TryStrToFloat(swapped, kComma, comma);
    if (pointRead != commaRead || (pointRead && !SameBits(point, comma))) {
        Fail("the comma form reads otherwise than the point form", swapped, comma, point);
    }
}

int SignificantDigits(std::string_view text) {
    const std::size_t exponent = text.find('E');
    std::string_view mantissa = text.substr(0, exponent);
    std::string digits;
    for (char c : mantissa) {
        if (IsDigit(c)) {
            digits += c;
        }
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return 0;
    }
    // Zeros before a separator are places, not digits of the value.
    const std::size_t last = mantissa.find('.') == std::string_view::npos
                                 ? digits.find_last_not_of('0')
                                 : digits.size() - 1;
    return static_cast<int>(last - first + 1);
}

void CheckWriting(double value) {
    const std::string point = FloatToStr(value, kPoint);
    std::string comma = FloatToStr(value, kComma);
    for (char& c : comma) {
        if (c == ',') {
            c = '.';
        }
    }
    if (comma != point) {
        Fail("the comma form is not the point form with a comma", comma, value, value);
    }
    if (!std::isfinite(value)) {
        return;
    }
    std::string_view core;
    if (!HasNumberForm(point, '.', core) || core.size() != point.size()) {
        Fail("the general text is not a number as the program reads it", point, value, value);
    }
    if (SignificantDigits(point) > 15) {
        Fail("the general text has more than 15 significant digits", point, value, value);
    }
    const std::string_view mantissa = std::string_view(point).substr(0, point.find('E'));
    if (mantissa.find('.') != std::string_view::npos &&
        (mantissa.back() == '0' || mantissa.back() == '.')) {
        Fail("the general text keeps a trailing zero or separator", point, value, value);
    }
    // The text must stand for the value rounded to 15 significant digits.
    char rounded[64];
    std::snprintf(rounded, sizeof rounded, "%.14e", value);
    const double nearest = strtod_l(rounded, nullptr, CLocale());
    const double written = strtod_l(point.c_str(), nullptr, CLocale());
    if (!SameBits(written, nearest) && !(written == 0 && nearest == 0)) {
        Fail("the general text is not the value to 15 digits", point, written, nearest);
    }
    CheckReading(point);
}

// A normal double that a 15-digit decimal names: its general text must read
// back as exactly the same double.
void CheckExactReadBack(std::uint64_t bits, std::uint8_t exponentByte) {
    const std::uint64_t mantissa = 100'000'000'000'000ULL + bits % 900'000'000'000'000ULL;
    const int exponent = static_cast<int>(exponentByte % 206) * 3 - 308;  // -308 .. 307
    char text[64];
    std::snprintf(text, sizeof text, "%llue%d", static_cast<unsigned long long>(mantissa),
                  exponent - 14);
    const double value = strtod_l(text, nullptr, CLocale());
    if (!std::isnormal(value)) {
        return;
    }
    for (const double signed_ : {value, -value}) {
        const std::string written = FloatToStr(signed_, kComma);
        double back = 0;
        if (!TryStrToFloat(written, kComma, back) || !SameBits(back, signed_)) {
            Fail("a 15-digit value does not read back", written, back, signed_);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckReading(text);
    CheckComma(text);
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        CheckWriting(value);
        std::uint64_t bits = 0;
        std::memcpy(&bits, data, sizeof bits);
        CheckExactReadBack(bits, size > sizeof bits ? data[sizeof bits] : 0);
    }
    return 0;
}
