#include "calc/ShortCircuit.h"
#include "calc/Stop.h"
#include "calc/TableReads.h"
#include "tests/core/TempDir.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

namespace kalvenor {
namespace {

struct TransformerCase {
    const char* material;
    double section;
    double uk;
    double power;
    double length;
    double current;
};

class TransformerModeExample : public ::testing::TestWithParam<TransformerCase> {};

TEST_P(TransformerModeExample, RoundedToWholeAmperes) {
    const TransformerCase& c = GetParam();
    EXPECT_EQ(ShortCircuitCurrent(c.material, c.section, c.uk, c.power, c.length), c.current);
}

// The transformer's impedance on its 400 V side: 4,5 % of 25 kVA is
// 0,288 Ohm, 2,5 mm2 of copper over 100 m 1,44125 Ohm: 230 / 1,72925 = 133,0.
INSTANTIATE_TEST_SUITE_P(Worked, TransformerModeExample,
                         ::testing::Values(TransformerCase{"Медь", 2.5, 4.5, 25, 100, 133},
                                           TransformerCase{"Алюминий", 2.5, 4.5, 25, 100, 94},
                                           TransformerCase{"Медь", 4, 4.5, 25, 100, 193},
                                           // 10 m: 0,144 + 0,288 Ohm, 532 A.
                                           TransformerCase{"Медь", 2.5, 4.5, 25, 10, 532}));

TEST(ApproxShortCircuitCurrent, NotRoundedAndCopperOnlyByItsExactName) {
    EXPECT_NEAR(ApproxShortCircuitCurrent("Медь", 100, 2.5), 81.48148, 1e-5);
    EXPECT_NEAR(ApproxShortCircuitCurrent("МЕДЬ", 100, 2.5), 54.32099, 1e-5);
}

TEST(ShortCircuitOperations, DegenerateDataNeverGiveInfOrNan) {
    for (const double value :
         {ShortCircuitCurrent("Медь", 0, 4.5, 25, 100),
          ShortCircuitCurrent("Медь", 2.5, 4.5, 0, 100), ShortCircuitCurrent("Медь", 2.5, 0, 25, 0),
          ApproxShortCircuitCurrent("Медь", 0, 2.5), ApproxShortCircuitCurrent("Медь", 100, 0)}) {
        EXPECT_EQ(value, 0);
    }
}

TEST(ReleaseMultiple, LastRowInMaximumCurrentOrderWins) {
    test::TempDir dir;
    testing::WriteBreakers(
        dir.Path(),
        {{"ВА47-63", 6, 63, 1, 5}, {"ВА47-63", 1, 16, 1, 10}, {"АП50", 1.6, 100, 1, 3.5}});
    Dataset breakers;
    ASSERT_TRUE(DirectoryTableReader(dir.Path()).ReadBreakers(breakers));
    EXPECT_EQ(ReleaseMultiple(breakers, "ВА47-63"), 5);
    EXPECT_EQ(ReleaseMultiple(breakers, "АП50"), 3.5);
    EXPECT_EQ(ReleaseMultiple(breakers, "ва47-63"), std::nullopt);
}

class TripCheck : public ::testing::Test {
protected:
    void SetUp() override {
        testing::FillCurrentTable(table, "В воздухе", "2",
                                  {{1.5, 19}, {2.5, 27}, {4, 38}, {6, 50}});
    }

    // Copper, 100 m from 2,5 mm2: approximately 81,48 A, 130,37 A at 4 and
    // 195,56 A at 6; through 25 kVA at 4,5 %: 133 A at 2,5, 193 A at 4.
    double Check(double rated, double multiple, bool transformer) {
        return CheckShortCircuit(table, {.material = "Медь",
                                         .length = 100,
                                         .selectedSection = 2.5,
                                         .uk = 4.5,
                                         .powerKva = 25,
                                         .ratedCurrent = rated,
                                         .releaseMultiple = multiple,
                                         .useTransformer = transformer});
    }

    Dataset table;
};

TEST_F(TripCheck, SelectedSectionPassesAtOnce) {
    EXPECT_EQ(Check(16, 5, false), 2.5);
}

TEST_F(TripCheck, MovesUpToTheFirstRowThatTrips) {
    EXPECT_EQ(Check(25, 5, false), 4);    // 125 A
    EXPECT_EQ(Check(32, 5, false), 6);    // 160 A
    EXPECT_EQ(Check(19, 7.01, true), 4);  // 133,19 A against 133
}

TEST_F(TripCheck, EqualCurrentTrips) {
    EXPECT_EQ(Check(19, 7, true), 2.5);  // exactly 133 A
}

TEST_F(TripCheck, NothingTripsStopsWithTheAdvice) {
    std::vector<Message> stops;
    for (const bool transformer : {true, false}) {
        try {
            Check(100, 10, transformer);
            ADD_FAILURE() << "no stop";
        } catch (const CalculationStop& stop) {
            stops.push_back(stop.Box());
        }
    }
    const std::string heading =
        "Ток короткого замыкания превышает ток электромагнитного расцепителя автомата.\n"
        "Необходимо произвести следующие действия:\n ";
    const std::string rest =
        "2)Выберите автомат с меньшим током электромагнитного расцепителя;\n "
        "3)Выберите таблицу с большим сечением жил провода или кабеля;\n "
        "4)Уменьшите мощность потребителя;\n 5)Уменьшите длину провода или кабеля.";
    EXPECT_EQ(stops, (std::vector<Message>{
                         {heading + "1)Увеличите мощность трансформатора;\n " + rest, "Kalvenor"},
                         {heading + rest, "Kalvenor"}}));
}

}  // namespace
}  // namespace kalvenor
