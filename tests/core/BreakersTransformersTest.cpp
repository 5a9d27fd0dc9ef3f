#include "calc/Breakers.h"
#include "calc/Stop.h"
#include "calc/TableReads.h"
#include "calc/Transformers.h"
#include "tests/core/TempDir.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

namespace kalvenor {
namespace {

TEST(ListBreakers, RangeEndsInclusivePolesMustMatchRepeatsKeptInCurrentOrder) {
    test::TempDir dir;
    testing::WriteBreakers(dir.Path(), {
                                           {"ВА47-63", 16, 63, 1, 10},
                                           {"АП50", 1.6, 16, 1, 10},
                                           {"ВА47-63", 6, 40, 1, 5},
                                           {"АЕ2046", 10, 63, 3, 12},
                                           {"ВА88", 16.01, 100, 1, 10},
                                       });
    // Both readers order the database alike.
    Dataset fromFile;
    Dataset held;
    ASSERT_TRUE(DirectoryTableReader(dir.Path()).ReadBreakers(fromFile));
    ASSERT_TRUE(HeldTableReader(dir.Path()).ReadBreakers(held));
    for (const Dataset* breakers : {&fromFile, &held}) {
        EXPECT_EQ(ListBreakers(*breakers, 1, 16),
                  (std::vector<std::string>{"АП50", "ВА47-63", "ВА47-63"}));
        EXPECT_EQ(ListBreakers(*breakers, 1, 1.6), (std::vector<std::string>{"АП50"}));
        EXPECT_EQ(ListBreakers(*breakers, 3, 16), (std::vector<std::string>{"АЕ2046"}));
        EXPECT_TRUE(ListBreakers(*breakers, 2, 16).empty());
        EXPECT_TRUE(ListBreakers(*breakers, 1, 100.5).empty());
        EXPECT_EQ(breakers->Order(), kMaxCurrentField);
    }
}

TEST(ReadBreakers, WritesBackPendingEditsThenRereadsAndAMissingFileReadsNothing) {
    test::TempDir dir;
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 16, 1, 10}});
    Dataset breakers;
    breakers.Bind(dir / "Avtomat.xml");
    breakers.Open();
    breakers.InsertRow({std::string("ВА47-29"), 1.0, 63.0, std::int64_t{2}, 5.0});
    DirectoryTableReader reader(dir.Path());
    ASSERT_TRUE(reader.ReadBreakers(breakers));
    EXPECT_EQ(ListBreakers(breakers, 2, 20), (std::vector<std::string>{"ВА47-29"}));
    EXPECT_FALSE(breakers.Modified());

    std::filesystem::remove(dir / "Avtomat.xml");
    EXPECT_FALSE(reader.ReadBreakers(breakers));
}

// A batch reads a file once: what it read stands for the whole batch, and
// every copy it hands out starts from the stored currents again.
TEST(HeldTableReader, ReadsEachFileOnceAndHandsOutFreshCopies) {
    test::TempDir dir;
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 16, 1, 10}});
    testing::WriteCurrentTable(dir / "T.xml", "В воздухе", "3", {{4, 38}, {2.5, 27}});
    HeldTableReader reader(dir.Path());
    Dataset table;
    ASSERT_TRUE(reader.ReadCurrentTable(table, "T.xml"));
    EXPECT_EQ(table.At(0, 0), Value(2.5));
    table.ApplyCorrection(kCurrentField, 0.5, 1);
    Dataset breakers;
    ASSERT_TRUE(reader.ReadBreakers(breakers));

    std::filesystem::remove(dir / "T.xml");
    std::filesystem::remove(dir / "Avtomat.xml");
    ASSERT_TRUE(reader.ReadCurrentTable(table, "T.xml"));
    EXPECT_FALSE(table.Corrected());
    EXPECT_EQ(table.BoundFile(), std::filesystem::path());
    EXPECT_TRUE(reader.ReadBreakers(breakers));
    EXPECT_FALSE(reader.ReadCurrentTable(table, "Нет.xml"));
    EXPECT_EQ(reader.CurrentTable("Нет.xml"), nullptr);

    test::WriteBytes(dir / "Broken.xml", "<DATAPACKET");
    EXPECT_THROW(reader.ReadCurrentTable(table, "Broken.xml"), FileError);
    EXPECT_THROW(reader.CurrentTable("Broken.xml"), FileError);
    // The breaker database is no current table.
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 16, 1, 10}});
    EXPECT_THROW(reader.CurrentTable("Avtomat.xml"), FileError);
}

TEST(RatedCurrent, StandardSeries) {
    EXPECT_EQ(RatedCurrent(0), 0);
    EXPECT_EQ(RatedCurrent(0.1), 0.32);
    EXPECT_EQ(RatedCurrent(0.32), 0.32);
    EXPECT_EQ(RatedCurrent(1.1), 1.25);
    EXPECT_EQ(RatedCurrent(15.2), 16);
    EXPECT_EQ(RatedCurrent(16), 16);
    EXPECT_EQ(RatedCurrent(45.455), 50);
    EXPECT_EQ(RatedCurrent(630), 630);
    EXPECT_EQ(RatedCurrent(630.01), 1000);
}

TEST(MissingBreakerQuestion, ByPoles) {
    EXPECT_EQ(MissingBreakerQuestion(1),
              "В базе данных нет соответствующего однополюсного автомата. Открыть базу данных?");
    EXPECT_EQ(MissingBreakerQuestion(2),
              "В базе данных нет соответствующего двухполюсного автомата. Открыть базу данных?");
    EXPECT_EQ(MissingBreakerQuestion(3),
              "В базе данных нет соответствующего трехполюсного автомата. Открыть базу данных?");
}

class TransformerChoice : public ::testing::Test {
protected:
    void SetUp() override {
        testing::FillTransformers(transformers, {{"TM-63/10", 63, 4.5},
                                                 {"TM-25/10", 25, 4.5},
                                                 {"TM-40/10", 40, 4.7},
                                                 {"TM-100/10", 100, 4.5},
                                                 {"TM-100/6", 100, 4.7}});
        for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
            items.push_back(std::get<std::string>(transformers.At(row, 0)));
        }
    }

    int Choose(int poles, int current, double power) {
        return ChooseTransformer(transformers,
                                 {.option = *FindVoltageOption(poles - 1),
                                  .currentName = items[static_cast<std::size_t>(current)],
                                  .currentIndex = current,
                                  .loadPowerKw = power});
    }

    Dataset transformers;
    std::vector<std::string> items;
};

TEST_F(TransformerChoice, ListFollowsPowerOrderWithEqualPowersInEntryOrder) {
    EXPECT_EQ(items, (std::vector<std::string>{"TM-25/10", "TM-40/10", "TM-63/10", "TM-100/10",
                                               "TM-100/6"}));
    EXPECT_EQ(TransformerPower(transformers, "TM-40/10"), 40);
    EXPECT_EQ(TransformerUk(transformers, "TM-40/10"), 4.7);
    EXPECT_EQ(TransformerPower(transformers, "нет такого"), std::nullopt);
}

TEST_F(TransformerChoice, KeepsTheCurrentOneWhileItsPowerCoversTheLoad) {
    EXPECT_EQ(Choose(3, 1, 40), 1);  // exactly its power
    EXPECT_EQ(Choose(2, 1, 40.0 / 1.5), 1);
    EXPECT_EQ(Choose(1, 2, 21), 2);  // 63 kVA for 3 x 21
}

TEST_F(TransformerChoice, MovesToTheFirstStrictlyGreater) {
    EXPECT_EQ(Choose(1, 0, 10), 1);  // 30 kVA needed: 40
    EXPECT_EQ(Choose(3, 0, 40), 2);  // an equal power is passed over: 63
    EXPECT_EQ(Choose(2, 0, 42), 3);  // 63 needed: the first above 63 is 100
}

TEST_F(TransformerChoice, NoneLargeEnoughStopsWithTheMessageEvenAtTheLargestsPower) {
    for (double power : {100.0, 250.0}) {
        try {
            Choose(3, 0, power);
            ADD_FAILURE() << power;
        } catch (const CalculationStop& stop) {
            EXPECT_EQ(stop.Box(),
                      (Message{"В базе данных <Трансформаторы> для данной нагрузки нет данных",
                               "Kalvenor"}));
        }
    }
}

// Rows C 10, A 25, B 40, A 63 and 30 kVA required: the rows are scanned by
// position, so B, not the last "A" the name would find.
TEST_F(TransformerChoice, RowsAreScannedByPositionEvenWhenNamesRepeat) {
    testing::FillTransformers(transformers,
                              {{"C", 10, 4.5}, {"A", 25, 4.5}, {"B", 40, 4.5}, {"A", 63, 4.5}});
    const int chosen = ChooseTransformer(transformers, {.option = *FindVoltageOption(2),
                                                        .currentName = "C",
                                                        .currentIndex = 0,
                                                        .loadPowerKw = 30});
    EXPECT_EQ(chosen, 2);
    EXPECT_EQ(std::get<std::string>(transformers.At(2, 0)), "B");
}

}  // namespace
}  // namespace kalvenor
