#include "journal/Journal.h"

#include "examples/ExampleJournal.h"
#include "journal/JournalColumns.h"
#include "journal/JournalFile.h"
#include "tables/DataPacket.h"
#include "tables/Dataset.h"
#include "tables/TableFiles.h"
#include "tests/core/TempDir.h"
#include "tests/support/JournalLines.h"
#include "tests/support/Tables.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <set>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

constexpr NumberFormat kComma{','};
constexpr NumberFormat kPoint{'.'};

JournalLine Line(std::string designation, std::string power, std::string length = "50") {
    JournalLine line;
    line.inputs[LineInput::Designation] = std::move(designation);
    line.inputs[LineInput::Power] = std::move(power);
    line.inputs[LineInput::Voltage] = "3 x 380+0";
    line.inputs[LineInput::Length] = std::move(length);
    line.inputs[LineInput::Temperature] = "25";
    line.inputs[LineInput::Table] = "ВВГвозд4.xml";
    line.inputs[LineInput::Series] = "ВА47-29 C";
    line.inputs[LineInput::Transformer] = "ТМ-400/10";
    return line;
}

// ---- The document ----------------------------------------------------------

class JournalEdits : public ::testing::Test {
protected:
    JournalEdits() {
        journal.Assign({Line("Гр.1", "10"), Line("Гр.2", "7,5"), Line("Гр.3", "3")});
        journal.AddObserver([this](const JournalChange& change) { changes.push_back(change); });
    }
    Journal journal;
    std::vector<JournalChange> changes;
};

TEST_F(JournalEdits, ANewLineStartsAsTheMainWindowDoes) {
    const LineInputs fresh;
    EXPECT_EQ(fresh[LineInput::CosPhi], "1");
    EXPECT_EQ(fresh[LineInput::Grouping], "1");
    EXPECT_EQ(fresh[LineInput::Power], "");
    EXPECT_EQ(fresh[LineInput::Transformer], "");
}

TEST_F(JournalEdits, ChangingAnInputDropsTheOutcomeOfThatLineOnly) {
    ASSERT_TRUE(journal.SetOutcome(0, journal.Line(0).inputs, testing::CompressorResults()));
    ASSERT_TRUE(journal.SetOutcome(1, journal.Line(1).inputs, LineStop{"Введите мощность"}));
    journal.MarkSaved();
    changes.clear();

    // The same text again is no change: the figures stay and nobody is told.
    EXPECT_FALSE(journal.SetInput(0, LineInput::Power, "10"));
    EXPECT_EQ(std::get<LineResults>(journal.Line(0).outcome), testing::CompressorResults());
    EXPECT_FALSE(journal.Modified());
    EXPECT_TRUE(changes.empty());

    EXPECT_TRUE(journal.SetInput(0, LineInput::Length, "51"));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(journal.Line(0).outcome));
    EXPECT_EQ(journal.Line(0).inputs[LineInput::Length], "51");
    EXPECT_EQ(std::get<LineStop>(journal.Line(1).outcome).message, "Введите мощность");
    EXPECT_TRUE(journal.Modified());
    EXPECT_EQ(changes, (std::vector<JournalChange>{{JournalChange::Kind::Changed, 0, 1}}));
}

TEST_F(JournalEdits, AnOutcomeOfInputsEditedMeanwhileIsNotTaken) {
    const LineInputs calculated = journal.Line(2).inputs;
    journal.SetInput(2, LineInput::Power, "4");
    changes.clear();
    EXPECT_FALSE(journal.SetOutcome(2, calculated, testing::CompressorResults()));
    EXPECT_TRUE(std::holds_alternative<std::monostate>(journal.Line(2).outcome));
    EXPECT_TRUE(changes.empty());

    EXPECT_TRUE(journal.SetOutcome(2, journal.Line(2).inputs, testing::CompressorResults()));
    EXPECT_EQ(changes, (std::vector<JournalChange>{{JournalChange::Kind::Changed, 2, 1}}));
    // A stop must say why; an empty one would read as "not calculated".
    EXPECT_THROW(journal.SetOutcome(2, journal.Line(2).inputs, LineStop{}), std::invalid_argument);
    EXPECT_EQ(std::get<LineResults>(journal.Line(2).outcome), testing::CompressorResults());
}

TEST_F(JournalEdits, InsertAndRemoveTellWhichRowsMoved) {
    journal.Insert(1, {Line("Новая А", "1"), Line("Новая Б", "2")});
    journal.Insert(journal.LineCount(), {Line("В конце", "3")});
    journal.Insert(0, {});
    journal.Remove(0, 2);
    journal.Remove(1, 0);
    std::vector<std::string> designations;
    for (const JournalLine& line : journal.Lines()) {
        designations.push_back(line.inputs[LineInput::Designation]);
    }
    EXPECT_EQ(designations, (std::vector<std::string>{"Новая Б", "Гр.2", "Гр.3", "В конце"}));
    EXPECT_EQ(changes, (std::vector<JournalChange>{{JournalChange::Kind::Inserted, 1, 2},
                                                   {JournalChange::Kind::Inserted, 5, 1},
                                                   {JournalChange::Kind::Removed, 0, 2}}));
    EXPECT_TRUE(journal.Modified());

    EXPECT_THROW(journal.Remove(3, 2), std::out_of_range);
    EXPECT_THROW(journal.Insert(5, {Line("", "")}), std::out_of_range);
    EXPECT_THROW(journal.SetInput(4, LineInput::Power, "1"), std::out_of_range);
    EXPECT_THROW(journal.Line(4), std::out_of_range);
    EXPECT_EQ(journal.LineCount(), 4u);

    // Opening a file replaces everything and starts unmodified.
    journal.Assign({Line("Гр.9", "9")});
    EXPECT_EQ(changes.back(), JournalChange{});
    EXPECT_FALSE(journal.Modified());
}

// ---- Columns ---------------------------------------------------------------

TEST(JournalColumns, CellsShowInputsAsTypedAndResultsInTheUsersForm) {
    JournalLine line = Line("Гр.1", "abc");
    EXPECT_EQ(CellText(line, JournalColumn::Power, kComma), "abc");
    EXPECT_EQ(CellNumber(line, JournalColumn::Power, kComma), std::nullopt);
    EXPECT_EQ(CellText(line, JournalColumn::Section, kComma), "");
    EXPECT_EQ(CellText(line, JournalColumn::Status, kComma), "");

    line.inputs[LineInput::Power] = "7,5";
    line.outcome = testing::CompressorResults();
    EXPECT_EQ(CellNumber(line, JournalColumn::Power, kComma), 7.5);
    EXPECT_EQ(CellNumber(line, JournalColumn::Power, kPoint), std::nullopt);
    EXPECT_EQ(CellNumber(line, JournalColumn::Designation, kComma), std::nullopt);
    const std::pair<JournalColumn, std::string> shown[] = {
        {JournalColumn::NominalCurrent, "26,532"},
        {JournalColumn::Section, "6"},
        {JournalColumn::ContinuousCurrent, "35,72"},
        {JournalColumn::BreakerCurrent, "32"},
        {JournalColumn::VoltageDrop, "1,21"},
        {JournalColumn::ShortCircuitCurrent, "931"},
        {JournalColumn::TransformerUsed, "ТМ-400/10"},
        {JournalColumn::Criterion, "срабатыванию автомата при КЗ"},
        {JournalColumn::Status, "OK"},
    };
    for (const auto& [column, text] : shown) {
        EXPECT_EQ(CellText(line, column, kComma), text) << ColumnLayout(column).header;
    }
    EXPECT_EQ(CellNumber(line, JournalColumn::ContinuousCurrent, kComma), 35.72);
    EXPECT_EQ(CellText(line, JournalColumn::ContinuousCurrent, kPoint), "35.72");
}

TEST(JournalColumns, AStopShowsItsMessageOnOneLine) {
    EXPECT_EQ(StatusText(LineStop{"Козфициент мощности должен быть \n больше 0 и меньше 1."}),
              "Козфициент мощности должен быть больше 0 и меньше 1.");
    EXPECT_EQ(StatusText(LineStop{"\r\nВ раскрывающиемся\tсписке  откройте таблицу.\n"}),
              "В раскрывающиемся списке откройте таблицу.");
    for (const Criterion criterion : {Criterion::Heating, Criterion::BreakerRating,
                                      Criterion::ShortCircuit, Criterion::VoltageDrop}) {
        EXPECT_EQ(CriterionFromText(CriterionText(criterion)), criterion);
    }
    EXPECT_EQ(CriterionFromText("нагреву"), std::nullopt);
}

TEST(JournalColumns, OnlyANumbersSeparatorChanges) {
    EXPECT_EQ(ChangeSeparator("2,5", kComma, kPoint), "2.5");
    EXPECT_EQ(ChangeSeparator(" -0,50 ", kComma, kPoint), " -0.50 ");
    EXPECT_EQ(ChangeSeparator("1,5E3", kComma, kPoint), "1.5E3");
    EXPECT_EQ(ChangeSeparator("2.5", kPoint, kComma), "2,5");
    // Not numbers in the source form: left exactly as typed.
    for (const char* text : {"1,2,3", "2.5", "abc,5", "", "12 кВт"}) {
        EXPECT_EQ(ChangeSeparator(text, kComma, kPoint), text);
    }
    EXPECT_EQ(ChangeSeparator("2,5", kComma, kComma), "2,5");
}

// ---- The journal file ------------------------------------------------------

// Every kind of outcome and texts that an XML writer is likely to bend;
// names of tables, series and transformers that exist nowhere.
std::vector<JournalLine> AwkwardJournal() {
    JournalLine sized = Line("Гр.1 «Освещение» <&> \"цех\"", "2,4", "45,5");
    sized.inputs[LineInput::PermittedDrop] = "3";
    sized.outcome = testing::CompressorResults();
    JournalLine stopped = Line("Гр.2\nвторая строка\tи табуляция", "0", "1E2");
    stopped.inputs[LineInput::Table] = "Нет такой таблицы.xml";
    stopped.inputs[LineInput::Series] = "Серия, которой нет";
    stopped.inputs[LineInput::Transformer] = std::string(kWithoutTransformer);
    stopped.outcome = LineStop{"Козфициент мощности должен быть \n больше 0 и меньше 1."};
    JournalLine typed = Line("  пробелы по краям  ", "12.5", "-");
    typed.inputs[LineInput::CosPhi] = "0,85 ";
    typed.inputs[LineInput::Voltage] = "";
    JournalLine empty;
    for (std::size_t i = 0; i < kLineInputCount; ++i) {
        empty.inputs[static_cast<LineInput>(i)] = "";
    }
    return {sized, stopped, typed, empty};
}

TEST(JournalFile, EveryLineReadsBackAsWrittenWhateverTheTablesNamed) {
    TempDir dir;
    const std::vector<JournalLine> lines = AwkwardJournal();
    EXPECT_EQ(WriteJournalFile(dir / "щит.kvj", lines, kComma), std::nullopt);
    std::vector<JournalLine> read = ReadJournalFile(dir / "щит.kvj", kComma);
    // A comma user's "12.5" is no number for them, and a point in the file is
    // the file's separator: it comes back as the figure it names.
    ASSERT_EQ(read.size(), lines.size());
    EXPECT_EQ(read[2].inputs[LineInput::Power], "12,5");
    read[2].inputs[LineInput::Power] = "12.5";
    EXPECT_EQ(read, lines);
    EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{"щит.kvj"});
}

TEST(JournalFile, FiguresTravelBetweenSeparators) {
    TempDir dir;
    WriteJournalFile(dir / "j.kvj", AwkwardJournal(), kComma);
    const std::vector<JournalLine> read = ReadJournalFile(dir / "j.kvj", kPoint);
    EXPECT_EQ(read[0].inputs[LineInput::Power], "2.4");
    EXPECT_EQ(read[0].inputs[LineInput::Length], "45.5");
    EXPECT_EQ(read[2].inputs[LineInput::CosPhi], "0.85 ");
    EXPECT_EQ(read[1].inputs[LineInput::Designation], "Гр.2\nвторая строка\tи табуляция");
    // Written with a point, read with a comma: the same figures.
    WriteJournalFile(dir / "j.kvj", read, kPoint);
    EXPECT_EQ(ReadJournalFile(dir / "j.kvj", kComma)[0].inputs[LineInput::Length], "45,5");
}

TEST(JournalFile, AFileOfAnotherProgramVersionKeepsItsLines) {
    TempDir dir;
    // Only the inputs (no result columns yet), in another order, with a
    // column this program does not know.
    std::vector<FieldDef> fields;
    for (std::size_t c = kLineInputCount; c-- > 0;) {
        fields.push_back(
            {std::string(ColumnLayout(ColumnAt(c)).header), FieldType::String, 0, false});
    }
    fields.push_back({"Примечание", FieldType::String, 0, false});
    DataPacket packet{fields, {}, {}};
    Row row(fields.size());
    row[kLineInputCount - 1] = std::string("Гр.7");  // the designation, now last of the inputs
    row[kLineInputCount - 2] = std::string("2.5");   // the power
    row[kLineInputCount] = std::string("заметка");
    packet.rows = {row, Row(fields.size())};
    WriteDataPacket(dir / "old.kvj", packet);
    const std::vector<JournalLine> read = ReadJournalFile(dir / "old.kvj", kComma);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].inputs[LineInput::Designation], "Гр.7");
    EXPECT_EQ(read[0].inputs[LineInput::Power], "2,5");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read[0].outcome));
    EXPECT_EQ(read[1].inputs[LineInput::CosPhi], "");
}

// Reading throws FileError naming the file, with the words given.
void ExpectRefused(const fs::path& path, const std::string& words) {
    try {
        ReadJournalFile(path, kComma);
        ADD_FAILURE() << "read without an error";
    } catch (const FileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("«" + path.string() + "»"), std::string::npos) << message;
        EXPECT_NE(message.find(words), std::string::npos) << message;
    }
}

TEST(JournalFile, DamagedForeignAndHugeFilesAreRefusedWithTheirReason) {
    TempDir dir;
    WriteJournalFile(dir / "whole.kvj", AwkwardJournal(), kComma);
    const std::string whole = ReadBytes(dir / "whole.kvj");
    WriteBytes(dir / "cut.kvj", whole.substr(0, whole.size() / 2));
    ExpectRefused(dir / "cut.kvj", "повреждён");

    testing::WriteCurrentTable(dir / "table.kvj", "В воздухе", "2", {{2.5, 27}});
    ExpectRefused(dir / "table.kvj",
                  "не является журналом линий: в нём нет столбца «Обозначение линии»");

    // A figure where the file says text: a table's field under a journal's name.
    std::vector<FieldDef> fields;
    for (std::size_t c = 0; c < kJournalColumnCount; ++c) {
        fields.push_back({std::string(ColumnLayout(ColumnAt(c)).header),
                          c == 1 ? FieldType::Float : FieldType::String, 0, false});
    }
    WriteDataPacket(dir / "typed.kvj", DataPacket{fields, {}, {}});
    ExpectRefused(dir / "typed.kvj", "у столбца «Мощность, кВт» другой тип данных");

    // Larger than any journal: refused from its size, without reading it.
    {
        const int fd = ::creat((dir / "huge.kvj").c_str(), 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kLargestJournalFile + 1)), 0);
        ::close(fd);
    }
    ExpectRefused(dir / "huge.kvj", "слишком велик для журнала линий");
    ExpectRefused(dir / "missing.kvj", "");
}

TEST(JournalFile, ASizedLineWithoutItsFiguresIsDamage) {
    TempDir dir;
    std::vector<JournalLine> lines = {Line("Гр.1", "1"), Line("Гр.2", "2")};
    lines[1].outcome = testing::CompressorResults();
    WriteJournalFile(dir / "j.kvj", lines, kComma);
    DataPacket packet = ReadDataPacket(dir / "j.kvj");
    const auto section = static_cast<std::size_t>(JournalColumn::Section);
    const auto criterion = static_cast<std::size_t>(JournalColumn::Criterion);

    packet.rows[1][section] = std::monostate{};
    WriteDataPacket(dir / "j.kvj", packet);
    ExpectRefused(dir / "j.kvj", "в строке 2 нет значения «Сечение, мм²» у рассчитанной линии");

    packet.rows[1][section] = 6.0;
    packet.rows[1][criterion] = std::string("нагреву");
    WriteDataPacket(dir / "j.kvj", packet);
    ExpectRefused(dir / "j.kvj", "в строке 2 неизвестный критерий выбора сечения «нагреву»");
}

TEST(JournalFile, WritingNeverDestroysAFileThatIsNoJournal) {
    TempDir dir;
    const std::vector<JournalLine> lines = AwkwardJournal();
    // A sound journal is simply replaced.
    WriteJournalFile(dir / "j.kvj", {Line("старая", "1")}, kComma);
    EXPECT_EQ(WriteJournalFile(dir / "j.kvj", lines, kComma), std::nullopt);
    EXPECT_EQ(test::FileNames(dir.Path()), std::set<std::string>{"j.kvj"});

    // A damaged one, and then another file under the name, are kept aside.
    WriteBytes(dir / "j.kvj", "<DATAPACKET><METADATA>");
    EXPECT_EQ(WriteJournalFile(dir / "j.kvj", lines, kComma), dir / "j.kvj.bad");
    testing::WriteCurrentTable(dir / "j.kvj", "В воздухе", "2", {{2.5, 27}});
    const std::string table = ReadBytes(dir / "j.kvj");
    EXPECT_EQ(WriteJournalFile(dir / "j.kvj", lines, kComma), dir / "j.kvj.bad2");
    EXPECT_EQ(ReadBytes(dir / "j.kvj.bad"), "<DATAPACKET><METADATA>");
    EXPECT_EQ(ReadBytes(dir / "j.kvj.bad2"), table);
    EXPECT_EQ(ReadJournalFile(dir / "j.kvj", kComma).size(), lines.size());

    // A write that fails leaves nothing behind.
    EXPECT_THROW(WriteJournalFile(dir / "нет папки" / "j.kvj", lines, kComma), FileError);
    fs::create_directory(dir / "folder.kvj");
    EXPECT_THROW(WriteJournalFile(dir / "folder.kvj", lines, kComma), FileError);
    EXPECT_EQ(test::FileNames(dir.Path()),
              (std::set<std::string>{"j.kvj", "j.kvj.bad", "j.kvj.bad2", "folder.kvj"}));
}

// ---- The example journal -----------------------------------------------------

const fs::path kExamples = fs::path(KALVENOR_SOURCE_DIR) / "examples";

TEST(ExampleJournal, CheckedInFileIsWhatTheGeneratorWritesAndReads) {
    TempDir dir;
    const std::string name = examples::WriteExampleJournal(dir.Path());
    EXPECT_EQ(ReadBytes(dir / name), ReadBytes(kExamples / name))
        << "regenerate the examples: cmake --build BUILD --target regenerate_examples";
    const std::vector<JournalLine> lines = ReadJournalFile(kExamples / name, kComma);
    EXPECT_EQ(lines, examples::ExampleJournalLines());
    EXPECT_GE(lines.size(), 12u);
}

// Every line can be calculated over the example tables: its table offers its
// voltage option, its series has its number of poles, its transformer exists,
// and every figure reads as a number.
TEST(ExampleJournal, EveryLineNamesWhatTheExampleTablesHold) {
    Dataset breakers;
    breakers.Load(kExamples / kBreakerFileName);
    std::set<std::pair<std::string, std::int64_t>> seriesPoles;
    for (std::size_t row = 0; row < breakers.RowCount(); ++row) {
        seriesPoles.emplace(std::get<std::string>(breakers.At(row, 0)),
                            std::get<std::int64_t>(breakers.At(row, 3)));
    }
    Dataset transformers;
    transformers.Load(kExamples / kTransformerFileName);
    std::set<std::string> transformerNames{std::string(kWithoutTransformer)};
    for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
        transformerNames.insert(std::get<std::string>(transformers.At(row, 0)));
    }
    const std::vector<std::string> voltages = {"380 + 0", "2 x 380+0", "3 x 380+0"};
    std::set<std::string> designations;
    for (const JournalLine& line : examples::ExampleJournalLines()) {
        const LineInputs& in = line.inputs;
        SCOPED_TRACE(in[LineInput::Designation]);
        EXPECT_TRUE(designations.insert(in[LineInput::Designation]).second);
        const auto option = std::find(voltages.begin(), voltages.end(), in[LineInput::Voltage]);
        ASSERT_NE(option, voltages.end());
        const auto index = option - voltages.begin();
        Dataset table;
        table.Load(kExamples / in[LineInput::Table]);
        EXPECT_EQ(table.FieldDefAt(kCoresPosition).name, std::to_string(index + 2));
        EXPECT_TRUE(seriesPoles.contains({in[LineInput::Series], index + 1}));
        EXPECT_TRUE(transformerNames.contains(in[LineInput::Transformer]));
        for (const LineInput input : {LineInput::Power, LineInput::CosPhi, LineInput::Length,
                                      LineInput::Temperature, LineInput::Grouping}) {
            double value = 0;
            EXPECT_TRUE(TryStrToFloat(in[input], kComma, value)) << in[input];
        }
        EXPECT_TRUE(std::holds_alternative<std::monostate>(line.outcome));
    }
}

}  // namespace
}  // namespace kalvenor
