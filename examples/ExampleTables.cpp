#include "examples/ExampleTables.h"

#include "tables/Dataset.h"
#include "tables/TableFiles.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace kalvenor::examples {

namespace {

namespace fs = std::filesystem;

// A blank in the national table: that wire or cable is not listed for that laying.
constexpr int kNone = 0;

// Permissible continuous currents, A, of wires with rubber or PVC insulation
// (ПУЭ, 7th edition, table 1.3.4 for copper, table 1.3.5 for aluminium): laid
// open, and two, three or four single-core wires in one pipe. The tables also
// list 0,5 to 1,2 mm² and the old sizes 2, 3, 5 and 8 mm²; those are left out,
// since nobody makes them for fixed wiring any more and the calculation would
// happily pick them.
struct WireRow {
    double section;  // mm²
    int open;
    int pipe2;
    int pipe3;
    int pipe4;
};

// clang-format off
constexpr WireRow kCopperWires[] = {  // ПУЭ table 1.3.4
    // mm²   open  2 in pipe  3 in pipe  4 in pipe
    {  1.5,   23,   19,        17,        16    },
    {  2.5,   30,   27,        25,        25    },
    {  4,     41,   38,        35,        30    },
    {  6,     50,   46,        42,        40    },
    { 10,     80,   70,        60,        50    },
    { 16,    100,   85,        80,        75    },
    { 25,    140,  115,       100,        90    },
    { 35,    170,  135,       125,       115    },
    { 50,    215,  185,       170,       150    },
    { 70,    270,  225,       210,       185    },
    { 95,    330,  275,       255,       225    },
    {120,    385,  315,       290,       260    },
    {150,    440,  360,       330,       kNone  },
    {185,    510,  kNone,     kNone,     kNone  },
    {240,    605,  kNone,     kNone,     kNone  },
};

constexpr WireRow kAluminiumWires[] = {  // ПУЭ table 1.3.5
    // mm²   open  2 in pipe  3 in pipe  4 in pipe
    {  2.5,   24,   20,        19,        19    },
    {  4,     32,   28,        28,        23    },
    {  6,     39,   36,        32,        30    },
    { 10,     60,   50,        47,        39    },
    { 16,     75,   60,        60,        55    },
    { 25,    105,   85,        80,        70    },
    { 35,    130,  100,        95,        85    },
    { 50,    165,  140,       130,       120    },
    { 70,    210,  175,       165,       140    },
    { 95,    255,  215,       200,       175    },
    {120,    295,  245,       220,       200    },
    {150,    340,  275,       255,       kNone  },
    {185,    390,  kNone,     kNone,     kNone  },
    {240,    465,  kNone,     kNone,     kNone  },
};
// clang-format on

// Permissible continuous currents, A, of cables with rubber or plastic
// insulation in a lead, PVC or rubber sheath, armoured or not (ПУЭ, 7th
// edition, table 1.3.6 for copper, table 1.3.7 for aluminium): two-core and
// three-core, in air and in the ground. The single-core column (which alone
// goes on to 240 mm²) has no use here: the program sizes multi-core cables.
struct CableRow {
    double section;  // mm²
    int air2;
    int ground2;
    int air3;
    int ground3;
};

// clang-format off
constexpr CableRow kCopperCables[] = {  // ПУЭ table 1.3.6
    // mm²   2-core: air  ground   3-core: air  ground
    {  1.5,          19,   33,             19,   27  },
    {  2.5,          27,   44,             25,   38  },
    {  4,            38,   55,             35,   49  },
    {  6,            50,   70,             42,   60  },
    { 10,            70,  105,             55,   90  },
    { 16,            90,  135,             75,  115  },
    { 25,           115,  175,             95,  150  },
    { 35,           140,  210,            120,  180  },
    { 50,           175,  265,            145,  225  },
    { 70,           215,  320,            180,  275  },
    { 95,           260,  385,            220,  330  },
    {120,           300,  445,            260,  385  },
    {150,           350,  505,            305,  435  },
    {185,           405,  570,            350,  500  },
};

constexpr CableRow kAluminiumCables[] = {  // ПУЭ table 1.3.7
    // mm²   2-core: air  ground   3-core: air  ground
    {  2.5,          21,   34,             19,   29  },
    {  4,            29,   42,             27,   38  },
    {  6,            38,   55,             32,   46  },
    { 10,            55,   80,             42,   70  },
    { 16,            70,  105,             60,   90  },
    { 25,            90,  135,             75,  115  },
    { 35,           105,  160,             90,  140  },
    { 50,           135,  205,            110,  175  },
    { 70,           165,  245,            140,  210  },
    { 95,           200,  295,            170,  255  },
    {120,           230,  340,            200,  295  },
    {150,           270,  390,            235,  335  },
    {185,           310,  440,            270,  385  },
};
// clang-format on

// The national tables have no four-core column. Their note on four-core
// cables with plastic insulation up to 1 kV takes the three-core figure times
// 0,92; we round down to whole amperes so that no four-core figure exceeds
// what the rule allows.
int FourCoreFromThreeCore(int threeCore) {
    return threeCore * 92 / 100;
}

// A modular or moulded-case breaker series as it goes into the breaker
// database: one row per number of poles. The release multiple is the upper end
// of the instantaneous tripping range, the current at which the release is
// sure to trip: 5, 10 and 20 times the rated current for the B, C and D
// characteristics of modular breakers (ГОСТ Р 50345, IEC 60898-1), the
// fixed electromagnetic setting of the moulded-case series as their
// catalogues give it.
struct BreakerSeries {
    const char* series;  // at most 20 characters
    double minimum;      // lowest rated current, A
    double maximum;      // highest rated current, A
    std::vector<int> poles;
    double multiple;
};

// clang-format off
const std::vector<BreakerSeries>& Breakers() {
    static const std::vector<BreakerSeries> breakers = {
        // series           min, A   max, A   poles       release multiple
        {"ВА47-29 B",         6,      63,     {1, 2, 3},   5},
        {"ВА47-29 C",         0.5,    63,     {1, 2, 3},  10},
        {"ВА47-29 D",         1,      63,     {1, 2, 3},  20},
        {"ВА47-63 C",         1,      63,     {1, 2, 3},  10},
        {"ВА47-63 D",         1,      63,     {1, 2, 3},  20},
        {"ВА47-100 C",       10,     100,     {1, 2, 3},  10},
        {"ВА47-100 D",       10,     100,     {1, 2, 3},  20},
        {"АП50Б-2МТ",         1.6,    63,     {2},        10},
        {"АП50Б-3МТ",         1.6,    63,     {3},        10},
        {"АЕ2046",            0.6,    63,     {3},        12},
        {"ВА88-32",          16,     125,     {3},        10},
        {"ВА88-33",          16,     160,     {3},        10},
        {"ВА88-35",          16,     250,     {3},        10},
        {"ВА88-37",         125,     400,     {3},        10},
        {"ВА88-40",         400,     800,     {3},        10},
        {"ВА57-35",          16,     250,     {3},        12},
    };
    return breakers;
}
// clang-format on

// Three-phase oil transformers 10/0,4 kV with off-load tap changing, one per
// standard power: typical catalogue figures of the ТМ series (ГОСТ 12022 up
// to 630 kVA, ГОСТ 11920 from 1000 kVA, as the design handbooks tabulate
// them). A hermetic ТМГ of today has somewhat lower no-load losses; the
// calculation reads only the power and the short-circuit voltage.
struct TransformerRow {
    const char* name;           // at most 20 characters
    double power;               // kVA
    double noLoadLosses;        // W
    double shortCircuitLosses;  // W
    double uk;                  // short-circuit voltage, %
    double noLoadCurrent;       // %
};

constexpr double kHigherVoltage = 10;  // kV; the same machines are made for 6 kV
constexpr double kLowerVoltage = 0.4;  // kV

// clang-format off
constexpr TransformerRow kTransformers[] = {
    // name           kVA    P no-load, W  P short-circuit, W  uk, %  I no-load, %
    {"ТМ-25/10",        25,     130,           600,            4.5,   3.2},
    {"ТМ-40/10",        40,     175,           880,            4.5,   3.0},
    {"ТМ-63/10",        63,     240,          1280,            4.5,   2.8},
    {"ТМ-100/10",      100,     330,          1970,            4.5,   2.6},
    {"ТМ-160/10",      160,     510,          2650,            4.5,   2.4},
    {"ТМ-250/10",      250,     740,          3700,            4.5,   2.3},
    {"ТМ-400/10",      400,     950,          5500,            4.5,   2.1},
    {"ТМ-630/10",      630,    1310,          7600,            5.5,   2.0},
    {"ТМ-1000/10",    1000,    2450,         12200,            5.5,   1.4},
    {"ТМ-1600/10",    1600,    3300,         18000,            5.5,   1.3},
    {"ТМ-2500/10",    2500,    4600,         25000,            5.5,   1.0},
};
// clang-format on

// Adds the row as a grid window would post it, so the examples never hold a
// row that the program's own windows would refuse.
void Post(Dataset& dataset, Row row, const PostRules& rules) {
    if (std::optional<std::string> problem = dataset.PostError(row, std::nullopt, rules)) {
        throw std::logic_error(*problem);
    }
    dataset.InsertRow(std::move(row));
}

struct CurrentTable {
    std::string name;  // at most 9 characters, the editor's limit
    std::string brand;
    std::string laying;
    std::string cores;
    std::string wiring;
    std::string material;
    std::vector<std::pair<double, int>> rows;  // mm², A
};

template <typename Source>
std::vector<std::pair<double, int>> Column(std::span<const Source> source, int Source::*column) {
    std::vector<std::pair<double, int>> rows;
    for (const Source& row : source) {
        if (row.*column != kNone) {
            rows.emplace_back(row.section, row.*column);
        }
    }
    return rows;
}

std::vector<std::pair<double, int>> FourCore(std::vector<std::pair<double, int>> threeCore) {
    for (auto& [section, current] : threeCore) {
        current = FourCoreFromThreeCore(current);
    }
    return threeCore;
}

// Wires laid open carry the same current whatever the number of wires, so the
// open-laying table is written once per voltage option (2, 3 and 4 cores).
void AddWireTables(std::vector<CurrentTable>& tables, std::span<const WireRow> source,
                   const std::string& brand, const std::string& material) {
    const std::string wire = "Провод";
    for (const char* cores : {"2", "3", "4"}) {
        tables.push_back({brand + "возд" + cores, brand, "В воздухе", cores, wire, material,
                          Column(source, &WireRow::open)});
    }
    tables.push_back({brand + "труб2", brand, "Два провода в трубе", "2", wire, material,
                      Column(source, &WireRow::pipe2)});
    tables.push_back({brand + "труб3", brand, "Три провода в трубе", "3", wire, material,
                      Column(source, &WireRow::pipe3)});
    tables.push_back({brand + "труб4", brand, "Четыре провода в трубе", "4", wire, material,
                      Column(source, &WireRow::pipe4)});
}

// Unarmoured cable in air, armoured cable in the ground; the table names
// shorten the armoured brand to stay within nine characters.
void AddCableTables(std::vector<CurrentTable>& tables, std::span<const CableRow> source,
                    const std::string& airBrand, const std::string& groundBrand,
                    const std::string& groundName, const std::string& material) {
    const std::string cable = "Кабель";
    const std::string air = "В воздухе";
    const std::string ground = "В земле";
    tables.push_back(
        {airBrand + "возд2", airBrand, air, "2", cable, material, Column(source, &CableRow::air2)});
    tables.push_back(
        {airBrand + "возд3", airBrand, air, "3", cable, material, Column(source, &CableRow::air3)});
    tables.push_back({airBrand + "возд4", airBrand, air, "4", cable, material,
                      FourCore(Column(source, &CableRow::air3))});
    tables.push_back({groundName + "зем2", groundBrand, ground, "2", cable, material,
                      Column(source, &CableRow::ground2)});
    tables.push_back({groundName + "зем3", groundBrand, ground, "3", cable, material,
                      Column(source, &CableRow::ground3)});
    tables.push_back({groundName + "зем4", groundBrand, ground, "4", cable, material,
                      FourCore(Column(source, &CableRow::ground3))});
}

std::vector<CurrentTable> CurrentTables() {
    std::vector<CurrentTable> tables;
    AddWireTables(tables, kCopperWires, "ПВ1", "Медь");
    AddWireTables(tables, kAluminiumWires, "АПВ", "Алюминий");
    AddCableTables(tables, kCopperCables, "ВВГ", "ВБбШв", "ВБбШ", "Медь");
    AddCableTables(tables, kAluminiumCables, "АВВГ", "АВБбШв", "АВБбШ", "Алюминий");
    return tables;
}

std::string WriteCurrentTable(const fs::path& folder, const CurrentTable& table) {
    if (std::optional<std::string> problem = TableNameProblem(table.name)) {
        throw std::logic_error(table.name + ": " + *problem);
    }
    Dataset dataset;
    dataset.Create(
        CurrentTableFieldDefs(table.brand, table.laying, table.cores, table.wiring, table.material),
        CurrentTableIndexDefs());
    dataset.SetOrder(kSectionField);
    for (const auto& [section, current] : table.rows) {
        Post(dataset,
             {section, static_cast<double>(current), std::monostate{}, std::monostate{},
              std::monostate{}, std::monostate{}, std::monostate{}},
             PostRules{});
    }
    std::string fileName = table.name + ".xml";
    dataset.Write(folder / fileName);
    return fileName;
}

std::string WriteBreakers(const fs::path& folder) {
    Dataset dataset;
    dataset.Create(BreakerFieldDefs());
    for (const BreakerSeries& series : Breakers()) {
        for (int poles : series.poles) {
            Post(dataset,
                 {std::string(series.series), series.minimum, series.maximum,
                  static_cast<std::int64_t>(poles), series.multiple},
                 PostRules{.everyFieldRequired = true});
        }
    }
    dataset.Write(folder / kBreakerFileName);
    return std::string(kBreakerFileName);
}

std::string WriteTransformers(const fs::path& folder) {
    Dataset dataset;
    dataset.Create(TransformerFieldDefs(), TransformerIndexDefs());
    dataset.SetOrder(kPowerField);
    for (const TransformerRow& transformer : kTransformers) {
        Post(dataset,
             {std::string(transformer.name), transformer.power, kHigherVoltage, kLowerVoltage,
              transformer.noLoadLosses, transformer.shortCircuitLosses, transformer.uk,
              transformer.noLoadCurrent},
             PostRules{.everyFieldRequired = true});
    }
    dataset.Write(folder / kTransformerFileName);
    return std::string(kTransformerFileName);
}

}  // namespace

std::vector<std::string> WriteExampleTables(const fs::path& folder) {
    std::vector<std::string> written;
    for (const CurrentTable& table : CurrentTables()) {
        written.push_back(WriteCurrentTable(folder, table));
    }
    written.push_back(WriteBreakers(folder));
    written.push_back(WriteTransformers(folder));
    return written;
}

}  // namespace kalvenor::examples
