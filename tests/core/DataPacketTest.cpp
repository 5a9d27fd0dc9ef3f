#include "tables/DataPacket.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <thread>

#include "tables/TableFiles.h"
#include "tests/core/TempDir.h"

namespace kalvenor {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr std::int64_t kMinInt = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMaxInt = std::numeric_limits<std::int64_t>::max();

void ExpectSamePacket(const DataPacket& read, const DataPacket& written) {
    EXPECT_EQ(read.fields, written.fields);
    EXPECT_EQ(read.indexes, written.indexes);
    ASSERT_EQ(read.rows.size(), written.rows.size());
    for (std::size_t r = 0; r < read.rows.size(); ++r) {
        EXPECT_EQ(read.rows[r], written.rows[r]) << "row " << r;
    }
}

// Names and texts that an XML writer or reader is likely to bend.
DataPacket AwkwardCurrentTable() {
    DataPacket packet{CurrentTableFieldDefs("Марка; кабеля, %", " Прокладка. \"способ\" ",
                                            "Жилы 'n' <&>", "Схема\tпроводки", "Материал\nжилы"),
                      CurrentTableIndexDefs(),
                      {}};
    packet.rows = {
        {2.5, 27.0, "ВВГ", "в воздухе", "3", "<&>\"'", ""},
        {0.1, 1e-300, std::monostate{}, "  по краям  ", "a\tb\nc\r\nd", "\r", "ёЁ%;,."},
        {5e-324, 1.7976931348623157e308, "&amp;", "]]>", "\x01\x1f", std::monostate{}, " "},
        {std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{}, std::monostate{},
         std::monostate{}, std::monostate{}},
    };
    return packet;
}

DataPacket BreakerDatabase() {
    DataPacket packet{BreakerFieldDefs(), {}, {}};
    packet.rows = {
        {"ВА47-29", 0.5, 63.0, std::int64_t{1}, 5.0},
        {"ВА 88-35 \"М\"", 16.0, 250.0, std::int64_t{3}, 10.0},
        {"", std::monostate{}, 1.0 / 3, kMinInt, -0.25},
        {std::monostate{}, 1e22, 123456789.125, kMaxInt, std::monostate{}},
    };
    return packet;
}

DataPacket TransformerDatabase() {
    DataPacket packet{TransformerFieldDefs(), TransformerIndexDefs(), {}};
    packet.rows = {
        {"ТМ-100/10", 100.0, 10.0, 0.4, 330.0, 1970.0, 4.5, 2.6},
        {"ТМГ-1000", 1000.0, 6.0, 0.4, 1600.0, 10800.0, 5.5, 1.2},
    };
    return packet;
}

DataPacket LargeTable(int rows, const std::string& material) {
    DataPacket packet{CurrentTableFieldDefs("Марка", "Прокладка", "Жилы", "Схема", "Материал"),
                      CurrentTableIndexDefs(),
                      {}};
    for (int i = 0; i < rows; ++i) {
        packet.rows.push_back({i * 0.5, i * 1.25, "ВВГнг", "в земле", "4", "звезда", material});
    }
    return packet;
}

std::string Packet(const std::string& fields, const std::string& rows) {
    return "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS></METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

const std::string kTwoFields =
    "<FIELD attrname=\"Сечение\" fieldtype=\"r8\"/>"
    "<FIELD attrname=\"Жил\" fieldtype=\"i4\"/>";

template <typename Read>
void ExpectDamaged(const std::filesystem::path& path, Read read) {
    try {
        read(path);
        ADD_FAILURE() << "read without an error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("«" + path.string() + "»"), std::string::npos)
            << error.what();
    }
}

TEST(DataPacketFile, EveryKindOfTableReadsBackAsWritten) {
    TempDir dir;
    const std::pair<const char*, DataPacket> tables[] = {
        {"current table.xml", AwkwardCurrentTable()},
        {"Avtomat.xml", BreakerDatabase()},
        {"tranform.xml", TransformerDatabase()},
        {"no fields.xml", DataPacket{}},
    };
    for (const auto& [name, packet] : tables) {
        SCOPED_TRACE(name);
        WriteDataPacket(dir / name, packet);
        ExpectSamePacket(ReadDataPacket(dir / name), packet);
        EXPECT_EQ(ReadFieldDefs(dir / name), packet.fields);
    }
    // What was read writes the very same bytes again.
    for (const auto& [name, packet] : tables) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadBytes(dir / name);
        WriteDataPacket(dir / "again.xml", ReadDataPacket(dir / name));
        EXPECT_EQ(ReadBytes(dir / "again.xml"), bytes);
    }
    // Writing again over an existing file replaces it whole.
    WriteDataPacket(dir / "current table.xml", BreakerDatabase());
    ExpectSamePacket(ReadDataPacket(dir / "current table.xml"), BreakerDatabase());
}

TEST(DataPacketFile, WrittenLayoutPutsTheMetadataFirst) {
    TempDir dir;
    WriteDataPacket(dir / "t.xml", TransformerDatabase());
    const std::string text = ReadBytes(dir / "t.xml");
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>", 0), 0u);
    EXPECT_LT(text.find("</METADATA>"), text.find("<ROWDATA"));
    EXPECT_NE(text.find("attrname=\"Напряжение к.з. %\""), std::string::npos);
}

TEST(DataPacketFile, WritesEveryCellInOneFixedForm) {
    TempDir dir;
    WriteDataPacket(dir / "t.xml", AwkwardCurrentTable());
    const std::string text = ReadBytes(dir / "t.xml");
    const std::string rows = text.substr(text.find("  <ROWDATA>"));
    EXPECT_EQ(rows,
              "  <ROWDATA>\n"
              "    <ROW c0=\"2.5\" c1=\"27\" c2=\"ВВГ\" c3=\"в воздухе\" c4=\"3\" "
              "c5=\"&lt;&amp;>&quot;'\" c6=\"\" />\n"
              "    <ROW c0=\"0.1\" c1=\"1e-300\" c3=\"  по краям  \" "
              "c4=\"a&#09;b&#10;c&#13;&#10;d\" c5=\"&#13;\" c6=\"ёЁ%;,.\" />\n"
              "    <ROW c0=\"5e-324\" c1=\"1.7976931348623157e+308\" c2=\"&amp;amp;\" "
              "c3=\"]]>\" c4=\"&#01;&#31;\" c6=\" \" />\n"
              "    <ROW />\n"
              "  </ROWDATA>\n"
              "</DATAPACKET>\n");
    WriteDataPacket(dir / "none.xml", DataPacket{BreakerFieldDefs(), {}, {}});
    EXPECT_TRUE(
        ReadBytes(dir / "none.xml").ends_with("  </METADATA>\n  <ROWDATA />\n</DATAPACKET>\n"));
}

// Numbers go to the file as std::to_chars writes them: the shortest text
// that reads back as the same double, fixed or scientific.
TEST(DataPacketFile, NumbersAreWrittenInTheirShortestForm) {
    TempDir dir;
    std::mt19937_64 random(20240611);
    std::vector<double> numbers = {0.0,  -0.0,   1e-8,    1e-9,    1e15,   999999999999999.0,
                                   1e-4, 1e-3,   1.5e-5,  100.0,   1.5e6,  1e7,
                                   0.1,  0.3,    1.0 / 3, 5e-324,  1e22,   1.7976931348623157e308,
                                   -2.5, 123.45, 1e100,   -1e-100, 4.35e-7};
    for (int i = 0; i < 20000; ++i) {
        const auto digits = static_cast<int>(random() % 16);
        const auto mantissa =
            static_cast<double>(random() % static_cast<std::uint64_t>(std::pow(10.0, digits + 1)));
        const double number = mantissa / std::pow(10.0, static_cast<double>(random() % 12));
        numbers.push_back(random() % 2 == 0 ? number : -number);
    }
    DataPacket packet{{{"x", FieldType::Float, 0, false}}, {}, {}};
    for (const double number : numbers) {
        packet.rows.push_back({number});
    }
    WriteDataPacket(dir / "t.xml", packet);
    const std::string text = ReadBytes(dir / "t.xml");
    std::size_t at = text.find("<ROWDATA>");
    for (const double number : numbers) {
        at = text.find("c0=\"", at) + 4;
        const std::size_t end = text.find('"', at);
        char expected[32];
        const auto written = std::to_chars(std::begin(expected), std::end(expected), number).ptr;
        ASSERT_EQ(text.substr(at, end - at), std::string_view(expected, written - expected));
    }
    ExpectSamePacket(ReadDataPacket(dir / "t.xml"), packet);
}

// A file of another hand than this program's reads as the XML says, in
// whatever legal shape its rows come.
TEST(DataPacketFile, RowsInAnyLegalShapeReadAlike) {
    TempDir dir;
    const DataPacket table = AwkwardCurrentTable();
    WriteDataPacket(dir / "t.xml", table);
    const std::string own = ReadBytes(dir / "t.xml");
    const auto replaced = [&own](std::string_view from, std::string_view to) {
        std::string text = own;
        for (std::size_t at = text.find(from); at != std::string::npos;
             at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    };
    const std::pair<const char*, std::string> shapes[] = {
        {"comments", replaced("    <ROW", "<!-- строка -->\n    <ROW")},
        {"open and close", replaced("\" />\n    <ROW", "\"></ROW>\n    <ROW")},
        {"line ends", replaced("\n", "\r\n")},
        {"blanks", replaced("=\"", " = \"")},
        {"single quotes", replaced("c0=\"2.5\"", "c0='2.5'")},
        {"references", replaced("ВВГ", "&#1042;&#x412;Г")},
        {"no blanks", replaced("\n    <ROW", "<ROW")},
        {"instruction", replaced("  <ROWDATA>", "  <ROWDATA><?pi x?>")},
    };
    for (const auto& [name, text] : shapes) {
        SCOPED_TRACE(name);
        ASSERT_NE(text, own);
        WriteBytes(dir / "shape.xml", text);
        DataPacket expected = table;
        if (std::string_view(name) == "references") {
            expected.rows[0][2] = "ВВГ";
        }
        ExpectSamePacket(ReadDataPacket(dir / "shape.xml"), expected);
    }
}

// Past 64 fields a row's empty cells no longer fit one word.
TEST(DataPacketFile, WideTablesReadBackCellByCell) {
    TempDir dir;
    DataPacket packet;
    for (int f = 0; f < 70; ++f) {
        packet.fields.push_back({"поле " + std::to_string(f),
                                 f % 3 == 0   ? FieldType::String
                                 : f % 3 == 1 ? FieldType::Float
                                              : FieldType::Integer,
                                 0, false});
    }
    for (int r = 0; r < 5; ++r) {
        Row row;
        row.resize(70);
        for (int f = 0; f < 70; ++f) {
            Value& cell = row[static_cast<std::size_t>(f)];
            if ((r + f) % 4 == 0) {
                continue;
            } else if (f % 3 == 0) {
                cell = "т" + std::to_string(r * f);
            } else if (f % 3 == 1) {
                cell = r * 0.5 + f;
            } else {
                cell = std::int64_t{r - f};
            }
        }
        packet.rows.push_back(row);
    }
    WriteDataPacket(dir / "wide.xml", packet);
    ExpectSamePacket(ReadDataPacket(dir / "wide.xml"), packet);
    std::string twice = ReadBytes(dir / "wide.xml");
    twice.replace(twice.find(" c69="), 1, " c69=\"1\" ");
    WriteBytes(dir / "wide.xml", twice);
    ExpectDamaged(dir / "wide.xml", ReadDataPacket);
}

// A file of megabytes is read a piece at a time: rows across the pieces'
// ends, a row longer than a piece, and a file the pieces cannot take.
TEST(DataPacketFile, LargeFilesReadAsSmallOnes) {
    TempDir dir;
    DataPacket packet = LargeTable(30000, "медь");
    for (std::size_t r = 0; r < packet.rows.size(); r += 7) {
        packet.rows[r][kBrandPosition] = "марка <" + std::to_string(r) + "> & \"Ко\"";
        packet.rows[r][kLayingPosition] = std::monostate{};
    }
    packet.rows[12345][kWiringPosition] = std::string(600000, 'x') + "Ж";
    const auto path = dir / "large.xml";
    WriteDataPacket(path, packet);
    ASSERT_GT(std::filesystem::file_size(path), 2u << 20);
    ExpectSamePacket(ReadDataPacket(path), packet);

    // A comment among the rows is no longer this program's shape: the XML
    // library reads the file.
    std::string text = ReadBytes(path);
    const std::size_t middle = text.find("<ROW", text.size() / 2);
    WriteBytes(path, text.substr(0, middle) + "<!-- ... -->" + text.substr(middle));
    ExpectSamePacket(ReadDataPacket(path), packet);
    // A damaged row deep inside is found and reported.
    WriteBytes(path, text.substr(0, middle) + "<ROW c0=\"x\"/>" + text.substr(middle));
    ExpectDamaged(path, ReadDataPacket);
}

TEST(DataPacketFile, RepeatedTextsAreKeptOnce) {
    TempDir dir;
    DataPacket packet = LargeTable(2000, "медь");
    for (std::size_t r = 0; r < packet.rows.size(); r += 2) {
        packet.rows[r][kBrandPosition] = "марка " + std::to_string(r);
    }
    WriteDataPacket(dir / "t.xml", packet);
    const TableFile file = ReadTableFile(dir / "t.xml");
    ASSERT_EQ(file.rows.SlotCount(), 2000u);
    // The thousand brands of their own, and each repeated text once.
    EXPECT_LT(file.rows.TextBytes(), 1000 * std::string("марка 1000").size() + 100);
    EXPECT_EQ(file.rows.Text(1, kBrandPosition), "ВВГнг");
    EXPECT_EQ(file.rows.Text(1998, kBrandPosition), "марка 1998");
    EXPECT_EQ(file.rows.Text(1999, kMaterialPosition), "медь");
}

TEST(DataPacketFile, ReadsHandWrittenFilesAsTheyStand) {
    TempDir dir;
    WriteBytes(dir / "hand.xml",
               "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
               "<!-- набрано вручную -->\r\n"
               "<DATAPACKET Version=\"2.0\">\r\n"
               " <METADATA>\r\n"
               "  <FIELDS>\r\n"
               "   <FIELD fieldtype='r8' attrname='Сечение' required='true'/>\r\n"
               "   <FIELD attrname=\"Марка\" fieldtype=\"string\" WIDTH=\"10\"/>\r\n"
               "   <FIELD attrname=\"Жил\" fieldtype=\"i4\" required=\"false\"/>\r\n"
               "  </FIELDS>\r\n"
               "  <INDEXDEFS><INDEXDEF name=\"\" unique=\"true\">"
               "<INDEXFIELD name=\"Сечение\"/></INDEXDEF></INDEXDEFS>\r\n"
               " </METADATA>\r\n"
               " <ROWDATA>\r\n"
               "  <ROW c0=\"1.5\" c1=\"ВВГ&#9;нг &lt;А&gt;\" c2=\"3\"/>\r\n"
               "  <ROW c2=\"-7\" c1=\"\" c0=\"1e1\"/>\r\n"
               "  <ROW c1=\"две\r\nстроки\tи  пробелы\"/>\r\n"
               " </ROWDATA>\r\n"
               "</DATAPACKET>\r\n");
    const DataPacket packet = ReadDataPacket(dir / "hand.xml");
    const std::vector<FieldDef> fields = {{"Сечение", FieldType::Float, 0, true},
                                          {"Марка", FieldType::String, 10, false},
                                          {"Жил", FieldType::Integer, 0, false}};
    EXPECT_EQ(packet.fields, fields);
    EXPECT_EQ(packet.indexes, (std::vector<IndexDef>{{"", {"Сечение"}, true, false}}));
    const std::vector<Row> rows = {
        {1.5, "ВВГ\tнг <А>", std::int64_t{3}},
        {10.0, "", std::int64_t{-7}},
        {std::monostate{}, "две\r\nстроки\tи  пробелы", std::monostate{}},
    };
    EXPECT_EQ(packet.rows, rows);

    WriteBytes(dir / "bare.xml", "<DATAPACKET><METADATA><FIELDS/></METADATA></DATAPACKET>");
    const DataPacket bare = ReadDataPacket(dir / "bare.xml");
    EXPECT_TRUE(bare.fields.empty() && bare.indexes.empty() && bare.rows.empty());
}

// A million fields hung the windows for minutes: no table of the program has
// more than a few, and a file of hundreds is none of its tables.
std::string ManyFields(int count) {
    std::string fields;
    for (int f = 0; f < count; ++f) {
        fields += R"(<FIELD attrname="f)" + std::to_string(f) + R"(" fieldtype="r8"/>)";
    }
    return fields;
}

TEST(DataPacketFile, DamagedFilesThrowNamingTheFile) {
    TempDir dir;
    const std::pair<const char*, std::string> damaged[] = {
        {"empty", ""},
        {"truncated", Packet(kTwoFields, "<ROW c0=\"1\"/>").substr(0, 120)},
        {"garbage", std::string("\x00\xff\xfe<\x01\x80 DATAPACKET>\x00", 19)},
        {"not xml", "Сечение;Ток\n2,5;27\n"},
        {"wrong root", "<TABLE><METADATA><FIELDS/></METADATA></TABLE>"},
        {"second root", Packet(kTwoFields, "") + "<DATAPACKET/>"},
        {"no fields", "<DATAPACKET><ROWDATA/></DATAPACKET>"},
        {"unknown type", Packet(R"(<FIELD attrname="A" fieldtype="r4"/>)", "")},
        {"no name", Packet("<FIELD fieldtype=\"r8\"/>", "")},
        {"same name twice", Packet(kTwoFields + "<FIELD attrname=\"Жил\" fieldtype=\"r8\"/>", "")},
        {"bad width", Packet(R"(<FIELD attrname="A" fieldtype="string" WIDTH="x"/>)", "")},
        {"bad flag", Packet(R"(<FIELD attrname="A" fieldtype="r8" required="yes"/>)", "")},
        {"index on no field",
         "<DATAPACKET><METADATA><FIELDS>" + kTwoFields +
             "</FIELDS><INDEXDEFS><INDEXDEF name=\"1\"><INDEXFIELD name=\"Ток\"/></INDEXDEF>"
             "</INDEXDEFS></METADATA></DATAPACKET>"},
        {"comma number", Packet(kTwoFields, "<ROW c0=\"2,5\"/>")},
        {"infinity", Packet(kTwoFields, "<ROW c0=\"inf\"/>")},
        {"nan", Packet(kTwoFields, "<ROW c0=\"nan\"/>")},
        {"overflow", Packet(kTwoFields, "<ROW c0=\"1e999\"/>")},
        {"empty number", Packet(kTwoFields, "<ROW c0=\"\"/>")},
        {"fraction in integer", Packet(kTwoFields, "<ROW c1=\"1.5\"/>")},
        {"integer overflow", Packet(kTwoFields, "<ROW c1=\"9223372036854775808\"/>")},
        {"cell beyond fields", Packet(kTwoFields, "<ROW c2=\"1\"/>")},
        {"cell by name", Packet(kTwoFields, "<ROW Сечение=\"1\"/>")},
        {"padded cell", Packet(kTwoFields, "<ROW c00=\"1\"/>")},
        {"cell twice", Packet(kTwoFields, R"(<ROW c0="1" c0="2"/>)")},
        {"unknown row element", Packet(kTwoFields, "<RWO c0=\"1\"/>")},
        {"more fields than any table", Packet(ManyFields(257), "")},
        {"metadata beyond a header's length",
         "<!--" + std::string(70000, '-') + "-->" + Packet(kTwoFields, "")},
    };
    for (const auto& [name, bytes] : damaged) {
        SCOPED_TRACE(name);
        const auto path = dir / (std::string(name) + ".xml");
        WriteBytes(path, bytes);
        ExpectDamaged(path, ReadDataPacket);
    }
    // A megabyte of garbage where a number belongs stays out of the message.
    WriteBytes(dir / "long.xml",
               Packet(kTwoFields, "<ROW c0=\"" + std::string(1 << 20, 'x') + "\"/>"));
    try {
        ReadDataPacket(dir / "long.xml");
        ADD_FAILURE() << "read without an error";
    } catch (const FileError& error) {
        EXPECT_LT(std::string_view(error.what()).size(), 500u);
    }
    ExpectDamaged(dir / "missing.xml", ReadDataPacket);
    ExpectDamaged(dir / "missing.xml", ReadFieldDefs);
    ExpectDamaged(dir.Path(), ReadDataPacket);
    ExpectDamaged(dir / "unknown type.xml", ReadFieldDefs);
    ExpectDamaged(dir / "wrong root.xml", ReadFieldDefs);
    ExpectDamaged(dir / "more fields than any table.xml", ReadFieldDefs);
    ExpectDamaged(dir / "metadata beyond a header's length.xml", ReadFieldDefs);
    ExpectDamaged(dir / "truncated.xml", ReadFieldDefs);
}

TEST(DataPacketFile, NoPrefixOrMutationOfAFileCrashesTheReader) {
    TempDir dir;
    const auto path = dir / "t.xml";
    WriteDataPacket(path, AwkwardCurrentTable());
    const std::string whole = ReadBytes(path);
    const auto readsOrRefuses = [&path](const std::string& bytes) {
        WriteBytes(path, bytes);
        for (const auto read : {+[](const std::filesystem::path& p) { ReadDataPacket(p); },
                                +[](const std::filesystem::path& p) { ReadFieldDefs(p); }}) {
            try {
                read(path);
            } catch (const FileError&) {
            }
        }
    };
    for (std::size_t length = 0; length < whole.size(); ++length) {
        readsOrRefuses(whole.substr(0, length));
    }
    std::mt19937 random(20240611);
    for (int round = 0; round < 500; ++round) {
        std::string bytes = whole;
        for (int flips = 1 + round % 8; flips > 0; --flips) {
            bytes[random() % bytes.size()] = static_cast<char>(random());
        }
        readsOrRefuses(bytes);
    }
}

TEST(DataPacketFile, FieldDefsAreReadWithoutTheRows) {
    TempDir dir;
    const auto path = dir / "t.xml";
    // Damaged rows after whole metadata: the field scan must not look at them.
    WriteBytes(path, Packet(kTwoFields, "<ROW c0=\"x\"/><ROW c0=") + std::string("\0\1", 2));
    EXPECT_EQ(ReadFieldDefs(path).size(), 2u);
    ExpectDamaged(path, ReadDataPacket);

    // The end-of-metadata marker inside a comment does not mislead the scan.
    WriteBytes(path, "<!-- </METADATA> -->" + Packet(kTwoFields, "<ROW c0=\"1\"/>"));
    EXPECT_EQ(ReadFieldDefs(path).size(), 2u);
}

TEST(WriteDataPacket, AFailedRenameThrowsAndLeavesNoTemporaryFile) {
    TempDir dir;
    const auto target = dir / "table.xml";
    std::filesystem::create_directory(target);
    try {
        WriteDataPacket(target, BreakerDatabase());
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("Не удалось записать файл «" + target.string() + "»: ", 0),
                  0u)
            << error.what();
    }
    EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{"table.xml"});
    EXPECT_TRUE(std::filesystem::is_directory(target));

    EXPECT_THROW(WriteDataPacket(dir / "no such directory" / "t.xml", BreakerDatabase()),
                 FileError);
}

TEST(WriteDataPacket, RefusesValuesItCouldNotReadBackAndKeepsTheOldFile) {
    TempDir dir;
    const auto path = dir / "Avtomat.xml";
    WriteDataPacket(path, BreakerDatabase());
    const std::string before = ReadBytes(path);
    const Row unstorable[] = {
        {"A", std::numeric_limits<double>::quiet_NaN(), 1.0, std::int64_t{1}, 1.0},
        {"A", 1.0, std::numeric_limits<double>::infinity(), std::int64_t{1}, 1.0},
        {"A", "1", 1.0, std::int64_t{1}, 1.0},
        {"A", 1.0, 1.0, 1.0, 1.0},
        {std::string("A\0B", 3), 1.0, 1.0, std::int64_t{1}, 1.0},
        {"A", 1.0},
    };
    for (const Row& row : unstorable) {
        DataPacket packet = BreakerDatabase();
        packet.rows.push_back(row);
        EXPECT_THROW(WriteDataPacket(path, packet), FileError);
    }
    DataPacket twice = BreakerDatabase();
    twice.fields.push_back(twice.fields.front());
    EXPECT_THROW(WriteDataPacket(path, twice), FileError);
    DataPacket nul = BreakerDatabase();
    nul.fields[1].name += '\0';
    EXPECT_THROW(WriteDataPacket(path, nul), FileError);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{"Avtomat.xml"});
}

TEST(WriteDataPacket, ReplacingAFileKeepsItsPermissions) {
    TempDir dir;
    const auto path = dir / "t.xml";
    WriteDataPacket(path, BreakerDatabase());
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WriteDataPacket(path, TransformerDatabase());
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(WriteDataPacket, AKilledWriterLeavesTheOldFileWhole) {
    TempDir dir;
    const auto path = dir / "big.xml";
    const DataPacket first = LargeTable(20000, "медь");
    const DataPacket second = LargeTable(20000, "алюминий");
    WriteDataPacket(path, first);
    for (int round = 0; round < 6; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                for (;;) {
                    WriteDataPacket(path, second);
                    WriteDataPacket(path, first);
                }
            } catch (...) {
            }
            ::_exit(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(3 + 9 * round));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself";

        DataPacket read;
        ASSERT_NO_THROW(read = ReadDataPacket(path)) << "round " << round;
        EXPECT_TRUE(read.rows == first.rows || read.rows == second.rows) << "round " << round;
        for (const std::string& name : FileNames(dir.Path())) {
            EXPECT_TRUE(name == "big.xml" || !name.ends_with(".xml")) << name;
        }
    }
}

}  // namespace
}  // namespace kalvenor
