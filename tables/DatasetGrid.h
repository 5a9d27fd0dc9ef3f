#pragma once

#include <QPointer>
#include <QTableView>

namespace kalvenor {

class DatasetTableModel;

// A grid over a dataset model: a row being edited is posted when the cursor
// leaves it, as in a database form; a row that cannot be posted keeps the
// cursor.
class DatasetGrid : public QTableView {
    Q_OBJECT
public:
    explicit DatasetGrid(QWidget* parent = nullptr);

    void SetDatasetModel(DatasetTableModel* model);
    DatasetTableModel* DatasetModel() const { return model_; }

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
    DatasetTableModel* model_ = nullptr;
    Delegate* delegate_ = nullptr;
};

}  // namespace kalvenor
