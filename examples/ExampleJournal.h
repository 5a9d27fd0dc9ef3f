#pragma once

#include "journal/Journal.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor::examples {

inline constexpr std::string_view kExampleJournalFile = "Журнал ЩР-1.kvj";

// The lines of a workshop's switchboard ЩР-1 over the example tables, as a
// designer types them (numbers with a decimal comma), not yet calculated.
std::vector<JournalLine> ExampleJournalLines();

// Writes them into the folder as kExampleJournalFile and returns that name.
// Throws FileError.
std::string WriteExampleJournal(const std::filesystem::path& folder);

}  // namespace kalvenor::examples
