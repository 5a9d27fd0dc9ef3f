#include "base/Numbers.h"
#include "calc/Breakers.h"
#include "calc/Driver.h"
#include "calc/ShortCircuit.h"
#include "calc/TableReads.h"
#include "calc/TrailPage.h"
#include "calc/Transformers.h"
#include "examples/ExampleTables.h"
#include "tables/Catalogue.h"
#include "tables/CurrentTables.h"
#include "tables/Dataset.h"
#include "tables/TableFiles.h"
#include "tests/core/TempDir.h"
#include "tests/support/FakeMainWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;

const fs::path kExamples = fs::path(KALVENOR_SOURCE_DIR) / "examples";
constexpr const char* kRegenerate =
    "regenerate the examples: cmake --build BUILD --target regenerate_examples";

// Characters as the editor counts them, not bytes.
std::size_t Characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::set<std::string> XmlFiles(const fs::path& folder) {
    std::set<std::string> names;
    for (const std::string& name : test::FileNames(folder)) {
        if (name.ends_with(".xml")) {
            names.insert(name);
        }
    }
    return names;
}

double Number(const Value& value) {
    return std::get<double>(value);
}

struct CurrentTable {
    std::string file;
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    std::map<double, double> currents;  // mm² -> A, ascending
    std::vector<Row> rows;
    std::string Parameter(CurrentTableParameter position) const { return fields[position].name; }
};

// Read as the calculation reads them: loaded, then ordered by cross-section.
std::vector<CurrentTable> LoadCurrentTables() {
    std::vector<CurrentTable> tables;
    for (const std::string& file : ListCurrentTableFiles(kExamples)) {
        Dataset dataset;
        dataset.Load(kExamples / file);
        dataset.SetOrder(kSectionField);
        CurrentTable table{file, dataset.FieldDefs(), dataset.IndexDefs(), {}, {}};
        for (std::size_t row = 0; row < dataset.RowCount(); ++row) {
            table.rows.push_back(dataset.RowAt(row));
            table.currents[Number(dataset.At(row, dataset.FieldByName(kSectionField)))] =
                Number(dataset.At(row, dataset.FieldByName(kCurrentField)));
        }
        tables.push_back(std::move(table));
    }
    return tables;
}

// Laying method, number of cores and wiring type as the editor offers them.
const std::set<std::tuple<std::string, std::string, std::string>>& OfferedCombinations() {
    static const auto offered = [] {
        std::set<std::tuple<std::string, std::string, std::string>> combinations;
        for (const LayingMethod& method : LayingMethods()) {
            for (std::string_view cores : method.cores) {
                for (std::string_view wiring : method.wiring) {
                    combinations.emplace(method.name, cores, wiring);
                }
            }
        }
        return combinations;
    }();
    return offered;
}

TEST(ExampleTables, CheckedInFilesAreExactlyWhatTheGeneratorWrites) {
    TempDir dir;
    const std::vector<std::string> written = examples::WriteExampleTables(dir.Path());
    const std::set<std::string> names(written.begin(), written.end());
    EXPECT_EQ(names.size(), written.size()) << "a file is written twice";
    EXPECT_EQ(XmlFiles(kExamples), names) << kRegenerate;
    for (const std::string& name : names) {
        EXPECT_EQ(ReadBytes(dir / name), ReadBytes(kExamples / name))
            << name << ": " << kRegenerate;
    }
}

TEST(ExampleTables, CurrentTablesHaveTheShapeTheEditorCreates) {
    const std::vector<CurrentTable> tables = LoadCurrentTables();
    ASSERT_FALSE(tables.empty());
    for (const CurrentTable& table : tables) {
        SCOPED_TRACE(table.file);
        const std::string name = table.file.substr(0, table.file.size() - 4);
        EXPECT_EQ(TableNameProblem(name), std::nullopt);
        EXPECT_GE(Characters(name), 1u);
        EXPECT_LE(Characters(name), 9u);
        EXPECT_EQ(CurrentTableProblem(table.fields, table.file), std::nullopt);
        ASSERT_EQ(table.fields.size(), 7u);
        EXPECT_EQ(
            table.fields,
            CurrentTableFieldDefs(table.Parameter(kBrandPosition), table.Parameter(kLayingPosition),
                                  table.Parameter(kCoresPosition), table.Parameter(kWiringPosition),
                                  table.Parameter(kMaterialPosition)));
        EXPECT_EQ(table.indexes, CurrentTableIndexDefs());
        EXPECT_LE(Characters(table.Parameter(kBrandPosition)), 9u);
        EXPECT_TRUE(OfferedCombinations().contains({table.Parameter(kLayingPosition),
                                                    table.Parameter(kCoresPosition),
                                                    table.Parameter(kWiringPosition)}));
        const std::string material = table.Parameter(kMaterialPosition);
        EXPECT_TRUE(material == "Медь" || material == "Алюминий");

        ASSERT_GE(table.currents.size(), 10u);
        EXPECT_EQ(table.currents.size(), table.rows.size()) << "a cross-section given twice";
        EXPECT_EQ(table.currents.begin()->first, material == "Медь" ? 1.5 : 2.5);
        EXPECT_LE(table.currents.rbegin()->first, 240);
        double previous = 0;
        for (const auto& [section, current] : table.currents) {
            EXPECT_GT(current, previous) << section << " mm²";
            previous = current;
        }
        for (const Row& row : table.rows) {
            for (std::size_t f = kBrandPosition; f <= kMaterialPosition; ++f) {
                EXPECT_TRUE(std::holds_alternative<std::monostate>(row[f]));
            }
        }
    }
}

TEST(ExampleTables, EveryOfferedCombinationHasACopperAndAnAluminiumTable) {
    std::multiset<std::tuple<std::string, std::string, std::string, std::string>> found;
    for (const CurrentTable& table : LoadCurrentTables()) {
        found.insert({table.Parameter(kLayingPosition), table.Parameter(kCoresPosition),
                      table.Parameter(kWiringPosition), table.Parameter(kMaterialPosition)});
    }
    std::multiset<std::tuple<std::string, std::string, std::string, std::string>> expected;
    for (const auto& [laying, cores, wiring] : OfferedCombinations()) {
        for (const char* material : {"Медь", "Алюминий"}) {
            expected.insert({laying, cores, wiring, material});
        }
    }
    EXPECT_EQ(found, expected);
}

TEST(ExampleTables, EachVoltageOptionIsOfferedTheTablesOfItsNumberOfCores) {
    const NumberFormat format{','};
    for (int option = 0; option <= 2; ++option) {
        SCOPED_TRACE(option);
        const CatalogueScan scan = ScanCatalogue(kExamples, option, format);
        EXPECT_TRUE(scan.skipped.empty());
        EXPECT_EQ(scan.tables.size(), 8u);  // wires open and in pipes, cables in air and ground
        for (const std::string& file : scan.tables) {
            Dataset table;
            table.Load(kExamples / file);
            EXPECT_EQ(table.FieldDefAt(kCoresPosition).name, std::to_string(option + 2)) << file;
        }
    }
}

// Comparisons that hold row by row in the national tables, so a column put
// under the wrong heading or a figure typed into the wrong row shows.
TEST(ExampleTables, FiguresKeepTheRelationsOfTheNationalTables) {
    std::map<std::tuple<std::string, std::string, std::string, std::string>,
             std::map<double, double>>
        by;  // (material, wiring, laying, cores) -> currents
    for (const CurrentTable& table : LoadCurrentTables()) {
        by[{table.Parameter(kMaterialPosition), table.Parameter(kWiringPosition),
            table.Parameter(kLayingPosition), table.Parameter(kCoresPosition)}] = table.currents;
    }
    // Each row of `smaller` at a cross-section that `larger` also lists.
    const auto expectBelow = [](const std::map<double, double>& smaller,
                                const std::map<double, double>& larger, bool strictly,
                                const std::string& what) {
        for (const auto& [section, current] : smaller) {
            if (const auto other = larger.find(section); other != larger.end()) {
                if (strictly) {
                    EXPECT_LT(current, other->second) << what << ", " << section << " mm²";
                } else {
                    EXPECT_LE(current, other->second) << what << ", " << section << " mm²";
                }
            }
        }
    };
    const std::string wire = "Провод";
    const std::string cable = "Кабель";
    const std::string air = "В воздухе";
    const std::string ground = "В земле";
    for (const std::string material : {"Медь", "Алюминий"}) {
        SCOPED_TRACE(material);
        const auto& open = by.at({material, wire, air, "2"});
        EXPECT_EQ(by.at({material, wire, air, "3"}), open);
        EXPECT_EQ(by.at({material, wire, air, "4"}), open);
        const auto& pipe2 = by.at({material, wire, "Два провода в трубе", "2"});
        const auto& pipe3 = by.at({material, wire, "Три провода в трубе", "3"});
        const auto& pipe4 = by.at({material, wire, "Четыре провода в трубе", "4"});
        expectBelow(pipe2, open, true, "two in a pipe below open");
        expectBelow(pipe3, pipe2, false, "three in a pipe not above two");
        expectBelow(pipe4, pipe3, false, "four in a pipe not above three");
        EXPECT_LT(pipe2.size(), open.size());

        for (const std::string& laying : {air, ground}) {
            const auto& two = by.at({material, cable, laying, "2"});
            const auto& three = by.at({material, cable, laying, "3"});
            const auto& four = by.at({material, cable, laying, "4"});
            expectBelow(three, two, false, laying + ": three cores not above two");
            ASSERT_EQ(four.size(), three.size());
            for (const auto& [section, current] : four) {
                const double rule = three.at(section) * 0.92;
                EXPECT_LE(current, rule) << laying << ", four cores, " << section << " mm²";
                EXPECT_GT(current, rule - 1) << laying << ", four cores, " << section << " mm²";
                EXPECT_EQ(current, std::floor(current));
            }
        }
        for (const char* cores : {"2", "3", "4"}) {
            expectBelow(by.at({material, cable, air, cores}),
                        by.at({material, cable, ground, cores}), true,
                        std::string("cable in air below in the ground, cores ") + cores);
        }
    }
    for (const auto& [key, currents] : by) {
        if (std::get<0>(key) == "Алюминий") {
            auto copper = key;
            std::get<0>(copper) = "Медь";
            expectBelow(currents, by.at(copper), true,
                        "aluminium below copper: " + std::get<1>(key) + ", " + std::get<2>(key) +
                            ", " + std::get<3>(key));
        }
    }
}

TEST(ExampleBreakers, EveryStandardRatingFindsASeriesForOneTwoAndThreePoles) {
    Dataset breakers;
    breakers.Load(kExamples / kBreakerFileName);
    EXPECT_EQ(breakers.FieldDefs(), BreakerFieldDefs());
    EXPECT_TRUE(breakers.IndexDefs().empty());
    std::set<std::int64_t> poles;
    for (std::size_t row = 0; row < breakers.RowCount(); ++row) {
        const Row values = breakers.RowAt(row);
        const auto& series = std::get<std::string>(values[0]);
        SCOPED_TRACE(series);
        EXPECT_GE(Characters(series), 1u);
        EXPECT_LE(Characters(series), 20u);
        EXPECT_GT(Number(values[1]), 0);
        EXPECT_LE(Number(values[1]), Number(values[2]));
        poles.insert(std::get<std::int64_t>(values[3]));
        EXPECT_GE(Number(values[4]), 3);
        EXPECT_LE(Number(values[4]), 20);
    }
    EXPECT_EQ(poles, (std::set<std::int64_t>{1, 2, 3}));

    // Through the calculation's own reading and listing.
    Dataset listed;
    ASSERT_TRUE(HeldTableReader(kExamples).ReadBreakers(listed));
    for (int pole = 1; pole <= 3; ++pole) {
        const double top = pole == 3 ? 630 : 100;
        for (double current = 0.5; current <= top; current = RatedCurrent(current * 1.01)) {
            EXPECT_FALSE(ListBreakers(listed, pole, current).empty())
                << pole << " poles, " << current << " A";
        }
    }
}

TEST(ExampleTransformers, OnePerStandardPowerAscendingFrom25To2500) {
    Dataset transformers;
    transformers.Load(kExamples / kTransformerFileName);
    EXPECT_EQ(transformers.FieldDefs(), TransformerFieldDefs());
    EXPECT_EQ(transformers.IndexDefs(), TransformerIndexDefs());

    std::vector<double> powers;
    std::set<std::string> names;
    Row previous;
    for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
        const Row values = transformers.RowAt(row);
        const auto& name = std::get<std::string>(values[0]);
        SCOPED_TRACE(name);
        EXPECT_TRUE(names.insert(name).second);
        EXPECT_LE(Characters(name), 20u);
        powers.push_back(Number(values[1]));
        EXPECT_EQ(Number(values[2]), 10);
        EXPECT_EQ(Number(values[3]), 0.4);
        EXPECT_LT(Number(values[4]), Number(values[5])) << "no-load losses below load losses";
        EXPECT_GE(Number(values[6]), 4);
        EXPECT_LE(Number(values[6]), 6.5);
        EXPECT_GT(Number(values[7]), 0);
        EXPECT_LT(Number(values[7]), 5);
        if (!previous.empty()) {
            EXPECT_GT(Number(values[4]), Number(previous[4]));
            EXPECT_GT(Number(values[5]), Number(previous[5]));
            EXPECT_GE(Number(values[6]), Number(previous[6]));
            EXPECT_LE(Number(values[7]), Number(previous[7]));
        }
        EXPECT_EQ(TransformerPower(transformers, name), Number(values[1]));
        previous = values;
    }
    EXPECT_EQ(powers, (std::vector<double>{25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500}));
}

// No fault at the end of a line can draw more than the transformer gives at
// its own terminals in a three-phase fault: its rated current over uk.
TEST(ExampleTransformers, NoLineDrawsMoreThanTheTransformerAtItsTerminals) {
    Dataset transformers;
    transformers.Load(kExamples / kTransformerFileName);
    for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
        const std::string name = std::get<std::string>(transformers.RowAt(row)[0]);
        SCOPED_TRACE(name);
        const double power = *TransformerPower(transformers, name);
        const double uk = *TransformerUk(transformers, name);
        const double terminalFault = power * 1000 / (std::sqrt(3.0) * 400) / (uk / 100);
        for (const double length : {0.0, 1.0, 10.0}) {
            const double current = ShortCircuitCurrent("Медь", 240, uk, power, length);
            EXPECT_GT(current, 0);
            EXPECT_LE(current, terminalFault) << length << " m";
        }
    }
}

// The README's first calculation over the example tables: 10 kW on
// "2 x 380+0" through ВВГвозд3.xml and ТМ-25/10 with ВА47-29 C, whose 32 A
// trip at 320 A.
class FirstCalculation : public ::testing::Test {
protected:
    void SetUp() override {
        examples::WriteExampleTables(dir.Path());
        transformers.Load(dir.Path() / kTransformerFileName);
        std::vector<std::string> names;
        for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
            names.push_back(std::get<std::string>(transformers.RowAt(row)[0]));
        }
        window.choices[Choice::Transformer] = {names, 0, ""};
        window.choices[Choice::CurrentTable] = {{"ВВГвозд3.xml"}, 0, ""};
        window.choices[Choice::Voltage].index = 1;
        window.parameters[TableParameter::LayingMethod] = "В воздухе";
        window.parameters[TableParameter::Material] = "Медь";
        window.inputs[Input::Power] = "10";
        ASSERT_TRUE(DirectoryTableReader(dir.Path()).ReadBreakers(breakers));
        const auto offered = ListBreakers(breakers, 2, 26.316);
        window.chosenItem = static_cast<std::size_t>(
            std::find(offered.begin(), offered.end(), "ВА47-29 C") - offered.begin());
        ASSERT_LT(window.chosenItem, offered.size());
    }

    std::vector<std::string> Run(const char* length) {
        window.inputs[Input::Length] = length;
        window.messages.shown.clear();
        CalculationDriver driver(window, window, {currentTable, breakers, transformers, dir.Path()},
                                 NumberFormat{','});
        driver.Run();
        page = TrailPage(driver.Recorded(), NumberFormat{','}, "08.12.2026 10:00");
        std::vector<std::string> shown;
        for (const auto& message : window.messages.shown) {
            shown.push_back(message.text);
        }
        return shown;
    }

    std::vector<std::string> Results() const {
        return {window.results.at(Result::Section),
                window.results.at(Result::PermissibleCurrent),
                window.results.at(Result::NominalCurrent),
                window.report.at(14),
                window.report.at(18),
                window.report.at(20)};
    }

    TempDir dir;
    Dataset currentTable;
    Dataset breakers;
    Dataset transformers;
    testing::FakeMainWindow window;
    std::vector<std::string> page;
};

// At 50 m the 4 mm2 that the breaker's rating asks for gives a fault current
// of 311 A, short of 320 A: the check takes 6 mm2 (390 A), whose drop asks
// nothing.
TEST_F(FirstCalculation, At50MetresTheShortCircuitCheckSetsTheSection) {
    EXPECT_TRUE(Run("50").empty());
    EXPECT_EQ(Results(),
              (std::vector<std::string>{"6", "42", "26,316", "Потери напряжения - 2,02 %",
                                        "Ток короткого замыкания - 390 A",
                                        "Автомат серии - ВА47-29 C   32  A"}));
}

// At 70 m 6 mm2 just trips the breaker (324 A) and drops 2,83 %: "Нет"
// keeps it, "Да" with 2,5 % asks for 6,8 mm2 and takes 10.
TEST_F(FirstCalculation, At70MetresTheDropQuestionDecides) {
    EXPECT_EQ(Run("70"),
              std::vector<std::string>{"Падение напряжения  2,83. Уменьшить падение напряжения?"});
    EXPECT_EQ(Results(),
              (std::vector<std::string>{"6", "42", "26,316", "Потери напряжения - 2,83 %",
                                        "Ток короткого замыкания - 324 A",
                                        "Автомат серии - ВА47-29 C   32  A"}));
    window.messages.Plan(Answer::Yes);
    window.permittedDrop = 2.5;
    Run("70");
    EXPECT_EQ(Results(),
              (std::vector<std::string>{"10", "55", "26,316", "Потери напряжения - 1,7 %",
                                        "Ток короткого замыкания - 423 A",
                                        "Автомат серии - ВА47-29 C   32  A"}));
}

// The trail says why, with the figures of the result fields and the report:
// at 50 m the short-circuit check moved 4 mm2 to 6; with "Да" and 2,5 % at
// 70 m the drop moved 6 to 10; at 1000 m nothing trips and the page ends
// with the stop.
TEST_F(FirstCalculation, TheTrailSaysWhichStepSetTheSectionWithItsFigures) {
    const auto has = [this](const std::string& line) {
        return std::find(page.begin(), page.end(), line) != page.end();
    };
    Run("50");
    EXPECT_EQ(page.at(1), "Расчет выполнен 08.12.2026 10:00");
    EXPECT_EQ(page.at(2),
              "Сечение 6 мм² выбрано по условию срабатывания автомата при однофазном КЗ.");
    EXPECT_TRUE(
        has("Iкз = 230 / (Zп + Zт) = 230 / (0,451 + 0,288) = 311 А < 320 А — автомат не "
            "срабатывает."));
    EXPECT_TRUE(
        has("Iкз = 230 / (Zп + Zт) = 230 / (0,3015 + 0,288) = 390 А ≥ 320 А — автомат "
            "срабатывает."));
    EXPECT_TRUE(
        has("Сечение 6 мм², длительно допустимый ток с поправками 42 А, потеря напряжения "
            "2,02 %, ток КЗ в конце линии 390 А."));

    window.messages.Plan(Answer::Yes);
    window.permittedDrop = 2.5;
    Run("70");
    EXPECT_EQ(page.at(2), "Сечение 10 мм² выбрано по допустимой потере напряжения.");
    EXPECT_TRUE(
        has("ΔUдоп = 2,5 %: Sтреб = K × Iном × L × cos φ × 100 / (γ × ΔUдоп × U) = 2 × "
            "26,316 × 70 × 1 × 100 / (57 × 2,5 × 380) = 6,8 мм² → 10 мм² (первое сечение "
            "таблицы не меньше), ΔU = 1,7 %."));
    EXPECT_TRUE(
        has("Сечение 10 мм², длительно допустимый ток с поправками 55 А, потеря напряжения "
            "1,7 %, ток КЗ в конце линии 423 А."));

    Run("1000");
    EXPECT_FALSE(std::any_of(page.begin(), page.end(), [](const std::string& line) {
        return line.find(" выбрано ") != std::string::npos;
    }));
    EXPECT_EQ(page.back().rfind("Расчет остановлен: Ток короткого замыкания превышает", 0), 0U)
        << page.back();
}

// Short lines, where neither the fault nor the drop asks for more: 8 kW
// (21,05 A) is carried by 2,5 mm2 (25 A) and its 25 A breaker; 12,5 kW
// (32,9 A) by 4 mm2 (35 A), but its 40 A breaker asks for 6 mm2. The page
// names what set the section, and its result line carries the result
// fields' and the report's figures.
TEST_F(FirstCalculation, TheTrailNamesHeatingAndTheBreakerRatingWithTheResultsFigures) {
    struct Case {
        const char* power;
        double current;
        const char* criterion;
    };
    for (const Case& line : {Case{"8", 21.053, "по длительно допустимому току нагрузки (нагреву)"},
                             Case{"12,5", 32.895, "по номинальному току автомата"}}) {
        window.inputs[Input::Power] = line.power;
        const auto offered = ListBreakers(breakers, 2, line.current);
        window.chosenItem = static_cast<std::size_t>(
            std::find(offered.begin(), offered.end(), "ВА47-29 C") - offered.begin());
        EXPECT_TRUE(Run("30").empty());
        const std::vector<std::string> results = Results();
        const std::string& section = results[0];
        EXPECT_EQ(page.at(2), "Сечение " + section + " мм² выбрано " + line.criterion + ".");
        // "Потери напряжения - 1,53 %" and "Ток короткого замыкания - 319 A".
        const std::string drop = results[3].substr(results[3].rfind("- ") + 2);
        const std::string fault = results[4].substr(results[4].rfind("- ") + 2);
        std::string figures = "Сечение " + section;
        figures += " мм², длительно допустимый ток с поправками " + results[1];
        figures += " А, потеря напряжения " + drop;
        figures += ", ток КЗ в конце линии " + fault.substr(0, fault.size() - 1) + "А.";
        EXPECT_NE(std::find(page.begin(), page.end(), figures), page.end())
            << line.power << " kW: " << figures;
    }
}

}  // namespace
}  // namespace kalvenor
