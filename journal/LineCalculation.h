#pragma once

#include "base/Numbers.h"
#include "calc/Driver.h"
#include "calc/TableReads.h"
#include "journal/Journal.h"
#include "tables/Dataset.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// The tables of a batch of lines, from one folder, each file read once
// whatever the number of lines: the current tables by file name, the breaker
// database and the transformers. The files are only read, never written.
class BatchTables {
public:
    explicit BatchTables(std::filesystem::path directory);
    BatchTables(const BatchTables&) = delete;
    BatchTables& operator=(const BatchTables&) = delete;

    const std::filesystem::path& Directory() const { return reader_.Directory(); }
    // The transformers in the order of the main window's list (ascending
    // power); empty when the file is missing. Throws FileError for a file
    // that cannot be read or is no transformer database, every time.
    const Dataset& Transformers();
    // Their names in that order.
    std::vector<std::string> TransformerNames();
    // The series of the breaker database with this number of poles (any
    // with 0), each once, in the database's order; none without a database.
    std::vector<std::string> SeriesNames(int poles);

    // The datasets one calculation works on, read through the held files.
    CalculationTables ForCalculation();
    HeldTableReader& Reader() { return reader_; }

private:
    HeldTableReader reader_;
    Dataset currentTable_;
    Dataset breakers_;
    Dataset transformers_;
    std::optional<std::string> transformersProblem_;
    bool transformersRead_ = false;
};

// Sizes one line from its inputs without asking anybody: the main window's
// calculation, the very same steps, behind a window and a user made of the
// line's texts. The answers a user would give come from the line: the
// breaker series is the line's (one the chooser would not offer is a stop
// naming those it would); an empty permitted drop answers "Нет" to the
// question whether to reduce the drop, a figure answers "Да" and gives it to
// the drop dialog (one the dialog would refuse is a stop). A transformer
// input of kWithoutTransformer calculates without one; an empty one starts
// from the first of the list, and an empty temperature is the one the table
// presets (15 °C in the ground, 25 °C elsewhere), as in the main window.
// With `trail`, what the calculation recorded goes there too.
LineOutcome CalculateLine(const LineInputs& inputs, BatchTables& tables, NumberFormat format,
                          Trail* trail = nullptr);

// The index of the voltage option a line names, or -1.
int VoltageOptionOf(const LineInputs& inputs);

// What a drop-down of the input offers for the line: the voltage options;
// the current tables made for the line's voltage (all of them while it has
// none); the series whose poles fit its voltage; kWithoutTransformer and the
// transformers. Nothing for an input typed freely.
std::vector<std::string> ChoicesFor(LineInput input, const LineInputs& inputs, BatchTables& tables,
                                    NumberFormat format);

// The inputs of a line that name what the folder does not have: a current
// table, a breaker series, a transformer. A journal from another computer
// opens whole, with these marked.
std::vector<LineInput> MissingNames(const LineInputs& inputs, BatchTables& tables);

// Every line of the journal, each outcome handed to Journal::SetOutcome with
// the inputs it was calculated from. `progress` hears the number of lines
// done after each; it may return false to stop the batch there.
void CalculateJournal(Journal& journal, BatchTables& tables, NumberFormat format,
                      const std::function<bool(std::size_t done)>& progress = {});

}  // namespace kalvenor
