#pragma once

#include "base/Numbers.h"
#include "journal/Journal.h"
#include "output/RtfWriter.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kalvenor {

// What the printed journal says of the design above its table.
struct CableJournalHeading {
    std::string design;  // the design's title, as the user names it
    std::string date;    // as it is to be printed, "12.05.2025"
};

// The cable journal to print: a landscape table of the lines (their inputs,
// results and state) under the title "Кабельный журнал", the design, the
// date and a legend of the symbols heading the columns.
RtfTableDocument CableJournalDocument(const std::vector<JournalLine>& lines,
                                      const CableJournalHeading& heading, NumberFormat format);

// Its RTF, written atomically. Throws FileError.
void SaveCableJournal(const std::filesystem::path& path, const std::vector<JournalLine>& lines,
                      const CableJournalHeading& heading, NumberFormat format);

}  // namespace kalvenor
