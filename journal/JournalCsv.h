#pragma once

#include "base/Numbers.h"
#include "journal/Journal.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

// A cell of a CSV file that was not taken: the line is imported all the
// same, with that input as a new line has it, and the user is told.
struct RefusedCell {
    std::size_t row = 0;     // as a spreadsheet numbers it: the header row is 1
    std::size_t column = 0;  // from 1, shown as a spreadsheet's letters
    std::string header;
    std::string text;
    std::string reason;
    bool operator==(const RefusedCell&) const = default;
};

// "Строка 4, столбец B («Мощность, кВт»): «12 кВт» не является числом."
std::string RefusedCellMessage(const RefusedCell& cell);

struct CsvImport {
    std::vector<JournalLine> lines;
    std::vector<RefusedCell> refused;
    // Headers of the columns that are no input of a line (the journal's own
    // result columns left out), in the file's order.
    std::vector<std::string> ignoredColumns;
};

// A CSV larger than this is no list of a switchboard's lines.
inline constexpr std::uintmax_t kLargestCsvFile = std::uintmax_t{16} << 20;

// Lines from a CSV file as spreadsheets write it: separated by semicolons
// with a decimal comma (a Russian spreadsheet's way), or by commas with a
// decimal point, told apart by the header row; UTF-8 with or without a
// byte-order mark, or Windows-1251 as older Russian spreadsheets save it.
// The header row names the columns, matched by their Russian names in any
// order (with or without the unit); other columns are ignored. A missing
// column or an empty cell gives the input a new line has; a row of empty
// cells is no line. Numbers come in the user's format. A file that cannot
// be read, is not text, too large, or has no column of a journal throws
// FileError with a message for the user.
CsvImport ImportJournalCsv(const std::filesystem::path& path, NumberFormat format);
// The same over the bytes of a file; its problems throw UserError.
CsvImport ParseJournalCsv(std::string_view bytes, NumberFormat format);

// The journal as a Russian spreadsheet opens it with a double click (see
// JournalCsvText), written atomically. Throws FileError.
void ExportJournalCsv(const std::filesystem::path& path, const std::vector<JournalLine>& lines,
                      NumberFormat format);
std::string JournalCsvText(const std::vector<JournalLine>& lines, NumberFormat format);

}  // namespace kalvenor
