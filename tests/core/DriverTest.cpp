#include "calc/Driver.h"
#include "calc/VoltageOptions.h"
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
        testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2",
                                   {{2.5, 27}, {1.5, 19}, {4, 38}});
        testing::WriteBreakers(dir.Path(), {{"ВА47-63", 6, 63, 1, 5},
                                            {"АП50", 1.6, 50, 1, 10},
                                            {"ВА47-100", 10, 100, 1, 10},
                                            {"ВА47-63-3", 6, 63, 3, 5}});
        testing::FillTransformers(
            transformers, {{"TM-25/10", 25, 4.5}, {"TM-40/10", 40, 4.7}, {"TM-63/10", 63, 4.5}});
        window.combos[Combo::ComboBox2] = {{"TM-25/10", "TM-40/10", "TM-63/10"}, 0, ""};
        window.combos[Combo::ComboBox1] = {{"ВВГ3.xml"}, 0, ""};
        window.combos[Combo::ComboBox3].index = 0;
        window.texts[Control::Edit3] = "10";
        window.texts[Control::Edit6] = "100";
    }

    void Run() {
        CalculationDriver(window, window, {currentTable, breakers, transformers, dir.Path()},
                          kComma)
            .Run();
    }

    test::TempDir dir;
    Dataset currentTable;
    Dataset breakers;
    Dataset transformers;
    FakeMainWindow window;
};

TEST_F(Calculation, ResetsResultsAndStateBeforeAFailingCheck) {
    window.texts[Control::Edit1] = "2,5";
    window.texts[Control::Edit2] = "27";
    window.texts[Control::Edit5] = "45,455";
    window.state = {true, 4, 3.5, true, 2.5};
    window.texts[Control::Edit3] = "";
    Run();
    EXPECT_EQ(window.messages.shown,
              (std::vector<ShownMessage>{{"Введите мощность", "Предупреждение", 48}}));
    EXPECT_EQ(window.texts[Control::Edit1], "0");
    EXPECT_EQ(window.texts[Control::Edit2], "0");
    EXPECT_EQ(window.texts[Control::Edit5], "0");
    EXPECT_TRUE(window.report.empty());
    EXPECT_FALSE(window.state.CalcAborted);
    EXPECT_EQ(window.state.ReducedSection, 0);
    EXPECT_EQ(window.state.VoltageDrop, 0);
    EXPECT_EQ(window.state.SelectedSection, 2.5);  // belongs to the selection, kept
}

TEST_F(Calculation, ReloadsTheChosenTableFromItsFileDroppingCorrections) {
    Run();
    ASSERT_TRUE(currentTable.Active());
    EXPECT_EQ(currentTable.RowCount(), 3U);
    EXPECT_EQ(currentTable.BoundFile(), dir / "ВВГ3.xml");
    currentTable.ApplyCorrection(kCurrentField, 0.94, 0.8);
    Run();
    EXPECT_FALSE(currentTable.Corrected());

    // A table file that vanished leaves the loaded copy as it was.
    std::filesystem::remove(dir / "ВВГ3.xml");
    currentTable.ApplyCorrection(kCurrentField, 0.94, 0.8);
    Run();
    EXPECT_TRUE(currentTable.Corrected());
}

TEST_F(Calculation, WithoutVoltageOptionStopsAfterTheChecks) {
    window.combos[Combo::ComboBox3].index = -1;
    Run();
    EXPECT_EQ(window.messages.shown,
              (std::vector<ShownMessage>{{"Выберите необходимое напряжение сети", "Kalvenor", 0}}));
    EXPECT_EQ(window.texts[Control::Edit5], "0");
    EXPECT_EQ(window.texts[Control::Label21], "");
    EXPECT_TRUE(window.offeredSeries.empty());
}

TEST_F(Calculation, PowerThatIsNotANumberEndsWithTheConversionError) {
    window.texts[Control::Edit3] = "десять";
    EXPECT_THROW(Run(), ConvertError);
    EXPECT_EQ(window.texts[Control::Edit5], "0");
}

TEST_F(Calculation, NominalCurrentThenTransformerThenTheFittingSeries) {
    Run();
    EXPECT_TRUE(window.messages.shown.empty());
    EXPECT_EQ(window.texts[Control::Label21], "Напряжение = 380 + 0 v.");
    EXPECT_EQ(window.texts[Control::Edit5], "45,455");
    // 10 kW on one phase needs 30 kVA: from 25 to the first above, 40.
    EXPECT_EQ(window.combos[Combo::ComboBox2].index, 1);
    EXPECT_EQ(window.offeredSeries, (std::vector<std::string>{"АП50", "ВА47-63", "ВА47-100"}));
    const auto select = std::find(window.log.begin(), window.log.end(), "select 1");
    const auto chooser = std::find(window.log.begin(), window.log.end(), "chooser");
    EXPECT_LT(select, chooser);
}

TEST_F(Calculation, WithoutTransformerModeTheTransformerIsLeftAlone) {
    window.state.UseTransformer = false;
    window.combos[Combo::ComboBox2].index = -1;
    window.texts[Control::Edit3] = "30";
    window.combos[Combo::ComboBox3].index = 2;
    Run();
    EXPECT_EQ(window.texts[Control::Edit5], "45,634");
    EXPECT_EQ(window.combos[Combo::ComboBox2].index, -1);
    EXPECT_EQ(window.offeredSeries, (std::vector<std::string>{"ВА47-63-3"}));
}

TEST_F(Calculation, NoTransformerLargeEnoughStopsBeforeTheChooser) {
    window.texts[Control::Edit3] = "21";
    Run();
    EXPECT_EQ(window.messages.shown.back().text,
              "В базе данных <Трансформаторы> для данной нагрузки нет данных");
    EXPECT_FALSE(window.state.CalcAborted);
    EXPECT_EQ(window.combos[Combo::ComboBox2].index, 0);
    EXPECT_TRUE(window.offeredSeries.empty());
}

TEST_F(Calculation, NoFittingBreakerAsksAndEmptiesTheResults) {
    window.combos[Combo::ComboBox3].index = 1;
    window.messages.Plan(kIdYes);
    Run();
    EXPECT_EQ(window.messages.shown.back(),
              (ShownMessage{"В базе данных нет соответствующего двухполюсного автомата. Открыть "
                            "базу данных?",
                            "Предупреждение", 4}));
    EXPECT_EQ(window.log.back(), "set Edit5=");
    EXPECT_NE(std::find(window.log.begin(), window.log.end(), "breaker database"),
              window.log.end());
    EXPECT_EQ(window.texts[Control::Edit1], "");
    EXPECT_EQ(window.texts[Control::Edit2], "");
    EXPECT_TRUE(window.offeredSeries.empty());

    window.log.clear();
    std::filesystem::remove(dir / "Avtomat.xml");
    window.combos[Combo::ComboBox3].index = 0;
    Run();
    EXPECT_EQ(window.messages.shown.back().text,
              "В базе данных нет соответствующего однополюсного автомата. Открыть базу данных?");
    EXPECT_EQ(std::find(window.log.begin(), window.log.end(), "breaker database"),
              window.log.end());
}

}  // namespace
}  // namespace kalvenor
