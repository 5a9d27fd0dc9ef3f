#include "calc/DataProblems.h"
#include "calc/Report.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kalvenor {
namespace {

constexpr NumberFormat kComma{','};

TEST(ReportLines, TwentyTwoLinesWithTypedTextsKept) {
    const std::string separator(76, '-');
    const std::vector<std::string> lines = ReportLines({.power = "10,0",
                                                        .cosPhi = "1",
                                                        .voltageLine = "Напряжение = 380 + 0 v.",
                                                        .length = "100",
                                                        .temperature = "25",
                                                        .nominalCurrent = 45.455,
                                                        .voltageDrop = 3.10,
                                                        .section = 16,
                                                        .shortCircuitCurrent = 651.85,
                                                        .series = "ВА47-63",
                                                        .ratedCurrent = 50},
                                                       kComma);
    EXPECT_EQ(lines, (std::vector<std::string>{"Расчет электрической сети",
                                               "",
                                               "Мощность нагрузки - 10,0 KWT",
                                               separator,
                                               "Коэффициент мощности (cos f) - 1",
                                               separator,
                                               "Напряжение = 380 + 0 v.",
                                               separator,
                                               "Длина трассы - 100 м",
                                               separator,
                                               "Температура среды - 25 C",
                                               separator,
                                               "Номинальный ток - 45,5 A",
                                               separator,
                                               "Потери напряжения - 3,1 %",
                                               separator,
                                               "Сечение жил - 16 кв.мм",
                                               separator,
                                               "Ток короткого замыкания - 651,85 A",
                                               separator,
                                               "Автомат серии - ВА47-63   50  A",
                                               separator}));
}

TEST(DataProblems, SectionsMustBePositive) {
    Dataset table;
    testing::FillCurrentTable(table, "В воздухе", "2", {{1.5, 19}, {2.5, 27}});
    EXPECT_EQ(SectionTableProblem(table, kComma), std::nullopt);
    testing::FillCurrentTable(table, "В воздухе", "2", {{1.5, 19}, {0, 27}});
    EXPECT_EQ(SectionTableProblem(table, kComma),
              "В таблице допустимых длительных токов есть строка с сечением 0 кв.мм. Сечение "
              "должно быть больше нуля.");
    testing::FillCurrentTable(table, "В воздухе", "2", {{1.5, 19}, {-2.5, 27}});
    EXPECT_NE(SectionTableProblem(table, kComma)->find("сечением -2,5 кв.мм"), std::string::npos);
    testing::FillCurrentTable(table, "В воздухе", "2", {{1.5, 19}});
    table.InsertRow({std::monostate{}, 30.0, std::monostate{}, std::monostate{}, std::monostate{},
                     std::monostate{}, std::monostate{}});
    EXPECT_EQ(SectionTableProblem(table, kComma),
              "В таблице допустимых длительных токов есть строка без сечения. Сечение должно быть "
              "больше нуля.");
}

// A figure that is missing, zero, negative or not a number would divide by
// zero or give nonsense: each is refused, and only those. The power is judged
// before the short-circuit voltage, and the message names the transformer.
TEST(DataProblems, EveryFigureADivisionNeedsMustBeAPositiveNumber) {
    const auto problem = [](std::optional<double> power, std::optional<double> uk) {
        return TransformerDataProblem("ТМ-25/10", power, uk);
    };
    for (const double good : {25.0, 1e-9}) {
        EXPECT_EQ(problem(good, good), std::nullopt) << good;
        EXPECT_EQ(LengthProblem(good), std::nullopt) << good;
    }
    const std::vector<std::optional<double>> bad = {std::nullopt, 0.0, -0.0, -1.0,
                                                    std::numeric_limits<double>::quiet_NaN()};
    for (const std::optional<double>& value : bad) {
        const std::string shown = value ? std::to_string(*value) : "none";
        const auto power = problem(value, 4.5);
        ASSERT_TRUE(power.has_value()) << shown;
        EXPECT_NE(power->find("«ТМ-25/10»"), std::string::npos) << *power;
        EXPECT_NE(power->find("мощност"), std::string::npos) << *power;
        EXPECT_EQ(problem(value, value), power) << shown;
        const auto uk = problem(25, value);
        ASSERT_TRUE(uk.has_value()) << shown;
        EXPECT_NE(uk->find("напряжени"), std::string::npos) << *uk;
        EXPECT_EQ(uk->find("мощност"), std::string::npos) << *uk;
        if (value) {
            EXPECT_TRUE(LengthProblem(*value).has_value()) << shown;
        }
    }
    // A missing figure is told apart from a wrong one.
    EXPECT_NE(problem(std::nullopt, 4.5), problem(0, 4.5));
    EXPECT_NE(problem(25, std::nullopt), problem(25, 0));
    EXPECT_NE(MissingSeriesMessage("ВА47-29 C").find("«ВА47-29 C»"), std::string::npos);
}

}  // namespace
}  // namespace kalvenor
