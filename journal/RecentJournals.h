#pragma once

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

namespace kalvenor {

// The journals opened or saved last, newest first, one path a line in a
// file of the tables folder: the program keeps no other settings.
inline constexpr std::string_view kRecentJournalsFile = "journals.recent";
inline constexpr std::size_t kRecentJournalCount = 8;

// What the file lists, without the paths that no longer exist; nothing when
// it is missing or unreadable.
std::vector<std::filesystem::path> ReadRecentJournals(const std::filesystem::path& directory);

// The journal put first (once), the list cut to kRecentJournalCount and
// written back; the new list. A list that cannot be written is not worth
// interrupting the user for: the new list is returned all the same.
std::vector<std::filesystem::path> RememberJournal(const std::filesystem::path& directory,
                                                   const std::filesystem::path& journal);

}  // namespace kalvenor
