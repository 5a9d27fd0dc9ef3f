#include "journal/RecentJournals.h"

#include "base/Files.h"
#include "base/UserError.h"

#include <algorithm>
#include <sstream>
#include <string>

namespace kalvenor {

std::vector<std::filesystem::path> ReadRecentJournals(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> journals;
    std::string bytes;
    try {
        bytes = ReadFileBytes(directory / kRecentJournalsFile);
    } catch (const UserError&) {
        return journals;
    }
    std::istringstream lines(bytes);
    for (std::string line; std::getline(lines, line) && journals.size() < kRecentJournalCount;) {
        std::error_code error;
        if (!line.empty() && std::filesystem::is_regular_file(line, error)) {
            journals.emplace_back(line);
        }
    }
    return journals;
}

std::vector<std::filesystem::path> RememberJournal(const std::filesystem::path& directory,
                                                   const std::filesystem::path& journal) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(journal, error);
    if (error) {
        absolute = journal;
    }
    std::vector<std::filesystem::path> journals = ReadRecentJournals(directory);
    std::erase(journals, absolute);
    journals.insert(journals.begin(), absolute);
    if (journals.size() > kRecentJournalCount) {
        journals.resize(kRecentJournalCount);
    }
    std::string bytes;
    for (const std::filesystem::path& path : journals) {
        bytes += path.string() + '\n';
    }
    try {
        WriteFileAtomically(directory / kRecentJournalsFile, bytes);
    } catch (const UserError&) {
        // The list stays as it was; the journal itself was opened or saved.
    }
    return journals;
}

}  // namespace kalvenor
