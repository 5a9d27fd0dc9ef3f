#pragma once

#include "base/Files.h"
#include "tests/core/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace kalvenor::test {

inline void AppendUtf8(std::string& text, char32_t point) {
    if (point < 0x80) {
        text += static_cast<char>(point);
    } else if (point < 0x800) {
        text += static_cast<char>(0xC0 | (point >> 6));
        text += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
        text += static_cast<char>(0xE0 | (point >> 12));
        text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (point >> 18));
        text += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// unrtf's text output with its Unicode characters as "&#N;" (one per UTF-16
// unit) and "&" as "&amp;", turned back into UTF-8.
inline std::string DecodeUnrtfText(const std::string& body) {
    std::string text;
    char32_t highSurrogate = 0;
    for (std::size_t at = 0; at < body.size();) {
        if (body.compare(at, 5, "&amp;") == 0) {
            text += '&';
            at += 5;
            continue;
        }
        if (body.compare(at, 2, "&#") == 0) {
            const std::size_t end = body.find(';', at);
            const auto unit = static_cast<char32_t>(std::stoul(body.substr(at + 2, end - at - 2)));
            at = end + 1;
            if (unit >= 0xD800 && unit < 0xDC00) {
                highSurrogate = unit;
            } else if (unit >= 0xDC00 && unit < 0xE000) {
                AppendUtf8(text, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            } else {
                AppendUtf8(text, unit);
            }
            continue;
        }
        text += body[at++];
    }
    return text;
}

// Reads an RTF file back with unrtf, an RTF reader of its own, and returns
// the text of its body: every paragraph ending in a line break.
inline std::string ReadBackWithUnrtf(const std::filesystem::path& rtf, const TempDir& dir) {
    // unrtf writes Unicode characters as "?" in plain text unless its output
    // personality says how; a copy of the stock one that says so.
    const std::filesystem::path config = dir / "unrtf";
    std::filesystem::create_directories(config);
    std::string personality;
    try {
        personality = ReadFileBytes("/usr/share/unrtf/text.conf");
    } catch (const FileError& error) {
        ADD_FAILURE() << "unrtf is not installed (scripts/setup installs it): " << error.what();
        return {};
    }
    WriteBytes(config / "text.conf", personality + "unisymbol_print\n\t&#%;\n38\n\t&amp;\n");
    const std::filesystem::path output = dir / "unrtf.txt";
    const std::string command = "unrtf --nopict -P '" + config.string() + "' --text '" +
                                rtf.string() + "' > '" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string printed = ReadBytes(output);
    EXPECT_EQ(status, 0) << printed;
    // The body follows the reader's own header and its line of 17 hyphens.
    const std::string bodyStart = "\n-----------------\n";
    const std::size_t body = printed.find(bodyStart);
    if (body == std::string::npos) {
        ADD_FAILURE() << printed;
        return {};
    }
    return DecodeUnrtfText(printed.substr(body + bodyStart.size()));
}

}  // namespace kalvenor::test
