#include "calc/DataProblems.h"
#include "calc/Report.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

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

TEST(DataProblems, TransformerLengthAndSeries) {
    EXPECT_EQ(TransformerDataProblem("TM-25/10", 25, 4.5), std::nullopt);
    EXPECT_EQ(TransformerDataProblem("TM-25/10", std::nullopt, 4.5),
              "В базе данных <Трансформаторы> у трансформатора «TM-25/10» не указана мощность.");
    EXPECT_EQ(TransformerDataProblem("TM-25/10", 0, 4.5),
              "В базе данных <Трансформаторы> у трансформатора «TM-25/10» мощность должна быть "
              "больше нуля.");
    EXPECT_EQ(TransformerDataProblem("TM-25/10", 25, std::nullopt),
              "В базе данных <Трансформаторы> у трансформатора «TM-25/10» не указано напряжение "
              "короткого замыкания.");
    EXPECT_EQ(TransformerDataProblem("TM-25/10", 25, -1),
              "В базе данных <Трансформаторы> у трансформатора «TM-25/10» напряжение короткого "
              "замыкания должно быть больше нуля.");
    EXPECT_EQ(LengthProblem(0), "Длина трассы должна быть больше нуля.");
    EXPECT_EQ(LengthProblem(0.5), std::nullopt);
    EXPECT_EQ(MissingSeriesMessage("X"),
              "В базе данных <Автоматы> нет автомата серии «X». Выполните расчет заново.");
}

}  // namespace
}  // namespace kalvenor
