#include "base/Files.h"
#include "tables/TableFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/core/TempDir.h"

namespace kalvenor {
namespace {

using test::TempDir;
using test::WriteBytes;

TEST(CurrentTableFieldDefs, RefusesEmptyAndRepeatedNames) {
    EXPECT_FALSE(CurrentTableParametersFit("", "b", "c", "d", "e"));
    EXPECT_FALSE(CurrentTableParametersFit("a", "b", "c", "d", ""));
    EXPECT_FALSE(CurrentTableParametersFit("a", "b", "a", "d", "e"));
    EXPECT_FALSE(CurrentTableParametersFit("a", "b", "c", "d", std::string(kSectionField)));
    EXPECT_FALSE(CurrentTableParametersFit(std::string(kCurrentField), "b", "c", "d", "e"));
    EXPECT_THROW(CurrentTableFieldDefs("a", "b", "a", "d", "e"), std::logic_error);
    EXPECT_TRUE(CurrentTableParametersFit("a", "A", "a ", " a", "б"));
    EXPECT_NO_THROW(CurrentTableFieldDefs("a", "A", "a ", " a", "б"));
}

TEST(ListCurrentTableFiles, ListsTheTablesByNameWithoutTheDatabases) {
    TempDir dir;
    for (const char* name :
         {"ВВГ.xml", "АВВГ.xml", "NYM.xml", "a b.xml", "Avtomat.xml", "tranform.xml", "avtomat.xml",
          "upper.XML", "notes.txt", "t.xml.Ab12Cd", "xml", "T10.xml", "T2.xml", "T.xml", "T-1.xml",
          "Я.xml", "б.xml", "Б2.xml", "а.xml", "A.xml", "b.xml", "Ёж.xml", "Ежи.xml", "Жук.xml",
          // equal but for the case of a letter or for leading zeros
          "B.xml", "T02.xml", "x00.xml", "x0.xml"}) {
        WriteBytes(dir / name, "");
    }
    std::filesystem::create_directory(dir / "folder.xml");
    // A link counts as what it names.
    std::filesystem::create_symlink("ВВГ.xml", dir / "link.xml");
    std::filesystem::create_symlink("folder.xml", dir / "to folder.xml");
    std::filesystem::create_symlink("gone.xml", dir / "dead.xml");
    const std::vector<std::string> listed{
        "A.xml",   "a b.xml", "avtomat.xml", "B.xml",   "b.xml",  "link.xml", "NYM.xml", "T.xml",
        "T-1.xml", "T02.xml", "T2.xml",      "T10.xml", "x0.xml", "x00.xml",  "а.xml",   "АВВГ.xml",
        "б.xml",   "Б2.xml",  "ВВГ.xml",     "Ежи.xml", "Ёж.xml", "Жук.xml",  "Я.xml"};
    EXPECT_EQ(ListCurrentTableFiles(dir.Path()), listed);
    WriteBytes(dir / "\xC0\xAF.xml", "");
    std::vector<std::string> passedOver;
    EXPECT_EQ(ListCurrentTableFiles(dir.Path(), &passedOver), listed);
    EXPECT_EQ(passedOver, std::vector<std::string>{"\xC0\xAF.xml"});
    EXPECT_TRUE(ListCurrentTableFiles(dir / "missing").empty());
    EXPECT_TRUE(ListCurrentTableFiles(dir / "ВВГ.xml").empty());
}

TEST(NaturalNameLess, FoldsCaseOrdersCyrillicAndReadsNumbers) {
    const std::vector<std::pair<std::string_view, std::string_view>> ordered = {
        {"a", "B"},
        {"B", "c"},
        {"z", "а"},
        {"Е", "ё"},
        {"ё", "Ж"},
        {"ЕЯ", "Ёа"},
        {"ежи", "Ёж"},
        {"T2", "t10"},
        {"x9y", "x10"},
        {"a007", "a8"},
        {"1", "a"},
        {"", "a"},
        {"a", "a1"},
        {"A", "a"},
        {"T02", "T2"},
        {"Э", "Ю"},
        {"99999999999999999999", "100000000000000000000"},
        {"aя", "a\xFF"},  // a stray byte sorts after every character
    };
    for (const auto& [first, second] : ordered) {
        EXPECT_TRUE(NaturalNameLess(first, second)) << first << " < " << second;
        EXPECT_FALSE(NaturalNameLess(second, first)) << second << " < " << first;
    }
    for (std::string_view name : {"", "Т10", "\xFF\xD0"}) {
        EXPECT_FALSE(NaturalNameLess(name, name)) << name;
    }
}

// A list in any order comes out in the order of its names proper, every
// name once: the names are moved along the cycles of the order they take.
TEST(SortTableFileNames, PutsAnyListInTheNaturalOrderOfItsNames) {
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        const std::string number = std::to_string(i * 37 % 101);
        names.push_back((i % 3 == 0 ? "Т" : i % 3 == 1 ? "t" : "Кабель ") + number + ".xml");
    }
    std::mt19937 random(7);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(names.begin(), names.end(), random);
        std::vector<std::string> expected = names;
        std::sort(expected.begin(), expected.end(), [](std::string_view a, std::string_view b) {
            return NaturalNameLess(a.substr(0, a.size() - 4), b.substr(0, b.size() - 4));
        });
        SortTableFileNames(names);
        ASSERT_EQ(names, expected);
    }
}

TEST(TableNameProblem, RefusesWhatCannotBeAFileName) {
    // The last four are broken UTF-8: a cut sequence, an overlong "/", a
    // surrogate and a code point beyond U+10FFFF.
    for (const char* name :
         {"a/b", "..", ".", "a\\b", "x\x01", "x\x7f", "a:b", "a*", "a?", "\"a\"", "<a>", "a|b",
          "a\tb", "\xD0", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_TRUE(TableNameProblem(name).has_value()) << name;
    }
    for (const char* name : {"ВВГ3", "ок 1", "...", ".скрытая", "a.b", "€ 𝄞", ""}) {
        EXPECT_EQ(TableNameProblem(name), std::nullopt) << name;
    }
}

// An installed copy cannot write beside itself: its tables go to the user's
// data folder, made when missing. A copy in a folder of the user's keeps them
// beside itself.
TEST(ApplicationDirectory, BesideTheProgramWhenItCanElseTheUsersDataFolder) {
    TempDir dir;
    const auto data = dir / "share" / "Kalvenor";
    EXPECT_EQ(ChooseApplicationDirectory(dir.Path(), data), dir.Path());
    EXPECT_FALSE(std::filesystem::exists(data));
    const auto installed = dir / "not-there";
    EXPECT_EQ(ChooseApplicationDirectory(installed, data), data);
    EXPECT_TRUE(std::filesystem::is_directory(data));
    // Nowhere to write: the program's own folder, where it says so.
    WriteBytes(dir / "file", "x");
    EXPECT_EQ(ChooseApplicationDirectory(installed, dir / "file" / "Kalvenor"), installed);
    // The probes leave nothing behind.
    EXPECT_EQ(test::FileNames(dir.Path()), (std::set<std::string>{"file", "share"}));
    EXPECT_TRUE(test::FileNames(data).empty());
}

}  // namespace
}  // namespace kalvenor
