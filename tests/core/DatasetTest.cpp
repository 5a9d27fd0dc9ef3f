#include "tables/Dataset.h"

#include <gtest/gtest.h>

#include <chrono>
#include <compare>
#include <fstream>
#include <limits>
#include <memory>
#include <random>

#include "tables/DataPacket.h"
#include "tables/TableFiles.h"
#include "tests/core/TempDir.h"

namespace kalvenor {
namespace {

using test::FileNames;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr std::monostate kEmpty;

Row Cable(Value section, Value current, std::string brand = "ВВГ") {
    return {std::move(section),
            std::move(current),
            std::move(brand),
            "в воздухе",
            "3",
            "звезда",
            "медь"};
}

DataPacket CurrentTable(std::vector<Row> rows) {
    return {CurrentTableFieldDefs("Марка", "Прокладка", "Жилы", "Схема", "Материал"),
            CurrentTableIndexDefs(), std::move(rows)};
}

// The brands of the rows in the dataset's order.
std::vector<std::string> Brands(const Dataset& dataset) {
    std::vector<std::string> brands;
    for (std::size_t row = 0; row < dataset.RowCount(); ++row) {
        brands.push_back(std::get<std::string>(dataset.At(row, kBrandPosition)));
    }
    return brands;
}

class DatasetTest : public ::testing::Test {
protected:
    TempDir dir_;
    const std::filesystem::path table_ = dir_ / "ВВГ.xml";
    Dataset dataset_;
};

TEST_F(DatasetTest, WritesNothingUnlessEdited) {
    WriteDataPacket(table_, CurrentTable({Cable(1.5, 19.0), Cable(2.5, 27.0)}));
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(table_, old);
    const std::string bytes = ReadBytes(table_);

    dataset_.Bind(table_);
    dataset_.Open();
    ASSERT_EQ(dataset_.RowCount(), 2u);
    dataset_.Close();
    EXPECT_EQ(std::filesystem::last_write_time(table_), old);
    EXPECT_EQ(ReadBytes(table_), bytes);
    EXPECT_FALSE(dataset_.Active());
    EXPECT_EQ(dataset_.RowCount(), 0u);
    EXPECT_EQ(dataset_.FieldDefs().size(), 7u) << "the editor clears the definitions itself";

    dataset_.Open();
    dataset_.UpdateRow(1, Cable(2.5, 30.0));
    EXPECT_FALSE(dataset_.Modified()) << "written through";
    const std::string edited = ReadBytes(table_);
    dataset_.Close();
    EXPECT_EQ(ReadBytes(table_), edited);
    EXPECT_EQ(ReadDataPacket(table_).rows, CurrentTable({Cable(1.5, 19.0), Cable(2.5, 30.0)}).rows);
}

TEST_F(DatasetTest, EveryPostAndDeleteReachesTheBoundFileAtOnce) {
    WriteDataPacket(table_, CurrentTable({Cable(2.5, 27.0), Cable(1.5, 19.0)}));
    dataset_.OpenFile(table_, kSectionField);
    const auto onDisk = [this] { return ReadDataPacket(table_).rows; };

    EXPECT_EQ(dataset_.InsertRow(Cable(4.0, 38.0)), 2u);
    EXPECT_EQ(onDisk(), CurrentTable({Cable(1.5, 19.0), Cable(2.5, 27.0), Cable(4.0, 38.0)}).rows);
    EXPECT_EQ(dataset_.UpdateRow(0, Cable(6.0, 46.0)), 2u);
    EXPECT_EQ(onDisk(), CurrentTable({Cable(2.5, 27.0), Cable(4.0, 38.0), Cable(6.0, 46.0)}).rows);
    dataset_.DeleteRow(1);
    EXPECT_EQ(onDisk(), CurrentTable({Cable(2.5, 27.0), Cable(6.0, 46.0)}).rows);
    EXPECT_FALSE(dataset_.Modified());
}

TEST_F(DatasetTest, LoadDoesNotBindTheFile) {
    WriteDataPacket(table_, CurrentTable({Cable(1.5, 19.0)}));
    const std::string bytes = ReadBytes(table_);
    dataset_.Load(table_);
    EXPECT_TRUE(dataset_.Active());
    EXPECT_FALSE(dataset_.Modified());
    EXPECT_TRUE(dataset_.BoundFile().empty());
    dataset_.DeleteRow(0);
    dataset_.Close();
    EXPECT_EQ(ReadBytes(table_), bytes);
}

TEST_F(DatasetTest, AFailedWriteKeepsTheEditForWriteBack) {
    const auto directory = dir_ / "каталог.xml";
    std::filesystem::create_directory(directory);
    dataset_.Create(BreakerFieldDefs());
    dataset_.Bind(directory);
    std::vector<DatasetChange> heard;
    dataset_.AddObserver([&heard](const DatasetChange& change) { heard.push_back(change); });
    try {
        dataset_.InsertRow({"ВА47", 1.0, 63.0, std::int64_t{3}, 5.0});
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(directory.string()), std::string::npos);
    }
    EXPECT_EQ(heard, (std::vector<DatasetChange>{{DatasetChange::Kind::Inserted, 0, 0}}));
    EXPECT_THROW(dataset_.Close(), FileError);
    EXPECT_TRUE(dataset_.Active());
    EXPECT_TRUE(dataset_.Modified());
    ASSERT_EQ(dataset_.RowCount(), 1u);
    EXPECT_EQ(dataset_.At(0, 0), Value("ВА47"));
    EXPECT_EQ(FileNames(dir_.Path()), std::set<std::string>{"каталог.xml"});

    const auto file = dir_ / "Avtomat.xml";
    dataset_.Bind(file);
    dataset_.Close();
    EXPECT_EQ(ReadDataPacket(file).rows.size(), 1u);
}

TEST_F(DatasetTest, AnUnreadableFileLeavesTheDatasetClosed) {
    dataset_.Create(BreakerFieldDefs());
    dataset_.InsertRow({"ВА47", 1.0, 63.0, std::int64_t{3}, 5.0});
    WriteBytes(table_, "<DATAPACKET><METADATA>");
    EXPECT_THROW(dataset_.Load(table_), FileError);
    EXPECT_FALSE(dataset_.Active());
    EXPECT_EQ(dataset_.RowCount(), 0u);

    dataset_.Bind(table_);
    EXPECT_THROW(dataset_.Open(), FileError);
    EXPECT_FALSE(dataset_.Active());

    dataset_.Bind({});
    dataset_.Open();
    EXPECT_TRUE(dataset_.Active());
    EXPECT_EQ(dataset_.RowCount(), 0u);
}

TEST_F(DatasetTest, CorrectionsStayInTheWorkingCopy) {
    WriteDataPacket(table_, CurrentTable({Cable(1.5, 19.0), Cable(2.5, 27.0), Cable(4.0, kEmpty)}));
    dataset_.Bind(table_);
    dataset_.Open();
    dataset_.ApplyCorrection(kCurrentField, 0.87, 0.96);
    EXPECT_TRUE(dataset_.Corrected());
    EXPECT_FALSE(dataset_.Modified());
    // Extended precision: in plain doubles 27 * 0.87 * 0.96 is 22.550399999999996.
    EXPECT_EQ(dataset_.At(1, 1), Value(22.5504));
    EXPECT_EQ(dataset_.RowAt(1)[1], Value(22.5504));
    EXPECT_EQ(dataset_.StoredAt(1, 1), Value(27.0));
    EXPECT_EQ(dataset_.At(2, 1), Value(kEmpty));
    // A second correction starts again from the stored values.
    dataset_.ApplyCorrection(kCurrentField, 0.5, 1.0);
    EXPECT_EQ(dataset_.At(1, 1), Value(13.5));

    dataset_.UpdateRow(0, Cable(1.5, 21.0));
    EXPECT_EQ(dataset_.At(0, 1), Value(21.0));
    EXPECT_EQ(dataset_.At(1, 1), Value(13.5)) << "the other rows keep their correction";
    EXPECT_EQ(ReadDataPacket(table_).rows,
              CurrentTable({Cable(1.5, 21.0), Cable(2.5, 27.0), Cable(4.0, kEmpty)}).rows)
        << "the post went through with the stored currents";
    dataset_.Close();
    EXPECT_EQ(ReadDataPacket(table_).rows,
              CurrentTable({Cable(1.5, 21.0), Cable(2.5, 27.0), Cable(4.0, kEmpty)}).rows);

    dataset_.Load(table_);
    dataset_.ApplyCorrection(kCurrentField, 2.0, 1.0);
    dataset_.Write(table_);
    EXPECT_EQ(ReadDataPacket(table_).rows[1][1], Value(27.0));
    dataset_.Load(table_);
    EXPECT_FALSE(dataset_.Corrected());
    EXPECT_EQ(dataset_.At(1, 1), Value(27.0));
    EXPECT_THROW(dataset_.ApplyCorrection("Марка", 1.0, 1.0), std::invalid_argument);
}

// A table whose file is unchanged since it was read or written here stands
// for reading it again: the corrections go, and the rows are those a read
// gives, in every order, equal keys included. Any sign of another writer
// makes it refuse.
TEST_F(DatasetTest, RevertingToAnUnchangedFileIsReadingItAgain) {
    WriteDataPacket(table_, CurrentTable({Cable(4.0, 38.0, "a"), Cable(2.5, 27.0, "b")}));
    dataset_.OpenFile(table_, kSectionField);
    // Typed out of order, so the file holds the equal currents in another
    // order than they were typed in.
    dataset_.InsertRow(Cable(1.5, 27.0, "c"));
    dataset_.InsertRow(Cable(6.0, 27.0, "d"));
    dataset_.ApplyCorrection(kCurrentField, 0.5, 1.0);
    ASSERT_TRUE(dataset_.RevertToFile(table_));
    EXPECT_FALSE(dataset_.Corrected());
    Dataset read;
    read.OpenFile(table_, kSectionField);
    for (const std::string_view order :
         {kSectionField, kCurrentField, std::string_view("Марка"), std::string_view()}) {
        dataset_.SetOrder(order);
        read.SetOrder(order);
        ASSERT_EQ(dataset_.RowCount(), read.RowCount());
        for (std::size_t row = 0; row < read.RowCount(); ++row) {
            EXPECT_EQ(dataset_.RowAt(row), read.RowAt(row)) << "order " << order << ", row " << row;
        }
    }
    EXPECT_EQ(Brands(dataset_), (std::vector<std::string>{"c", "b", "a", "d"}));

    const std::string bytes = ReadBytes(table_);
    WriteDataPacket(table_, CurrentTable({Cable(4.0, 38.0, "a")}));  // another file in its place
    EXPECT_FALSE(dataset_.RevertToFile(table_));
    dataset_.OpenFile(table_);
    EXPECT_TRUE(dataset_.RevertToFile(table_));
    // Written in place, keeping the inode: the size tells, or the time.
    std::ofstream(table_, std::ios::binary) << bytes;
    EXPECT_FALSE(dataset_.RevertToFile(table_));
    dataset_.OpenFile(table_);
    std::string same = bytes;
    same.replace(same.find("38"), 2, "39");
    const auto time = std::filesystem::last_write_time(table_);
    std::ofstream(table_, std::ios::binary) << same;
    std::filesystem::last_write_time(table_, time - std::chrono::seconds(1));
    EXPECT_FALSE(dataset_.RevertToFile(table_));
    EXPECT_EQ(dataset_.RowCount(), 4U) << "a refusal touches nothing";

    dataset_.OpenFile(table_);
    EXPECT_FALSE(dataset_.RevertToFile(dir_ / "other.xml"));
    dataset_.Bind(dir_ / "other.xml");
    EXPECT_FALSE(dataset_.RevertToFile(table_)) << "bound elsewhere";
    dataset_.Bind(table_);
    dataset_.Close();
    EXPECT_FALSE(dataset_.RevertToFile(table_));
}

TEST_F(DatasetTest, OrderIsStableAndKeptAfterEdits) {
    WriteDataPacket(table_, CurrentTable({Cable(4.0, 1.0, "a"), Cable(kEmpty, 1.0, "empty"),
                                          Cable(2.5, 1.0, "x"), Cable(4.0, 1.0, "b"),
                                          Cable(1.5, 1.0, "y"), Cable(4.0, 1.0, "c")}));
    dataset_.Load(table_);
    dataset_.SetOrder(kSectionField);
    using Names = std::vector<std::string>;
    EXPECT_EQ(Brands(dataset_), (Names{"empty", "y", "x", "a", "b", "c"}));

    EXPECT_EQ(dataset_.InsertRow(Cable(4.0, 1.0, "d")), 6u);
    EXPECT_EQ(dataset_.InsertRow(Cable(2.5, 1.0, "z")), 3u);
    EXPECT_EQ(dataset_.UpdateRow(4, Cable(4.0, 2.0, "a")), 4u) << "an equal key keeps its place";
    EXPECT_EQ(dataset_.UpdateRow(4, Cable(1.0, 2.0, "a")), 1u);
    EXPECT_EQ(Brands(dataset_), (Names{"empty", "a", "y", "x", "z", "b", "c", "d"}));

    dataset_.SetOrder("");
    EXPECT_EQ(Brands(dataset_), (Names{"a", "empty", "x", "b", "y", "c", "d", "z"}));

    try {
        dataset_.SetOrder("Нет такого");
        FAIL() << "no error";
    } catch (const std::logic_error& error) {
        EXPECT_NE(std::string(error.what()).find("«Нет такого»"), std::string::npos);
    }
    EXPECT_EQ(dataset_.Order(), "");

    // The order outlives a load, and follows a correction of its field.
    dataset_.SetOrder(kCurrentField);
    dataset_.Load(table_);
    EXPECT_EQ(dataset_.Order(), kCurrentField);
    dataset_.SetOrder(kSectionField);
    dataset_.Load(table_);
    EXPECT_EQ(Brands(dataset_), (Names{"empty", "y", "x", "a", "b", "c"}));
    dataset_.ApplyCorrection(kSectionField, -1.0, 1.0);
    EXPECT_EQ(Brands(dataset_), (Names{"empty", "a", "b", "c", "x", "y"}));
}

TEST_F(DatasetTest, PostErrorChecksRequiredWidthTypeAndUniqueness) {
    WriteDataPacket(table_, CurrentTable({Cable(1.5, 19.0), Cable(2.5, 27.0)}));
    dataset_.Load(table_);
    const PostRules rules;
    const PostRules everyField{true, true};
    const PostRules noUnique{false, false};

    EXPECT_EQ(dataset_.PostError(Cable(6.0, 46.0), std::nullopt, rules), std::nullopt);
    EXPECT_EQ(dataset_.PostError({6.0, 46.0}, std::nullopt, rules),
              "Число значений (2) не совпадает с числом полей (7).");
    EXPECT_EQ(dataset_.PostError(Cable(kEmpty, 46.0), std::nullopt, rules),
              "Поле «Сечение» должно быть заполнено.");
    EXPECT_EQ(dataset_.PostError(Cable(6.0, 46.0, " \t"), std::nullopt, rules), std::nullopt);
    EXPECT_EQ(dataset_.PostError(Cable(6.0, 46.0, " \t"), std::nullopt, everyField),
              "Поле «Марка» должно быть заполнено.");
    EXPECT_EQ(dataset_.PostError(Cable(6.0, 46.0, "ВВГнгLSLTx"), std::nullopt, rules), std::nullopt)
        << "ten characters in fifteen bytes";
    EXPECT_EQ(dataset_.PostError(Cable(6.0, 46.0, "ВВГнгLSLTxy"), std::nullopt, rules),
              "Поле «Марка» не длиннее 10 символов.");
    EXPECT_EQ(dataset_.PostError(Cable("6", 46.0), std::nullopt, rules),
              "Поле «Сечение»: неверное значение.");
    EXPECT_EQ(dataset_.PostError(Cable(6.0, std::numeric_limits<double>::infinity()), std::nullopt,
                                 rules),
              "Поле «Длительный ток»: неверное значение.");

    EXPECT_EQ(dataset_.PostError(Cable(2.5, 30.0), std::nullopt, rules),
              "Запись со значением поля «Сечение» = 2.5 уже есть.");
    EXPECT_EQ(dataset_.PostError(Cable(2.5, 30.0), 1, rules), std::nullopt)
        << "a row does not clash with itself";
    EXPECT_EQ(dataset_.PostError(Cable(2.5, 30.0), 0, rules),
              "Запись со значением поля «Сечение» = 2.5 уже есть.");
    EXPECT_EQ(dataset_.PostError(Cable(2.5, 30.0), std::nullopt, noUnique), std::nullopt);

    const PostRules positive{.positiveFields = kCurrentTablePositiveFields};
    EXPECT_EQ(dataset_.PostError(Cable(0.5, 9.0), std::nullopt, positive), std::nullopt);
    for (const double zeroOrBelow : {0.0, -0.0, -1.0}) {
        EXPECT_EQ(dataset_.PostError(Cable(zeroOrBelow, 9.0), std::nullopt, positive),
                  "Поле «Сечение» должно быть больше нуля.");
        EXPECT_EQ(dataset_.PostError(Cable(0.5, zeroOrBelow), std::nullopt, positive),
                  "Поле «Длительный ток» должно быть больше нуля.");
    }
}

TEST_F(DatasetTest, OnlyTheTransformerPowerIndexIsEnforced) {
    WriteDataPacket(table_, DataPacket{TransformerFieldDefs(),
                                       TransformerIndexDefs(),
                                       {{"ТМ", 100.0, 10.0, 0.4, 330.0, 1970.0, 4.5, 2.6}}});
    dataset_.Load(table_);
    const Row samePower = {"ТМГ", 100.0, 6.0, 0.4, 300.0, 1900.0, 4.5, 2.5};
    const Row sameEverythingElse = {"ТМ", 160.0, 10.0, 0.4, 330.0, 1970.0, 4.5, 2.6};
    EXPECT_EQ(dataset_.PostError(sameEverythingElse, std::nullopt, {}), std::nullopt);
    EXPECT_EQ(dataset_.PostError(samePower, std::nullopt, {}),
              "Запись со значением поля «Мощность кВА» = 100 уже есть.");
}

TEST_F(DatasetTest, EditsRefuseBadRowsAndValueCounts) {
    const Row breaker = {"ВА47", 1.0, 63.0, std::int64_t{3}, 5.0};
    EXPECT_THROW(dataset_.InsertRow(breaker), std::logic_error) << "closed";
    dataset_.Create(BreakerFieldDefs());
    EXPECT_THROW(dataset_.Create(BreakerFieldDefs()), std::logic_error) << "open";
    dataset_.InsertRow(breaker);
    EXPECT_THROW(dataset_.InsertRow({"ВА47"}), std::invalid_argument);
    EXPECT_THROW(dataset_.UpdateRow(0, {"ВА47"}), std::invalid_argument);
    EXPECT_THROW(dataset_.UpdateRow(1, breaker), std::out_of_range);
    EXPECT_THROW(dataset_.DeleteRow(1), std::out_of_range);
    EXPECT_THROW(dataset_.At(1, 0), std::out_of_range);
    EXPECT_THROW(dataset_.At(0, 5), std::out_of_range);
    EXPECT_EQ(dataset_.RowCount(), 1u);
}

TEST_F(DatasetTest, ObserversMayRemoveThemselvesWhileNotified) {
    int calls = 0;
    int lateCalls = 0;
    int self = -1;
    int late = -1;
    // A captured object makes a removal during the call a real use after free
    // if the dataset destroyed the running function.
    auto counter = std::make_shared<int>(0);
    self = dataset_.AddObserver([this, &self, &late, &calls, counter](const DatasetChange&) {
        ++calls;
        dataset_.RemoveObserver(late);
        dataset_.RemoveObserver(self);
        ++*counter;
    });
    late = dataset_.AddObserver([&lateCalls](const DatasetChange&) { ++lateCalls; });
    int steady = 0;
    const int steadyId = dataset_.AddObserver([&steady](const DatasetChange&) { ++steady; });

    dataset_.Create(BreakerFieldDefs());
    dataset_.InsertRow({"ВА47", 1.0, 63.0, std::int64_t{3}, 5.0});
    dataset_.SetOrder(kSeriesField);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(lateCalls, 0);
    EXPECT_EQ(steady, 3);
    dataset_.RemoveObserver(steadyId);
    dataset_.DeleteRow(0);
    EXPECT_EQ(steady, 3);
}

TEST_F(DatasetTest, ObserversHearWhichRowChangedAndNothingOfAWrite) {
    std::vector<DatasetChange> heard;
    dataset_.AddObserver([&heard](const DatasetChange& change) { heard.push_back(change); });
    dataset_.Create(BreakerFieldDefs());
    dataset_.SetOrder(kMaxCurrentField);
    dataset_.InsertRow({"ВА47-63", 6.0, 63.0, std::int64_t{1}, 5.0});
    dataset_.InsertRow({"АП50", 1.6, 50.0, std::int64_t{1}, 10.0});
    dataset_.UpdateRow(0, {"АП50", 1.6, 100.0, std::int64_t{1}, 10.0});
    dataset_.DeleteRow(0);
    dataset_.SetOrder(kMaxCurrentField);  // already so: nothing to tell
    dataset_.Write(dir_ / "Avtomat.xml");
    using Kind = DatasetChange::Kind;
    EXPECT_EQ(heard, (std::vector<DatasetChange>{{Kind::Reset, 0, 0},
                                                 {Kind::Reset, 0, 0},
                                                 {Kind::Inserted, 0, 0},
                                                 {Kind::Inserted, 0, 0},
                                                 {Kind::Updated, 0, 1},
                                                 {Kind::Removed, 0, 0}}));
}

TEST_F(DatasetTest, ALoadWithItsOrderIsHeardOnce) {
    WriteDataPacket(
        table_, CurrentTable({Cable(4.0, 1.0, "c"), Cable(1.5, 3.0, "a"), Cable(2.5, 2.0, "b")}));
    dataset_.Create(BreakerFieldDefs());
    std::vector<DatasetChange> heard;
    dataset_.AddObserver([&heard](const DatasetChange& change) { heard.push_back(change); });
    using Names = std::vector<std::string>;

    dataset_.OpenFile(table_, kSectionField);
    EXPECT_EQ(heard.size(), 1u) << "the close before it and the order are part of the load";
    EXPECT_EQ(Brands(dataset_), (Names{"a", "b", "c"}));
    EXPECT_EQ(dataset_.BoundFile(), table_);

    heard.clear();
    dataset_.Load(table_, kCurrentField);
    EXPECT_EQ(heard.size(), 1u);
    EXPECT_EQ(Brands(dataset_), (Names{"c", "b", "a"}));

    // An order on a field the file lacks is dropped, not a program fault.
    dataset_.Load(table_, kSeriesField);
    EXPECT_EQ(dataset_.Order(), "");
    EXPECT_EQ(Brands(dataset_), (Names{"c", "a", "b"}));

    heard.clear();
    WriteBytes(dir_ / "broken.xml", "<DATAPACKET>");
    EXPECT_THROW(dataset_.OpenFile(dir_ / "broken.xml", kSectionField), FileError);
    EXPECT_EQ(heard.size(), 1u) << "the rows are gone";
    EXPECT_FALSE(dataset_.Active());
}

TEST_F(DatasetTest, EditsRefuseValuesTheFieldCannotHold) {
    dataset_.Create(BreakerFieldDefs());
    const Row good = {"ВА47", 1.0, 63.0, std::int64_t{3}, 5.0};
    dataset_.InsertRow(good);
    for (const Row& bad :
         {Row{"ВА47", "1", 63.0, std::int64_t{3}, 5.0}, Row{"ВА47", 1.0, 63.0, 3.0, 5.0},
          Row{"ВА47", 1.0, std::numeric_limits<double>::infinity(), std::int64_t{3}, 5.0},
          Row{std::string("В\0А", 3), 1.0, 63.0, std::int64_t{3}, 5.0}}) {
        EXPECT_THROW(dataset_.InsertRow(bad), std::invalid_argument);
        EXPECT_THROW(dataset_.UpdateRow(0, bad), std::invalid_argument);
    }
    EXPECT_EQ(dataset_.RowCount(), 1u);
    EXPECT_EQ(dataset_.RowAt(0), good);
}

// The dataset against the plainest model of itself: every row kept whole, the
// order rebuilt by a stable sort after every change, duplicates found by
// looking at every row.
class DatasetModel {
public:
    struct Entry {
        Row stored;
        std::optional<double> corrected;  // of field 1
        std::uint64_t sequence = 0;
    };

    Value Working(const Entry& entry, std::size_t field) const {
        return field == 1 && entry.corrected ? Value(*entry.corrected) : entry.stored[field];
    }

    void Reorder() {
        std::stable_sort(rows.begin(), rows.end(), [this](const Entry& a, const Entry& b) {
            if (key) {
                const auto order = Compare(Working(a, *key), Working(b, *key));
                if (std::is_neq(order)) {
                    return std::is_lt(order);
                }
            }
            return a.sequence < b.sequence;
        });
    }

    std::size_t PositionOf(std::uint64_t sequence) const {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (rows[r].sequence == sequence) {
                return r;
            }
        }
        return rows.size();
    }

    bool HasDuplicate(const Row& values, std::optional<std::size_t> replacing) const {
        for (std::size_t r = 0; r < rows.size(); ++r) {
            if (r != replacing && rows[r].stored[0] == values[0]) {
                return true;
            }
        }
        return false;
    }

    static std::strong_ordering Compare(const Value& a, const Value& b) {
        if (a.index() != b.index()) {
            return a.index() <=> b.index();
        }
        if (const double* x = std::get_if<double>(&a)) {
            return std::strong_order(*x, std::get<double>(b));
        }
        if (const std::int64_t* x = std::get_if<std::int64_t>(&a)) {
            return *x <=> std::get<std::int64_t>(b);
        }
        if (const std::string* x = std::get_if<std::string>(&a)) {
            return *x <=> std::get<std::string>(b);
        }
        return std::strong_ordering::equal;
    }

    std::vector<Entry> rows;
    std::optional<std::size_t> key;
};

TEST_F(DatasetTest, OrderPlacesAndDuplicatesMatchAPlainModel) {
    const std::vector<FieldDef> fields = {{"Ключ", FieldType::Float, 0, false},
                                          {"Ток", FieldType::Float, 0, false},
                                          {"Имя", FieldType::String, 0, false},
                                          {"Полюса", FieldType::Integer, 0, false}};
    const std::vector<std::string> names = {"", "Ключ", "Ток", "Имя", "Полюса"};
    std::mt19937 random(20240611);
    const auto pick = [&random](const auto& values) { return values[random() % values.size()]; };
    const std::vector<Value> keys = {kEmpty, -0.0, 0.0, 1.5, 2.5, -3.0, 7.0};
    const std::vector<Value> texts = {kEmpty, "", "а", "б", "a", "аб"};
    const std::vector<Value> integers = {kEmpty, std::int64_t{-1}, std::int64_t{0}, std::int64_t{5},
                                         std::numeric_limits<std::int64_t>::min()};
    const auto randomRow = [&] { return Row{pick(keys), pick(keys), pick(texts), pick(integers)}; };

    // A file in no order, with equal keys, to start from.
    DataPacket packet{fields, {{"", {"Ключ"}, true, false}}, {}};
    for (int r = 0; r < 40; ++r) {
        packet.rows.push_back(randomRow());
    }
    WriteDataPacket(table_, packet);
    dataset_.Load(table_, "Ключ");
    DatasetModel model;
    for (std::size_t r = 0; r < packet.rows.size(); ++r) {
        model.rows.push_back({packet.rows[r], std::nullopt, r});
    }
    std::uint64_t sequence = packet.rows.size();
    model.key = 0;
    model.Reorder();

    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        // Small tables, so that a key is often there only once (or only as -0).
        const std::size_t count = model.rows.size();
        const int what = count > 12 && random() % 2 == 0 ? 70 : static_cast<int>(random() % 100);
        if (what < 30) {
            const Row row = randomRow();
            EXPECT_EQ(dataset_.PostError(row, std::nullopt, {}).has_value(),
                      model.HasDuplicate(row, std::nullopt));
            model.rows.push_back({row, std::nullopt, sequence});
            model.Reorder();
            ASSERT_EQ(dataset_.InsertRow(row), model.PositionOf(sequence++));
        } else if (what < 65 && count > 0) {
            const std::size_t at = random() % count;
            const Row row = randomRow();
            EXPECT_EQ(dataset_.PostError(row, at, {}).has_value(), model.HasDuplicate(row, at));
            const std::uint64_t moved = model.rows[at].sequence;
            model.rows[at].stored = row;
            model.rows[at].corrected.reset();
            model.Reorder();
            ASSERT_EQ(dataset_.UpdateRow(at, row), model.PositionOf(moved));
        } else if (what < 85 && count > 0) {
            const std::size_t at = random() % count;
            dataset_.DeleteRow(at);
            model.rows.erase(model.rows.begin() + static_cast<std::ptrdiff_t>(at));
        } else if (what < 93) {
            const std::string name = pick(names);
            dataset_.SetOrder(name);
            model.key = dataset_.FindField(name);
            model.Reorder();
        } else {
            const double factor = random() % 2 == 0 ? 0.5 : -2.0;
            dataset_.ApplyCorrection("Ток", factor, 1.0);
            for (DatasetModel::Entry& entry : model.rows) {
                entry.corrected.reset();
                if (const double* stored = std::get_if<double>(&entry.stored[1])) {
                    entry.corrected = *stored * factor;
                }
            }
            model.Reorder();
        }
        ASSERT_EQ(dataset_.RowCount(), model.rows.size());
        for (std::size_t r = 0; r < model.rows.size(); ++r) {
            ASSERT_EQ(dataset_.StoredAt(r, 0), model.rows[r].stored[0]) << "row " << r;
            ASSERT_EQ(dataset_.RowAt(r)[1], model.Working(model.rows[r], 1)) << "row " << r;
            ASSERT_EQ(dataset_.StoredAt(r, 2), model.rows[r].stored[2]) << "row " << r;
            ASSERT_EQ(dataset_.StoredAt(r, 3), model.rows[r].stored[3]) << "row " << r;
        }
    }
    dataset_.Write(table_);
    std::vector<Row> stored;
    for (const DatasetModel::Entry& entry : model.rows) {
        stored.push_back(entry.stored);
    }
    EXPECT_EQ(ReadDataPacket(table_).rows, stored);
}

}  // namespace
}  // namespace kalvenor
