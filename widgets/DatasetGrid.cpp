#include "widgets/DatasetGrid.h"

#include "widgets/DatasetTableModel.h"
#include "widgets/Guard.h"
#include "widgets/NumberInput.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

namespace kalvenor {

namespace {

// Characters of each cell measured for its column's width: enough for every
// field the program defines, and a bound for a text of any length.
constexpr int kMeasuredCharacters = 64;

Qt::KeyboardModifiers Modifiers(const QKeyEvent* event) {
    return event->modifiers() & ~Qt::KeypadModifier;
}

}  // namespace

// Keeps typed texts within the width of their string field, remembers the
// open editor, so the navigator can post what is being typed, and gives the
// grid its keys before the editor sees them.
class DatasetGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(DatasetGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        const auto* model = qobject_cast<const DatasetTableModel*>(index.model());
        if (auto* line = qobject_cast<QLineEdit*>(editor); line != nullptr && model != nullptr) {
            if (const int size = model->FieldSize(index.column()); size > 0) {
                line->setMaxLength(size);
            }
            if (const char separator = model->DecimalSeparator(index.column())) {
                MakeNumberInput(line, separator);
            }
        }
        open = editor;
        return editor;
    }

    mutable QPointer<QWidget> open;

protected:
    bool eventFilter(QObject* editor, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            grid_->HandleKey(static_cast<QKeyEvent*>(event), true)) {
            return true;
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    DatasetGrid* grid_;
};

DatasetGrid::DatasetGrid(MessageBoxPort& messages, QWidget* parent)
    : QTableView(parent), messages_(messages), delegate_(new Delegate(this)) {
    setItemDelegate(delegate_);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    verticalHeader()->setDefaultSectionSize(DatasetTableModel::kRowHeight);
    verticalHeader()->setFixedWidth(DatasetTableModel::kRowHeaderWidth);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DatasetGrid::RowsInSightChanged);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &DatasetGrid::RowsInSightChanged);
}

void DatasetGrid::SetDatasetModel(DatasetTableModel* model) {
    if (model_ != nullptr) {
        disconnect(model_, nullptr, this, nullptr);
    }
    model_ = model;
    setModel(model);
    connect(model, &QObject::destroyed, this, [this] { model_ = nullptr; });
    connect(model, &DatasetTableModel::EditRefused, this, [this] {
        if (model_ != nullptr) {
            RunGuarded(messages_, [this] { std::rethrow_exception(model_->TakeRefusal()); });
        }
    });
    // A reset forgets the widths; the same table keeps them. Another table
    // is measured afresh after this.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        widths_.clear();
        for (int column = 0; column < horizontalHeader()->count(); ++column) {
            widths_.push_back(horizontalHeader()->sectionSize(column));
        }
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        if (static_cast<int>(widths_.size()) == horizontalHeader()->count()) {
            for (int column = 0; column < horizontalHeader()->count(); ++column) {
                horizontalHeader()->resizeSection(column,
                                                  widths_[static_cast<std::size_t>(column)]);
            }
        }
    });
    connect(model, &DatasetTableModel::TableChanged, this, &DatasetGrid::TableChanged);
    connect(model, &QAbstractItemModel::rowsInserted, this, &DatasetGrid::RowsInSightChanged);
    connect(model, &QAbstractItemModel::dataChanged, this, &DatasetGrid::RowsInSightChanged);
    TableChanged();
    emit DatasetModelChanged();
}

void DatasetGrid::TableChanged() {
    if (isVisible()) {
        SizeColumns(false);
    } else {
        sizePending_ = true;
    }
}

void DatasetGrid::RowsInSightChanged() {
    if (isVisible() && !sizePending_) {
        SizeColumns(true);
    }
}

void DatasetGrid::showEvent(QShowEvent* event) {
    QTableView::showEvent(event);
    if (sizePending_) {
        SizeColumns(false);
    }
}

// Each column as wide as its title and as the first characters of its
// cells in sight; the titles are the table's parameters and must be
// readable. Rows that come into sight later only ever widen a column, and
// never one the user has sized.
void DatasetGrid::SizeColumns(bool widenOnly) {
    sizePending_ = false;
    if (model_ == nullptr) {
        return;
    }
    QHeaderView* header = horizontalHeader();
    const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
    const int first = std::max(rowAt(0), 0);
    const int last = std::min(model_->rowCount(), first + viewport()->height() / rowHeight + 1);
    // Each text measured as the delegate measures it, the style's margins
    // and the laid-out text's rounding included, and the grid line beside
    // the cell: measured any other way, a column came out a pixel short and
    // cut its text ("ВА47-29…").
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    const int gridLine = showGrid() ? 1 : 0;
    measured_.resize(static_cast<std::size_t>(model_->columnCount()));
    // Columns in sight only: the others keep their width until the user
    // looks, and a table of many fields costs no more than one of a few.
    const int shown = viewport()->width();
    int left = 0;
    for (int column = std::max(columnAt(0), 0); column < model_->columnCount() && left < shown;
         ++column) {
        int& measured = measured_[static_cast<std::size_t>(column)];
        // A column the user has sized keeps his width; one never measured
        // is measured when it first comes into sight.
        if (widenOnly && measured != 0 && header->sectionSize(column) != measured) {
            left += header->sectionSize(column);
            continue;
        }
        int width =
            std::max(header->sectionSizeHint(column), widenOnly ? header->sectionSize(column) : 0);
        for (int row = first; row < last; ++row) {
            option.text = model_->CellPrefix(row, column, kMeasuredCharacters);
            width = std::max(
                width,
                style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width() +
                    gridLine);
        }
        header->resizeSection(column, width);
        measured = width;
        left += width;
    }
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

// However the editor closes, it is no longer the one to post from.
void DatasetGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == delegate_->open) {
        delegate_->open = nullptr;
    }
    QTableView::closeEditor(editor, hint);
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

bool DatasetGrid::InsertRow(int at) {
    if (model_ == nullptr || model_->ReadOnly() || !model_->Table().Active() || !PostPending()) {
        return false;
    }
    const int row = model_->Insert(at);
    if (row < 0) {
        return false;
    }
    setCurrentIndex(model_->index(row, 0));
    edit(model_->index(row, 0));
    return true;
}

bool CancelRowOnEscape(QKeyEvent* event, DatasetGrid* grid) {
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        return false;
    }
    grid->CancelRow();
    event->accept();
    return true;
}

void DatasetGrid::DeleteRow() {
    const int row = CurrentRow();
    if (model_ == nullptr || model_->ReadOnly() || row < 0) {
        return;
    }
    if (messages_.MessageBox(
            {"Удалить запись?", "Подтверждение", Buttons::YesNo, Icon::Question}) != Answer::Yes) {
        return;
    }
    FinishEditor(false);
    model_->Delete(row);
    SelectRow(row);
}

void DatasetGrid::CancelRow() {
    const int row = CurrentRow();
    FinishEditor(false);
    if (model_ != nullptr && model_->Editing()) {
        model_->Cancel();
    }
    SelectRow(row);
}

// A new row may follow the last only when that row holds something: an
// empty new row is not posted, and another one is not opened under it.
bool DatasetGrid::AppendFromLastRow() {
    if (model_ == nullptr || model_->ReadOnly() || !model_->Table().Active()) {
        return false;
    }
    const int rows = model_->rowCount();
    if (rows > 0 && CurrentRow() != rows - 1) {
        return false;
    }
    if (model_->Inserting() && model_->EditRow() == rows - 1) {
        FinishEditor(true);
        if (model_->BufferEmpty()) {
            return true;
        }
    }
    if (PostPending()) {
        InsertRow(model_->rowCount());
    }
    return true;
}

bool DatasetGrid::HandleKey(const QKeyEvent* event, bool inEditor) {
    if (model_ == nullptr) {
        return false;
    }
    // In a cell's editor too, as the grids the users know do it.
    if (event->key() == Qt::Key_Delete && Modifiers(event) == Qt::ControlModifier &&
        !model_->ReadOnly()) {
        RunGuarded(messages_, [this] { DeleteRow(); });
        return true;
    }
    if (Modifiers(event) != Qt::NoModifier) {
        return false;
    }
    bool used = false;
    switch (event->key()) {
        case Qt::Key_Escape:
            // Never passed on: a dialog would take it for its cancel and
            // post the row on its way out.
            RunGuarded(messages_, [this] { CancelRow(); });
            used = true;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (inEditor || model_->Editing()) {
                PostPending();
                used = true;
            }
            break;
        case Qt::Key_Insert:
            if (!model_->ReadOnly()) {
                RunGuarded(messages_, [this] { InsertRow(std::max(CurrentRow(), 0)); });
                used = true;
            }
            break;
        case Qt::Key_Down:
            RunGuarded(messages_, [&] { used = AppendFromLastRow(); });
            break;
        default:
            break;
    }
    return used;
}

void DatasetGrid::keyPressEvent(QKeyEvent* event) {
    if (HandleKey(event, false)) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DatasetGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (model_ == nullptr || !model_->Editing() || !current.isValid() ||
        current.row() == model_->EditRow()) {
        return;
    }
    const int editRow = model_->EditRow();
    // Posting moves rows, which must not happen inside the view's own
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
