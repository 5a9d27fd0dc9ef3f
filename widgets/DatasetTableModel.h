#pragma once

#include "base/Numbers.h"
#include "tables/Dataset.h"

#include <QAbstractTableModel>
#include <exception>
#include <optional>
#include <utility>
#include <vector>

namespace kalvenor {

// A grid's view of one dataset: a column per field, rows in the dataset's
// order. Edits collect in a one-row buffer, as in a database form, and reach
// the dataset only when posted; the dataset's own checks decide whether a
// row may be posted. The model shows nothing itself: a typed text it refuses
// is announced by EditRefused, and the grid shows why.
//
// A change of one row in the dataset reaches the views as that row inserted,
// removed, moved or changed; only a change of the whole table resets them,
// so a grid keeps its place, its selection and its column widths.
class DatasetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetTableModel(Dataset& dataset, NumberFormat format, PostRules rules,
                      QObject* parent = nullptr);

    // The size of a row's header: the grids' rows and their editing mark.
    static constexpr int kRowHeaderWidth = 16;
    static constexpr int kRowHeight = 20;
    ~DatasetTableModel() override;

    Dataset& Table() { return dataset_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Refuses a text that does not fit the field, with EditRefused.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // A read-only model takes no edits: its grid and navigator offer none.
    // Rows whose file cannot take them back are read-only too.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return readOnly_ || dataset_.ReadOnlyReason().has_value(); }
    bool Editing() const { return state_ != State::Browse; }
    // The row being typed is a new one, not yet in the dataset.
    bool Inserting() const { return state_ == State::Insert; }
    // Nothing has been typed into the row being edited or inserted.
    bool BufferEmpty() const;
    int EditRow() const { return Editing() ? editRow_ : -1; }
    // Characters a string column takes; 0 for numbers.
    int FieldSize(int column) const;
    // The decimal separator a column's numbers are typed with, or 0 for a
    // column that takes no fractions.
    char DecimalSeparator(int column) const;
    // The cell's text; long texts cut to their first `limit` characters.
    QString CellPrefix(int row, int column, int limit) const;

    // An empty row before the given one, to be filled and posted; -1 when
    // the model is read-only.
    int Insert(int row);
    void Edit(int row);
    // Throws UserError with the reason when the row cannot be posted;
    // returns the row's place in the dataset's order.
    int Post();
    void Cancel();
    void Delete(int row);

    // Why the last typed text was refused; rethrow it to show it.
    std::exception_ptr TakeRefusal() { return std::exchange(refusal_, nullptr); }

signals:
    void EditRefused();
    void ReadOnlyChanged(bool readOnly);
    // Another table, or the same one with other fields, is now shown: the
    // columns' widths no longer fit it. Emitted after the model's reset.
    void TableChanged();

private:
    enum class State { Browse, Edit, Insert };

    void DatasetChanged(const DatasetChange& change);
    void Reset();
    void RowInserted(int to);
    void RowRemoved(int from);
    void RowUpdated(int from, int to);
    // Begins announcing a move of one row; false when it stays.
    bool BeginMove(int from, int to);
    void RowChanged(int row);
    void Browse();
    void AnnounceReadOnly();
    // The dataset row a view row shows, in the dataset as it is now; none
    // for the new row and for a row that is gone.
    std::optional<std::size_t> DatasetRow(int row) const;
    int ViewRow(int datasetRow) const;
    Value Cell(int row, int column) const;

    Dataset& dataset_;
    NumberFormat format_;
    PostRules rules_;
    int observer_ = 0;
    bool readOnly_ = false;
    bool shownReadOnly_ = false;  // as the views were last told
    State state_ = State::Browse;
    // Inserting: the place of the new row, which is also the number of the
    // dataset's rows shown above it. Editing: the dataset row being edited.
    int editRow_ = -1;
    Row buffer_;
    std::exception_ptr refusal_;
    // What the views were last told: the dataset has already changed when it
    // notifies, and the views must see the old shape until the change is
    // announced.
    bool active_ = false;
    int rows_ = 0;
    int columns_ = 0;
    std::vector<FieldDef> shownFields_;
    bool posting_ = false;
    // The change being announced: while the views hear of it beforehand,
    // the rows are shown as they were, although the dataset has moved on.
    std::optional<DatasetChange> pending_;
};

}  // namespace kalvenor
