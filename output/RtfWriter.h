#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kalvenor {

// The report box's plain text (UTF-8, lines separated by '\n') as one RTF
// document: every line one paragraph, in a sans-serif font with a Cyrillic
// character set, every character beyond ASCII as a Unicode escape so that
// the document reads the same whatever code page the reader assumes. An
// empty text gives a document without a paragraph.
std::string RtfDocument(std::string_view plainText);

// Writes RtfDocument(plainText) over the file, replacing an existing one.
// Throws FileError; a failed save leaves the old file, or none, in place.
void SaveReport(const std::filesystem::path& path, std::string_view plainText);

}  // namespace kalvenor
