#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

// The report box's plain text (UTF-8, lines separated by '\n') as one RTF
// document: every line one paragraph, in a sans-serif font with a Cyrillic
// character set, every character beyond ASCII as a Unicode escape so that
// the document reads the same whatever code page the reader assumes. An
// empty text gives a document without a paragraph.
std::string RtfDocument(std::string_view plainText);

// A column of an RtfTableDocument: its header, its share of the page's
// width, and whether its figures line up on the right.
struct RtfColumn {
    std::string header;
    int weight = 1;
    bool alignRight = false;
};

// A document for a list too wide for a line of text: a bold title, plain
// lines under it, and one table with a border round every cell whose header
// row repeats on every page. A cell's line breaks stay line breaks.
struct RtfTableDocument {
    std::string title;
    std::vector<std::string> lines;
    std::vector<RtfColumn> columns;
    std::vector<std::vector<std::string>> rows;
    bool landscape = false;  // A4 either way, margins of 15 mm
};

// The same header, font and character escapes as the report's document.
std::string RtfDocument(const RtfTableDocument& document);

// Writes RtfDocument(plainText) over the file, replacing an existing one.
// Throws FileError; a failed save leaves the old file, or none, in place.
void SaveReport(const std::filesystem::path& path, std::string_view plainText);

}  // namespace kalvenor
