#pragma once

#include "base/Numbers.h"
#include "journal/Journal.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kalvenor {

// The columns of the journal wherever it is shown or written: the grid, the
// journal file, the spreadsheets and the printed cable journal. The inputs
// come first, in the order of LineInput.
enum class JournalColumn : std::size_t {
    Designation,
    Power,
    CosPhi,
    Voltage,
    Length,
    Temperature,
    Table,
    Grouping,
    Series,
    Transformer,
    PermittedDrop,
    NominalCurrent,
    Section,
    ContinuousCurrent,
    BreakerCurrent,
    VoltageDrop,
    ShortCircuitCurrent,
    TransformerUsed,
    Criterion,
    Status,
};
inline constexpr std::size_t kJournalColumnCount = 20;

inline constexpr JournalColumn ColumnAt(std::size_t position) {
    return static_cast<JournalColumn>(position);
}

struct JournalColumnLayout {
    // With its unit after a comma: the grid's and the spreadsheets' header,
    // and the field name in a journal file.
    std::string_view header;
    // The printed journal's header: the symbol an engineer writes ("Iкз, А")
    // where the words would not fit a column of a landscape page.
    std::string_view printedHeader;
    // A figure, written as a number in a spreadsheet.
    bool numeric = false;
    // Characters of a typical cell at 8 points: the shares of a printed
    // page, and the least width of a spreadsheet column.
    int width = 10;
};

const JournalColumnLayout& ColumnLayout(JournalColumn column);
// The input a column shows, or nothing for a result column.
std::optional<LineInput> InputOf(JournalColumn column);

// "OK" for a sized line, the stop's message on one line (its line breaks
// and runs of blanks folded to one blank) for a stopped one, and nothing
// for a line not calculated.
std::string StatusText(const LineOutcome& outcome);

// How the journal names the criterion: "Сечение выбрано по" + this.
std::string_view CriterionText(Criterion criterion);
std::optional<Criterion> CriterionFromText(std::string_view text);

// A cell as the grid and the documents show it: an input as typed, a
// result figure in the general number form, empty for a line not sized.
std::string CellText(const JournalLine& line, JournalColumn column, NumberFormat format);
// The figure of a numeric cell for a spreadsheet: a result, or an input
// that reads as a number; nothing for a text or an empty cell.
std::optional<double> CellNumber(const JournalLine& line, JournalColumn column,
                                 NumberFormat format);

// The text of a number moved from one decimal separator to another ("2,5"
// with a comma becomes "2.5" with a point); a text that is no number in
// `from` comes back unchanged. Only the separator changes, so every digit
// the user typed stays.
std::string ChangeSeparator(std::string_view text, NumberFormat from, NumberFormat to);

}  // namespace kalvenor
