#pragma once

#include "base/Files.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kalvenor {

enum class FieldType { Float, Integer, String };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::String;
    int size = 0;  // characters, for strings only
    bool required = false;
    bool operator==(const FieldDef&) const = default;
};

struct IndexDef {
    std::string name;
    std::vector<std::string> fields;
    bool unique = false;
    bool descending = false;
    bool operator==(const IndexDef&) const = default;
};

// An empty value (std::monostate) is distinct from an empty text.
using Value = std::variant<std::monostate, double, std::int64_t, std::string>;
using Row = std::vector<Value>;

// Whether the value may stand in a field of the type: empty, or of the
// type's alternative, finite, and free of NUL characters (a table file cannot
// hold them).
bool FitsField(const Value& value, FieldType type);
// The locale-free text of a value as a table file holds it: the shortest
// exact form of a double, decimal integers, texts as they are; empty for an
// empty value.
std::string PlainText(const Value& value);

// What a grid window demands of a row before it is posted.
struct PostRules {
    bool everyFieldRequired = false;
    bool enforceUniqueIndexes = true;
};

// What changed in a dataset, so that a grid moves one row instead of
// rebuilding itself. Positions are in the current order.
struct DatasetChange {
    enum class Kind {
        Reset,     // rows, order, definitions or state: everything may differ
        Inserted,  // a new row now at `to`
        Removed,   // the row that stood at `from` is gone
        Updated,   // the row that stood at `from` has new values and stands at `to`
    };
    Kind kind = Kind::Reset;
    std::size_t from = 0;
    std::size_t to = 0;
    bool operator==(const DatasetChange&) const = default;
};

// One in-memory table: field and index definitions, rows in the current
// order, change tracking and write-back to the bound file on close.
class Dataset {
public:
    Dataset() = default;
    Dataset(const Dataset&) = delete;
    Dataset& operator=(const Dataset&) = delete;

    const std::vector<FieldDef>& FieldDefs() const { return fields_; }
    const std::vector<IndexDef>& IndexDefs() const { return indexes_; }
    const FieldDef& FieldDefAt(std::size_t position) const;  // throws std::out_of_range
    std::optional<std::size_t> FindField(std::string_view name) const;
    std::size_t FieldByName(std::string_view name) const;  // throws std::logic_error

    // Closes first (which may write back), reads the file and opens it; the
    // file is not bound. A file that cannot be read throws FileError and
    // leaves the dataset closed.
    void Load(const std::filesystem::path& path);
    // Load, and bind to the same file so that edits go back to it. When the
    // file cannot be read the dataset is left closed and bound to nothing, so
    // no write can ever replace a file that was not read.
    void OpenFile(const std::filesystem::path& path);
    // Sets the file that write-back goes to; an empty path means none.
    void Bind(std::filesystem::path path);
    const std::filesystem::path& BoundFile() const { return bound_; }
    // Opens the loaded rows, or reads the bound file when nothing is loaded.
    void Open();
    // Writes back when bound and modified, then drops the rows. A failed
    // write throws FileError and leaves the dataset open and modified.
    void Close();
    // An empty open dataset of these definitions. Refused while the dataset
    // is open: its rows would not fit the new fields.
    void Create(std::vector<FieldDef> fields, std::vector<IndexDef> indexes = {});
    // Atomic: the old file stays whole when the write fails.
    void Write(const std::filesystem::path& path);

    bool Active() const { return active_; }
    bool Modified() const { return modified_; }

    // Ascending by the field, kept after every change; rows with equal keys
    // keep their relative order.
    void SetOrder(std::string_view fieldName);
    const std::string& Order() const { return order_; }

    std::size_t RowCount() const { return rows_.size(); }
    // The working value: a correction where one was applied, else the stored value.
    const Value& At(std::size_t row, std::size_t field) const;
    Row RowAt(std::size_t row) const;
    // The value that write-back stores.
    const Value& StoredAt(std::size_t row, std::size_t field) const;

    // Why the row may not be posted, in Russian, or nothing.
    std::optional<std::string> PostError(const Row& values, std::optional<std::size_t> replacing,
                                         const PostRules& rules) const;
    // User edits: they mark the dataset modified and return the row's new
    // position in the current order.
    std::size_t InsertRow(Row values);
    std::size_t UpdateRow(std::size_t row, Row values);
    void DeleteRow(std::size_t row);

    // The calculation's derating: every non-empty value of the field becomes
    // stored * k1 * k2 (extended precision) in the working copy only. It never
    // marks the dataset modified and never reaches a file; loading, closing
    // or a user edit of the cell drops it.
    void ApplyCorrection(std::string_view fieldName, double k1, double k2);
    bool Corrected() const { return corrected_; }

    // Observers hear of every change of rows, order, definitions or state;
    // writing a file changes none of them and tells nobody.
    int AddObserver(std::function<void(const DatasetChange&)> observer);
    void RemoveObserver(int id);

private:
    struct StoredRow {
        Row values;
        Row working;  // empty when the row has no correction
        std::uint64_t sequence = 0;
    };

    void Notify(const DatasetChange& change = {});
    void ReadRows(const std::filesystem::path& path);
    void OpenEmpty();
    void RequireActive() const;
    void CheckRowIndex(std::size_t row) const;
    void CheckValueCount(const Row& values) const;
    const Row& Working(const StoredRow& row) const;
    bool Before(const StoredRow& a, const StoredRow& b, std::optional<std::size_t> key) const;
    void Sort();
    // Moves the row to its place in the current order; returns the new position.
    std::size_t Reposition(std::size_t row);

    std::vector<FieldDef> fields_;
    std::vector<IndexDef> indexes_;
    std::vector<StoredRow> rows_;
    std::filesystem::path bound_;
    std::string order_;
    std::uint64_t nextSequence_ = 0;
    bool active_ = false;
    bool modified_ = false;
    bool corrected_ = false;
    std::vector<std::pair<int, std::function<void(const DatasetChange&)>>> observers_;
    int nextObserver_ = 0;
};

}  // namespace kalvenor
