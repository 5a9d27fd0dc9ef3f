#include "output/RtfWriter.h"

#include "base/Files.h"
#include "base/Utf8.h"

#include <algorithm>
#include <cstdint>

namespace kalvenor {

namespace {

// Windows-1251 and a Cyrillic font, so that a reader without Unicode support
// at least picks a font that has the letters; 10 points prints readably.
constexpr std::string_view kPreamble =
    "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"
    "{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}}\n";
constexpr std::string_view kParagraph = R"(\pard\plain\f0\fs20\lang1049 )";

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

// The text, escaped, with `lineBreak` for each of its line breaks.
void AppendText(std::string& rtf, std::string_view text, std::string_view lineBreak) {
    // A blank at the start of a line or after another blank stands in a
    // group of its own: readers that fold runs of blanks would lose the
    // report's column spacing, and one after a control word would be taken as
    // its end. (A hex escape of the blank would do for the first reason, but
    // word processors read it as a narrow space.)
    bool blankWritesLiterally = false;
    std::size_t at = 0;
    while (at < text.size()) {
        // A byte that starts no well-formed sequence becomes U+FFFD alone,
        // so a damaged text still saves everything around it.
        const char32_t point = NextCodePoint(text, at).value_or(kReplacement);
        switch (point) {
            case U'\r':
                if (at < text.size() && text[at] == '\n') {
                    continue;
                }
                [[fallthrough]];
            case U'\n':
                rtf += lineBreak;
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
}

constexpr std::string_view kParagraphEnd = "\\par\n";

// A4 with margins of 15 mm, in twips.
constexpr int kPaperShort = 11906;
constexpr int kPaperLong = 16838;
constexpr int kMargin = 851;

// One row of the table: the cell borders and right edges, then the cells.
void AppendRow(std::string& rtf, const std::vector<RtfColumn>& columns,
               const std::vector<int>& rightEdges, const std::vector<std::string>& cells,
               bool header) {
    // A header row is repeated at the top of every page the table runs onto.
    rtf += header ? "\\trowd\\trgaph57\\trleft0\\trhdr\n" : "\\trowd\\trgaph57\\trleft0\n";
    for (const int edge : rightEdges) {
        rtf +=
            "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
            "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx";
        rtf += std::to_string(edge);
        rtf += '\n';
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        rtf += R"(\pard\plain\intbl)";
        rtf += columns[c].alignRight && !header ? "\\qr" : "\\ql";
        rtf += header ? R"(\f0\fs16\b )" : R"(\f0\fs16 )";
        if (c < cells.size()) {
            AppendText(rtf, cells[c], "\\line ");
        }
        rtf += "\\cell\n";
    }
    rtf += "\\row\n";
}

}  // namespace

std::string RtfDocument(std::string_view plainText) {
    std::string rtf(kPreamble);
    rtf.reserve(kPreamble.size() + kParagraph.size() + 4 + plainText.size() * 4 + 2);
    rtf += "\\uc1";
    rtf += kParagraph;
    AppendText(rtf, plainText, kParagraphEnd);
    if (!plainText.empty()) {
        rtf += kParagraphEnd;
    }
    rtf += "}";
    return rtf;
}

std::string RtfDocument(const RtfTableDocument& document) {
    const int paperWidth = document.landscape ? kPaperLong : kPaperShort;
    const int paperHeight = document.landscape ? kPaperShort : kPaperLong;
    std::string rtf(kPreamble);
    const std::string size =
        "\\paperw" + std::to_string(paperWidth) + "\\paperh" + std::to_string(paperHeight);
    const std::string margins = "\\margl" + std::to_string(kMargin) + "\\margr" +
                                std::to_string(kMargin) + "\\margt" + std::to_string(kMargin) +
                                "\\margb" + std::to_string(kMargin);
    rtf += size + margins + (document.landscape ? "\\landscape" : "") + "\n";
    rtf += "\\sectd" + std::string(document.landscape ? "\\lndscpsxn" : "") + "\\pgwsxn" +
           std::to_string(paperWidth) + "\\pghsxn" + std::to_string(paperHeight) + margins +
           "\n\\uc1";
    if (!document.title.empty()) {
        rtf += R"(\pard\plain\f0\fs28\b\lang1049 )";
        AppendText(rtf, document.title, "\\line ");
        rtf += kParagraphEnd;
    }
    for (const std::string& line : document.lines) {
        rtf += kParagraph;
        AppendText(rtf, line, "\\line ");
        rtf += kParagraphEnd;
    }
    // The columns share the width between the margins as their weights say.
    const std::vector<RtfColumn>& columns = document.columns;
    int total = 0;
    for (const RtfColumn& column : columns) {
        total += std::max(column.weight, 1);
    }
    std::vector<int> rightEdges;
    rightEdges.reserve(columns.size());
    const long long usable = paperWidth - 2 * kMargin;
    long long sum = 0;
    for (const RtfColumn& column : columns) {
        sum += std::max(column.weight, 1);
        rightEdges.push_back(static_cast<int>(usable * sum / std::max(total, 1)));
    }
    if (!columns.empty()) {
        std::vector<std::string> headers;
        headers.reserve(columns.size());
        for (const RtfColumn& column : columns) {
            headers.push_back(column.header);
        }
        AppendRow(rtf, columns, rightEdges, headers, true);
        for (const std::vector<std::string>& row : document.rows) {
            AppendRow(rtf, columns, rightEdges, row, false);
        }
    }
    rtf += "\\pard\\plain\\f0\\fs20\\par\n}";
    return rtf;
}

void SaveReport(const std::filesystem::path& path, std::string_view plainText) {
    WriteFileAtomically(path, RtfDocument(plainText));
}

}  // namespace kalvenor
