#include "journal/CableJournal.h"

#include "base/Files.h"
#include "journal/JournalColumns.h"

#include <array>

namespace kalvenor {

namespace {

// Every column but the transformer asked for: the one used is printed. The
// symbols of the printed headers let nineteen columns fit a landscape page
// at 8 points.
constexpr std::array kPrinted{
    JournalColumn::Designation,     JournalColumn::Power,
    JournalColumn::CosPhi,          JournalColumn::Voltage,
    JournalColumn::Length,          JournalColumn::Temperature,
    JournalColumn::Table,           JournalColumn::Grouping,
    JournalColumn::Section,         JournalColumn::ContinuousCurrent,
    JournalColumn::NominalCurrent,  JournalColumn::Series,
    JournalColumn::BreakerCurrent,  JournalColumn::PermittedDrop,
    JournalColumn::VoltageDrop,     JournalColumn::ShortCircuitCurrent,
    JournalColumn::TransformerUsed, JournalColumn::Criterion,
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
    document.lines.emplace_back(
        "P — мощность нагрузки; L — длина линии; t — температура среды; Kгр — коэффициент "
        "количества кабелей; S — сечение жил; Iдл — длительно допустимый ток сечения с "
        "поправками на температуру и количество кабелей; Iном — номинальный ток нагрузки; "
        "Iавт — номинальный ток автомата; ΔUдоп — допустимое падение напряжения; ΔU — "
        "падение напряжения; Iкз — ток однофазного короткого замыкания в конце линии.");
    document.landscape = true;
    for (const JournalColumn column : kPrinted) {
        const JournalColumnLayout& layout = ColumnLayout(column);
        document.columns.push_back(
            {std::string(layout.printedHeader), layout.width, layout.numeric});
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
