#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kalvenor {

// Characters, not bytes: a width limit of 10 means ten letters in any script.
std::size_t Utf8Length(std::string_view text);

// The code point that starts at `at`, moving past it; for a byte that
// starts no well-formed sequence (a stray continuation byte, an overlong
// form, a surrogate, anything beyond U+10FFFF, a sequence cut short),
// nothing, moving past that one byte, so whatever follows is read again.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at);

// Well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

// The text as a message can show it: every byte that is not part of a
// well-formed sequence as "\\xNN".
std::string ShownBytes(std::string_view text);

}  // namespace kalvenor
