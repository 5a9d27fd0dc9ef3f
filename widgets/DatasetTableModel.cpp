#include "widgets/DatasetTableModel.h"

#include "tables/CellText.h"
#include "widgets/Text.h"

#include <QSize>
#include <algorithm>

namespace kalvenor {

namespace {

// A cell shows at most this many characters: no column is that wide, and a
// text of a hundred thousand would otherwise be laid out at every paint.
// Editing gets the whole text.
constexpr int kDisplayLimit = 1000;

// The first `limit` characters of a UTF-8 text, converting no more of it.
QString Prefix(const std::string& text, int limit, bool* cut) {
    const std::size_t most = static_cast<std::size_t>(limit) * 4;
    if (text.size() <= static_cast<std::size_t>(limit)) {
        *cut = false;
        return ToQString(text);
    }
    std::size_t end = std::min(text.size(), most);
    while (end < text.size() && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;  // not inside a character
    }
    QString prefix = ToQString(std::string_view(text).substr(0, end));
    *cut = end < text.size() || prefix.size() > limit;
    if (prefix.size() > limit) {
        prefix.truncate(prefix[limit - 1].isHighSurrogate() ? limit - 1 : limit);
    }
    return prefix;
}

}  // namespace

DatasetTableModel::DatasetTableModel(Dataset& dataset, NumberFormat format, PostRules rules,
                                     QObject* parent)
    : QAbstractTableModel(parent), dataset_(dataset), format_(format), rules_(rules) {
    active_ = dataset_.Active();
    if (active_) {
        rows_ = static_cast<int>(dataset_.RowCount());
        columns_ = static_cast<int>(dataset_.FieldDefs().size());
        shownFields_ = dataset_.FieldDefs();
    }
    shownReadOnly_ = ReadOnly();
    observer_ =
        dataset_.AddObserver([this](const DatasetChange& change) { DatasetChanged(change); });
}

DatasetTableModel::~DatasetTableModel() {
    dataset_.RemoveObserver(observer_);
}

void DatasetTableModel::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    AnnounceReadOnly();
}

void DatasetTableModel::AnnounceReadOnly() {
    if (ReadOnly() != shownReadOnly_) {
        shownReadOnly_ = ReadOnly();
        emit ReadOnlyChanged(shownReadOnly_);
    }
}

// ---- Dataset changes ----------------------------------------------------------

void DatasetTableModel::DatasetChanged(const DatasetChange& change) {
    const auto fits = [this](std::size_t row, int extra) {
        // Widened before the sum: a table the views were told is empty
        // (rows_ 0, extra -1) must not wrap round to a limit no row exceeds.
        return static_cast<long long>(row) <= static_cast<long long>(rows_) + extra;
    };
    // A row-level change is trusted only when it fits what the views were
    // told; anything else is shown as the whole table changed.
    pending_ = change;
    switch (change.kind) {
        case DatasetChange::Kind::Inserted:
            if (active_ && dataset_.Active() && fits(change.to, 0) &&
                dataset_.RowCount() == static_cast<std::size_t>(rows_) + 1) {
                RowInserted(static_cast<int>(change.to));
                return;
            }
            break;
        case DatasetChange::Kind::Removed:
            if (active_ && dataset_.Active() && fits(change.from, -1) &&
                dataset_.RowCount() + 1 == static_cast<std::size_t>(rows_)) {
                RowRemoved(static_cast<int>(change.from));
                return;
            }
            break;
        case DatasetChange::Kind::Updated:
            if (active_ && dataset_.Active() && fits(change.from, -1) && fits(change.to, -1) &&
                dataset_.RowCount() == static_cast<std::size_t>(rows_)) {
                RowUpdated(static_cast<int>(change.from), static_cast<int>(change.to));
                return;
            }
            break;
        case DatasetChange::Kind::Reset:
            break;
    }
    pending_.reset();
    Reset();
}

void DatasetTableModel::Reset() {
    // Another table: shown for the first time, after a close, or with other
    // fields. A reorder or the calculation's correction is the same table.
    const bool otherTable = dataset_.Active() && (!active_ || dataset_.FieldDefs() != shownFields_);
    beginResetModel();
    // The rows changed under the buffer (a reload, a close): an unposted row
    // no longer has a place to go.
    state_ = State::Browse;
    editRow_ = -1;
    buffer_.clear();
    active_ = dataset_.Active();
    rows_ = active_ ? static_cast<int>(dataset_.RowCount()) : 0;
    columns_ = active_ ? static_cast<int>(dataset_.FieldDefs().size()) : 0;
    if (active_) {
        shownFields_ = dataset_.FieldDefs();
    }
    endResetModel();
    if (otherTable) {
        emit TableChanged();
    }
    AnnounceReadOnly();
}

// Each announcement begins while the views still see the old rows (with
// the change pending), then the mirror takes the change and the
// announcement ends with the new rows.
void DatasetTableModel::RowInserted(int to) {
    if (posting_ && state_ == State::Insert) {
        // The new row typed here has found its place in the dataset.
        const int from = editRow_;
        const bool moved = from != to && beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
        pending_.reset();
        ++rows_;
        Browse();
        if (moved) {
            endMoveRows();
        }
        RowChanged(to);
        emit headerDataChanged(Qt::Vertical, std::min(from, to), std::max(from, to));
        return;
    }
    int view = to;
    if (state_ == State::Insert && to >= editRow_) {
        view = to + 1;  // below the new row being typed
    }
    beginInsertRows({}, view, view);
    pending_.reset();
    ++rows_;
    if (state_ != State::Browse && to <= editRow_ && view <= editRow_) {
        ++editRow_;
    }
    endInsertRows();
}

void DatasetTableModel::RowRemoved(int from) {
    const int view = ViewRow(from);
    beginRemoveRows({}, view, view);
    pending_.reset();
    --rows_;
    bool lostEdit = false;
    if (state_ == State::Edit && from == editRow_) {
        // The row being edited was deleted elsewhere: its edits have no row.
        lostEdit = true;
        Browse();
    } else if (state_ != State::Browse && from < editRow_) {
        --editRow_;
    }
    endRemoveRows();
    if (lostEdit) {
        emit headerDataChanged(Qt::Vertical, view, view);
    }
}

void DatasetTableModel::RowUpdated(int from, int to) {
    if (posting_ && state_ == State::Edit && from == editRow_) {
        const int last = editRow_;
        const bool moved = BeginMove(from, to);
        Browse();
        if (moved) {
            endMoveRows();
        }
        RowChanged(to);
        emit headerDataChanged(Qt::Vertical, std::min(last, to), std::max(last, to));
        return;
    }
    if (state_ != State::Insert) {
        const int edited = editRow_;
        const bool moved = BeginMove(from, to);
        if (state_ == State::Edit) {
            // The row being edited keeps its buffer and follows its row.
            if (from == edited) {
                editRow_ = to;
            } else {
                const int place = edited - (from < edited ? 1 : 0);
                editRow_ = place + (to <= place ? 1 : 0);
            }
        }
        if (moved) {
            endMoveRows();
        }
        RowChanged(to);
        return;
    }
    // Inserting: the new row stays between the same neighbours, so the
    // changed row may pass it.
    const int oldView = ViewRow(from);
    int above = editRow_ - (from < editRow_ ? 1 : 0);
    if (to < above) {
        ++above;
    }
    const int newView = to < above ? to : to + 1;
    const bool moved = BeginMove(oldView, newView);
    editRow_ = above;
    if (moved) {
        endMoveRows();
    }
    RowChanged(newView);
}

bool DatasetTableModel::BeginMove(int from, int to) {
    const bool moved = from != to && beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    pending_.reset();
    return moved;
}

void DatasetTableModel::RowChanged(int row) {
    if (columns_ > 0) {
        emit dataChanged(index(row, 0), index(row, columns_ - 1));
    }
}

void DatasetTableModel::Browse() {
    state_ = State::Browse;
    editRow_ = -1;
    buffer_.clear();
}

// ---- The views' questions -------------------------------------------------------

int DatasetTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !active_) {
        return 0;
    }
    return rows_ + (state_ == State::Insert ? 1 : 0);
}

int DatasetTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !active_) {
        return 0;
    }
    return columns_;
}

std::optional<std::size_t> DatasetTableModel::DatasetRow(int row) const {
    if (state_ == State::Insert && row == editRow_) {
        return std::nullopt;
    }
    if (state_ == State::Insert && row > editRow_) {
        --row;
    }
    if (!pending_) {
        return static_cast<std::size_t>(row);
    }
    // Where the row the views still see stands in the changed dataset.
    const int from = static_cast<int>(pending_->from);
    const int to = static_cast<int>(pending_->to);
    switch (pending_->kind) {
        case DatasetChange::Kind::Inserted:
            return static_cast<std::size_t>(row >= to ? row + 1 : row);
        case DatasetChange::Kind::Removed:
            if (row == from) {
                return std::nullopt;
            }
            return static_cast<std::size_t>(row > from ? row - 1 : row);
        case DatasetChange::Kind::Updated: {
            if (row == from) {
                return static_cast<std::size_t>(to);
            }
            const int rest = row > from ? row - 1 : row;
            return static_cast<std::size_t>(rest >= to ? rest + 1 : rest);
        }
        case DatasetChange::Kind::Reset:
            break;
    }
    return static_cast<std::size_t>(row);
}

int DatasetTableModel::ViewRow(int datasetRow) const {
    return state_ == State::Insert && datasetRow >= editRow_ ? datasetRow + 1 : datasetRow;
}

// By value: the dataset hands out its cells as values made from its rows.
Value DatasetTableModel::Cell(int row, int column) const {
    if (state_ != State::Browse && row == editRow_) {
        return buffer_[static_cast<std::size_t>(column)];
    }
    const std::optional<std::size_t> source = DatasetRow(row);
    if (!source || *source >= dataset_.RowCount() ||
        static_cast<std::size_t>(column) >= dataset_.FieldDefs().size()) {
        return {};  // asked while the views are being told of a change
    }
    return dataset_.At(*source, static_cast<std::size_t>(column));
}

QString DatasetTableModel::CellPrefix(int row, int column, int limit) const {
    const Value& value = Cell(row, column);
    if (const auto* text = std::get_if<std::string>(&value)) {
        bool cut = false;
        return Prefix(*text, limit, &cut);
    }
    return ToQString(CellText(value, format_));
}

QVariant DatasetTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    const Value& value = Cell(index.row(), index.column());
    if (const auto* text = std::get_if<std::string>(&value);
        text != nullptr && role == Qt::DisplayRole) {
        bool cut = false;
        QString shown = Prefix(*text, kDisplayLimit, &cut);
        if (cut) {
            shown += QChar(0x2026);
        }
        return shown;
    }
    return ToQString(CellText(value, format_));
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::SizeHintRole && orientation == Qt::Vertical) {
        // A row's header holds at most the editing mark: a view that sizes
        // its row headers needs no text measured for each row after a reset.
        return QSize(kRowHeaderWidth, kRowHeight);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        if (section >= 0 && section < columnCount()) {
            return ToQString(shownFields_[static_cast<std::size_t>(section)].name);
        }
        return {};
    }
    return (state_ != State::Browse && section == editRow_) ? QStringLiteral("*") : QString();
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (!ReadOnly() && index.isValid()) {
        result |= Qt::ItemIsEditable;
    }
    return result;
}

int DatasetTableModel::FieldSize(int column) const {
    const FieldDef& field = dataset_.FieldDefs().at(static_cast<std::size_t>(column));
    return field.type == FieldType::String ? field.size : 0;
}

char DatasetTableModel::DecimalSeparator(int column) const {
    const FieldDef& field = dataset_.FieldDefs().at(static_cast<std::size_t>(column));
    return field.type == FieldType::Float ? format_.decimalSeparator : '\0';
}

bool DatasetTableModel::BufferEmpty() const {
    return std::all_of(buffer_.begin(), buffer_.end(), [](const Value& value) {
        const auto* text = std::get_if<std::string>(&value);
        return std::holds_alternative<std::monostate>(value) || (text != nullptr && text->empty());
    });
}

// ---- Edits ---------------------------------------------------------------------------

bool DatasetTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || ReadOnly()) {
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
        emit EditRefused();
        return false;
    }
}

int DatasetTableModel::Insert(int row) {
    if (ReadOnly() || !active_) {
        return -1;
    }
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
    if (ReadOnly() || state_ != State::Browse || row < 0 || row >= rowCount()) {
        return;
    }
    // The stored values, not the calculation's corrected ones: what is
    // posted goes to the file.
    const std::size_t source = *DatasetRow(row);
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
        return -1;
    }
    const std::optional<std::size_t> replacing =
        state_ == State::Edit ? DatasetRow(editRow_) : std::nullopt;
    if (const auto error = dataset_.PostError(buffer_, replacing, rules_)) {
        throw UserError(*error);
    }
    // The dataset's notification moves the row to its place and ends the
    // editing; the buffer stays until then.
    std::size_t position = 0;
    posting_ = true;
    try {
        position =
            replacing ? dataset_.UpdateRow(*replacing, buffer_) : dataset_.InsertRow(buffer_);
    } catch (...) {
        posting_ = false;
        throw;
    }
    posting_ = false;
    if (state_ != State::Browse) {
        Reset();  // the dataset told of something else than this row
    }
    return static_cast<int>(position);
}

void DatasetTableModel::Cancel() {
    if (state_ == State::Insert) {
        beginRemoveRows({}, editRow_, editRow_);
        state_ = State::Browse;
        endRemoveRows();
    } else if (state_ == State::Edit) {
        state_ = State::Browse;
        RowChanged(editRow_);
        emit headerDataChanged(Qt::Vertical, editRow_, editRow_);
    }
    editRow_ = -1;
    buffer_.clear();
}

void DatasetTableModel::Delete(int row) {
    if (ReadOnly()) {
        return;
    }
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
        dataset_.DeleteRow(*DatasetRow(row));
    }
}

}  // namespace kalvenor
