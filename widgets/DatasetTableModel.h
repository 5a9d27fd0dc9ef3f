#pragma once

#include "base/Numbers.h"
#include "tables/Dataset.h"

#include <QAbstractTableModel>
#include <exception>
#include <utility>

namespace kalvenor {

// A grid's view of one dataset: a column per field, rows in the dataset's
// order. Edits collect in a one-row buffer, as in a database form, and reach
// the dataset only when posted; the dataset's own checks decide whether a
// row may be posted. The model shows nothing itself: a typed text it refuses
// is announced by editRefused, and the grid shows why.
class DatasetTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    DatasetTableModel(Dataset& dataset, NumberFormat format, PostRules rules,
                      QObject* parent = nullptr);
    ~DatasetTableModel() override;

    Dataset& dataset() { return dataset_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Refuses a text that does not fit the field, with editRefused.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Editing() const { return state_ != State::Browse; }
    int EditRow() const { return editRow_; }
    // Characters a string column takes; 0 for numbers.
    int FieldSize(int column) const;

    // An empty row before the given one, to be filled and posted.
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
    void editRefused();

private:
    enum class State { Browse, Edit, Insert };

    void DatasetChanged();
    std::size_t DatasetRow(int row) const;
    Value Cell(int row, int column) const;

    Dataset& dataset_;
    NumberFormat format_;
    PostRules rules_;
    int observer_ = 0;
    bool readOnly_ = false;
    State state_ = State::Browse;
    int editRow_ = -1;
    Row buffer_;
    std::exception_ptr refusal_;
};

}  // namespace kalvenor
