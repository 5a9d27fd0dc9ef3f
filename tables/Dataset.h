#pragma once

#include "base/Files.h"
#include "base/Observers.h"
#include "tables/RowStore.h"

#include <compare>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

struct TableFile;

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

// The locale-free text of a value as a table file holds it: the shortest
// exact form of a double, decimal integers, texts as they are; empty for an
// empty value.
std::string PlainText(const Value& value);

// What a grid window demands of a row before it is posted.
struct PostRules {
    bool everyFieldRequired = false;
    bool enforceUniqueIndexes = true;
    // A field no two rows may share although no index of the file says so.
    std::string_view uniqueField;
    // Magnitudes that mean nothing at zero or below (a cross-section, a
    // current, a release multiple): such a value is refused.
    std::span<const std::string_view> positiveFields;
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

struct KeptMarkup;

// The bound file was changed by another program after the rows were read
// from it: writing them would lose that program's change.
class FileChangedError : public FileError {
public:
    explicit FileChangedError(const std::filesystem::path& path);
};

// What to do then, as the user decides it.
enum class ChangedFileChoice {
    WriteOver,  // the rows here go to the file, the other program's change is lost
    Reload,     // the file is read again, the edits made here are lost
    Keep,       // nothing now: the edits stay in memory, FileChangedError is thrown
};
using ChangedFilePolicy = std::function<ChangedFileChoice(const std::filesystem::path&)>;

// One in-memory table: field and index definitions, rows in the current
// order, change tracking and write-back to the bound file. A bound dataset
// writes every edit through to its file at once, so that a killed program
// loses no posted row; closing writes back whatever a failed write left.
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
    // file is not bound. With an order the rows come sorted once, as SetOrder
    // would put them; without one the current order stays. An order on a
    // field the file lacks is dropped. Observers hear of it once. A file that
    // cannot be read throws FileError and leaves the dataset closed.
    void Load(const std::filesystem::path& path,
              std::optional<std::string_view> order = std::nullopt);
    // The same from a file read before: a batch of calculations reads each
    // table file once and loads a fresh copy for every calculation.
    void Load(const TableFile& file, std::optional<std::string_view> order = std::nullopt);
    // Load, and bind to the same file so that edits go back to it. When the
    // file cannot be read the dataset is left closed and bound to nothing, so
    // no write can ever replace a file that was not read; so too when the
    // rows read could not go back to it (ReadOnlyReason).
    void OpenFile(const std::filesystem::path& path,
                  std::optional<std::string_view> order = std::nullopt);
    // Why the rows last read from the file the dataset is bound to, or was
    // to be bound to, cannot be written back to it, in Russian: the user
    // may not write the file, or the folder of a link's target; or the file
    // holds among its rows what a write would drop. Such a dataset is left
    // bound to nothing and its window takes no edits. Everything else a
    // file holds that the program does not read is kept and written back in
    // its place.
    const std::optional<std::string>& ReadOnlyReason() const { return readOnlyReason_; }
    // Sets the file that write-back goes to; an empty path means none.
    void Bind(std::filesystem::path path);
    const std::filesystem::path& BoundFile() const { return bound_; }
    // Opens the loaded rows, or reads the bound file when nothing is loaded.
    void Open();
    // When the dataset holds the file at `path` exactly as it stands on the
    // disk (bound to it, nothing unsaved, and the file's device, inode, size
    // and modification time those of the last read or write here), drops the
    // calculation's corrections and returns true: the rows are then what
    // reading the file again would give, without reading it. Otherwise
    // touches nothing and returns false.
    bool RevertToFile(const std::filesystem::path& path);
    // Writes back when bound and modified, then drops the rows. A failed
    // write throws FileError and leaves the dataset open and modified.
    void Close();
    // Writes the rows to the bound file now when they were modified, as a
    // post does; a failed write throws FileError and keeps them modified.
    void WriteBack();
    // A write to the bound file first looks whether another program changed
    // it since the rows were read or last written, and then asks the policy;
    // without one the answer is Keep. Answering Reload while closing drops
    // the edits with the rows.
    void SetChangedFilePolicy(ChangedFilePolicy policy) { changedFilePolicy_ = std::move(policy); }
    // An empty open dataset of these definitions. Refused while the dataset
    // is open: its rows would not fit the new fields.
    void Create(std::vector<FieldDef> fields, std::vector<IndexDef> indexes = {});
    // Atomic: the old file stays whole when the write fails.
    void Write(const std::filesystem::path& path);

    bool Active() const { return active_; }
    // Edited since loaded, created or last written.
    bool Modified() const { return modified_; }
    // Rows inserted, changed or deleted since then.
    std::size_t UnsavedEdits() const { return unsavedEdits_; }

    // Ascending by the field, kept after every change; rows with equal keys
    // keep their relative order.
    void SetOrder(std::string_view fieldName);
    const std::string& Order() const { return order_; }

    std::size_t RowCount() const { return rows_.size(); }
    // The working value: a correction where one was applied, else the stored value.
    Value At(std::size_t row, std::size_t field) const;
    Row RowAt(std::size_t row) const;
    // The value that write-back stores.
    Value StoredAt(std::size_t row, std::size_t field) const;

    // Why the row may not be posted, in Russian, or nothing.
    std::optional<std::string> PostError(const Row& values, std::optional<std::size_t> replacing,
                                         const PostRules& rules) const;
    // User edits: they return the row's new position in the current order.
    // A value that does not fit its field is refused with
    // std::invalid_argument before anything changes. A bound dataset then
    // writes itself to its file; when that fails, FileError is thrown and the
    // edit stays in memory, modified, for write-back to try again.
    std::size_t InsertRow(Row values);
    std::size_t UpdateRow(std::size_t row, Row values);
    void DeleteRow(std::size_t row);

    // The calculation's derating: every non-empty value of the field becomes
    // stored * k1 * k2 (extended precision) in the working copy only. It never
    // marks the dataset modified and never reaches a file; loading, closing
    // or a user edit of the row drops it.
    void ApplyCorrection(std::string_view fieldName, double k1, double k2);
    bool Corrected() const { return corrected_; }

    // Observers hear of every change of rows, order, definitions or state;
    // writing a file changes none of them and tells nobody.
    int AddObserver(std::function<void(const DatasetChange&)> observer);
    void RemoveObserver(int id);

private:
    using Slot = RowStore::Slot;
    // The corrected values of one field, by slot; kUncorrected where the
    // row shows its stored value.
    struct Correction {
        std::size_t field = 0;
        std::vector<double> values;
    };

    void Notify(const DatasetChange& change = {});
    // Write-back, then the rows are dropped without a word to the observers.
    void Discard();
    // Load, or with `bind` OpenFile: the old rows written back and dropped,
    // the file read, observers told once (after a failed read only when rows
    // were dropped).
    void ReadReplacing(const std::filesystem::path& path, std::optional<std::string_view> order,
                       bool bind);
    // With `ofBound`, the file edits go back to: whether they can is judged.
    void ReadRows(const std::filesystem::path& path, std::optional<std::string_view> order,
                  bool ofBound);
    void TakeRows(TableFile file, std::optional<std::string_view> order);
    bool ChangedSinceRead() const;
    // Write-back to the bound file, unless another program changed it and
    // the policy says otherwise.
    void WriteBound(bool closing);
    void OpenEmpty();
    void RequireActive() const;
    void CheckRowIndex(std::size_t row) const;
    void CheckCellIndex(std::size_t row, std::size_t field) const;
    void CheckValues(const Row& values) const;
    void Store(Slot slot, Row& values);
    void WriteThrough();

    const double* CorrectedAt(Slot slot, std::size_t field) const;
    Value Working(Slot slot, std::size_t field) const;
    std::strong_ordering CompareKeys(Slot a, Slot b, std::size_t key) const;
    bool Before(Slot a, Slot b, std::optional<std::size_t> key) const;
    void Sort();
    // Moves the row to its place in the current order; returns the new position.
    std::size_t Reposition(std::size_t row);
    std::optional<std::size_t> FindDuplicate(const std::vector<std::size_t>& key, const Row& values,
                                             std::optional<std::size_t> replacing) const;

    std::vector<FieldDef> fields_;
    std::vector<IndexDef> indexes_;
    RowStore store_;
    std::vector<Slot> rows_;  // the slot of each row, in the current order
    std::vector<Correction> corrections_;
    std::filesystem::path bound_;
    std::optional<std::string> readOnlyReason_;
    std::shared_ptr<const KeptMarkup> kept_;
    // The version of this file the rows came from or were last written to.
    std::filesystem::path stampPath_;
    FileStamp stamp_;
    ChangedFilePolicy changedFilePolicy_;
    std::size_t unsavedEdits_ = 0;
    std::string order_;
    std::uint64_t nextSequence_ = 0;
    bool active_ = false;
    bool modified_ = false;
    bool corrected_ = false;
    Observers<DatasetChange> observers_;
};

}  // namespace kalvenor
