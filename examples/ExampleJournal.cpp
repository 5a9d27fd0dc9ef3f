#include "examples/ExampleJournal.h"

#include "journal/JournalFile.h"

#include <array>

namespace kalvenor::examples {

namespace {

constexpr std::string_view kTransformer = "ТМ-400/10";

struct ExampleLine {
    std::string_view designation;
    std::string_view power;  // kW
    std::string_view cosPhi;
    std::string_view voltage;
    std::string_view length;       // m
    std::string_view temperature;  // °C
    std::string_view table;
    std::string_view grouping;
    std::string_view series;
    std::string_view transformer;
    std::string_view permittedDrop;  // %
};

// A machine shop fed from its own 400 kVA substation: lighting and sockets
// on single-phase lines, machine tools, a compressor and a crane on
// three-phase lines in cable trays or in pipes, a welding post on two phases,
// the yard's lighting and a store in cable laid in the ground (the store's
// cable shares its trench with another, hence 0,9), and a well pump fed from
// the main switchboard, without the transformer. Motors get the D
// characteristic against their starting currents; lighting is held to 3 %
// and the yard's long run to 5 %.
// clang-format off
constexpr std::array<ExampleLine, 16> kLines{{
    {"Гр.1 Освещение пролёта 1",      "2,4", "0,95", "380 + 0",   "45",  "25", "ВВГвозд2.xml",  "1",   "ВА47-29 C",  kTransformer, "3"},
    {"Гр.2 Освещение пролёта 2",      "2,4", "0,95", "380 + 0",   "68",  "25", "ВВГвозд2.xml",  "1",   "ВА47-29 C",  kTransformer, "3"},
    {"Гр.3 Розетки бытовки",          "3,5", "0,9",  "380 + 0",   "30",  "25", "ВВГвозд2.xml",  "1",   "ВА47-29 B",  kTransformer, ""},
    {"Гр.4 Токарный станок 16К20",    "11",  "0,85", "3 x 380+0", "25",  "25", "ВВГвозд4.xml",  "1",   "ВА47-63 D",  kTransformer, ""},
    {"Гр.5 Фрезерный станок 6Р12",    "7,5", "0,84", "3 x 380+0", "32",  "25", "ПВ1труб4.xml",  "1",   "ВА47-29 D",  kTransformer, ""},
    {"Гр.6 Сверлильный станок 2Н135", "4",   "0,82", "3 x 380+0", "18",  "25", "ПВ1труб4.xml",  "1",   "ВА47-29 D",  kTransformer, ""},
    {"Гр.7 Компрессор",               "15",  "0,86", "3 x 380+0", "40",  "30", "ВВГвозд4.xml",  "1",   "ВА47-63 D",  kTransformer, ""},
    {"Гр.8 Приточная вентиляция П1",  "5,5", "0,83", "3 x 380+0", "55",  "25", "АВВГвозд4.xml", "1",   "ВА47-29 C",  kTransformer, ""},
    {"Гр.9 Кран-балка",               "9",   "0,8",  "3 x 380+0", "60",  "25", "ВВГвозд4.xml",  "1",   "ВА47-63 D",  kTransformer, ""},
    {"Гр.10 Сварочный пост",          "12",  "0,7",  "2 x 380+0", "35",  "25", "ВВГвозд3.xml",  "1",   "ВА47-63 C",  kTransformer, ""},
    {"Гр.11 Наружное освещение",      "1,8", "0,9",  "380 + 0",   "120", "15", "ВБбШзем2.xml",  "1",   "ВА47-29 C",  kTransformer, "5"},
    {"Гр.12 Склад готовой продукции", "8",   "0,9",  "3 x 380+0", "150", "15", "АВБбШзем4.xml", "0,9", "ВА47-63 C",  kTransformer, ""},
    {"Гр.13 Тепловая завеса ворот",   "6",   "1",    "3 x 380+0", "20",  "25", "ВВГвозд4.xml",  "1",   "ВА47-29 C",  kTransformer, ""},
    {"Гр.14 Электропечь сушильная",   "24",  "1",    "3 x 380+0", "28",  "25", "ВВГвозд4.xml",  "1",   "ВА47-100 C", kTransformer, ""},
    {"Гр.15 Водонагреватель бытовки", "2",   "1",    "380 + 0",   "25",  "25", "ВВГвозд2.xml",  "1",   "ВА47-29 C",  kTransformer, ""},
    {"Гр.16 Насос скважины (от ВРУ)", "5,5", "0,85", "3 x 380+0", "90",  "15", "ВБбШзем4.xml",  "1",   "ВА47-29 C",  kWithoutTransformer, ""},
}};
// clang-format on

}  // namespace

std::vector<JournalLine> ExampleJournalLines() {
    std::vector<JournalLine> lines;
    for (const ExampleLine& example : kLines) {
        JournalLine& line = lines.emplace_back();
        line.inputs[LineInput::Designation] = example.designation;
        line.inputs[LineInput::Power] = example.power;
        line.inputs[LineInput::CosPhi] = example.cosPhi;
        line.inputs[LineInput::Voltage] = example.voltage;
        line.inputs[LineInput::Length] = example.length;
        line.inputs[LineInput::Temperature] = example.temperature;
        line.inputs[LineInput::Table] = example.table;
        line.inputs[LineInput::Grouping] = example.grouping;
        line.inputs[LineInput::Series] = example.series;
        line.inputs[LineInput::Transformer] = example.transformer;
        line.inputs[LineInput::PermittedDrop] = example.permittedDrop;
    }
    return lines;
}

std::string WriteExampleJournal(const std::filesystem::path& folder) {
    WriteJournalFile(folder / kExampleJournalFile, ExampleJournalLines(), NumberFormat{','});
    return std::string(kExampleJournalFile);
}

}  // namespace kalvenor::examples
