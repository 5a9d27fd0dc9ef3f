#pragma once

#include <cstddef>
#include <string_view>

namespace kalvenor {

// Characters, not bytes: a width limit of 10 means ten letters in any script.
std::size_t Utf8Length(std::string_view text);

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing beyond U+10FFFF.
bool IsUtf8(std::string_view text);

}  // namespace kalvenor
