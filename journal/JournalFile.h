#pragma once

#include "base/Numbers.h"
#include "journal/Journal.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace kalvenor {

// A journal file: one table file of the program's own form, a row a line,
// a field a column of the journal (named by the column's header), with the
// inputs as typed and the results of the last calculation.
inline constexpr std::string_view kJournalExtension = ".kvj";

// A switchboard has tens of lines; a file past this is no journal, and
// reading it whole could exhaust the memory.
inline constexpr std::uintmax_t kLargestJournalFile = std::uintmax_t{32} << 20;

// Every line of the file, whatever the tables, series and transformers it
// names: whether those exist is for the calculation to say, so a journal
// moved to another computer opens whole. Numbers come in the user's
// format. A file that cannot be read, is damaged, too large or not a
// journal throws FileError with a message for the user.
std::vector<JournalLine> ReadJournalFile(const std::filesystem::path& path, NumberFormat format);

// Writes the lines atomically over the file. A file already there that is
// not a journal (damaged, or another file under the name) is not
// overwritten: it is kept aside (KeepAside) and its new path returned, for
// the user to be told. Throws FileError, leaving the old file as it was.
std::optional<std::filesystem::path> WriteJournalFile(const std::filesystem::path& path,
                                                      const std::vector<JournalLine>& lines,
                                                      NumberFormat format);

}  // namespace kalvenor
