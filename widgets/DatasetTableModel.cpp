#include "widgets/DatasetTableModel.h"

#include "tables/CellText.h"
#include "widgets/Text.h"

#include <algorithm>

namespace kalvenor {

DatasetTableModel::DatasetTableModel(Dataset& dataset, NumberFormat format, PostRules rules,
                                     QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset), format_(format), rules_(rules) {
    observer_ = dataset_.AddObserver([this](const DatasetChange&) { DatasetChanged(); });
}

DatasetTableModel::~DatasetTableModel() {
    dataset_.RemoveObserver(observer_);
}

void DatasetTableModel::DatasetChanged() {
    beginResetModel();
    // The rows changed under the buffer (a reload, a close): an unposted row
    // no longer has a place to go.
    state_ = State::Browse;
    editRow_ = -1;
    buffer_.clear();
    endResetModel();
}

int DatasetTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataset_.Active()) {
        return 0;
    }
    return static_cast<int>(dataset_.RowCount()) + (state_ == State::Insert ? 1 : 0);
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !dataset_.Active()) {
        return 0;
    }
    return static_cast<int>(dataset_.FieldDefs().size());
}

std::size_t DatasetTableModel::DatasetRow(int row) const {
    if (state_ == State::Insert && row > editRow_) {
        --row;
    }
    return static_cast<std::size_t>(row);
}

Value DatasetTableModel::Cell(int row, int column) const {
    if (state_ != State::Browse && row == editRow_) {
        return buffer_[static_cast<std::size_t>(column)];
    }
    return dataset_.At(DatasetRow(row), static_cast<std::size_t>(column));
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return ToQString(CellText(Cell(index.row(), index.column()), format_));
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        if (section >= 0 && section < columnCount()) {
            return ToQString(dataset_.FieldDefs()[static_cast<std::size_t>(section)].name);
        }
        return {};
    }
    return (state_ != State::Browse && section == editRow_) ? QStringLiteral("*") : QString();
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (!readOnly_ && index.isValid()) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

int DatasetTableModel::FieldSize(int column) const {
    const FieldDef& field = dataset_.FieldDefs().at(static_cast<std::size_t>(column));
    return field.type == FieldType::String ? field.size : 0;
}

bool DatasetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || readOnly_) {
        return false;
    }
    try {
        Value parsed = ParseCell(dataset_.FieldDefs().at(static_cast<std::size_t>(index.column())),
                                 ToStdString(value.toString()), format_);
        if (state_ == State::Browse) {
            Edit(index.row());
        } else if (index.row() != editRow_) {
            return false;  // the grid posts the buffer before it moves to another row
        }
        buffer_[static_cast<std::size_t>(index.column())] = std::move(parsed);
        emit dataChanged(index, index);
        return true;
    } catch (...) {
        // Called from inside Qt's editing machinery: nothing may be thrown
        // through it, and nothing shown from here.
        refusal_ = std::current_exception();
        emit editRefused();
        return false;
    }
}

int DatasetTableModel::Insert(int row) {
    if (state_ != State::Browse) {
        throw UserError("Сначала занесите в базу или отмените редактируемую запись.");
    }
    row = std::clamp(row, 0, rowCount());
    beginInsertRows({}, row, row);
    state_ = State::Insert;
    editRow_ = row;
    buffer_.assign(dataset_.FieldDefs().size(), std::monostate{});
    endInsertRows();
    emit headerDataChanged(Qt::Vertical, row, row);
    return row;
}

void DatasetTableModel::Edit(int row) {
    if (state_ != State::Browse || row < 0 || row >= rowCount()) {
        return;
    }
    // The stored values, not the calculation's corrected ones: what is
    // posted goes to the file.
    const std::size_t source = DatasetRow(row);
    buffer_.clear();
    for (std::size_t field = 0; field < dataset_.FieldDefs().size(); ++field) {
        buffer_.push_back(dataset_.StoredAt(source, field));
    }
    state_ = State::Edit;
    editRow_ = row;
    emit headerDataChanged(Qt::Vertical, row, row);
}

int DatasetTableModel::Post() {
    if (state_ == State::Browse) {
        return editRow_;
    }
    const std::optional<std::size_t> replacing =
        state_ == State::Edit ? std::optional<std::size_t>(DatasetRow(editRow_)) : std::nullopt;
    if (const auto error = dataset_.PostError(buffer_, replacing, rules_)) {
        throw UserError(*error);
    }
    // Back to browsing before the dataset changes: its notification resets
    // the grid, which must not find a half-moved buffer.
    Row values = std::move(buffer_);
    buffer_.clear();
    state_ = State::Browse;
    editRow_ = -1;
    const std::size_t position = replacing ? dataset_.UpdateRow(*replacing, std::move(values))
                                           : dataset_.InsertRow(std::move(values));
    return static_cast<int>(position);
}

void DatasetTableModel::Cancel() {
    if (state_ == State::Insert) {
        beginRemoveRows({}, editRow_, editRow_);
        state_ = State::Browse;
        endRemoveRows();
    } else if (state_ == State::Edit) {
        state_ = State::Browse;
        emit dataChanged(index(editRow_, 0), index(editRow_, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, editRow_, editRow_);
    }
    editRow_ = -1;
    buffer_.clear();
}

void DatasetTableModel::Delete(int row) {
    if (state_ == State::Insert) {
        const int inserted = editRow_;
        Cancel();
        if (row == inserted) {
            return;
        }
        if (row > inserted) {
            --row;
        }
    } else if (state_ == State::Edit) {
        Cancel();
    }
    if (row >= 0 && row < rowCount()) {
        dataset_.DeleteRow(DatasetRow(row));
    }
}

}  // namespace kalvenor
