#include "journal/CableJournal.h"
#include "journal/JournalColumns.h"
#include "journal/JournalXlsx.h"

#include "base/Files.h"
#include "base/Utf8.h"
#include "examples/ExampleJournal.h"
#include "tests/core/TempDir.h"
#include "tests/core/Unrtf.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdio>
#include <map>
#include <memory>
#include <set>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr NumberFormat kComma{','};

// The example journal with a sized line, a stopped one and a figure that is
// no number.
std::vector<JournalLine> Journal() {
    std::vector<JournalLine> lines = examples::ExampleJournalLines();
    lines[0].outcome = LineResults{.nominalCurrent = 11.483,
                                   .section = 4,
                                   .continuousCurrent = 38,
                                   .breakerCurrent = 12.5,
                                   .voltageDrop = 1.96,
                                   .shortCircuitCurrent = 558,
                                   .transformer = "ТМ-400/10",
                                   .criterion = Criterion::VoltageDrop};
    lines[1].outcome = LineStop{"Козфициент мощности должен быть \n больше 0 и меньше 1."};
    lines[2].inputs[LineInput::Power] = "3,5 кВт";
    return lines;
}

// ---- XLSX ------------------------------------------------------------------

std::string Unzip(const fs::path& archive, const std::string& member) {
    const std::string command = "unzip -p '" + archive.string() + "' '" + member + "' 2>&1";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string bytes;
    char buffer[4096];
    while (pipe && !std::feof(pipe.get())) {
        bytes.append(buffer, std::fread(buffer, 1, sizeof buffer, pipe.get()));
    }
    return bytes;
}

struct Cell {
    bool number = false;
    std::string value;  // a number as the sheet writes it, or the text
    bool operator==(const Cell&) const = default;
};

// The first sheet of a workbook as a spreadsheet program reads it.
struct Sheet {
    pugi::xml_document xml;
    std::map<std::string, Cell> cells;  // by reference: "B2"
};

void ReadSheet(const fs::path& workbook, Sheet& sheet) {
    pugi::xml_document strings;
    ASSERT_TRUE(strings.load_string(Unzip(workbook, "xl/sharedStrings.xml").c_str()));
    std::vector<std::string> shared;
    for (const pugi::xml_node item : strings.child("sst").children("si")) {
        shared.emplace_back(item.child("t").text().get());
    }
    ASSERT_TRUE(sheet.xml.load_string(Unzip(workbook, "xl/worksheets/sheet1.xml").c_str()));
    for (const pugi::xml_node row : sheet.xml.child("worksheet").child("sheetData").children()) {
        for (const pugi::xml_node c : row.children("c")) {
            const std::string value = c.child("v").text().get();
            sheet.cells[c.attribute("r").value()] =
                std::string_view(c.attribute("t").value()) == "s"
                    ? Cell{false, shared.at(std::stoul(value))}
                    : Cell{true, value};
        }
    }
}

TEST(XlsxExport, ASpreadsheetReadsNumbersAsNumbersUnderAFrozenHeader) {
    TempDir dir;
    const std::vector<JournalLine> lines = Journal();
    ExportJournalXlsx(dir / "Журнал.xlsx", lines, kComma);
    Sheet sheet;
    ReadSheet(dir / "Журнал.xlsx", sheet);
    const auto cell = [&sheet](const std::string& reference) { return sheet.cells[reference]; };

    EXPECT_EQ(cell("A1"), (Cell{false, "Обозначение линии"}));
    EXPECT_EQ(cell("B1"), (Cell{false, "Мощность, кВт"}));
    EXPECT_EQ(cell("M1"), (Cell{false, "Сечение, мм²"}));
    EXPECT_EQ(cell("T1"), (Cell{false, "Состояние"}));
    // Inputs: typed with a decimal comma, stored as numbers.
    EXPECT_EQ(cell("A2"), (Cell{false, "Гр.1 Освещение пролёта 1"}));
    EXPECT_EQ(cell("B2"), (Cell{true, "2.4"}));
    EXPECT_EQ(cell("C2"), (Cell{true, "0.95"}));
    EXPECT_EQ(cell("D2"), (Cell{false, "380 + 0"}));
    EXPECT_EQ(cell("G2"), (Cell{false, "ВВГвозд2.xml"}));
    // Results of the sized line.
    EXPECT_EQ(cell("L2"), (Cell{true, "11.483"}));
    EXPECT_EQ(cell("M2"), (Cell{true, "4"}));
    EXPECT_EQ(cell("O2"), (Cell{true, "12.5"}));
    EXPECT_EQ(cell("Q2"), (Cell{true, "558"}));
    EXPECT_EQ(cell("S2"), (Cell{false, "падению напряжения"}));
    EXPECT_EQ(cell("T2"), (Cell{false, "OK"}));
    // The stopped line: no figures, its message on one line.
    EXPECT_FALSE(sheet.cells.contains("M3"));
    EXPECT_EQ(cell("T3"), (Cell{false, "Козфициент мощности должен быть больше 0 и меньше 1."}));
    // A figure that is no number stays the text the user typed.
    EXPECT_EQ(cell("B4"), (Cell{false, "3,5 кВт"}));
    EXPECT_FALSE(sheet.cells.contains("K4")) << "an empty input writes no cell";
    EXPECT_EQ(cell("A" + std::to_string(lines.size() + 1)),
              (Cell{false, lines.back().inputs[LineInput::Designation]}));

    const pugi::xml_node worksheet = sheet.xml.child("worksheet");
    const pugi::xml_node pane = worksheet.child("sheetViews").child("sheetView").child("pane");
    EXPECT_STREQ(pane.attribute("state").value(), "frozen");
    EXPECT_STREQ(pane.attribute("ySplit").value(), "1");
    EXPECT_STREQ(pane.attribute("topLeftCell").value(), "A2");
    EXPECT_EQ(worksheet.child("autoFilter").attribute("ref").value(),
              "A1:T" + std::to_string(lines.size() + 1));
    // Each column at least as wide as its longest cell or header word.
    std::size_t designation = 0;
    for (const JournalLine& line : lines) {
        designation = std::max(designation, Utf8Length(line.inputs[LineInput::Designation]));
    }
    std::map<int, double> widths;
    for (const pugi::xml_node col : worksheet.child("cols").children("col")) {
        for (int c = col.attribute("min").as_int(); c <= col.attribute("max").as_int(); ++c) {
            widths[c] = col.attribute("width").as_double();
        }
    }
    ASSERT_EQ(widths.size(), kJournalColumnCount);
    EXPECT_GE(widths[1], static_cast<double>(designation));
    EXPECT_GE(widths[6], static_cast<double>(Utf8Length("Температура")));
    EXPECT_GE(widths[20], static_cast<double>(Utf8Length(StatusText(lines[1].outcome))));
}

TEST(XlsxExport, AFailedWriteLeavesNothingBehind) {
    TempDir dir;
    const auto scratchFolders = [] {
        std::size_t count = 0;
        for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
            count += entry.path().filename().string().starts_with("kalvenor-xlsx-") ? 1 : 0;
        }
        return count;
    };
    const std::size_t before = scratchFolders();
    fs::create_directory(dir / "j.xlsx");
    EXPECT_THROW(ExportJournalXlsx(dir / "j.xlsx", Journal(), kComma), FileError);
    EXPECT_TRUE(fs::is_directory(dir / "j.xlsx"));
    EXPECT_THROW(ExportJournalXlsx(dir / "нет папки" / "j.xlsx", Journal(), kComma), FileError);
    EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{"j.xlsx"});
    EXPECT_EQ(scratchFolders(), before);
}

// ---- The printed cable journal -------------------------------------------

TEST(CableJournal, ALandscapeTableOfTheLinesUnderTheDesignAndDate) {
    const std::vector<JournalLine> lines = Journal();
    const RtfTableDocument document =
        CableJournalDocument(lines, {"Механический цех. Щит ЩР-1", "12.05.2025"}, kComma);
    EXPECT_EQ(document.title, "Кабельный журнал");
    ASSERT_EQ(document.lines.size(), 3u);
    EXPECT_EQ(document.lines[0], "Механический цех. Щит ЩР-1");
    EXPECT_EQ(document.lines[1], "12.05.2025");
    EXPECT_TRUE(document.landscape);
    ASSERT_EQ(document.rows.size(), lines.size());
    std::vector<std::string> headers;
    for (const RtfColumn& column : document.columns) {
        headers.push_back(column.header);
        // The legend explains every symbol a header uses.
        const std::string symbol = column.header.substr(0, column.header.find(','));
        if (Utf8Length(symbol) <= 5 && symbol != "cos φ") {
            EXPECT_NE(document.lines[2].find(symbol + " — "), std::string::npos) << symbol;
        }
    }
    EXPECT_EQ(headers, (std::vector<std::string>{
                           "Обозначение линии", "P, кВт", "cos φ", "Напряжение сети", "L, м",
                           "t, °C", "Таблица токов", "Kгр", "S, мм²", "Iдл, А", "Iном, А",
                           "Серия автомата", "Iавт, А", "ΔUдоп, %", "ΔU, %", "Iкз, А",
                           "Трансформатор", "Сечение выбрано по", "Состояние"}));
    EXPECT_EQ(
        document.rows[0],
        (std::vector<std::string>{"Гр.1 Освещение пролёта 1", "2,4", "0,95", "380 + 0", "45", "25",
                                  "ВВГвозд2.xml", "1", "4", "38", "11,483", "ВА47-29 C", "12,5",
                                  "3", "1,96", "558", "ТМ-400/10", "падению напряжения", "OK"}));
    EXPECT_EQ(document.rows[1].back(), "Козфициент мощности должен быть больше 0 и меньше 1.");
    EXPECT_EQ(document.rows[1][8], "");
    EXPECT_TRUE(document.columns[1].alignRight);
    EXPECT_FALSE(document.columns[3].alignRight);

    // Without a title or a date, no empty lines above the table.
    EXPECT_EQ(CableJournalDocument(lines, {}, kComma).lines.size(), 1u);
}

TEST(CableJournal, SavedAsADocumentAnotherReaderOpens) {
    TempDir dir;
    const std::vector<JournalLine> lines = Journal();
    SaveCableJournal(dir / "Журнал.rtf", lines, {"Цех", "12.05.2025"}, kComma);
    const std::string text = test::ReadBackWithUnrtf(dir / "Журнал.rtf", dir);
    EXPECT_TRUE(text.starts_with("Кабельный журнал\nЦех\n12.05.2025\nP — мощность нагрузки;"))
        << text;
    EXPECT_EQ(test::ReadBytes(dir / "Журнал.rtf"),
              RtfDocument(CableJournalDocument(lines, {"Цех", "12.05.2025"}, kComma)));
}

}  // namespace
}  // namespace kalvenor
