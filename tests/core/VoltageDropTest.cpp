#include "calc/Stop.h"
#include "calc/VoltageDrop.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

namespace kalvenor {
namespace {

using testing::ScriptedMessageBox;
using testing::ShownMessage;

constexpr NumberFormat kComma{','};

struct DropCase {
    int option;
    const char* material;
    double current;
    double length;
    double cosPhi;
    double section;
    const char* percent;  // to three decimals
};

class DropExample : public ::testing::TestWithParam<DropCase> {};

TEST_P(DropExample, Percent) {
    const DropCase& c = GetParam();
    const LineData line{*FindVoltageOption(c.option), c.material, c.cosPhi, c.length, c.current};
    EXPECT_EQ(FloatToStr(RoundTo(VoltageDropPercent(line, c.section), -3), kComma), c.percent);
}

INSTANTIATE_TEST_SUITE_P(Published, DropExample,
                         ::testing::Values(DropCase{1, "Медь", 10, 100, 1, 2.5, "3,693"},
                                           // 220 V instead of 380
                                           DropCase{0, "Медь", 10, 100, 1, 2.5, "6,38"},
                                           // 1.73, not the square root of 3
                                           DropCase{2, "Медь", 10, 100, 1, 2.5, "3,195"},
                                           // only the exact word is copper
                                           DropCase{1, "медь", 10, 100, 1, 2.5, "6,38"},
                                           DropCase{1, "Алюминий", 10, 100, 0.8, 2.5, "5,104"}));

class DropLimits : public ::testing::Test {
protected:
    void SetUp() override {
        testing::FillCurrentTable(table, "В воздухе", "2",
                                  {{1.5, 19}, {2.5, 27}, {4, 38}, {6, 50}});
    }

    LineData Line(double current) const { return {*FindVoltageOption(1), "Медь", 1, 100, current}; }

    Dataset table;
    ScriptedMessageBox messages;
    MainWindowState state;
};

TEST_F(DropLimits, WithinTwentyNothingMoves) {
    state.SelectedSection = 2.5;
    EnforceHardDropLimit(table, Line(10), state, kComma);
    EXPECT_EQ(state.VoltageDrop, 3.69);
    EXPECT_EQ(state.ReducedSection, 0);
}

TEST_F(DropLimits, ExactlyTwentyAfterRoundingPasses) {
    state.SelectedSection = 2.5;
    EnforceHardDropLimit(table, Line(54.15), state, kComma);
    EXPECT_EQ(state.VoltageDrop, 20);
    EXPECT_EQ(state.ReducedSection, 0);
}

TEST_F(DropLimits, AboveTwentyScansFromTheFirstRowToTheFirstWithin) {
    state.SelectedSection = 1.5;  // 33,33 %
    EnforceHardDropLimit(table, Line(54.15), state, kComma);
    EXPECT_EQ(state.ReducedSection, 2.5);
    EXPECT_EQ(state.VoltageDrop, 20);
}

TEST_F(DropLimits, NoRowWithinTwentyCancelsWithTheLastRowsDrop) {
    testing::FillCurrentTable(table, "В воздухе", "2", {{1.5, 19}, {2.5, 27}});
    state.SelectedSection = 1.5;
    try {
        EnforceHardDropLimit(table, Line(60), state, kComma);
        ADD_FAILURE() << "no stop";
    } catch (const CalculationStop& stop) {
        EXPECT_EQ(stop.Box(), (Message{"Падение напряжения  22,16%, предельное падение не более "
                                       "20 %, группа отменяется",
                                       "Предупреждение", Buttons::Ok, Icon::Warning}));
    }
    EXPECT_EQ(state.ReducedSection, 2.5);
    EXPECT_EQ(state.VoltageDrop, 22.16);
}

TEST_F(DropLimits, PermittedDropPicksTheFirstSectionThatMeetsItUnrounded) {
    // 3,69 % at 2,5 mm2: a permitted 2,5 % needs 3,69 mm2 or more.
    ApplyPermittedDrop(table, Line(10), 2.5, state, messages, kComma);
    EXPECT_EQ(state.ReducedSection, 4);
    EXPECT_EQ(state.VoltageDrop, VoltageDropPercent(Line(10), 4));
    EXPECT_NE(state.VoltageDrop, RoundTo(state.VoltageDrop, -2));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DropLimits, PermittedDropEqualToThePresentOneKeepsTheSection) {
    const double drop = VoltageDropPercent(Line(10), 2.5);
    EXPECT_GE(RequiredSection(table, Line(10), drop, messages, kComma), 2.5);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DropLimits, PermittedDropBeyondTheTableGivesTheLargestAndItsDrop) {
    EXPECT_EQ(RequiredSection(table, Line(10), 0.5, messages, kComma), 6);
    EXPECT_EQ(messages.shown,
              (std::vector<ShownMessage>{{"Максимальное падение напряжения-1,54", "", 0}}));
}

TEST(DropTexts, QuestionAndRefusals) {
    EXPECT_EQ(DropQuestion(3.1, kComma), "Падение напряжения  3,1. Уменьшить падение напряжения?");
    const std::string aboveZero = "Процент падения напряжения должен быть больше нуля";
    EXPECT_EQ(PermittedDropRefusal(0, 3.69, kComma), aboveZero);
    EXPECT_EQ(PermittedDropRefusal(-1, 3.69, kComma), aboveZero);
    EXPECT_EQ(PermittedDropRefusal(3.7, 3.69, kComma),
              "Процент падения напряжения должен быть меньше или равно 3,69");
    EXPECT_EQ(PermittedDropRefusal(3.69, 3.69, kComma), std::nullopt);
    EXPECT_EQ(PermittedDropRefusal(2.5, 3.69, kComma), std::nullopt);
}

}  // namespace
}  // namespace kalvenor
