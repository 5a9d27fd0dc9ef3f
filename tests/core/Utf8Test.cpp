#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <vector>

namespace kalvenor {
namespace {

// Every code point of the text, nothing for each byte that starts no
// well-formed sequence.
std::vector<std::optional<char32_t>> Decode(std::string_view text) {
    std::vector<std::optional<char32_t>> points;
    for (std::size_t at = 0; at < text.size();) {
        points.push_back(NextCodePoint(text, at));
    }
    return points;
}

TEST(Utf8, DecodesEveryLengthAndSkipsABadByteAlone) {
    EXPECT_EQ(Decode("aЖ€𝄞"), (std::vector<std::optional<char32_t>>{U'a', U'Ж', U'€', U'𝄞'}));
    // A sequence cut short, an overlong "/", a surrogate, past U+10FFFF, a
    // stray continuation byte: each bad byte alone, what follows read anew.
    for (const std::string_view bad :
         {"\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF"}) {
        const std::string text = std::string(bad) + "я";
        const auto points = Decode(text);
        EXPECT_EQ(points.size(), bad.size() + 1) << text;
        EXPECT_EQ(points.front(), std::nullopt) << text;
        EXPECT_EQ(points.back(), U'я') << text;
        EXPECT_FALSE(IsUtf8(text)) << text;
    }
    EXPECT_TRUE(IsUtf8("aЖ€𝄞\xF4\x8F\xBF\xBF"));
}

}  // namespace
}  // namespace kalvenor
