#pragma once

#include "base/MessageBox.h"

#include <QPointer>
#include <QTableView>
#include <vector>

class QKeyEvent;

namespace kalvenor {

class DatasetTableModel;

// A grid over a dataset model, with the keys of the data grids engineers
// know: Insert inserts a row, Down on the last row appends one, Enter posts
// the row being typed, Escape cancels it, Ctrl+Delete deletes the current
// row. A row being edited is posted when the cursor leaves it; a row that
// cannot be posted keeps the cursor. The grid is where a refused text or row
// is shown.
//
// Columns are sized when the grid is first shown and when its table changes,
// those in sight from the rows in sight, and widened for rows scrolled or
// typed into sight: a hidden grid measures nothing, and a long or wide table
// or a long text costs no more than a small one.
class DatasetGrid : public QTableView {
    Q_OBJECT
public:
    explicit DatasetGrid(MessageBoxPort& messages, QWidget* parent = nullptr);

    void SetDatasetModel(DatasetTableModel* model);
    DatasetTableModel* DatasetModel() const { return model_; }
    MessageBoxPort& Messages() const { return messages_; }

    int CurrentRow() const;
    void SelectRow(int row);
    // Hands a cell editor's text to the model (true) or drops it (false).
    void FinishEditor(bool keep);
    // Posts the row being edited; false, after the error box, when it cannot be.
    bool PostPending();
    // Posts the row being edited, then opens an empty row at the place given
    // (clamped to the rows) with its first cell's editor; false when the
    // model is read-only or the pending row cannot be posted.
    bool InsertRow(int at);
    // Drops the row being edited or inserted, and the text in its editor.
    void CancelRow();
    // Deletes the current row once the user confirms; nothing in a
    // read-only grid.
    void DeleteRow();

signals:
    void DatasetModelChanged();

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    class Delegate;
    // The grid's own keys, from the grid or from an open cell editor; true
    // when the key was used.
    bool HandleKey(const QKeyEvent* event, bool inEditor);
    bool AppendFromLastRow();
    void TableChanged();
    void RowsInSightChanged();
    void SizeColumns(bool widenOnly);

    MessageBoxPort& messages_;
    DatasetTableModel* model_ = nullptr;
    Delegate* delegate_ = nullptr;
    bool sizePending_ = true;
    // The widths before a reset of the same table (a new order, the
    // calculation's correction), put back after it.
    std::vector<int> widths_;
    // The widths the grid itself gave the columns last.
    std::vector<int> measured_;
};

// Escape anywhere in a window with a data grid: the row being typed is
// cancelled and the window stays; a dialog's own Escape would close it, and
// closing posts the row. True when the key was Escape and is used up.
bool CancelRowOnEscape(QKeyEvent* event, DatasetGrid* grid);

}  // namespace kalvenor
