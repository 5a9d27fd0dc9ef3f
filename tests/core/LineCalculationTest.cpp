#include "calc/Driver.h"
#include "calc/ShortCircuit.h"
#include "examples/ExampleTables.h"
#include "journal/LineCalculation.h"
#include "tables/DataPacket.h"
#include "tables/TableFiles.h"
#include "tests/core/TempDir.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kalvenor {
namespace {

constexpr NumberFormat kComma{','};

const std::vector<std::pair<double, double>> kCopperRows{{2.5, 27}, {1.5, 19}, {4, 38},  {6, 46},
                                                         {10, 70},  {16, 90},  {25, 115}};
const std::vector<testing::BreakerRow> kBreakers{{"ВА47-63", 6, 63, 1, 5},
                                                 {"АП50", 1.6, 50, 1, 10},
                                                 {"ВА47-100", 10, 100, 1, 10},
                                                 {"ВА47-63-3", 6, 63, 3, 5}};
const std::vector<testing::TransformerRow> kTransformers{
    {"TM-25/10", 25, 4.5}, {"TM-40/10", 40, 4.7}, {"TM-63/10", 63, 4.5}};

// A whole calculation as the project's calculation tests run it, and how the
// user answers: the series chosen, and "Да" with a permitted drop or "Нет".
struct WholeCase {
    const char* name;
    std::string power = "10";
    std::string length = "100";
    std::string temperature = "25";
    std::string cosPhi = "1";
    int voltage = 0;
    std::string series = "АП50";
    std::string transformer = "TM-25/10";
    std::optional<double> permitted;
    std::vector<std::pair<double, double>> rows = kCopperRows;
    std::string cores = "2";
    std::vector<testing::BreakerRow> breakers = kBreakers;
    std::vector<testing::TransformerRow> transformers = kTransformers;
    // The example tables instead of the ones above, with this current table.
    std::string exampleTable;
};

void PrintTo(const WholeCase& c, std::ostream* out) {
    *out << c.name;
}

// The user at the main window, answering the chooser with a series by name.
class AnsweringWindow : public testing::FakeMainWindow {
public:
    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override {
        offeredSeries = series;
        return answer;
    }
    std::string answer;
};

class BatchEqualsInteractive : public ::testing::TestWithParam<WholeCase> {
protected:
    void SetUp() override {
        const WholeCase& c = GetParam();
        if (c.exampleTable.empty()) {
            table = "ВВГ3.xml";
            testing::WriteCurrentTable(dir / table, "В воздухе", c.cores, c.rows);
            testing::WriteBreakers(dir.Path(), c.breakers);
            Dataset written;
            testing::FillTransformers(written, c.transformers);
            written.Write(dir.Path() / kTransformerFileName);
        } else {
            table = c.exampleTable;
            examples::WriteExampleTables(dir.Path());
        }
    }

    // The main window's calculation, its list of transformers and its table's
    // parameters as the window fills them.
    LineOutcome Interactive() {
        const WholeCase& c = GetParam();
        Dataset currentTable;
        Dataset breakers;
        Dataset transformers;
        transformers.Load(dir.Path() / kTransformerFileName, kPowerField);
        std::vector<std::string> names;
        for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
            names.push_back(std::get<std::string>(transformers.At(row, 0)));
        }
        AnsweringWindow window;
        const auto chosen = std::find(names.begin(), names.end(), c.transformer);
        window.choices[Choice::Transformer] = {
            names, chosen == names.end() ? 0 : static_cast<int>(chosen - names.begin()), ""};
        if (c.transformer == kWithoutTransformer) {
            window.state.UseTransformer = false;
            window.choices[Choice::Transformer].index = -1;
        }
        window.choices[Choice::CurrentTable] = {{table}, 0, ""};
        window.choices[Choice::Voltage].index = c.voltage;
        const std::vector<FieldDef> fields = ReadFieldDefs(dir / table);
        window.parameters[TableParameter::LayingMethod] = fields.at(kLayingPosition).name;
        window.parameters[TableParameter::Material] = fields.at(kMaterialPosition).name;
        window.inputs[Input::Power] = c.power;
        window.inputs[Input::Length] = c.length;
        window.inputs[Input::Temperature] = c.temperature;
        window.inputs[Input::CosPhi] = c.cosPhi;
        window.answer = c.series;
        if (c.permitted) {
            window.messages.Plan(Answer::Yes);
            window.permittedDrop = c.permitted;
        }
        CalculationDriver driver(window, window, {currentTable, breakers, transformers, dir.Path()},
                                 kComma);
        if (const auto stop = driver.Calculate()) {
            return LineStop{stop->Box().text};
        }
        return LineResults{
            .nominalCurrent = StrToFloat(window.results[Result::NominalCurrent], kComma),
            .section = StrToFloat(window.results[Result::Section], kComma),
            .continuousCurrent = StrToFloat(window.results[Result::PermissibleCurrent], kComma),
            .breakerCurrent = driver.BreakerRating(),
            .voltageDrop = window.state.VoltageDrop,
            .shortCircuitCurrent = driver.FaultCurrent(),
            .transformer = window.state.UseTransformer ? window.ChoiceText(Choice::Transformer)
                                                       : std::string(kWithoutTransformer),
            .criterion = driver.DecidingCriterion(),
        };
    }

    LineInputs Line() const {
        const WholeCase& c = GetParam();
        LineInputs line;
        line[LineInput::Power] = c.power;
        line[LineInput::CosPhi] = c.cosPhi;
        line[LineInput::Voltage] =
            c.voltage >= 0 ? std::string(FindVoltageOption(c.voltage)->item) : std::string();
        line[LineInput::Length] = c.length;
        line[LineInput::Temperature] = c.temperature;
        line[LineInput::Table] = table;
        line[LineInput::Series] = c.series;
        line[LineInput::Transformer] = c.transformer;
        line[LineInput::PermittedDrop] = c.permitted ? FloatToStr(*c.permitted, kComma) : "";
        return line;
    }

    test::TempDir dir;
    std::string table;
};

TEST_P(BatchEqualsInteractive, SameOutcome) {
    BatchTables tables(dir.Path());
    const LineOutcome batch = CalculateLine(Line(), tables, kComma);
    EXPECT_EQ(batch, Interactive());
    EXPECT_NE(batch, LineOutcome{});
}

const std::string kWithout(kWithoutTransformer);

INSTANTIATE_TEST_SUITE_P(
    EveryWholeCalculation, BatchEqualsInteractive,
    ::testing::Values(
        WholeCase{.name = "through the transformer"},
        WholeCase{.name = "at 35 degrees", .temperature = "35"},
        WholeCase{.name = "yes to a permitted drop", .permitted = 3},
        WholeCase{.name = "without transformer", .transformer = kWithout},
        WholeCase{.name = "no section trips", .length = "1000"},
        WholeCase{.name = "no section trips without", .length = "1000", .transformer = kWithout},
        WholeCase{.name = "second selection finds nothing",
                  .series = "ВА47-63",
                  .rows = {{2.5, 27}, {4, 38}, {6, 46}}},
        WholeCase{.name = "the twenty percent limit", .length = "300", .series = "ВА47-63"},
        WholeCase{.name = "above twenty for every row",
                  .length = "2000",
                  .series = "Тест",
                  .breakers = {{"Тест", 1, 63, 1, 0.1}}},
        WholeCase{.name = "exactly two and a half",
                  .length = "86,2",
                  .series = "ВА47-100",
                  .rows = {{25, 115}}},
        WholeCase{.name = "a zero length", .length = "00"},
        WholeCase{.name = "a row of no section", .rows = {{0, 27}, {6, 46}}},
        WholeCase{.name = "a transformer of no uk",
                  .transformer = "TM-40/10",
                  .transformers = {{"TM-25/10", 25, 4.5}, {"TM-40/10", 40, 0}}},
        WholeCase{.name = "no voltage", .voltage = -1}, WholeCase{.name = "no power", .power = ""},
        WholeCase{.name = "a power that is no number", .power = "десять"},
        WholeCase{.name = "no row for the load", .rows = {{1.5, 19}, {2.5, 27}}},
        WholeCase{.name = "an absurd power", .power = "1E307"},
        WholeCase{.name = "no transformer large enough", .power = "21"},
        WholeCase{.name = "no two-pole breaker", .voltage = 1, .cores = "3"},
        WholeCase{.name = "a temperature out of range", .temperature = "60"},
        WholeCase{.name = "a power factor above one", .cosPhi = "1,2"},
        WholeCase{.name = "example at 50 m",
                  .length = "50",
                  .voltage = 1,
                  .series = "ВА47-29 C",
                  .transformer = "",
                  .exampleTable = "ВВГвозд3.xml"},
        WholeCase{.name = "example at 70 m, no",
                  .length = "70",
                  .voltage = 1,
                  .series = "ВА47-29 C",
                  .transformer = "",
                  .exampleTable = "ВВГвозд3.xml"},
        WholeCase{.name = "example at 70 m, yes to 2,5",
                  .length = "70",
                  .voltage = 1,
                  .series = "ВА47-29 C",
                  .transformer = "",
                  .permitted = 2.5,
                  .exampleTable = "ВВГвозд3.xml"}),
    [](const ::testing::TestParamInfo<WholeCase>& info) { return std::to_string(info.index); });

class LineCalculation : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", kCopperRows);
        testing::WriteCurrentTable(dir / "ВВГ4.xml", "В воздухе", "4", kCopperRows);
        testing::WriteBreakers(dir.Path(), kBreakers);
        Dataset transformers;
        testing::FillTransformers(transformers, kTransformers);
        transformers.Write(dir.Path() / kTransformerFileName);
        line[LineInput::Power] = "10";
        line[LineInput::Voltage] = "380 + 0";
        line[LineInput::Length] = "100";
        line[LineInput::Temperature] = "25";
        line[LineInput::Table] = "ВВГ3.xml";
        line[LineInput::Series] = "АП50";
        line[LineInput::Transformer] = "TM-25/10";
    }

    std::string Stop() {
        BatchTables tables(dir.Path());
        const LineOutcome outcome = CalculateLine(line, tables, kComma);
        const auto* stop = std::get_if<LineStop>(&outcome);
        return stop != nullptr ? stop->message : "(sized)";
    }

    test::TempDir dir;
    LineInputs line;
};

// 10 kW through 40 kVA at 100 m: АП50 trips at 16 mm2 (see the calculation
// tests), the transformer moved up from the 25 kVA one.
TEST_F(LineCalculation, ResultsOfALineThroughTheTransformer) {
    BatchTables tables(dir.Path());
    const LineOutcome outcome = CalculateLine(line, tables, kComma);
    ASSERT_TRUE(std::holds_alternative<LineResults>(outcome))
        << std::get<LineStop>(outcome).message;
    const auto& results = std::get<LineResults>(outcome);
    EXPECT_EQ(results.nominalCurrent, 45.455);
    EXPECT_EQ(results.section, 16);
    EXPECT_EQ(results.continuousCurrent, 90);
    EXPECT_EQ(results.breakerCurrent, 50);
    EXPECT_EQ(results.voltageDrop, 4.53);
    EXPECT_EQ(results.shortCircuitCurrent, 546);
    EXPECT_EQ(results.transformer, "TM-40/10");
}

// The criterion is the last step that raised the section: at 100 m the
// short circuit takes 10 mm2 to 16, a permitted 3 % takes it to 25; at 10 m
// the breaker's 50 A took 6 mm2 (46 A) to 10 and nothing after raised it;
// 5 kW (22,7 A) keeps the first selection's 2,5 mm2.
TEST_F(LineCalculation, TheCriterionIsTheStepThatSetTheSection) {
    const auto sized = [this] {
        BatchTables tables(dir.Path());
        const LineOutcome outcome = CalculateLine(line, tables, kComma);
        const auto* results = std::get_if<LineResults>(&outcome);
        return results != nullptr ? std::pair{results->section, results->criterion}
                                  : std::pair{0.0, Criterion::Heating};
    };
    EXPECT_EQ(sized(), std::pair(16.0, Criterion::ShortCircuit));
    line[LineInput::PermittedDrop] = "3";
    EXPECT_EQ(sized(), std::pair(25.0, Criterion::VoltageDrop));
    line[LineInput::PermittedDrop] = "";
    line[LineInput::Length] = "10";
    EXPECT_EQ(sized(), std::pair(10.0, Criterion::BreakerRating));
    line[LineInput::Power] = "5";
    line[LineInput::Series] = "ВА47-63";
    EXPECT_EQ(sized(), std::pair(2.5, Criterion::Heating));
}

TEST_F(LineCalculation, AnAnswerNoUserCouldGiveStopsTheLineWithWhatFits) {
    line[LineInput::Series] = "ВА47-63-3";
    EXPECT_EQ(Stop(),
              "Автомат серии «ВА47-63-3» не подходит для линии. Подходят серии: АП50, "
              "ВА47-63, ВА47-100.");
    line[LineInput::Series] = "";
    EXPECT_EQ(Stop(), "Не указана серия автомата. Подходят серии: АП50, ВА47-63, ВА47-100.");
    line[LineInput::Series] = "АП50";

    // The drop is 4,53 %: the dialog takes at most that, and only a figure.
    line[LineInput::PermittedDrop] = "5";
    EXPECT_EQ(Stop(),
              "Допустимое падение напряжения «5»: Процент падения напряжения должен быть "
              "меньше или равно 4,53.");
    line[LineInput::PermittedDrop] = "0";
    EXPECT_EQ(Stop(),
              "Допустимое падение напряжения «0»: Процент падения напряжения должен быть "
              "больше нуля.");
    line[LineInput::PermittedDrop] = "три";
    EXPECT_EQ(Stop(), "Допустимое падение напряжения «три»: это не число.");
    line[LineInput::PermittedDrop] = "4,53";
    EXPECT_EQ(Stop(), "(sized)");
}

TEST_F(LineCalculation, ANameNoListHoldsStopsTheLineBeforeTheCalculation) {
    line[LineInput::Transformer] = "ТМ-1000";
    EXPECT_EQ(Stop(), "Трансформатор «ТМ-1000» не найден в базе данных <Трансформаторы>.");
    line[LineInput::Transformer] = std::string(kWithoutTransformer);
    EXPECT_EQ(Stop(), "(sized)");
    // No temperature: the table's own, as choosing it in the main window
    // presets; 25 C derates nothing.
    line[LineInput::Temperature] = "";
    EXPECT_EQ(Stop(), "(sized)");

    line[LineInput::Voltage] = "220";
    EXPECT_EQ(Stop(), "Напряжение сети «220» не из списка: 380 + 0; 2 x 380+0; 3 x 380+0.");
    line[LineInput::Voltage] = "3 x 380+0";
    EXPECT_EQ(Stop(),
              "Таблица токов «ВВГ3.xml» составлена для 2 жил, а напряжению «3 x 380+0» "
              "нужна таблица для 4 жил.");
    line[LineInput::Table] = "ВВГ4.xml";
    line[LineInput::Series] = "ВА47-63-3";
    EXPECT_EQ(Stop(), "(sized)");

    line[LineInput::Table] = "Нет.xml";
    EXPECT_EQ(Stop(), "Таблица токов «Нет.xml» не найдена в папке «" + dir.Path().string() + "».");
    test::WriteBytes(dir / "Битая.xml", "<DATAPACKET");
    line[LineInput::Table] = "Битая.xml";
    EXPECT_NE(Stop().find("Битая.xml"), std::string::npos);
    test::WriteBytes(dir.Path() / kTransformerFileName, "<DATAPACKET");
    line[LineInput::Table] = "ВВГ4.xml";
    line[LineInput::Transformer] = "TM-25/10";
    EXPECT_NE(Stop().find(kTransformerFileName), std::string::npos);
}

// Every file is read once for the whole journal: lines calculated after the
// files are gone come out as before, and no table file is ever written.
TEST_F(LineCalculation, AJournalReadsItsTablesOnce) {
    Journal journal;
    std::vector<JournalLine> lines(3);
    for (JournalLine& each : lines) {
        each.inputs = line;
    }
    lines[1].inputs[LineInput::Temperature] = "35";
    journal.Assign(lines);
    const std::string table = test::ReadBytes(dir / "ВВГ3.xml");
    BatchTables tables(dir.Path());
    std::vector<std::size_t> progress;
    CalculateJournal(journal, tables, kComma, [&](std::size_t done) {
        progress.push_back(done);
        if (done == 1) {
            for (const char* name : {"ВВГ3.xml", "Avtomat.xml", "tranform.xml"}) {
                std::filesystem::rename(dir / name, dir / (std::string(name) + ".away"));
            }
        }
        return done < 3;
    });
    EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_EQ(journal.Line(0).outcome, journal.Line(2).outcome);
    EXPECT_TRUE(std::holds_alternative<LineResults>(journal.Line(2).outcome));
    // 35 degrees derate the 90 A of 16 mm2 to 81,9 A: the same section.
    EXPECT_NE(std::get<LineResults>(journal.Line(1).outcome).continuousCurrent,
              std::get<LineResults>(journal.Line(0).outcome).continuousCurrent);
    EXPECT_EQ(test::ReadBytes(dir / "ВВГ3.xml.away"), table);
}

// The drop-downs offer what the line's voltage allows; a name the folder
// lacks is marked, an empty one and "без трансформатора" are not.
TEST_F(LineCalculation, ChoicesAndMissingNamesFollowTheFolder) {
    BatchTables tables(dir.Path());
    EXPECT_EQ(ChoicesFor(LineInput::Table, line, tables, kComma),
              std::vector<std::string>{"ВВГ3.xml"});
    EXPECT_EQ(ChoicesFor(LineInput::Series, line, tables, kComma),
              (std::vector<std::string>{"АП50", "ВА47-63", "ВА47-100"}));
    EXPECT_EQ(ChoicesFor(LineInput::Transformer, line, tables, kComma),
              (std::vector<std::string>{"без трансформатора", "TM-25/10", "TM-40/10", "TM-63/10"}));
    EXPECT_TRUE(ChoicesFor(LineInput::Power, line, tables, kComma).empty());
    line[LineInput::Voltage] = "";
    EXPECT_EQ(ChoicesFor(LineInput::Table, line, tables, kComma),
              (std::vector<std::string>{"ВВГ3.xml", "ВВГ4.xml"}));
    EXPECT_EQ(ChoicesFor(LineInput::Series, line, tables, kComma).size(), 4U);

    EXPECT_TRUE(MissingNames(line, tables).empty());
    line[LineInput::Table] = "Чужая.xml";
    line[LineInput::Series] = "S201";
    line[LineInput::Transformer] = "ТМГ-630";
    EXPECT_EQ(
        MissingNames(line, tables),
        (std::vector<LineInput>{LineInput::Table, LineInput::Series, LineInput::Transformer}));
    line[LineInput::Table] = "";
    line[LineInput::Series] = "";
    line[LineInput::Transformer] = std::string(kWithoutTransformer);
    EXPECT_TRUE(MissingNames(line, tables).empty());
}

}  // namespace
}  // namespace kalvenor
