#pragma once

#include "base/Numbers.h"
#include "journal/Journal.h"

#include <filesystem>
#include <vector>

namespace kalvenor {

// The journal as an Excel workbook of one sheet: a header row with the
// units, frozen so that it stays in view, and a filter on it; figures as
// numbers, so the spreadsheet can sum and sort them; every column as wide as
// its longest cell. Written atomically. Throws FileError.
void ExportJournalXlsx(const std::filesystem::path& path, const std::vector<JournalLine>& lines,
                       NumberFormat format);

}  // namespace kalvenor
