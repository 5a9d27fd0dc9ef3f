#include "tables/Catalogue.h"
#include "tables/DataPacket.h"
#include "tables/Databases.h"
#include "tests/core/TempDir.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

namespace kalvenor {
namespace {

constexpr NumberFormat kComma{','};

TEST(Catalogue, OffersTheTablesOfTheOptionsCoresAndSkipsForeignFiles) {
    test::TempDir dir;
    testing::WriteCurrentTable(dir / "b2.xml", "В воздухе", "2", {{2.5, 27}});
    testing::WriteCurrentTable(dir / "a3.xml", "В земле", "3", {{2.5, 29}});
    testing::WriteCurrentTable(dir / "c3.xml", "В воздухе", "3", {});
    testing::WriteCurrentTable(dir / "d4.xml", "В воздухе", "4", {{4, 38}});
    testing::WriteCurrentTable(dir / "e5.xml", "В воздухе", "3,5", {{4, 38}});
    testing::WriteBreakers(dir.Path(), {});
    test::WriteBytes(dir / "broken.xml", "<?xml version=\"1.0\"?><DATAPACKET><METADATA>");
    test::WriteBytes(dir / "notes.txt", "не таблица");
    Dataset foreign;
    foreign.Create(BreakerFieldDefs());
    foreign.Write(dir / "foreign.xml");

    // A table under a name that cannot be shown or chosen, and one whose
    // metadata lies beyond what a header can take (a gigabyte without its
    // end was read whole at every choice of the voltage).
    testing::WriteCurrentTable(dir / "f3\xFF.xml", "В воздухе", "3", {});
    test::WriteBytes(dir / "g3.xml",
                     "<!--" + std::string(70000, '-') + "-->" + test::ReadBytes(dir / "c3.xml"));

    const CatalogueScan three = ScanCatalogue(dir.Path(), 1, kComma);
    EXPECT_EQ(three.tables, (std::vector<std::string>{"a3.xml", "c3.xml"}));
    EXPECT_EQ(three.skipped,
              (std::vector<std::string>{"f3\\xFF.xml (имя файла не в кодировке UTF-8)",
                                        "broken.xml", "foreign.xml", "g3.xml"}));
    EXPECT_EQ(ScanCatalogue(dir.Path(), 0, kComma).tables, std::vector<std::string>{"b2.xml"});
    EXPECT_EQ(ScanCatalogue(dir.Path(), 2, kComma).tables, std::vector<std::string>{"d4.xml"});
}

TEST(Catalogue, CoresToVoltageOption) {
    EXPECT_EQ(VoltageOptionForCores("2", kComma), 0);
    EXPECT_EQ(VoltageOptionForCores("4", kComma), 2);
    EXPECT_EQ(VoltageOptionForCores("3,9", kComma), 1);
    EXPECT_EQ(VoltageOptionForCores("5", kComma), -1);
    EXPECT_EQ(VoltageOptionForCores("1", kComma), -1);
    EXPECT_EQ(VoltageOptionForCores("1e300", kComma), -1);
    EXPECT_THROW(VoltageOptionForCores("три", kComma), ConvertError);
}

TEST(Catalogue, Messages) {
    EXPECT_EQ(MissingTablesQuestion(0),
              "В базе данных <Допустимые длительные токи> нет двухжильного провода или "
              "кабеля.\nОткрыть базу данных? ");
    EXPECT_EQ(MissingTablesQuestion(2),
              "В базе данных <Допустимые длительные токи> нет четырехжильного провода или "
              "кабеля.\nОткрыть базу данных? ");
    std::vector<std::string> many(25, "x.xml");
    const std::string message = SkippedTablesMessage(many);
    EXPECT_NE(message.find("и ещё 5"), std::string::npos);
}

TEST(Databases, MissingFileIsCreatedEmptyAndBound) {
    test::TempDir dir;
    Dataset breakers;
    EXPECT_EQ(OpenDatabase(breakers, dir / "Avtomat.xml", BreakerFieldDefs(), {},
                           std::string(kMaxCurrentField)),
              std::nullopt);
    EXPECT_EQ(ReadFieldDefs(dir / "Avtomat.xml"), BreakerFieldDefs());
    EXPECT_EQ(breakers.BoundFile(), dir / "Avtomat.xml");
    EXPECT_EQ(breakers.Order(), kMaxCurrentField);
    breakers.InsertRow({std::string("АП50"), 1.6, 50.0, std::int64_t{1}, 10.0});
    breakers.Close();
    EXPECT_EQ(ReadDataPacket(dir / "Avtomat.xml").rows.size(), 1U);

    Dataset transformers;
    OpenDatabase(transformers, dir / "tranform.xml", TransformerFieldDefs(), TransformerIndexDefs(),
                 std::string(kPowerField));
    EXPECT_EQ(ReadDataPacket(dir / "tranform.xml").indexes, TransformerIndexDefs());
}

TEST(Databases, UnreadableOrForeignFileIsKeptAsideAndReplaced) {
    test::TempDir dir;
    test::WriteBytes(dir / "Avtomat.xml", "мусор");
    testing::WriteCurrentTable(dir / "tranform.xml", "В воздухе", "2", {{2.5, 27}});
    test::WriteBytes(dir / "tranform.xml.bad", "an older one");
    Dataset breakers;
    const auto warning = OpenDatabase(breakers, dir / "Avtomat.xml", BreakerFieldDefs(), {},
                                      std::string(kMaxCurrentField));
    ASSERT_TRUE(warning.has_value());
    EXPECT_NE(warning->find("Avtomat.xml.bad"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "Avtomat.xml.bad"), "мусор");
    EXPECT_EQ(ReadFieldDefs(dir / "Avtomat.xml"), BreakerFieldDefs());

    Dataset transformers;
    const auto second = OpenDatabase(transformers, dir / "tranform.xml", TransformerFieldDefs(),
                                     TransformerIndexDefs(), std::string(kPowerField));
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(second->find("tranform.xml.bad2"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "tranform.xml.bad"), "an older one");
    EXPECT_EQ(transformers.FieldDefs(), TransformerFieldDefs());
}

}  // namespace
}  // namespace kalvenor
