#include "coeff/GroupingTable.h"

#include "base/Numbers.h"
#include "coeff/GroupingTarget.h"
#include "tests/support/FakeMainWindow.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace kalvenor {
namespace {

constexpr NumberFormat kComma{','};

// The printed table, row by row (1 to 6 cables) at 100, 200 and 300 mm.
const std::array<std::array<const char*, 3>, 6> kPrinted = {{
    {"1", "1", "1"},
    {"0,90", "0,92", "0,93"},
    {"0,85", "0,87", "0,90"},
    {"0,80", "0,84", "0,87"},
    {"0,78", "0,82", "0,86"},
    {"0,75", "0,81", "0,85"},
}};

TEST(GroupingCoefficient, EveryCellAsPrintedAndConvertible) {
    for (int row = 0; row < 6; ++row) {
        for (int column = 0; column < 3; ++column) {
            const auto text = GroupingCoefficientText(row, column, kComma);
            ASSERT_TRUE(text.has_value()) << row << ' ' << column;
            EXPECT_EQ(*text, kPrinted[row][column]) << row << ' ' << column;
            // The calculation converts the text with the same separator.
            const double value = StrToFloat(*text, kComma);
            EXPECT_GT(value, 0.7);
            EXPECT_LE(value, 1.0);
        }
    }
}

TEST(GroupingCoefficient, FollowsTheProgramsDecimalSeparator) {
    const NumberFormat point{'.'};
    EXPECT_EQ(GroupingCoefficientText(5, kSpacing300, point), "0.85");
    EXPECT_EQ(GroupingCoefficientText(0, kSpacing300, point), "1");
    EXPECT_EQ(StrToFloat(*GroupingCoefficientText(3, kSpacing200, point), point), 0.84);
}

TEST(GroupingCoefficient, NothingOutsideTheTable) {
    EXPECT_FALSE(GroupingCoefficientText(-1, kSpacing100, kComma));
    EXPECT_FALSE(GroupingCoefficientText(6, kSpacing100, kComma));
    EXPECT_FALSE(GroupingCoefficientText(0, -1, kComma));
    EXPECT_FALSE(GroupingCoefficientText(0, 3, kComma));
}

TEST(GroupingCoefficient, OnlyTheExactLayingMethodInTheGround) {
    EXPECT_TRUE(AcceptsGroupingCoefficient("В земле"));
    for (const char* other : {"в земле", "В Земле", "В ЗЕМЛЕ", " В земле", "В земле ", "В  земле",
                              "В земле\n", "", "В воздухе", "В земл"}) {
        EXPECT_FALSE(AcceptsGroupingCoefficient(other)) << '"' << other << '"';
    }
}

TEST(MainWindowGroupingTarget, ReadsAndWritesTheMainWindowsOwnFields) {
    testing::FakeMainWindow window;
    window.parameters[TableParameter::LayingMethod] = "В земле";
    MainWindowGroupingTarget target(window);
    EXPECT_EQ(target.LayingMethod(), "В земле");
    target.SetCoefficient("0,85");
    target.ZeroResults();
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"set Grouping=0,85", "set Section=0",
                                        "set PermissibleCurrent=0", "set NominalCurrent=0"}));
}

}  // namespace
}  // namespace kalvenor
