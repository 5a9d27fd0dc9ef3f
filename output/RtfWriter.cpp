#include "output/RtfWriter.h"

#include "base/Files.h"
#include "base/Utf8.h"

#include <cstdint>

namespace kalvenor {

namespace {

// Windows-1251 and a Cyrillic font, so that a reader without Unicode support
// at least picks a font that has the letters; 10 points prints readably.
constexpr std::string_view kHeader =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
    "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\n"
    "\\uc1\\pard\\plain\\f0\\fs20\\lang1049 ";

constexpr char32_t kReplacement = 0xFFFD;

// \uN takes a signed 16-bit N. The fallback for readers without Unicode is
// "?", written as a hex escape: a literal "?" glued to the following letters
// makes some readers drop the whole word as the fallback.
void AppendUnicodeUnit(std::string& rtf, std::uint16_t unit) {
    rtf += "\\u";
    rtf += std::to_string(static_cast<std::int16_t>(unit));
    rtf += "\\'3f";
}

void AppendCodePoint(std::string& rtf, char32_t point) {
    if (point < 0x10000) {
        AppendUnicodeUnit(rtf, static_cast<std::uint16_t>(point));
        return;
    }
    const char32_t offset = point - 0x10000;
    AppendUnicodeUnit(rtf, static_cast<std::uint16_t>(0xD800 + (offset >> 10)));
    AppendUnicodeUnit(rtf, static_cast<std::uint16_t>(0xDC00 + (offset & 0x3FF)));
}

}  // namespace

std::string RtfDocument(std::string_view plainText) {
    std::string rtf(kHeader);
    rtf.reserve(kHeader.size() + plainText.size() * 4 + 2);
    const auto endParagraph = [&] { rtf += "\\par\n"; };
    // A blank at the start of a line or after another blank stands in a
    // group of its own: readers that fold runs of blanks would lose the
    // report's column spacing, and one after a control word would be taken as
    // its end. (A hex escape of the blank would do for the first reason, but
    // word processors read it as a narrow space.)
    bool blankWritesLiterally = false;
    std::size_t at = 0;
    while (at < plainText.size()) {
        // A byte that starts no well-formed sequence becomes U+FFFD alone,
        // so a damaged text still saves everything around it.
        const char32_t point = NextCodePoint(plainText, at).value_or(kReplacement);
        switch (point) {
            case U'\r':
                if (at < plainText.size() && plainText[at] == '\n') {
                    continue;
                }
                [[fallthrough]];
            case U'\n':
                endParagraph();
                blankWritesLiterally = false;
                continue;
            case U' ':
                rtf += blankWritesLiterally ? " " : "{ }";
                blankWritesLiterally = false;
                continue;
            case U'\t':
                rtf += "\\tab ";
                break;
            case U'\\':
            case U'{':
            case U'}':
                rtf += '\\';
                rtf += static_cast<char>(point);
                break;
            default:
                if (point < 0x20 || point == 0x7F) {
                    // Control characters have no meaning in a document.
                    continue;
                }
                if (point < 0x80) {
                    rtf += static_cast<char>(point);
                } else {
                    AppendCodePoint(rtf, point);
                }
        }
        blankWritesLiterally = point != U'\t';
    }
    if (!plainText.empty()) {
        endParagraph();
    }
    rtf += "}";
    return rtf;
}

void SaveReport(const std::filesystem::path& path, std::string_view plainText) {
    WriteFileAtomically(path, RtfDocument(plainText));
}

}  // namespace kalvenor
