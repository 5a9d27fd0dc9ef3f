#pragma once

#include "base/MessageBox.h"

#include <QPointer>
#include <QTableView>

namespace kalvenor {

class DatasetTableModel;

// A grid over a dataset model: a row being edited is posted when the cursor
// leaves it, as in a database form; a row that cannot be posted keeps the
// cursor. The grid is where a refused text or row is shown.
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

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    class Delegate;
    MessageBoxPort& messages_;
    DatasetTableModel* model_ = nullptr;
    Delegate* delegate_ = nullptr;
};

}  // namespace kalvenor
