#include "journal/JournalCsv.h"
#include "journal/RecentJournals.h"
#include "tests/core/TempDir.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>

namespace kalvenor {
namespace {

struct CommandRun {
    int status = -1;
    std::string errors;
};

// The command line as a shell runs it, its standard error kept.
CommandRun RunCommand(const std::string& arguments, const std::filesystem::path& errors) {
    const std::string command =
        std::string("'") + KALVENOR_JOURNAL_CLI + "' " + arguments + " 2>'" + errors.string() + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, test::ReadBytes(errors)};
}

class JournalCommand : public ::testing::Test {
protected:
    void SetUp() override {
        testing::WriteCurrentTable(dir / "ВВГ3.xml", "В воздухе", "2",
                                   {{1.5, 19}, {2.5, 27}, {4, 38}, {6, 46}, {10, 70}, {16, 90}});
        testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 50, 1, 10}, {"ВА47-63", 6, 63, 1, 5}});
        Dataset transformers;
        testing::FillTransformers(transformers, {{"TM-40/10", 40, 4.7}});
        transformers.Write(dir.Path() / kTransformerFileName);
    }

    std::string Quoted(const std::filesystem::path& path) const {
        return "'" + path.string() + "'";
    }

    test::TempDir dir;
};

// A line sized, a line stopped: both written, the stop told on standard
// error in Russian, and the status says a line stopped.
TEST_F(JournalCommand, WritesEveryLineAndFailsWhenOneStopped) {
    test::WriteBytes(dir / "линии.csv",
                     "Обозначение линии;Мощность, кВт;Напряжение сети;Длина, м;Таблица "
                     "токов;Серия автомата;Трансформатор\r\n"
                     "Гр.1;10;380 + 0;100;ВВГ3.xml;АП50;TM-40/10\r\n"
                     "Гр.2;10;380 + 0;100;ВВГ3.xml;S201;TM-40/10\r\n");
    const CommandRun run =
        RunCommand("--tables " + Quoted(dir.Path()) + " " + Quoted(dir / "линии.csv") + " -o " +
                       Quoted(dir / "итог.csv"),
                   dir / "stderr");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("Линия 2 («Гр.2»): Автомат серии «S201» не подходит для линии. "
                              "Подходят серии: АП50, ВА47-63."),
              std::string::npos)
        << run.errors;
    const CsvImport written = ImportJournalCsv(dir / "итог.csv", NumberFormat{','});
    ASSERT_EQ(written.lines.size(), 2U);
    const std::string text = test::ReadBytes(dir / "итог.csv");
    EXPECT_NE(
        text.find(
            "Гр.1;10;1;380 + 0;100;;ВВГ3.xml;1;АП50;TM-40/10;;45,455;16;90;50;4,53;546;TM-40/10"),
        std::string::npos)
        << text;
}

TEST_F(JournalCommand, RefusesWhatItCannotReadOrWrite) {
    CommandRun run = RunCommand("--help", dir / "stderr");
    EXPECT_EQ(run.status, 0);
    run = RunCommand(Quoted(dir / "нет.csv") + " -o " + Quoted(dir / "итог.csv"), dir / "stderr");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.errors.find("нет.csv"), std::string::npos) << run.errors;
    run = RunCommand(Quoted(dir / "ВВГ3.xml") + " -o " + Quoted(dir / "итог.csv"), dir / "stderr");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.errors.find("не того вида"), std::string::npos) << run.errors;
    run = RunCommand(Quoted(dir / "ВВГ3.xml"), dir / "stderr");
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "итог.csv"));
}

TEST(RecentJournals, NewestFirstOnceAndOnlyThoseThatStillExist) {
    test::TempDir dir;
    std::vector<std::filesystem::path> journals;
    for (int i = 0; i < 10; ++i) {
        const std::filesystem::path path = dir / ("ЩР-" + std::to_string(i) + ".kvj");
        test::WriteBytes(path, "");
        journals = RememberJournal(dir.Path(), path);
    }
    ASSERT_EQ(journals.size(), kRecentJournalCount);
    EXPECT_EQ(journals.front(), dir / "ЩР-9.kvj");
    EXPECT_EQ(journals.back(), dir / "ЩР-2.kvj");
    journals = RememberJournal(dir.Path(), dir / "ЩР-5.kvj");
    EXPECT_EQ(journals.front(), dir / "ЩР-5.kvj");
    EXPECT_EQ(std::count(journals.begin(), journals.end(), dir / "ЩР-5.kvj"), 1);
    std::filesystem::remove(dir / "ЩР-9.kvj");
    EXPECT_EQ(ReadRecentJournals(dir.Path()).size(), kRecentJournalCount - 1);
    EXPECT_EQ(ReadRecentJournals(dir.Path()), RememberJournal(dir.Path(), dir / "ЩР-5.kvj"));
}

}  // namespace
}  // namespace kalvenor
