#include "widgets/DatasetGrid.h"

#include "widgets/DatasetTableModel.h"
#include "widgets/Guard.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>

namespace kalvenor {

// Keeps typed texts within the width of their string field and remembers
// the open editor, so the navigator can post what is being typed.
class DatasetGrid::Delegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        const auto* model = qobject_cast<const DatasetTableModel*>(index.model());
        if (auto* line = qobject_cast<QLineEdit*>(editor); line != nullptr && model != nullptr) {
            if (const int size = model->FieldSize(index.column()); size > 0) {
                line->setMaxLength(size);
            }
        }
        open = editor;
        return editor;
    }

    mutable QPointer<QWidget> open;
};

DatasetGrid::DatasetGrid(MessageBoxPort& messages, QWidget* parent)
    : QTableView(parent), messages_(messages), delegate_(new Delegate(this)) {
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(20);
    verticalHeader()->setFixedWidth(16);
}

void DatasetGrid::SetDatasetModel(DatasetTableModel* model) {
    model_ = model;
    setModel(model);
    connect(model, &QObject::destroyed, this, [this] { model_ = nullptr; });
    connect(model, &DatasetTableModel::editRefused, this, [this] {
        if (model_ != nullptr) {
            RunGuarded(messages_, [this] { std::rethrow_exception(model_->TakeRefusal()); });
        }
    });
    // Column titles are the table's parameters: they must be readable. The
    // header measures a bounded sample of rows, so a long table costs no more.
    connect(model, &QAbstractItemModel::modelReset, this, &QTableView::resizeColumnsToContents);
    resizeColumnsToContents();
}

int DatasetGrid::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void DatasetGrid::SelectRow(int row) {
    if (model_ == nullptr || model_->rowCount() == 0) {
        return;
    }
    row = std::clamp(row, 0, model_->rowCount() - 1);
    const int column = std::max(currentIndex().column(), 0);
    setCurrentIndex(model_->index(row, column));
}

void DatasetGrid::FinishEditor(bool keep) {
    QWidget* editor = delegate_->open;
    if (editor == nullptr) {
        return;
    }
    if (keep) {
        commitData(editor);
    }
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool DatasetGrid::PostPending() {
    FinishEditor(true);
    if (model_ == nullptr || !model_->Editing()) {
        return true;
    }
    bool posted = false;
    RunGuarded(messages_, [&] {
        SelectRow(model_->Post());
        posted = true;
    });
    return posted;
}

void DatasetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (model_ == nullptr || !model_->Editing() || !current.isValid() ||
        current.row() == model_->EditRow()) {
        return;
    }
    const int editRow = model_->EditRow();
    // Posting resets the grid, which must not happen inside its own
    // notification; the cursor goes back to the row if it cannot be posted.
    QTimer::singleShot(0, this, [this, editRow] {
        if (model_ == nullptr || !model_->Editing() || model_->EditRow() != editRow) {
            return;
        }
        if (!PostPending()) {
            SelectRow(editRow);
        }
    });
}

}  // namespace kalvenor
