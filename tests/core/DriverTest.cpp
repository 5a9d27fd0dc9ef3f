#include "calc/Driver.h"
#include "calc/ShortCircuit.h"
#include "calc/VoltageOptions.h"
#include "coeff/GroupingTarget.h"
#include "tests/core/TempDir.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

namespace kalvenor {
namespace {

using testing::FakeMainWindow;
using testing::ShownMessage;

constexpr NumberFormat kComma{','};

struct NominalCase {
    double power;
    double cosPhi;
    int option;
    const char* shown;
};

class NominalCurrentExample : public ::testing::TestWithParam<NominalCase> {};

TEST_P(NominalCurrentExample, RoundedToThreeDecimals) {
    const NominalCase& example = GetParam();
    const double current =
        NominalCurrent(example.power, example.cosPhi, *FindVoltageOption(example.option));
    EXPECT_EQ(FloatToStr(RoundTo(current, -3), kComma), example.shown);
}

INSTANTIATE_TEST_SUITE_P(Published, NominalCurrentExample,
                         ::testing::Values(NominalCase{10, 1, 0, "45,455"},
                                           NominalCase{10, 0.8, 1, "32,895"},
                                           NominalCase{10, 0.9, 2, "16,902"},
                                           // 380 * 1.73, not 380 * sqrt(3) (15,193)
                                           NominalCase{10, 1, 2, "15,211"},
                                           NominalCase{0.5, 1, 0, "2,273"}));

TEST(VoltageOptions, PolesAndVoltageLines) {
    EXPECT_EQ(FindVoltageOption(-1), nullptr);
    EXPECT_EQ(FindVoltageOption(3), nullptr);
    EXPECT_EQ(FindVoltageOption(0)->poles, 1);
    EXPECT_EQ(FindVoltageOption(1)->voltageLine, "Напряжение = 2 x 380+0 v.");
    EXPECT_EQ(FindVoltageOption(2)->divisor, 657.4);
}

class Calculation : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", kCopperRows);
        testing::WriteBreakers(dir.Path(), {{"ВА47-63", 6, 63, 1, 5},
                                            {"АП50", 1.6, 50, 1, 10},
                                            {"ВА47-100", 10, 100, 1, 10},
                                            {"ВА47-63-3", 6, 63, 3, 5}});
        testing::FillTransformers(
            transformers, {{"TM-25/10", 25, 4.5}, {"TM-40/10", 40, 4.7}, {"TM-63/10", 63, 4.5}});
        window.choices[Choice::Transformer] = {{"TM-25/10", "TM-40/10", "TM-63/10"}, 0, ""};
        window.choices[Choice::CurrentTable] = {{"ВВГ3.xml"}, 0, ""};
        window.choices[Choice::Voltage].index = 0;
        window.inputs[Input::Power] = "10";
        window.inputs[Input::Length] = "100";
        window.parameters[TableParameter::LayingMethod] = "В воздухе";
        window.parameters[TableParameter::Material] = "Медь";
    }

    void Run() {
        CalculationDriver(window, window, {currentTable, breakers, transformers, dir.Path()},
                          kComma)
            .Run();
    }

    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const ShownMessage& message : window.messages.shown) {
            texts.push_back(message.text);
        }
        return texts;
    }

    std::vector<std::string> Results() const {
        return {window.results.at(Result::Section), window.results.at(Result::PermissibleCurrent),
                window.results.at(Result::NominalCurrent)};
    }

    static inline const std::vector<std::pair<double, double>> kCopperRows{
        {2.5, 27}, {1.5, 19}, {4, 38}, {6, 46}, {10, 70}, {16, 90}, {25, 115}};

    test::TempDir dir;
    Dataset currentTable;
    Dataset breakers;
    Dataset transformers;
    FakeMainWindow window;
};

const std::string kSeparator(76, '-');

std::string DropQuestionText(const char* drop) {
    return std::string("Падение напряжения  ") + drop + ". Уменьшить падение напряжения?";
}

TEST_F(Calculation, ResetsResultsAndStateBeforeAFailingCheck) {
    window.results[Result::Section] = "2,5";
    window.results[Result::PermissibleCurrent] = "27";
    window.results[Result::NominalCurrent] = "45,455";
    window.state = {
        .ReducedSection = 4, .VoltageDrop = 3.5, .UseTransformer = true, .SelectedSection = 2.5};
    window.inputs[Input::Power] = "";
    Run();
    EXPECT_EQ(window.messages.shown,
              (std::vector<ShownMessage>{{"Введите мощность", "Предупреждение", 48}}));
    EXPECT_EQ(Results(), (std::vector<std::string>{"0", "0", "0"}));
    EXPECT_TRUE(window.report.empty());
    EXPECT_EQ(window.state.ReducedSection, 0);
    EXPECT_EQ(window.state.VoltageDrop, 0);
    EXPECT_EQ(window.state.SelectedSection, 2.5);  // belongs to the selection, kept
}

// 10 kW on "380 + 0": 45,455 A. 30 kVA asks for the 40 kVA transformer. The
// first selection gives 6 mm2 (46 A); the breaker's 50 A asks for 10 mm2
// (70 A). Through 40 kVA and 4,7 % (0,188 Ohm) the short circuit at 100 m of
// 10 mm2 is 416 A, short of the 500 A that trip АП50 (50 A x 10); 16 mm2
// gives 546 A. The drop at 16 mm2 is 4,53 %.
TEST_F(Calculation, AWholeCalculationThroughTheTransformer) {
    Run();
    EXPECT_EQ(Boxes(), (std::vector<std::string>{DropQuestionText("4,53")}));
    EXPECT_EQ(window.messages.shown[0].caption, "Предупреждение");
    EXPECT_EQ(window.messages.shown[0].flags, 52);
    EXPECT_EQ(window.choices[Choice::Transformer].index, 1);
    EXPECT_EQ(window.offeredSeries, (std::vector<std::string>{"АП50", "ВА47-63", "ВА47-100"}));
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "90", "45,455"}));
    EXPECT_EQ(window.results[Result::VoltageLine], "Напряжение = 380 + 0 v.");
    EXPECT_EQ(window.state.SelectedSection, 10);
    EXPECT_EQ(window.state.VoltageDrop, 4.53);
    EXPECT_EQ(window.report, (std::vector<std::string>{"Расчет электрической сети",
                                                       "",
                                                       "Мощность нагрузки - 10 KWT",
                                                       kSeparator,
                                                       "Коэффициент мощности (cos f) - 1",
                                                       kSeparator,
                                                       "Напряжение = 380 + 0 v.",
                                                       kSeparator,
                                                       "Длина трассы - 100 м",
                                                       kSeparator,
                                                       "Температура среды - 25 C",
                                                       kSeparator,
                                                       "Номинальный ток - 45,5 A",
                                                       kSeparator,
                                                       "Потери напряжения - 4,53 %",
                                                       kSeparator,
                                                       "Сечение жил - 16 кв.мм",
                                                       kSeparator,
                                                       "Ток короткого замыкания - 546 A",
                                                       kSeparator,
                                                       "Автомат серии - АП50   50  A",
                                                       kSeparator}));
    // The transformer is chosen before the chooser shows.
    const auto select = std::find(window.log.begin(), window.log.end(), "select 1");
    const auto chooser = std::find(window.log.begin(), window.log.end(), "chooser");
    EXPECT_LT(select, chooser);
}

// The short-circuit check takes 16 mm2, whose row has no current: the zero
// stands in the result, and no report stands beside it.
TEST_F(Calculation, NoReportStandsBesideAZeroResult) {
    Dataset table;
    testing::FillCurrentTable(table, "В воздухе", "2",
                              {{2.5, 27}, {4, 38}, {6, 46}, {10, 70}, {25, 115}});
    table.InsertRow({16.0, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{},
                     std::monostate{}, std::monostate{}});
    table.Write(dir / "ВВГ3.xml");
    Run();
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "0", "45,455"}));
    EXPECT_TRUE(window.report.empty());
}

// The coefficient dialog writes into the main window the calculation reads:
// its coefficient derates the next calculation's currents, and the results
// of the old coefficient are zeroed at once.
TEST_F(Calculation, TheCoefficientDialogsTargetIsWhatTheCalculationReads) {
    Run();
    MainWindowGroupingTarget target(window);
    target.SetCoefficient("0,75");
    target.ZeroResults();
    EXPECT_EQ(Results(), (std::vector<std::string>{"0", "0", "0"}));
    Run();
    // 16 mm2 as before, its 90 A derated to 67,5 A.
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "67,5", "45,455"}));
}

TEST_F(Calculation, TwoCalculationsInARowAgreeAndLeaveEveryFileAsItWas) {
    const std::string table = test::ReadBytes(dir / "ВВГ3.xml");
    const std::string breakerFile = test::ReadBytes(dir / "Avtomat.xml");
    window.inputs[Input::Temperature] = "35";  // derates by 0,94
    Run();
    const std::vector<std::string> first = window.report;
    const std::vector<std::string> results = Results();
    ASSERT_EQ(first.size(), 22U);
    Run();
    EXPECT_EQ(window.report, first);
    EXPECT_EQ(Results(), results);
    EXPECT_EQ(test::ReadBytes(dir / "ВВГ3.xml"), table);
    EXPECT_EQ(test::ReadBytes(dir / "Avtomat.xml"), breakerFile);
    currentTable.Close();
    EXPECT_EQ(test::ReadBytes(dir / "ВВГ3.xml"), table);
}

// The table is read again only when its file changed; while it is the one
// loaded, the stored currents stand for it.
TEST_F(Calculation, TheTableIsReadAgainOnlyWhenItsFileChanged) {
    window.inputs[Input::Temperature] = "35";
    Run();
    ASSERT_EQ(Results(), (std::vector<std::string>{"16", "78,3", "45,455"}));
    // Another program writes other currents in its place.
    std::vector<std::pair<double, double>> larger = kCopperRows;
    for (auto& [section, current] : larger) {
        current *= 2;
    }
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", larger);
    Run();
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "156,6", "45,455"}));
    // Broken in place behind the program's back, the size and the time put
    // back: nothing tells, so the loaded table is used and the file not read.
    const std::filesystem::path file = dir / "ВВГ3.xml";
    const auto time = std::filesystem::last_write_time(file);
    test::WriteBytes(file, std::string(std::filesystem::file_size(file), ' '));
    std::filesystem::last_write_time(file, time);
    Run();
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "156,6", "45,455"}));
}

TEST_F(Calculation, ACorrectionLeftFromAnotherTemperatureNeverStands) {
    Run();
    const std::vector<std::string> atTwentyFive = Results();
    // The table's file vanished: the loaded copy stays, corrected at 35 C.
    window.inputs[Input::Temperature] = "35";
    Run();
    std::filesystem::remove(dir / "ВВГ3.xml");
    window.inputs[Input::Temperature] = "25";
    Run();
    EXPECT_EQ(Results(), atTwentyFive);
}

TEST_F(Calculation, YesToTheQuestionTakesTheSectionOfThePermittedDrop) {
    window.messages.Plan(Answer::Yes);
    window.permittedDrop = 3;  // asks for 24,2 mm2: the table gives 25
    Run();
    EXPECT_EQ(window.askedDrops, std::vector<double>{4.53});
    EXPECT_EQ(Results(), (std::vector<std::string>{"25", "115", "45,455"}));
    EXPECT_EQ(window.state.ReducedSection, 25);
    EXPECT_EQ(window.report[14], "Потери напряжения - 2,9 %");
    EXPECT_EQ(window.report[16], "Сечение жил - 25 кв.мм");
}

TEST_F(Calculation, ClosingTheDialogByItsTitleBarChangesNothing) {
    window.messages.Plan(Answer::Yes);
    Run();
    EXPECT_EQ(window.askedDrops, std::vector<double>{4.53});
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "90", "45,455"}));
    EXPECT_EQ(window.state.ReducedSection, 0);
}

// Without a transformer the short circuit is 176 / (1,5 R): 325,93 A at
// 10 mm2, short of 500 A; 16 mm2 gives 521,48 A.
TEST_F(Calculation, WithoutTransformerTheApproximateCurrentMovesUpTheTable) {
    window.state.UseTransformer = false;
    window.choices[Choice::Transformer].index = -1;
    Run();
    EXPECT_EQ(window.choices[Choice::Transformer].index, -1);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{DropQuestionText("4,53")}));
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "90", "45,455"}));
    EXPECT_EQ(window.report[18], "Ток короткого замыкания - 521,48 A");
}

TEST_F(Calculation, NoSectionTripsTheBreakerAdvisesAndStops) {
    window.inputs[Input::Length] = "1000";
    Run();
    ASSERT_EQ(window.messages.shown.size(), 1U);
    EXPECT_EQ(window.messages.shown[0].text, ShortCircuitAdvice(true));
    EXPECT_NE(window.messages.shown[0].text.find("1)Увеличите мощность трансформатора"),
              std::string::npos);
    EXPECT_EQ(Results(), (std::vector<std::string>{"0", "0", "45,455"}));
    EXPECT_TRUE(window.report.empty());

    window.messages.shown.clear();
    window.state.UseTransformer = false;
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{ShortCircuitAdvice(false)});
    EXPECT_EQ(window.messages.shown[0].text.find("1)"), std::string::npos);
}

// With 6 mm2 the largest row, the breaker's 50 A finds no row: the second
// selection's message, and the calculation goes on with 6 mm2.
TEST_F(Calculation, ASecondSelectionThatFindsNothingDoesNotStop) {
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", {{2.5, 27}, {4, 38}, {6, 46}});
    window.chosenItem = 1;  // ВА47-63: 50 A x 5 = 250 A
    Run();
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           "В базе данных <Допустимые длительные токи> для данной нагрузки нет "
                           "данных",
                           DropQuestionText("12,08")}));
    EXPECT_EQ(Results(), (std::vector<std::string>{"6", "46", "45,455"}));
    EXPECT_EQ(window.report[20], "Автомат серии - ВА47-63   50  A");
}

// At 300 m the drop at 10 mm2 is 21,75 %: the rows are tried from the
// smallest, and 16 mm2 gives 13,59 %.
TEST_F(Calculation, TheTwentyPercentLimitMovesToTheFirstRowWithin) {
    window.inputs[Input::Length] = "300";
    window.chosenItem = 1;  // 250 A trips at 16 mm2 through the transformer
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{DropQuestionText("13,59")});
    EXPECT_EQ(window.state.ReducedSection, 16);
    EXPECT_EQ(Results(), (std::vector<std::string>{"16", "90", "45,455"}));
}

TEST_F(Calculation, ADropAboveTwentyForEveryRowCancels) {
    // A release that trips at 5 A passes anywhere; 2 km defeats every row.
    testing::WriteBreakers(dir.Path(), {{"Тест", 1, 63, 1, 0.1}});
    window.inputs[Input::Length] = "2000";
    Run();
    ASSERT_EQ(window.messages.shown.size(), 1U);
    EXPECT_EQ(window.messages.shown[0],
              (ShownMessage{"Падение напряжения  58%, предельное падение не более 20 %, группа "
                            "отменяется",
                            "Предупреждение", 48}));
    EXPECT_TRUE(window.report.empty());
}

TEST_F(Calculation, NoQuestionAtExactlyTwoAndAHalfPercent) {
    // 2 x 45,455 x L x 100 / (57 x 25 x 220) = 2,5 at L = 86,19...: the
    // rounded drop is 2,5 and nothing is asked.
    window.inputs[Input::Length] = "86,2";
    window.chosenItem = 2;  // ВА47-100
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", {{25, 115}});
    Run();
    EXPECT_TRUE(window.messages.shown.empty());
    EXPECT_EQ(window.report[14], "Потери напряжения - 2,5 %");
}

TEST_F(Calculation, DataThatWouldDivideByZeroStopsWithTheCause) {
    window.inputs[Input::Length] = "00";
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Длина трассы должна быть больше нуля."});

    window.messages.shown.clear();
    window.inputs[Input::Length] = "100";
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", {{0, 27}, {6, 46}});
    Run();
    ASSERT_EQ(window.messages.shown.size(), 1U);
    EXPECT_NE(window.messages.shown[0].text.find("сечением 0"), std::string::npos);

    window.messages.shown.clear();
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", kCopperRows);
    testing::FillTransformers(transformers, {{"TM-25/10", 25, 4.5}, {"TM-40/10", 40, 0}});
    window.choices[Choice::Transformer] = {{"TM-25/10", "TM-40/10"}, 1, ""};
    Run();
    ASSERT_EQ(window.messages.shown.size(), 1U);
    EXPECT_NE(window.messages.shown[0].text.find("TM-40/10"), std::string::npos);
    EXPECT_TRUE(window.report.empty());
}

// Values of zero or below stored before posts refused them: a multiple of 0
// passed a 400 m line on a 32 A breaker, a transformer of no power was passed
// over without a word.
TEST_F(Calculation, StoredValuesOfZeroOrBelowStopNamingTheRow) {
    testing::WriteBreakers(dir.Path(), {{"ВА47-29", 1, 40, 1, 5}, {"Ноль", 6, 63, 1, 0}});
    window.inputs[Input::Power] = "5,8";
    window.inputs[Input::Length] = "400";
    window.chosenItem = 1;
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{
                           "В базе данных <Автоматы> в строке 2 (серия «Ноль») значение поля "
                           "«Кратность тока при КЗ» должно быть больше нуля."});
    EXPECT_TRUE(window.report.empty());

    window.messages.shown.clear();
    window.chosenItem = 0;
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", {{2.5, 27}, {4, 0}, {6, 46}});
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{
                           "В таблице допустимых длительных токов в строке с сечением 4 кв.мм "
                           "длительный ток 0 А. Длительный ток должен быть больше нуля."});

    window.messages.shown.clear();
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", kCopperRows);
    testing::FillTransformers(transformers, {{"TM-25/10", -25, 4.5}, {"TM-40/10", 40, 4.7}});
    window.choices[Choice::Transformer] = {{"TM-25/10", "TM-40/10"}, 0, ""};
    window.offeredSeries.clear();
    Run();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"В базе данных <Трансформаторы> у трансформатора "
                                                "«TM-25/10» мощность должна быть больше нуля."});
    EXPECT_TRUE(window.offeredSeries.empty());
}

TEST_F(Calculation, ASeriesNoLongerInTheDatabaseStops) {
    // The chooser offers the series; someone deletes it before the check.
    struct DeletingWindow : FakeMainWindow {
        std::filesystem::path directory;
        std::string ChooseBreakerSeries(const std::vector<std::string>& series) override {
            testing::WriteBreakers(directory, {{"ВА47-63", 6, 63, 1, 5}});
            return FakeMainWindow::ChooseBreakerSeries(series);
        }
    };
    DeletingWindow deleting;
    deleting.directory = dir.Path();
    deleting.choices = window.choices;
    deleting.inputs = window.inputs;
    deleting.parameters = window.parameters;
    CalculationDriver(deleting, deleting, {currentTable, breakers, transformers, dir.Path()},
                      kComma)
        .Run();
    ASSERT_EQ(deleting.messages.shown.size(), 1U);
    EXPECT_NE(deleting.messages.shown[0].text.find("АП50"), std::string::npos);
    EXPECT_TRUE(deleting.report.empty());
}

TEST_F(Calculation, WithoutVoltageOptionStopsAfterTheChecks) {
    window.choices[Choice::Voltage].index = -1;
    Run();
    EXPECT_EQ(window.messages.shown,
              (std::vector<ShownMessage>{{"Выберите необходимое напряжение сети", "Kalvenor", 0}}));
    EXPECT_EQ(window.results[Result::NominalCurrent], "0");
    EXPECT_EQ(window.results[Result::VoltageLine], "");
    EXPECT_TRUE(window.offeredSeries.empty());
}

TEST_F(Calculation, PowerThatIsNotANumberEndsWithTheConversionError) {
    window.inputs[Input::Power] = "десять";
    Run();
    EXPECT_EQ(window.messages.shown,
              (std::vector<ShownMessage>{{"\"десять\" не является числом.", "Kalvenor", 16}}));
    EXPECT_EQ(window.results[Result::NominalCurrent], "0");
}

// What a caller without a window gets: the stop and its message, nothing
// shown and nothing asked. The table carries no 45,455 A.
TEST_F(Calculation, CalculateHandsTheStopBackWithoutShowingIt) {
    testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2", {{1.5, 19}, {2.5, 27}});
    auto stop = CalculationDriver(window, window,
                                  {currentTable, breakers, transformers, dir.Path()}, kComma)
                    .Calculate();
    ASSERT_TRUE(stop.has_value());
    EXPECT_EQ(stop->Box(), (Message{"В базе данных <Допустимые длительные токи> для данной "
                                    "нагрузки нет данных",
                                    "Kalvenor"}));
    EXPECT_TRUE(window.messages.shown.empty());
    EXPECT_TRUE(window.report.empty());

    window.inputs[Input::Power] = "десять";
    stop = CalculationDriver(window, window, {currentTable, breakers, transformers, dir.Path()},
                             kComma)
               .Calculate();
    ASSERT_TRUE(stop.has_value());
    EXPECT_STREQ(stop->what(), "\"десять\" не является числом.");
    EXPECT_TRUE(window.messages.shown.empty());

    // The same stop through the calculate button: the box, and the nominal
    // current of the step before stays beside the zeroed section.
    window.inputs[Input::Power] = "10";
    Run();
    EXPECT_EQ(window.messages.shown,
              (std::vector<ShownMessage>{{"В базе данных <Допустимые длительные токи> для данной "
                                          "нагрузки нет данных",
                                          "Kalvenor", 0}}));
    EXPECT_EQ(Results(), (std::vector<std::string>{"0", "0", "45,455"}));
}

TEST_F(Calculation, AnAbsurdPowerStopsInsteadOfPrintingInfinity) {
    window.inputs[Input::Power] = "1E307";
    Run();
    ASSERT_EQ(window.messages.shown.size(), 1U);
    EXPECT_NE(window.messages.shown[0].text.find("Расчет невозможен"), std::string::npos);
    EXPECT_EQ(window.results[Result::NominalCurrent], "0");
}

TEST_F(Calculation, NoTransformerLargeEnoughStopsBeforeTheChooser) {
    window.inputs[Input::Power] = "21";
    Run();
    EXPECT_EQ(window.messages.shown.back().text,
              "В базе данных <Трансформаторы> для данной нагрузки нет данных");
    EXPECT_EQ(window.choices[Choice::Transformer].index, 0);
    EXPECT_TRUE(window.offeredSeries.empty());
}

TEST_F(Calculation, NoFittingBreakerAsksAndEmptiesTheResults) {
    window.choices[Choice::Voltage].index = 1;
    window.messages.Plan(Answer::Yes);
    Run();
    EXPECT_EQ(window.messages.shown.back(),
              (ShownMessage{"В базе данных нет соответствующего двухполюсного автомата. Открыть "
                            "базу данных?",
                            "Предупреждение", 4}));
    EXPECT_EQ(window.log.back(), "set NominalCurrent=");
    EXPECT_NE(std::find(window.log.begin(), window.log.end(), "breaker database"),
              window.log.end());
    EXPECT_EQ(Results(), (std::vector<std::string>{"", "", ""}));
    EXPECT_TRUE(window.offeredSeries.empty());

    window.log.clear();
    std::filesystem::remove(dir / "Avtomat.xml");
    window.choices[Choice::Voltage].index = 0;
    Run();
    EXPECT_EQ(window.messages.shown.back().text,
              "В базе данных нет соответствующего однополюсного автомата. Открыть базу данных?");
    EXPECT_EQ(std::find(window.log.begin(), window.log.end(), "breaker database"),
              window.log.end());
}

}  // namespace
}  // namespace kalvenor
