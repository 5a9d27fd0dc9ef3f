#include "journal/CableJournal.h"

#include "base/Files.h"
#include "journal/JournalColumns.h"

#include <array>

namespace kalvenor {

namespace {

// A landscape page holds about seventeen columns at 8 points. Left out: the
// grouping coefficient and the permitted drop, which rarely differ from line
// to line, and the transformer asked for, since the one used is printed.
constexpr std::array kPrinted{
    JournalColumn::Designation,
    JournalColumn::Power,
    JournalColumn::CosPhi,
    JournalColumn::Voltage,
    JournalColumn::Length,
    JournalColumn::Temperature,
    JournalColumn::Table,
    JournalColumn::Section,
    JournalColumn::ContinuousCurrent,
    JournalColumn::NominalCurrent,
    JournalColumn::Series,
    JournalColumn::BreakerCurrent,
    JournalColumn::VoltageDrop,
    JournalColumn::ShortCircuitCurrent,
    JournalColumn::TransformerUsed,
    JournalColumn::Criterion,
    JournalColumn::Status,
};

}  // namespace

RtfTableDocument CableJournalDocument(const std::vector<JournalLine>& lines,
                                      const CableJournalHeading& heading, NumberFormat format) {
    RtfTableDocument document;
    document.title = "Кабельный журнал";
    for (const std::string& line : {heading.design, heading.date}) {
        if (!line.empty()) {
            document.lines.push_back(line);
        }
    }
    document.landscape = true;
    for (const JournalColumn column : kPrinted) {
        const JournalColumnSpec& spec = ColumnSpec(column);
        document.columns.push_back({std::string(spec.header), spec.width, spec.numeric});
    }
    document.rows.reserve(lines.size());
    for (const JournalLine& line : lines) {
        std::vector<std::string>& row = document.rows.emplace_back();
        for (const JournalColumn column : kPrinted) {
            row.push_back(CellText(line, column, format));
        }
    }
    return document;
}

void SaveCableJournal(const std::filesystem::path& path, const std::vector<JournalLine>& lines,
                      const CableJournalHeading& heading, NumberFormat format) {
    WriteFileAtomically(path, RtfDocument(CableJournalDocument(lines, heading, format)));
}

}  // namespace kalvenor
