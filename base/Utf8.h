#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalvenor {

// Characters, not bytes: a width limit of 10 means ten letters in any script.
std::size_t Utf8Length(std::string_view text);

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view text);

// The text as a message can show it: every byte that is not part of a
// well-formed sequence as "\\xNN".
std::string ShownBytes(std::string_view text);

}  // namespace kalvenor
