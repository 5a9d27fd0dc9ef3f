#include "journal/JournalModel.h"

#include "journal/JournalColumns.h"
#include "widgets/Text.h"

#include <QBrush>
#include <QColor>
#include <algorithm>

namespace kalvenor {

namespace {

const QColor kMissingColour(255, 205, 205);
const QColor kStoppedColour(255, 240, 200);
const QColor kResultColour(240, 240, 240);

}  // namespace

JournalModel::JournalModel(Journal& journal, NumberFormat format, QObject* parent)
    : QAbstractTableModel(parent),
      journal_(journal),
      format_(format),
      rows_(static_cast<int>(journal.LineCount())) {
    observer_ =
        journal_.AddObserver([this](const JournalChange& change) { JournalChanged(change); });
}

JournalModel::~JournalModel() {
    journal_.RemoveObserver(observer_);
}

void JournalModel::JournalChanged(const JournalChange& change) {
    const int first = static_cast<int>(change.first);
    const int count = static_cast<int>(change.count);
    switch (change.kind) {
        case JournalChange::Kind::Inserted:
            beginInsertRows({}, first, first + count - 1);
            rows_ += count;
            endInsertRows();
            return;
        case JournalChange::Kind::Removed:
            beginRemoveRows({}, first, first + count - 1);
            rows_ -= count;
            endRemoveRows();
            return;
        case JournalChange::Kind::Changed:
            emit dataChanged(index(first, 0), index(first, columnCount() - 1));
            return;
        case JournalChange::Kind::Reset:
            beginResetModel();
            rows_ = static_cast<int>(journal_.LineCount());
            endResetModel();
            return;
    }
}

int JournalModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int JournalModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kJournalColumnCount);
}

bool JournalModel::IsMissing(std::size_t line, LineInput input) const {
    return line < missing_.size() &&
           std::find(missing_[line].begin(), missing_[line].end(), input) != missing_[line].end();
}

QVariant JournalModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    const JournalLine& line = journal_.Line(row);
    const JournalColumn column = ColumnAt(static_cast<std::size_t>(index.column()));
    const std::optional<LineInput> input = InputOf(column);
    const auto* stop = std::get_if<LineStop>(&line.outcome);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return ToQString(CellText(line, column, format_));
        case Qt::ToolTipRole:
            if (input && IsMissing(row, *input)) {
                return QString("Нет в папке таблиц: расчёт этой линии остановится");
            }
            if (column == JournalColumn::Status && stop != nullptr) {
                return ToQString(stop->message);
            }
            return {};
        case Qt::BackgroundRole:
            if (input && IsMissing(row, *input)) {
                return QBrush(kMissingColour);
            }
            if (column == JournalColumn::Status && stop != nullptr) {
                return QBrush(kStoppedColour);
            }
            return input ? QVariant() : QVariant(QBrush(kResultColour));
        case Qt::TextAlignmentRole:
            return ColumnLayout(column).numeric ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    // The symbols of the printed journal keep the grid narrow; the words
    // are the tip.
    const JournalColumnLayout& layout = ColumnLayout(ColumnAt(static_cast<std::size_t>(section)));
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(layout.printedHeader);
        case Qt::ToolTipRole:
            return ToQString(layout.header);
        default:
            return {};
    }
}

Qt::ItemFlags JournalModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && InputOf(ColumnAt(static_cast<std::size_t>(index.column())))) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool JournalModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || index.row() >= rows_) {
        return false;
    }
    const std::optional<LineInput> input =
        InputOf(ColumnAt(static_cast<std::size_t>(index.column())));
    if (!input) {
        return false;
    }
    journal_.SetInput(static_cast<std::size_t>(index.row()), *input, ToStdString(value.toString()));
    return true;
}

void JournalModel::SetMissing(std::vector<std::vector<LineInput>> missing) {
    missing_ = std::move(missing);
    if (rows_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1),
                         {Qt::BackgroundRole, Qt::ToolTipRole});
    }
}

}  // namespace kalvenor
