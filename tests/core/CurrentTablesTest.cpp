#include "base/MessageBox.h"
#include "tables/CellText.h"
#include "tables/CurrentTables.h"
#include "tables/DataPacket.h"
#include "tables/TableFiles.h"
#include "tests/core/TempDir.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

namespace kalvenor {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

NewCurrentTable Request(std::string name, std::string brand = "АВВГ",
                        std::string wiring = "Кабель") {
    return {.name = std::move(name),
            .brand = std::move(brand),
            .laying = "В воздухе",
            .cores = "3",
            .wiring = std::move(wiring),
            .material = "Медь"};
}

TEST(CreateCurrentTable, EveryRefusalWritesNothing) {
    TempDir dir;
    Dataset table;
    ASSERT_EQ(CreateCurrentTable(table, dir.Path(), Request("ВВГ3")), std::nullopt);
    WriteBytes(dir / "Avtomat.xml", "breakers");
    const auto before = FileNames(dir.Path());
    const Message fileExists{"Файл с таким именим существует.Измените название.", "Предупреждение.",
                             Buttons::Ok, Icon::Warning};
    const Message fillEverything{"Все поля должны быть заполненными. ", "Предурпеждение.",
                                 Buttons::Ok, Icon::Warning};
    const std::vector<std::pair<NewCurrentTable, Message>> attempts{
        {Request("Avtomat"), fileExists},
        {Request("ВВГ3"), fileExists},
        {Request("ВВГ3.xml"),
         {"Таблица с таким названием существует.", "Предупреждение.", Buttons::Ok, Icon::Warning}},
        {Request(""), fillEverything},
        {Request("ПВ", "АВВГ", ""), fillEverything},
        {Request("М", "Медь"), fillEverything},
        {Request("С", "Сечение"), fillEverything},
    };
    for (const auto& [request, refusal] : attempts) {
        EXPECT_EQ(CreateCurrentTable(table, dir.Path(), request), refusal) << request.name;
    }
    for (const char* name : {"../x", "a/b", "a\\b", ".."}) {
        const auto refusal = CreateCurrentTable(table, dir.Path(), Request(name));
        ASSERT_TRUE(refusal.has_value()) << name;
        EXPECT_EQ(refusal->caption, "Предурпеждение.");
    }
    EXPECT_EQ(FileNames(dir.Path()), before);
    EXPECT_EQ(ReadBytes(dir / "Avtomat.xml"), "breakers");
}

TEST(CreateCurrentTable, TheNewTableIsOpenBoundAndOnDisk) {
    TempDir dir;
    Dataset table;
    testing::WriteCurrentTable(dir / "Old.xml", "В земле", "2", {{2.5, 27}});
    ASSERT_TRUE(OpenCurrentTable(table, dir.Path(), "Old.xml"));
    table.InsertRow({4.0, 38.0, {}, {}, {}, {}, {}});
    ASSERT_EQ(CreateCurrentTable(table, dir.Path(), Request("Новая")), std::nullopt);
    // The table loaded before went back to its file first.
    EXPECT_EQ(ReadDataPacket(dir / "Old.xml").rows.size(), 2U);
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(table.RowCount(), 0U);
    EXPECT_EQ(table.BoundFile(), dir / "Новая.xml");
    std::vector<std::string> names;
    for (const FieldDef& field : ReadFieldDefs(dir / "Новая.xml")) {
        names.push_back(field.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Сечение", "Длительный ток", "АВВГ", "В воздухе",
                                               "3", "Кабель", "Медь"}));
}

// The temporary file beside a table is named after it: with a name near the
// system's limit every post failed, and the edits were lost at close.
TEST(CreateCurrentTable, ANameTheSystemTakesIsWrittenAndALongerOneRefused) {
    TempDir dir;
    Dataset table;
    const std::size_t longest = LongestFileName(dir.Path());
    std::string name;
    while (name.size() + 2 + 4 <= longest) {
        name += "Т";  // two bytes each: the cut must not split one
    }
    ASSERT_EQ(CreateCurrentTable(table, dir.Path(), Request(name)), std::nullopt);
    table.InsertRow({2.5, 27.0, {}, {}, {}, {}, {}});
    EXPECT_EQ(ReadDataPacket(dir / (name + ".xml")).rows.size(), 1U);
    EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{name + ".xml"});

    const auto before = FileNames(dir.Path());
    EXPECT_EQ(CreateCurrentTable(table, dir.Path(), Request(name + "ab")),
              (Message{"Название таблицы слишком длинное для имени файла.", "Предурпеждение.",
                       Buttons::Ok, Icon::Warning}));
    EXPECT_EQ(FileNames(dir.Path()), before);
}

TEST(OpenCurrentTable, LoadsBoundAndInOrderOrRefusesLeavingNothingBound) {
    TempDir dir;
    Dataset table;
    testing::WriteCurrentTable(dir / "T.xml", "В воздухе", "2", {{4, 38}, {1.5, 19}});
    EXPECT_FALSE(OpenCurrentTable(table, dir.Path(), "Нет.xml"));
    EXPECT_FALSE(OpenCurrentTable(table, dir.Path(), ""));
    EXPECT_FALSE(table.Active());
    ASSERT_TRUE(OpenCurrentTable(table, dir.Path(), "T.xml"));
    EXPECT_EQ(table.BoundFile(), dir / "T.xml");
    EXPECT_EQ(table.At(0, 0), Value(1.5));

    WriteBytes(dir / "Broken.xml", "<DATAPACKET>");
    EXPECT_THROW(OpenCurrentTable(table, dir.Path(), "Broken.xml"), FileError);
    EXPECT_FALSE(table.Active());
    EXPECT_TRUE(table.BoundFile().empty());

    testing::WriteBreakers(dir.Path(), {});
    EXPECT_THROW(OpenCurrentTable(table, dir.Path(), "Avtomat.xml"), FileError);
    EXPECT_TRUE(table.BoundFile().empty());
}

TEST(CurrentTableRules, LayingMethodsTemperatureAndCells) {
    ASSERT_EQ(LayingMethods().size(), 5U);
    EXPECT_EQ(LayingMethods()[1].wiring, std::vector<std::string_view>{"Кабель"});
    EXPECT_EQ(LayingMethods()[3].cores, std::vector<std::string_view>{"3"});
    EXPECT_EQ(DefaultTemperatureText("В земле"), "15");
    EXPECT_EQ(DefaultTemperatureText("в земле"), "25");

    const NumberFormat comma{','};
    const FieldDef brand{"Марка", FieldType::String, 10, false};
    // The width is ten letters, not ten bytes.
    EXPECT_EQ(ParseCell(brand, "Кабельный1", comma), Value("Кабельный1"));
    EXPECT_THROW(ParseCell(brand, "Кабельный12", comma), UserError);
    const FieldDef section{"Сечение", FieldType::Float, 0, true};
    EXPECT_EQ(ParseCell(section, " 2,5 ", comma), Value(2.5));
    EXPECT_EQ(ParseCell(section, "  ", comma), Value());
    EXPECT_THROW(ParseCell(section, "2.5", comma), ConvertError);
    const FieldDef poles{"Число полюсов", FieldType::Integer, 0, true};
    EXPECT_EQ(ParseCell(poles, "3", comma), Value(std::int64_t{3}));
    EXPECT_THROW(ParseCell(poles, "3,5", comma), UserError);
    EXPECT_EQ(CellText(Value(2.5), comma), "2,5");
    EXPECT_EQ(CellText(Value(), comma), "");
}

}  // namespace
}  // namespace kalvenor
