// CSV import of the line journal, from any bytes.
//
// A file is refused as a whole (UserError) or gives lines in which every
// figure reads as a number in the user's form (or is left empty, or at the
// new line's 1), every voltage is one of the three options, and every
// refused cell names a row and a column of the file. Exporting those lines
// and importing the export gives back every input, with nothing refused.

#include "calc/VoltageOptions.h"
#include "journal/JournalCsv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace kalvenor;

constexpr NumberFormat kComma{','};

[[noreturn]] void Fail(const char* what, std::string_view text) {
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
    std::abort();
}

void CheckLine(const JournalLine& line) {
    for (const LineInput input :
         {LineInput::Power, LineInput::CosPhi, LineInput::Length, LineInput::Temperature,
          LineInput::Grouping, LineInput::PermittedDrop}) {
        const std::string& text = line.inputs[input];
        double value = 0;
        if (!text.empty() && !TryStrToFloat(text, kComma, value)) {
            Fail("a figure that is no number", text);
        }
    }
    const std::string& voltage = line.inputs[LineInput::Voltage];
    bool listed = voltage.empty();
    for (int index = 0; const VoltageOption* option = FindVoltageOption(index); ++index) {
        listed = listed || voltage == option->item;
    }
    if (!listed) {
        Fail("a voltage that is no option", voltage);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CsvImport imported;
    try {
        imported = ParseJournalCsv(bytes, kComma);
    } catch (const UserError&) {
        return 0;
    }
    for (const JournalLine& line : imported.lines) {
        CheckLine(line);
    }
    for (const RefusedCell& cell : imported.refused) {
        if (cell.row == 0 || cell.column == 0 || cell.reason.empty()) {
            Fail("a refused cell without its place", cell.text);
        }
    }
    const std::string exported = JournalCsvText(imported.lines, kComma);
    const CsvImport again = ParseJournalCsv(exported, kComma);
    if (!again.refused.empty()) {
        Fail("the export refused on import", again.refused.front().text);
    }
    if (again.lines.size() != imported.lines.size()) {
        Fail("the export lost or made lines", exported);
    }
    for (std::size_t i = 0; i < again.lines.size(); ++i) {
        if (!(again.lines[i].inputs == imported.lines[i].inputs)) {
            Fail("the export changed a line", exported);
        }
    }
    return 0;
}
