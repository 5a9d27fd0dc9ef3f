#include "output/RtfWriter.h"

#include "base/Files.h"
#include "tests/core/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

// A report as a calculation writes it: 22 lines, a separator after every
// line from the third on, column gaps in the breaker line.
std::string RussianReport() {
    std::string report = "Расчет электрической сети\n";
    for (const char* line :
         {"Мощность нагрузки - 10,0 KWT", "Коэффициент мощности (cos f) - 0,9",
          "Напряжение = 3 x 380+0 v.", "Длина трассы - 120 м", "Температура среды - 15 C",
          "Номинальный ток - 45,5 A", "Потери напряжения - 3,1 %", "Сечение жил - 16 кв.мм",
          "Ток короткого замыкания - 512,34 A", "Автомат серии - ВА47-29   50  A"}) {
        report += "\n" + std::string(line) + "\n" + std::string(76, '-');
    }
    return report;
}

void AppendUtf8(std::string& text, char32_t point) {
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
std::string DecodeUnrtfText(const std::string& body) {
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
std::string ReadBackWithUnrtf(const fs::path& rtf, const test::TempDir& dir) {
    // unrtf writes Unicode characters as "?" in plain text unless its output
    // personality says how; a copy of the stock one that says so.
    const fs::path config = dir / "unrtf";
    fs::create_directories(config);
    std::string personality;
    try {
        personality = ReadFileBytes("/usr/share/unrtf/text.conf");
    } catch (const FileError& error) {
        ADD_FAILURE() << "unrtf is not installed (scripts/setup installs it): " << error.what();
        return {};
    }
    test::WriteBytes(config / "text.conf", personality + "unisymbol_print\n\t&#%;\n38\n\t&amp;\n");
    const fs::path output = dir / "unrtf.txt";
    const std::string command = "unrtf --nopict -P '" + config.string() + "' --text '" +
                                rtf.string() + "' > '" + output.string() + "' 2>&1";
    const int status = std::system(command.c_str());
    const std::string printed = test::ReadBytes(output);
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

std::string RoundTrip(std::string_view text) {
    const test::TempDir dir;
    const fs::path file = dir / "report.doc";
    SaveReport(file, text);
    return ReadBackWithUnrtf(file, dir);
}

TEST(RtfWriter, AnotherReaderGetsTheReportLineForLine) {
    const std::string report = RussianReport();
    EXPECT_EQ(RoundTrip(report), report + "\n");
}

TEST(RtfWriter, HandEditedTextKeepsEveryCharacter) {
    for (const std::string& text : {
             std::string("Путь C:\\Отчёты\\{черновик} и {{}} \\\\ & конец"),
             std::string("Ёлка № 5 — «ёж»: ₽ ⚡ 😀 𝄞x"),
             std::string("две  пробела, три   и хвост  "),
             std::string("пустая строка в конце\n"),
             std::string("\n\nдва абзаца сверху"),
             std::string("Ж1:Я{}\\"),
         }) {
        EXPECT_EQ(RoundTrip(text), text + "\n") << text;
    }
}

TEST(RtfWriter, EmptyReportIsAValidDocumentWithoutText) {
    EXPECT_EQ(RoundTrip(""), "");
    const std::string document = RtfDocument("");
    EXPECT_TRUE(document.starts_with("{\\rtf1\\ansi\\ansicpg1251"));
    EXPECT_TRUE(document.ends_with("}"));
}

TEST(RtfWriter, UnicodeEscapesAreSignedSixteenBitUnits) {
    // Readers that take N as a signed 16-bit number misread 55357 and the like.
    const std::string document = RtfDocument("Я😀\xEF\xBF\xBF");
    EXPECT_NE(document.find("\\u1071\\'3f\\u-10179\\'3f\\u-8704\\'3f\\u-1\\'3f"), std::string::npos)
        << document;
    for (const char c : document) {
        EXPECT_LT(static_cast<unsigned char>(c), 0x80) << "RTF is 7-bit text";
    }
}

TEST(RtfWriter, DamagedUtf8StillSavesTheRestOfTheText) {
    EXPECT_EQ(RoundTrip("до \xFF после \xD0"), "до \xEF\xBF\xBD после \xEF\xBF\xBD\n");
}

TEST(SaveReport, WritesRtfUnderTheGivenNameAndReplacesAnOldFile) {
    const test::TempDir dir;
    const fs::path file = dir / "Отчёт.doc";
    SaveReport(file, "первый");
    SaveReport(file, RussianReport());
    EXPECT_EQ(test::ReadBytes(file), RtfDocument(RussianReport()));
    EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{"Отчёт.doc"});
}

TEST(SaveReport, FailureThrowsAndLeavesNoFile) {
    const test::TempDir dir;
    EXPECT_THROW(SaveReport(dir / "нет такой папки" / "report.doc", "отчёт"), FileError);
    EXPECT_TRUE(test::FileNames(dir.Path()).empty());

    // A folder in the file's place is refused and stays a folder.
    fs::create_directory(dir / "report.doc");
    EXPECT_THROW(SaveReport(dir / "report.doc", "отчёт"), FileError);
    EXPECT_TRUE(fs::is_directory(dir / "report.doc"));
    EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{"report.doc"});
}

}  // namespace
}  // namespace kalvenor
