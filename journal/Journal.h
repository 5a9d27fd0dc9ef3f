#pragma once

#include "base/Observers.h"
#include "calc/Criterion.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kalvenor {

// The inputs of one line of the journal, in the order of its columns.
enum class LineInput : std::size_t {
    Designation,    // обозначение линии
    Power,          // kW
    CosPhi,         //
    Voltage,        // "380 + 0", "2 x 380+0" or "3 x 380+0"
    Length,         // m
    Temperature,    // °C, ambient
    Table,          // the current table's file name, "ВВГвозд3.xml"
    Grouping,       // the grouping coefficient of cables in the ground
    Series,         // the breaker series
    Transformer,    // a transformer's name, or kWithoutTransformer
    PermittedDrop,  // %, or empty: keep the section the drop did not decide
};
inline constexpr std::size_t kLineInputCount = 11;

// The transformer input of a line calculated without a transformer.
inline constexpr std::string_view kWithoutTransformer = "без трансформатора";

// Every input as the user typed it, the way the main window keeps its
// controls' texts: a figure the program cannot read yet is kept, not lost,
// and the calculation refuses it with its own message. Numbers use the
// user's decimal separator.
class LineInputs {
public:
    // A new line: the power factor and the grouping coefficient at 1, as the
    // main window starts; everything else empty.
    LineInputs();

    const std::string& operator[](LineInput input) const {
        return texts_[static_cast<std::size_t>(input)];
    }
    std::string& operator[](LineInput input) { return texts_[static_cast<std::size_t>(input)]; }
    bool operator==(const LineInputs&) const = default;

private:
    std::array<std::string, kLineInputCount> texts_;
};

// The figures of a line that was sized.
struct LineResults {
    double nominalCurrent = 0;       // A
    double section = 0;              // mm²
    double continuousCurrent = 0;    // A, the section's, corrected for temperature and grouping
    double breakerCurrent = 0;       // A, the breaker's rated current
    double voltageDrop = 0;          // %
    double shortCircuitCurrent = 0;  // A, single-phase, at the line's end
    std::string transformer;         // the one used, or kWithoutTransformer
    Criterion criterion = Criterion::Heating;
    bool operator==(const LineResults&) const = default;
};

// A line whose calculation stopped, with the stop's message as the main
// window would have shown it.
struct LineStop {
    std::string message;
    bool operator==(const LineStop&) const = default;
};

// Not calculated yet (or an input changed since), sized, or stopped.
using LineOutcome = std::variant<std::monostate, LineResults, LineStop>;

struct JournalLine {
    LineInputs inputs;
    LineOutcome outcome;
    bool operator==(const JournalLine&) const = default;
};

// What changed, so that a grid moves rows instead of rebuilding itself.
struct JournalChange {
    enum class Kind {
        Reset,     // every line may differ
        Inserted,  // lines [first, first + count) are new
        Removed,   // the lines that stood at [first, first + count) are gone
        Changed,   // line `first` has other inputs or another outcome
    };
    Kind kind = Kind::Reset;
    std::size_t first = 0;
    std::size_t count = 0;
    bool operator==(const JournalChange&) const = default;
};

// The journal of a switchboard's lines: the document a journal window edits
// and a journal file holds. An outcome always belongs to the inputs beside it:
// changing an input drops the line's outcome, and an outcome computed from
// inputs that have changed since is not taken.
class Journal {
public:
    Journal() = default;
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    std::size_t LineCount() const { return lines_.size(); }
    const std::vector<JournalLine>& Lines() const { return lines_; }
    const JournalLine& Line(std::size_t line) const;  // throws std::out_of_range

    // Every line replaced, as when a file is opened: not modified afterwards.
    void Assign(std::vector<JournalLine> lines);
    // Lines put before line `at` (LineCount() appends them).
    void Insert(std::size_t at, std::vector<JournalLine> lines);
    void Remove(std::size_t first, std::size_t count);
    // The text of an input; another text than before drops the line's
    // outcome. Returns whether the text changed.
    bool SetInput(std::size_t line, LineInput input, std::string text);
    // The outcome of calculating the line from `calculated`: taken only
    // while the line's inputs are still those, so that an edit made while a
    // batch ran is never shown beside the figures of the old text. Returns
    // whether it was taken. A stop without a message is a fault of the caller
    // (std::invalid_argument): the journal would show it as not calculated.
    bool SetOutcome(std::size_t line, const LineInputs& calculated, LineOutcome outcome);

    // Changed since assigned or last saved.
    bool Modified() const { return modified_; }
    void MarkSaved() { modified_ = false; }

    // Observers hear of every change of the lines.
    int AddObserver(std::function<void(const JournalChange&)> observer);
    void RemoveObserver(int id);

private:
    void CheckLine(std::size_t line) const;
    void Changed(const JournalChange& change);

    std::vector<JournalLine> lines_;
    bool modified_ = false;
    Observers<JournalChange> observers_;
};

}  // namespace kalvenor
