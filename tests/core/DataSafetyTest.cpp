#include "base/Files.h"
#include "tables/CurrentTables.h"
#include "tables/DataPacket.h"
#include "tables/Databases.h"
#include "tests/core/ChildProcess.h"
#include "tests/core/TempDir.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <set>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using test::FileNames;
using test::InChildProcess;
using test::TempDir;

bool Has(const std::string& text, std::string_view part) {
    return text.find(part) != std::string::npos;
}

// What a check in a child reports: empty when the text holds every part.
std::string Missing(const std::optional<std::string>& text,
                    std::initializer_list<std::string_view> parts) {
    if (!text) {
        return "no message";
    }
    for (std::string_view part : parts) {
        if (!Has(*text, part)) {
            return "«" + std::string(part) + "» missing from: " + *text;
        }
    }
    // The system's English must not show through in the causes met daily.
    for (std::string_view english : {"denied", "space", "Read-only", "No such"}) {
        if (Has(*text, english)) {
            return "English in: " + *text;
        }
    }
    return {};
}

std::optional<std::string> OpenBreakers(Dataset& breakers, const fs::path& directory,
                                        bool folderWritable = true) {
    return OpenDatabase(breakers, directory / kBreakerFileName, BreakerFieldDefs(), {},
                        std::string(kMaxCurrentField), folderWritable);
}

TEST(SystemErrorText, CommonCausesInRussianTheRestAsTheSystemSaysIt) {
    for (int code : {EACCES, EPERM, ENOSPC, EDQUOT, EROFS, EBUSY, ETXTBSY, ENOENT, ENOTDIR, EISDIR,
                     EFBIG, EIO, ENAMETOOLONG, EMFILE}) {
        const std::string text = SystemErrorText(code);
        EXPECT_NE(text, std::generic_category().message(code)) << code;
        EXPECT_EQ(Missing(text, {}), "") << code;
    }
    EXPECT_EQ(SystemErrorText(EXDEV), std::generic_category().message(EXDEV));
    TempDir dir;
    try {
        WriteFileAtomically(dir / "нет" / "a.xml", "x");
        FAIL() << "written";
    } catch (const FileError& error) {
        EXPECT_EQ(Missing(error.what(), {"a.xml", "путь не найден"}), "");
        EXPECT_EQ(error.Code(), ENOENT);
    }
}

// The program's temporary names come from a small set: a write takes the
// first free one, and start-up removes exactly those, whatever else the
// folder holds.
TEST(RemoveStaleTemporaryFiles, RemovesOnlyWhatTheProgramLeft) {
    TempDir dir;
    // Left by two killed writes.
    for (const char* name : {".kalvenor-tmp-00", ".kalvenor-tmp-01", ".kalvenor-tmp-99"}) {
        test::WriteBytes(dir / name, "x");
        EXPECT_TRUE(IsTemporaryFileName(name)) << name;
    }
    for (const char* name : {".kalvenor-tmp-1", ".kalvenor-tmp-100", ".kalvenor-tmp-0a",
                             "notes.kalvenor-tmp-00", "T.xml"}) {
        test::WriteBytes(dir / name, "x");
        EXPECT_FALSE(IsTemporaryFileName(name)) << name;
    }
    fs::create_directory(dir / ".kalvenor-tmp-02");
    WriteFileAtomically(dir / "T.xml", "table");
    EXPECT_EQ(test::ReadBytes(dir / "T.xml"), "table");
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir.Path()), 3);
    EXPECT_EQ(FileNames(dir.Path()),
              (std::set<std::string>{".kalvenor-tmp-1", ".kalvenor-tmp-100", ".kalvenor-tmp-0a",
                                     "notes.kalvenor-tmp-00", "T.xml", ".kalvenor-tmp-02"}));
    EXPECT_EQ(RemoveStaleTemporaryFiles(dir / "missing"), 0);
}

TEST(TablesFolderProblem, NamesTheFolderAndWhyNothingCanBeSaved) {
    TempDir dir;
    EXPECT_EQ(TablesFolderProblem(dir.Path()), std::nullopt);
    EXPECT_TRUE(FileNames(dir.Path()).empty());  // the probe leaves nothing behind
    EXPECT_EQ(Missing(TablesFolderProblem(dir / "нет"),
                      {(dir / "нет").string(), "путь не найден", "не могут быть сохранены"}),
              "");
    fs::permissions(dir.Path(), fs::perms(0555));
    const std::string folder = dir.Path().string();
    EXPECT_EQ(InChildProcess(
                  [&] {
                      return Missing(TablesFolderProblem(folder),
                                     {folder, "нет прав доступа", "только для просмотра"});
                  },
                  true),
              "");
    fs::permissions(dir.Path(), fs::perms(0755));
}

// A FIFO must not hang the start-up and a device must not be read until
// memory runs out; neither is a table, and neither is renamed or replaced:
// the program did not make them and cannot mend them.
TEST(Databases, SpecialFilesAreReportedAndLeftInPlace) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "Avtomat.xml").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir / "tranform.xml");
    Dataset breakers;
    EXPECT_EQ(
        Missing(OpenBreakers(breakers, dir.Path()), {"Avtomat.xml", "не является обычным файлом",
                                                     "оставлен как есть", "не будут сохранены"}),
        "");
    EXPECT_TRUE(fs::is_fifo(dir / "Avtomat.xml"));
    EXPECT_TRUE(breakers.Active());
    EXPECT_EQ(breakers.FieldDefs(), BreakerFieldDefs());
    EXPECT_TRUE(breakers.BoundFile().empty());

    Dataset transformers;
    EXPECT_EQ(Missing(OpenDatabase(transformers, dir / "tranform.xml", TransformerFieldDefs(),
                                   TransformerIndexDefs(), std::string(kPowerField)),
                      {"tranform.xml", "не является обычным файлом"}),
              "");
    EXPECT_EQ(fs::read_symlink(dir / "tranform.xml"), "/dev/zero");
    EXPECT_TRUE(transformers.BoundFile().empty());
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Avtomat.xml", "tranform.xml"}));
}

TEST(CurrentTables, SpecialFilesAreNeitherListedNorRead) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "T1.xml").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir / "T2.xml");
    testing::WriteCurrentTable(dir / "T3.xml", "В воздухе", "2", {{2.5, 27}});
    EXPECT_EQ(ListCurrentTableFiles(dir.Path()), (std::vector<std::string>{"T3.xml"}));
    Dataset table;
    for (const char* name : {"T1.xml", "T2.xml"}) {
        try {
            OpenCurrentTable(table, dir.Path(), name);
            ADD_FAILURE() << name << " read";
        } catch (const FileError& error) {
            EXPECT_EQ(Missing(error.what(), {name, "не является обычным файлом"}), "");
        }
        EXPECT_FALSE(table.Active());
        EXPECT_TRUE(table.BoundFile().empty());
    }
}

TEST(Databases, AFileThatMayNotBeReadIsReportedAsSuchAndLeftInPlace) {
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms(0777));
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 50, 1, 10}});
    fs::permissions(dir / "Avtomat.xml", fs::perms::none);
    const fs::path folder = dir.Path();
    EXPECT_EQ(InChildProcess(
                  [&] {
                      Dataset breakers;
                      std::string found = Missing(OpenBreakers(breakers, folder),
                                                  {"Avtomat.xml", "нет прав доступа",
                                                   "оставлен как есть", "не будут сохранены"});
                      if (!breakers.BoundFile().empty()) {
                          found += " bound";
                      }
                      return found;
                  },
                  true),
              "");
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Avtomat.xml"}));
    fs::permissions(dir / "Avtomat.xml", fs::perms(0644));
    EXPECT_EQ(ReadDataPacket(dir / "Avtomat.xml").rows.size(), 1U);
}

TEST(Databases, AReadOnlyFileIsReadButNeverReplaced) {
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms(0777));
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 50, 1, 10}});
    fs::permissions(dir / "Avtomat.xml", fs::perms(0444));
    const fs::path folder = dir.Path();
    EXPECT_EQ(InChildProcess(
                  [&] {
                      Dataset breakers;
                      std::string found =
                          Missing(OpenBreakers(breakers, folder),
                                  {"Avtomat.xml", "нельзя изменять", "нет прав доступа"});
                      if (breakers.RowCount() != 1 || !breakers.BoundFile().empty()) {
                          found += " not read, or bound";
                      }
                      return found;
                  },
                  true),
              "");
}

TEST(Databases, ADamagedFileThatCannotBeRenamedSaysWhyInRussian) {
    TempDir dir;
    test::WriteBytes(dir / "Avtomat.xml", "мусор");
    fs::permissions(dir.Path(), fs::perms(0555));
    const fs::path folder = dir.Path();
    EXPECT_EQ(InChildProcess(
                  [&] {
                      Dataset breakers;
                      return Missing(OpenBreakers(breakers, folder),
                                     {"Переименовать его не удалось (нет прав доступа)"});
                  },
                  true),
              "");
    fs::permissions(dir.Path(), fs::perms(0755));
    EXPECT_EQ(test::ReadBytes(dir / "Avtomat.xml"), "мусор");
}

// The damaged file is set aside, then the empty database cannot be written
// (here a file-size limit stands in for a full disk): the user must learn
// both where the old file went and that there is no new one.
TEST(Databases, ADamagedFileOnAFullDiskSaysWhereItWentAndThatNoNewOneWasWritten) {
    TempDir dir;
    test::WriteBytes(dir / "Avtomat.xml", "мусор");
    const fs::path folder = dir.Path();
    EXPECT_EQ(InChildProcess([&] {
                  ::signal(SIGXFSZ, SIG_IGN);
                  const rlimit limit{64, 64};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  Dataset breakers;
                  std::string found =
                      Missing(OpenBreakers(breakers, folder),
                              {"«Avtomat.xml.bad»", "новую базу данных создать не удалось",
                               "файл слишком велик", "Изменения базы данных не будут сохранены."});
                  if (!breakers.Active() || !breakers.BoundFile().empty()) {
                      found += " no empty unbound database";
                  }
                  return found;
              }),
              "");
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Avtomat.xml.bad"}));
    EXPECT_EQ(test::ReadBytes(dir / "Avtomat.xml.bad"), "мусор");
}

// The user has been told once that nothing can be saved; the databases are
// read as they are and nothing is created, renamed or said again.
TEST(Databases, NothingIsCreatedOrSetAsideWhenTheFolderCannotBeWritten) {
    TempDir dir;
    Dataset breakers;
    EXPECT_EQ(OpenBreakers(breakers, dir.Path(), false), std::nullopt);
    EXPECT_TRUE(breakers.Active());
    EXPECT_TRUE(FileNames(dir.Path()).empty());

    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 50, 1, 10}});
    EXPECT_EQ(OpenBreakers(breakers, dir.Path(), false), std::nullopt);
    EXPECT_EQ(breakers.RowCount(), 1U);
    EXPECT_TRUE(breakers.BoundFile().empty());

    test::WriteBytes(dir / "Avtomat.xml", "мусор");
    EXPECT_EQ(Missing(OpenBreakers(breakers, dir.Path(), false), {"оставлен как есть"}), "");
    EXPECT_EQ(FileNames(dir.Path()), (std::set<std::string>{"Avtomat.xml"}));
}

}  // namespace
}  // namespace kalvenor
