#include "output/RtfWriter.h"

#include "base/Files.h"
#include "tests/core/TempDir.h"
#include "tests/core/Unrtf.h"

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

std::string RoundTrip(std::string_view text) {
    const test::TempDir dir;
    const fs::path file = dir / "report.doc";
    SaveReport(file, text);
    return test::ReadBackWithUnrtf(file, dir);
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

// ---- A table document ------------------------------------------------------

RtfTableDocument Journal(bool landscape) {
    RtfTableDocument document;
    document.title = "Кабельный журнал";
    document.lines = {"Цех №2 {черновик}", "12.05.2025"};
    document.landscape = landscape;
    document.columns = {
        {"Обозначение линии", 24, false}, {"Мощность, кВт", 9, true}, {"Состояние", 20, false}};
    document.rows = {
        {"Гр.1  Освещение", "12,5", "OK"},
        {"Гр.2\nвторая строка", "", "Введите мощность"},
        {"C:\\Путь\\{x}", "7"},
    };
    return document;
}

// Every text of the document without its blanks and line ends, in order.
std::string Letters(const std::string& text) {
    std::string letters;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            letters += c;
        }
    }
    return letters;
}

TEST(RtfTableDocument, AnotherReaderGetsEveryTextInItsOrder) {
    const test::TempDir dir;
    const RtfTableDocument document = Journal(true);
    WriteFileAtomically(dir / "journal.rtf", RtfDocument(document));
    std::string expected = document.title;
    for (const std::string& line : document.lines) {
        expected += line;
    }
    for (const RtfColumn& column : document.columns) {
        expected += column.header;
    }
    for (const auto& row : document.rows) {
        for (const std::string& cell : row) {
            expected += cell;
        }
    }
    EXPECT_EQ(Letters(test::ReadBackWithUnrtf(dir / "journal.rtf", dir)), Letters(expected));
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

TEST(RtfTableDocument, EveryRowHasACellPerColumnAcrossThePage) {
    const std::string landscape = RtfDocument(Journal(true));
    // The header row and three rows, three cells each (a short row padded),
    // the header repeated on every page.
    EXPECT_EQ(Count(landscape, "\\row\n"), 4u);
    EXPECT_EQ(Count(landscape, "\\cell\n"), 12u);
    EXPECT_EQ(Count(landscape, "\\trhdr"), 1u);
    EXPECT_EQ(Count(landscape, "\\cellx15136\n"), 4u) << "the last column ends at the margin";
    EXPECT_EQ(Count(landscape, "\\cellx6854\n"), 4u) << "24 of 53 parts of the width";
    EXPECT_EQ(Count(landscape, "\\paperw16838\\paperh11906"), 1u);
    EXPECT_EQ(Count(landscape, "\\landscape"), 1u);
    EXPECT_EQ(Count(landscape, "\\qr"), 3u) << "figures to the right, not their header";

    const std::string portrait = RtfDocument(Journal(false));
    EXPECT_EQ(Count(portrait, "\\paperw11906\\paperh16838"), 1u);
    EXPECT_EQ(Count(portrait, "\\landscape"), 0u);
    EXPECT_EQ(Count(portrait, "\\cellx10204\n"), 4u);
}

}  // namespace
}  // namespace kalvenor
