#include "journal/JournalCsv.h"

#include "base/Files.h"
#include "examples/ExampleJournal.h"
#include "tests/core/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fcntl.h>

namespace kalvenor {
namespace {

using test::TempDir;
using namespace std::string_literals;

constexpr NumberFormat kComma{','};
constexpr NumberFormat kPoint{'.'};

// The inputs of a line as a list, for a readable comparison.
std::vector<std::string> Inputs(const JournalLine& line) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < kLineInputCount; ++i) {
        texts.push_back(line.inputs[static_cast<LineInput>(i)]);
    }
    return texts;
}

// A list of lines as a Russian spreadsheet saves it: byte-order mark,
// semicolons, decimal commas, CR LF, quotes where a cell needs them, the
// columns in its own order with its own spelling, a column of its own, and
// empty rows at the end.
const std::string kRussianSpreadsheet =
    "\xEF\xBB\xBF"
    "№;Длина трассы (м);Обозначение;МОЩНОСТЬ, КВТ;Напряжение;Таблица;Серия автомата;"
    "Трансформатор;Cos f;Температура;Допустимое падение напряжения, %;Коэффициент группировки\r\n"
    "1;45;\"Гр.1 Освещение; пролёт 1\";2,4;380 + 0;ВВГвозд2.xml;ВА47-29 C;ТМ-400/10;0,95;25;3;1\r\n"
    "2;1 200;\"Гр.2 \"\"Склад\"\"\r\nвторой корпус\";7,5;3х380+0;АВБбШзем4.xml;ВА47-63 C;"
    "без трансформатора;0,9;15;;0,9\r\n"
    "3;-;Гр.3;abc;220;ВВГвозд4.xml;;ТМ-400/10;;;4%;\r\n"
    ";;;;;;;;;;;\r\n"
    "\r\n"
    "\r\n";

TEST(CsvImport, ReadsWhatARussianSpreadsheetWrites) {
    const CsvImport imported = ParseJournalCsv(kRussianSpreadsheet, kComma);
    ASSERT_EQ(imported.lines.size(), 3u);
    EXPECT_EQ(Inputs(imported.lines[0]),
              (std::vector<std::string>{"Гр.1 Освещение; пролёт 1", "2,4", "0,95", "380 + 0", "45",
                                        "25", "ВВГвозд2.xml", "1", "ВА47-29 C", "ТМ-400/10", "3"}));
    // Digit groups dropped, the option spelt as the program spells it, the
    // quoted line break and quotes kept.
    EXPECT_EQ(Inputs(imported.lines[1]),
              (std::vector<std::string>{"Гр.2 \"Склад\"\r\nвторой корпус", "7,5", "0,9",
                                        "3 x 380+0", "1200", "15", "АВБбШзем4.xml", "0,9",
                                        "ВА47-63 C", "без трансформатора", ""}));
    // Refused cells and empty ones take what a new line has.
    EXPECT_EQ(Inputs(imported.lines[2]),
              (std::vector<std::string>{"Гр.3", "", "1", "", "", "", "ВВГвозд4.xml", "1", "",
                                        "ТМ-400/10", "4"}));
    for (const JournalLine& line : imported.lines) {
        EXPECT_TRUE(std::holds_alternative<std::monostate>(line.outcome));
    }
    EXPECT_EQ(imported.ignoredColumns, std::vector<std::string>{"№"});
    ASSERT_EQ(imported.refused.size(), 3u);
    // Row 4 of the spreadsheet: the quoted line break of row 3 is no row.
    EXPECT_EQ(RefusedCellMessage(imported.refused[0]),
              "Строка 4, столбец B («Длина трассы (м)»): «-» не является числом.");
    EXPECT_EQ(RefusedCellMessage(imported.refused[1]),
              "Строка 4, столбец D («МОЩНОСТЬ, КВТ»): «abc» не является числом.");
    EXPECT_EQ(RefusedCellMessage(imported.refused[2]),
              "Строка 4, столбец E («Напряжение»): «220» не является напряжением сети "
              "(«380 + 0», «2 x 380+0», «3 x 380+0»).");
}

TEST(CsvImport, ReadsCommasWithDecimalPointsIntoTheUsersForm) {
    const std::string file =
        "\"Мощность, кВт\",Обозначение линии,\"Длина, м\",cos φ,Примечание\n"
        "12.5,\"Гр.1, ввод\",1.5E2,0.85,\"много, слов\"\n"
        "3,Гр.2,40,1\n"
        "2,5,Гр.3,50\n";
    const CsvImport comma = ParseJournalCsv(file, kComma);
    ASSERT_EQ(comma.lines.size(), 3u);
    EXPECT_EQ(comma.lines[0].inputs[LineInput::Designation], "Гр.1, ввод");
    EXPECT_EQ(comma.lines[0].inputs[LineInput::Power], "12,5");
    EXPECT_EQ(comma.lines[0].inputs[LineInput::Length], "1,5E2");
    EXPECT_EQ(comma.lines[0].inputs[LineInput::CosPhi], "0,85");
    EXPECT_EQ(comma.lines[1].inputs[LineInput::CosPhi], "1");
    EXPECT_EQ(comma.ignoredColumns, std::vector<std::string>{"Примечание"});
    // "2,5" unquoted is two cells; the designation column then holds "5".
    EXPECT_EQ(comma.lines[2].inputs[LineInput::Power], "2");
    ASSERT_EQ(comma.refused.size(), 1u);
    EXPECT_EQ(comma.refused[0].row, 4u);
    EXPECT_EQ(comma.refused[0].column, 3u);
    EXPECT_EQ(comma.refused[0].text, "Гр.3");

    EXPECT_EQ(ParseJournalCsv(file, kPoint).lines[0].inputs[LineInput::Power], "12.5");
}

TEST(CsvImport, NumbersAreJudgedAsTheFilesSpreadsheetWritesThem) {
    const auto power = [](const std::string& file) {
        const CsvImport imported = ParseJournalCsv(file, kComma);
        return imported.refused.empty() ? imported.lines.at(0).inputs[LineInput::Power]
                                        : "refused: " + imported.refused[0].reason;
    };
    EXPECT_EQ(power("Мощность;x\n1 234,5;x\n"), "1234,5");
    EXPECT_EQ(power("Мощность;x\n1\xC2\xA0"
                    "234\xC2\xA0"
                    "567;x\n"),
              "1234567");
    EXPECT_EQ(power("Мощность;x\n-12\xE2\x80\xAF"
                    "000;x\n"),
              "-12000");
    EXPECT_EQ(power("Мощность;x\n\" 7,5 \";x\n"), "7,5");
    // Not digit groups: refused, never read as another figure.
    for (const char* cell : {"1 23", "1234 567", "1 2345", "12 кВт", "1,2,3", "1.234,5"}) {
        EXPECT_EQ(power(std::string("Мощность;x\n") + cell + ";x\n"), "refused: не является числом")
            << cell;
    }
    EXPECT_EQ(power("Мощность;x\n2.5;x\n"),
              "refused: не является числом: в файле с точкой с запятой между ячейками дробная "
              "часть отделяется запятой");
    EXPECT_EQ(power("Мощность,x\n\"2,5\",x\n"),
              "refused: не является числом: в файле с запятой между ячейками дробная часть "
              "отделяется точкой");
    // Only the permitted drop may carry its percent sign.
    EXPECT_EQ(power("Мощность;x\n5%;x\n"), "refused: не является числом");
    EXPECT_EQ(ParseJournalCsv("Допустимое падение;x\n2,5 %;x\n", kComma)
                  .lines.at(0)
                  .inputs[LineInput::PermittedDrop],
              "2,5");
}

TEST(CsvImport, VoltageOptionsHoweverTyped) {
    const auto voltage = [](const std::string& cell) {
        const CsvImport imported =
            ParseJournalCsv("Напряжение сети;Обозначение\n" + cell + ";x\n", kComma);
        return imported.refused.empty() ? imported.lines.at(0).inputs[LineInput::Voltage]
                                        : "refused";
    };
    EXPECT_EQ(voltage("380+0"), "380 + 0");
    EXPECT_EQ(voltage(" 380 + 0 "), "380 + 0");
    EXPECT_EQ(voltage("2X380 + 0"), "2 x 380+0");
    EXPECT_EQ(voltage("2 × 380+0"), "2 x 380+0");
    EXPECT_EQ(voltage("3Х380+0"), "3 x 380+0");
    EXPECT_EQ(voltage("3*380+0"), "3 x 380+0");
    for (const char* refused : {"380", "3x380", "4 x 380+0", "2 x 220+0", "x380+0"}) {
        EXPECT_EQ(voltage(refused), "refused") << refused;
    }
}

TEST(CsvImport, HeadersAndRowsAUserMayHaveLeftOver) {
    // A column given twice: the first is taken, the second reported.
    const CsvImport twice =
        ParseJournalCsv("Мощность;Обозначение;мощность нагрузки\n5;Гр.1;6\n", kComma);
    EXPECT_EQ(twice.lines.at(0).inputs[LineInput::Power], "5");
    ASSERT_EQ(twice.refused.size(), 1u);
    EXPECT_EQ(RefusedCellMessage(twice.refused[0]),
              "Строка 1, столбец C («мощность нагрузки»): «мощность нагрузки» повторяет "
              "столбец A, не использован.");

    // Columns beyond the headers, rows shorter than the headers, blank
    // lines in the middle counted as the spreadsheet counts them.
    const CsvImport ragged =
        ParseJournalCsv("Обозначение;Длина\nГр.1;10;лишнее\n\nГр.2\n;;\nГр.3;x\n", kComma);
    ASSERT_EQ(ragged.lines.size(), 3u);
    EXPECT_EQ(ragged.lines[0].inputs[LineInput::Length], "10");
    EXPECT_EQ(ragged.lines[1].inputs[LineInput::Designation], "Гр.2");
    EXPECT_EQ(ragged.lines[1].inputs[LineInput::Length], "");
    ASSERT_EQ(ragged.refused.size(), 1u);
    EXPECT_EQ(ragged.refused[0].row, 6u);

    // Old Mac line ends, no line end at the end of the file.
    const CsvImport mac = ParseJournalCsv("Обозначение;Длина\rГр.1;1\r\rГр.2;x", kComma);
    ASSERT_EQ(mac.lines.size(), 2u);
    EXPECT_EQ(mac.refused.at(0).row, 4u);

    // A header row alone is an empty list, not an error.
    EXPECT_TRUE(ParseJournalCsv("Обозначение линии;Мощность, кВт\r\n", kComma).lines.empty());
}

TEST(CsvImport, WindowsCodePageOfOlderSpreadsheets) {
    // "Обозначение;Мощность\nЩит ё;1,5\n" in Windows-1251.
    const std::string file =
        "\xCE\xE1\xEE\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5;\xCC\xEE\xF9\xED\xEE\xF1\xF2\xFC\n"
        "\xD9\xE8\xF2 \xB8;1,5\n";
    const CsvImport imported = ParseJournalCsv(file, kComma);
    ASSERT_EQ(imported.lines.size(), 1u);
    EXPECT_EQ(imported.lines[0].inputs[LineInput::Designation], "Щит ё");
    EXPECT_EQ(imported.lines[0].inputs[LineInput::Power], "1,5");
}

// Parsing throws UserError whose message holds the words.
void ExpectRefusedFile(const std::string& bytes, const std::string& words) {
    try {
        ParseJournalCsv(bytes, kComma);
        ADD_FAILURE() << "parsed without an error: " << bytes;
    } catch (const UserError& error) {
        EXPECT_NE(std::string(error.what()).find(words), std::string::npos) << error.what();
    }
}

TEST(CsvImport, FilesThatAreNoListOfLinesAreRefusedWhole) {
    ExpectRefusedFile("", "нет строки заголовков");
    ExpectRefusedFile("\xEF\xBB\xBF\r\n\r\n", "нет строки заголовков");
    ExpectRefusedFile("Имя;Фамилия\nИван;Петров\n", "нет ни одного заголовка столбца журнала");
    ExpectRefusedFile("PK\x03\x04\x14\x00\x06\x00"s, "не является текстовым файлом CSV");
    ExpectRefusedFile("\xFF\xFEO\x00;\x00"s, "UTF-16");
    ExpectRefusedFile("Обозначение;Длина\nГр.1;10\n\"Гр.2;20\nГр.3;30\n",
                      "Кавычки в строке 3 не закрыты");
    ExpectRefusedFile("Обозначение;Длина\nГр.\"1\";10\n", "Кавычки в строке 2");
}

TEST(CsvImport, TheFilesProblemsNameTheFile) {
    TempDir dir;
    test::WriteBytes(dir / "names.csv", "Имя;Фамилия\n");
    try {
        ImportJournalCsv(dir / "names.csv", kComma);
        ADD_FAILURE() << "imported";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Строки из файла «" + (dir / "names.csv").string() +
                      "» не добавлены. В первой строке файла нет ни одного заголовка столбца "
                      "журнала линий (например, «Обозначение линии», «Мощность, кВт», «Длина, "
                      "м»).");
    }
    const int fd = ::creat((dir / "huge.csv").c_str(), 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kLargestCsvFile + 1)), 0);
    ::close(fd);
    try {
        ImportJournalCsv(dir / "huge.csv", kComma);
        ADD_FAILURE() << "imported";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("слишком велик"), std::string::npos);
    }
    EXPECT_THROW(ImportJournalCsv(dir / "missing.csv", kComma), FileError);
}

// ---- Export ----------------------------------------------------------------

TEST(CsvExport, ARussianSpreadsheetGetsNumbersWithACommaUnderTheHeaders) {
    JournalLine line;
    line.inputs[LineInput::Designation] = "Гр.1; \"ввод\"";
    line.inputs[LineInput::Power] = "2.5";
    line.inputs[LineInput::CosPhi] = "=1+1";
    line.inputs[LineInput::Length] = "1E2";
    line.inputs[LineInput::Voltage] = "380 + 0";
    line.outcome = LineResults{.nominalCurrent = 11.483,
                               .section = 2.5,
                               .continuousCurrent = 27,
                               .breakerCurrent = 12.5,
                               .voltageDrop = 1.96,
                               .shortCircuitCurrent = 558,
                               .transformer = "ТМ-400/10",
                               .criterion = Criterion::VoltageDrop};
    const std::string text = JournalCsvText({line}, kPoint);
    EXPECT_EQ(text,
              "\xEF\xBB\xBF"
              "Обозначение линии;Мощность, кВт;cos φ;Напряжение сети;Длина, м;"
              "Температура среды, °C;Таблица токов;Коэф. кол. кабелей;Серия автомата;"
              "Трансформатор;Допустимое падение, %;Номинальный ток, А;Сечение, мм²;"
              "Длительный ток, А;Ток автомата, А;Падение напряжения, %;Ток КЗ, А;"
              "Трансформатор в расчёте;Сечение выбрано по;Состояние\r\n"
              "\"Гр.1; \"\"ввод\"\"\";2,5;'=1+1;380 + 0;1E2;;;1;;;;11,483;2,5;27;12,5;1,96;558;"
              "ТМ-400/10;падению напряжения;OK\r\n");
}

TEST(CsvExport, ImportGivesBackTheInputsOfEveryLine) {
    std::vector<JournalLine> lines = examples::ExampleJournalLines();
    JournalLine awkward;
    awkward.inputs[LineInput::Designation] = "=HYPERLINK(\"x\")\nвторая строка";
    awkward.inputs[LineInput::Table] = "  с пробелами  ";
    awkward.inputs[LineInput::Series] = "'+7";
    awkward.inputs[LineInput::Transformer] = "@ТМ";
    awkward.outcome = LineStop{"Введите мощность"};
    lines.push_back(awkward);
    for (const NumberFormat format : {kComma, kPoint}) {
        std::vector<JournalLine> typed = lines;
        if (format.decimalSeparator == '.') {
            for (JournalLine& line : typed) {
                for (const LineInput input : {LineInput::Power, LineInput::CosPhi,
                                              LineInput::Length, LineInput::Grouping}) {
                    std::replace(line.inputs[input].begin(), line.inputs[input].end(), ',', '.');
                }
            }
        }
        const std::string text = JournalCsvText(typed, format);
        // A text a spreadsheet would run as a formula goes out guarded.
        EXPECT_NE(text.find("\"'=HYPERLINK(\"\"x\"\")\nвторая строка\""), std::string::npos);
        const CsvImport imported = ParseJournalCsv(text, format);
        EXPECT_TRUE(imported.refused.empty());
        EXPECT_TRUE(imported.ignoredColumns.empty());
        ASSERT_EQ(imported.lines.size(), typed.size());
        for (std::size_t i = 0; i < typed.size(); ++i) {
            EXPECT_EQ(Inputs(imported.lines[i]), Inputs(typed[i])) << i;
        }
    }
    TempDir dir;
    ExportJournalCsv(dir / "j.csv", lines, kComma);
    EXPECT_EQ(test::ReadBytes(dir / "j.csv"), JournalCsvText(lines, kComma));
}

}  // namespace
}  // namespace kalvenor
