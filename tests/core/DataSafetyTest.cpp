#include "base/Files.h"
#include "tables/CurrentTables.h"
#include "tables/DataPacket.h"
#include "tables/Databases.h"
#include "tests/core/ChildProcess.h"
#include "tests/core/TempDir.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/support/Tables.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <regex>
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
    const FolderLock lock(dir.Path());
    EXPECT_EQ(TablesFolderProblem(dir.Path(), lock), std::nullopt);
    // The probe leaves nothing behind; the lock stays for the next copy.
    EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{".Kalvenor.lock"});
    const FolderLock noFolder(dir / "нет");
    EXPECT_EQ(Missing(TablesFolderProblem(dir / "нет", noFolder),
                      {(dir / "нет").string(), "путь не найден", "не могут быть сохранены"}),
              "");
    fs::permissions(dir.Path(), fs::perms(0555));
    const std::string folder = dir.Path().string();
    EXPECT_EQ(InChildProcess(
                  [&] {
                      return Missing(TablesFolderProblem(folder, FolderLock(folder)),
                                     {folder, "нет прав доступа", "только для просмотра"});
                  },
                  true),
              "");
    fs::permissions(dir.Path(), fs::perms(0755));
}

// Two copies on one folder each wrote back their own rows over the other's,
// and the second's start-up removed the first's temporary file mid-write.
TEST(FolderLock, ASecondCopyOnlyLooksUntilTheFirstEndsHoweverItEnds) {
    TempDir dir;
    {
        const FolderLock first(dir.Path());
        const FolderLock second(dir.Path());
        EXPECT_FALSE(first.HeldElsewhere());
        EXPECT_TRUE(second.HeldElsewhere());
        EXPECT_EQ(Missing(TablesFolderProblem(dir.Path(), second),
                          {dir.Path().string(), "открыты в другой копии программы",
                           "только для просмотра"}),
                  "");
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const FolderLock held(dir.Path());
        const char byte = held.HeldElsewhere() ? 'n' : 'y';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    EXPECT_TRUE(FolderLock(dir.Path()).HeldElsewhere());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(FolderLock(dir.Path()).HeldElsewhere());
    ::close(ready[0]);
    ::close(ready[1]);
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
    const fs::path& folder = dir.Path();
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
    const fs::path& folder = dir.Path();
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
    const fs::path& folder = dir.Path();
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
    const fs::path& folder = dir.Path();
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

// A protected table in a writable folder was replaced at the first post, as
// an atomic write replaces any file: it opens read-only, with the message
// the databases give, and is never written.
TEST(TableFiles, AWriteProtectedTableOpensReadOnlyAndStaysAsItIs) {
    TempDir dir;
    fs::permissions(dir.Path(), fs::perms(0777));
    testing::WriteCurrentTable(dir / "T.xml", "В воздухе", "2", {{2.5, 27}});
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 50, 1, 10}});
    fs::permissions(dir / "T.xml", fs::perms(0444));
    fs::permissions(dir / "Avtomat.xml", fs::perms(0444));
    const fs::path& folder = dir.Path();
    EXPECT_EQ(InChildProcess(
                  [&] {
                      Dataset table;
                      OpenCurrentTable(table, folder, "T.xml");
                      std::string found = Missing(
                          table.ReadOnlyReason(),
                          {"T.xml", "нельзя изменять", "нет прав доступа", "только для просмотра"});
                      Dataset breakers;
                      const auto database = OpenBreakers(breakers, folder);
                      if (!database || !table.ReadOnlyReason() ||
                          *database != std::regex_replace(*table.ReadOnlyReason(),
                                                          std::regex("T\\.xml"), "Avtomat.xml")) {
                          found += " not the databases' message";
                      }
                      if (!table.BoundFile().empty()) {
                          found += " bound";
                      }
                      table.InsertRow({4.0, 38.0, {}, {}, {}, {}, {}});
                      table.Close();
                      return found;
                  },
                  true),
              "");
    EXPECT_EQ(ReadDataPacket(dir / "T.xml").rows.size(), 1U);
}

// A link was replaced by a regular file at the first edit, its target left
// stale: the target is written, beside itself, and the link stays a link.
TEST(TableFiles, ALinkIsWrittenThroughOrOpensReadOnly) {
    TempDir dir;
    fs::create_directories(dir / "app");
    fs::create_directories(dir / "shared");
    fs::permissions(dir / "shared", fs::perms(0777));
    testing::WriteCurrentTable(dir / "shared" / "T.xml", "В воздухе", "2", {{2.5, 27}});
    fs::create_symlink("../shared/T.xml", dir / "app" / "T.xml");
    Dataset table;
    ASSERT_TRUE(OpenCurrentTable(table, dir / "app", "T.xml"));
    EXPECT_EQ(table.ReadOnlyReason(), std::nullopt);
    table.InsertRow({4.0, 38.0, {}, {}, {}, {}, {}});
    EXPECT_TRUE(fs::is_symlink(dir / "app" / "T.xml"));
    EXPECT_EQ(ReadDataPacket(dir / "shared" / "T.xml").rows.size(), 2U);
    EXPECT_EQ(FileNames(dir / "app"), std::set<std::string>{"T.xml"});
    EXPECT_EQ(FileNames(dir / "shared"), std::set<std::string>{"T.xml"});
    table.Close();

    // The file itself may be written; its folder may not.
    fs::permissions(dir / "shared" / "T.xml", fs::perms(0666));
    fs::permissions(dir / "shared", fs::perms(0555));
    const fs::path app = dir / "app";
    EXPECT_EQ(InChildProcess(
                  [&] {
                      Dataset linked;
                      OpenCurrentTable(linked, app, "T.xml");
                      std::string found = Missing(linked.ReadOnlyReason(),
                                                  {"T.xml", "ссылка на", "shared",
                                                   "нет прав доступа", "только для просмотра"});
                      if (!linked.BoundFile().empty()) {
                          found += " bound";
                      }
                      return found;
                  },
                  true),
              "");
    fs::permissions(dir / "shared", fs::perms(0755));
}

// A second ROWDATA, an unknown element or attribute loaded without a word
// and was gone at the first write-back.
TEST(TableFiles, WhatTheProgramDoesNotReadIsKeptInItsPlace) {
    TempDir dir;
    const std::string kept =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!-- выгружено из сметы -->\n"
        "<DATAPACKET Version=\"2.0\" Источник=\"смета\">\n"
        "  <METADATA>\n"
        "    <FIELDS>\n"
        "      <FIELD attrname=\"Сечение\" fieldtype=\"r8\" required=\"true\" ГОСТ=\"22483\"/>\n"
        "      <FIELD attrname=\"Длительный ток\" fieldtype=\"r8\" required=\"true\"/>\n"
        "      <FIELD attrname=\"ВВГ\" fieldtype=\"string\" WIDTH=\"10\"/>\n"
        "      <FIELD attrname=\"В воздухе\" fieldtype=\"string\" WIDTH=\"10\"/>\n"
        "      <FIELD attrname=\"2\" fieldtype=\"string\" WIDTH=\"10\"/>\n"
        "      <FIELD attrname=\"Кабель\" fieldtype=\"string\" WIDTH=\"10\"/>\n"
        "      <FIELD attrname=\"Медь\" fieldtype=\"string\" WIDTH=\"10\"/>\n"
        "    </FIELDS>\n"
        "    <PARAMS LCID=\"1049\"/>\n"
        "  </METADATA>\n"
        "  <ROWDATA>\n"
        "    <ROW c0=\"2.5\" c1=\"27\"/>\n"
        "  </ROWDATA>\n"
        "  <ROWDATA>\n"
        "    <ROW c0=\"99\" c1=\"1\"/>\n"
        "  </ROWDATA>\n"
        "</DATAPACKET>\n";
    test::WriteBytes(dir / "T.xml", kept);
    Dataset table;
    ASSERT_TRUE(OpenCurrentTable(table, dir.Path(), "T.xml"));
    EXPECT_EQ(table.ReadOnlyReason(), std::nullopt);
    table.InsertRow({4.0, 38.0, {}, {}, {}, {}, {}});
    const std::string written = test::ReadBytes(dir / "T.xml");
    std::size_t at = 0;
    for (const char* piece :
         {"<!-- выгружено из сметы -->", "Источник=\"смета\"", "ГОСТ=\"22483\"", "</FIELDS>",
          "<PARAMS LCID=\"1049\"", "</METADATA>", "<ROWDATA>", "c0=\"2.5\"", "c0=\"4\"",
          "</ROWDATA>", "<ROWDATA>", "c0=\"99\"", "</ROWDATA>", "</DATAPACKET>"}) {
        const std::size_t found = written.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " not in its place in:\n" << written;
        at = found;
    }
    EXPECT_EQ(ReadDataPacket(dir / "T.xml").rows.size(), 2U);

    // Among the rows nothing can be kept in its place: the table is only read.
    std::string commented = kept;
    commented.replace(commented.find("    <ROW c0=\"2.5\""), 0, "    <!-- проверено -->\n");
    test::WriteBytes(dir / "T.xml", commented);
    ASSERT_TRUE(OpenCurrentTable(table, dir.Path(), "T.xml"));
    EXPECT_EQ(Missing(table.ReadOnlyReason(), {"T.xml", "комментарий среди строк"}), "");
    EXPECT_TRUE(table.BoundFile().empty());
    table.InsertRow({4.0, 38.0, {}, {}, {}, {}, {}});
    table.Close();
    EXPECT_EQ(test::ReadBytes(dir / "T.xml"), commented);
}

// Another program's change was overwritten by the next post without a word.
TEST(TableFiles, AFileChangedByAnotherProgramIsNotWrittenOverUnasked) {
    TempDir dir;
    testing::WriteCurrentTable(dir / "T.xml", "В воздухе", "2", {{2.5, 27}});
    Dataset table;
    ASSERT_TRUE(OpenCurrentTable(table, dir.Path(), "T.xml"));
    const auto rowsInFile = [&dir] { return ReadDataPacket(dir / "T.xml").rows.size(); };
    const Row row4{4.0, 38.0, {}, {}, {}, {}, {}};
    const Row row6{6.0, 46.0, {}, {}, {}, {}, {}};

    // Replaced by a rename, as this program writes: nobody to ask, so the
    // row stays in memory and nothing is written.
    testing::WriteCurrentTable(dir / "T.xml", "В воздухе", "2", {{1.5, 19}, {2.5, 27}});
    EXPECT_THROW(table.InsertRow(row4), FileChangedError);
    EXPECT_EQ(table.RowCount(), 2U);
    EXPECT_TRUE(table.Modified());
    EXPECT_EQ(rowsInFile(), 2U);

    // Asked: No reads the file again, and the row typed here is gone.
    testing::ScriptedMessageBox messages;
    table.SetChangedFilePolicy(AskBeforeWritingOver(messages));
    messages.Plan(Answer::No);
    table.WriteBack();
    ASSERT_EQ(messages.shown.size(), 1U);
    EXPECT_EQ(Missing(messages.shown[0].text, {"T.xml", "изменён другой программой"}), "");
    EXPECT_EQ(messages.shown[0].flags, 52);
    EXPECT_EQ(table.RowCount(), 2U);
    EXPECT_EQ(table.At(0, 0), Value(1.5));
    EXPECT_FALSE(table.Modified());

    // Written over in place by another program: Yes writes over it.
    std::string other = test::ReadBytes(dir / "T.xml");
    other.replace(other.find("c1=\"19\""), 7, "c1=\"20\"");
    test::WriteBytes(dir / "T.xml", other);
    messages.Plan(Answer::Yes);
    table.InsertRow(row6);
    EXPECT_EQ(messages.shown.size(), 2U);
    EXPECT_EQ(rowsInFile(), 3U);
    EXPECT_FALSE(table.Modified());

    // The program's own writes are no change of another.
    table.DeleteRow(2);
    table.Close();
    EXPECT_EQ(messages.shown.size(), 2U);
    EXPECT_EQ(rowsInFile(), 2U);
}

// A table rewritten in place by another program while the program starts
// was read half-written and set aside as damaged.
TEST(Databases, ADatabaseRewrittenInPlaceAtStartUpIsReadAgainNotSetAside) {
    TempDir dir;
    testing::WriteBreakers(dir.Path(), {{"АП50", 1.6, 50, 1, 10}, {"ВА47-29", 1, 63, 1, 5}});
    const std::string whole = test::ReadBytes(dir / "Avtomat.xml");
    for (int trial = 0; trial < 3; ++trial) {
        int halfWritten[2];
        ASSERT_EQ(::pipe(halfWritten), 0);
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            const int file = ::open((dir / "Avtomat.xml").c_str(), O_WRONLY | O_TRUNC);
            const std::size_t half = whole.size() / 2;
            bool done = ::write(file, whole.data(), half) == static_cast<ssize_t>(half);
            done = done && ::write(halfWritten[1], "h", 1) == 1;
            ::usleep(100'000);
            done = done && ::write(file, whole.data() + half, whole.size() - half) ==
                               static_cast<ssize_t>(whole.size() - half);
            ::_exit(done && ::close(file) == 0 ? 0 : 1);
        }
        char byte = 0;
        ASSERT_EQ(::read(halfWritten[0], &byte, 1), 1);
        Dataset breakers;
        EXPECT_EQ(OpenBreakers(breakers, dir.Path()), std::nullopt);
        EXPECT_EQ(breakers.RowCount(), 2U);
        int status = 0;
        ::waitpid(writer, &status, 0);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(FileNames(dir.Path()), std::set<std::string>{"Avtomat.xml"});
        ::close(halfWritten[0]);
        ::close(halfWritten[1]);
    }
}

}  // namespace
}  // namespace kalvenor
