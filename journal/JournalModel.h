#pragma once

#include "base/Numbers.h"
#include "journal/Journal.h"

#include <QAbstractTableModel>
#include <vector>

namespace kalvenor {

// The journal window's grid over a Journal: a column per journal column,
// the inputs editable, the results and the status read only. Every change
// of the journal reaches the views as the rows it touched, so the grid keeps
// its place and selection. An input that names what the tables folder lacks
// is marked (SetMissing); the status cell's tip holds the stop's whole
// message.
class JournalModel : public QAbstractTableModel {
    Q_OBJECT
public:
    JournalModel(Journal& journal, NumberFormat format, QObject* parent = nullptr);
    ~JournalModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The inputs of each line that name a missing table, series or
    // transformer; a line past the list has none.
    void SetMissing(std::vector<std::vector<LineInput>> missing);
    bool IsMissing(std::size_t line, LineInput input) const;

private:
    void JournalChanged(const JournalChange& change);

    Journal& journal_;
    NumberFormat format_;
    int observer_ = 0;
    int rows_ = 0;
    std::vector<std::vector<LineInput>> missing_;
};

}  // namespace kalvenor
