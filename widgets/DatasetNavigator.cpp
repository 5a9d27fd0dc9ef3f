#include "widgets/DatasetNavigator.h"

#include "widgets/DatasetGrid.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/Guard.h"
#include "widgets/Icons.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace kalvenor {

DatasetNavigator::DatasetNavigator(DatasetGrid* grid, Buttons buttons, QWidget* parent)
    : QWidget(parent), grid_(grid) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    AddButton("First", "Первая запись", &DatasetNavigator::First)
        ->setIcon(StandardIcon(QStyle::SP_MediaSkipBackward));
    AddButton("Prior", "Предыдущая запись", &DatasetNavigator::Prior)
        ->setIcon(StandardIcon(QStyle::SP_MediaSeekBackward));
    AddButton("Next", "Следующая запись", &DatasetNavigator::Next)
        ->setIcon(StandardIcon(QStyle::SP_MediaSeekForward));
    AddButton("Last", "Последняя запись", &DatasetNavigator::Last)
        ->setIcon(StandardIcon(QStyle::SP_MediaSkipForward));
    if (buttons == Full) {
        editButtons_ = {
            AddButton("Insert", "Вставить новую запись", &DatasetNavigator::Insert),
            AddButton("Delete", "Удалить запись", &DatasetNavigator::Delete),
            AddButton("Edit", "Редактировать запись", &DatasetNavigator::Edit),
            AddButton("Post", "Занести в базу запись", &DatasetNavigator::Post),
            AddButton("Cancel", "Отменить редактирование", &DatasetNavigator::Cancel),
        };
        const char* const symbols[] = {"+", "−", "▲", "✓", "✗"};
        for (std::size_t i = 0; i < editButtons_.size(); ++i) {
            editButtons_[i]->setText(QString::fromUtf8(symbols[i]));
        }
    }
    row->addStretch();
    connect(grid_, &DatasetGrid::DatasetModelChanged, this, &DatasetNavigator::WatchModel);
    WatchModel();
}

void DatasetNavigator::WatchModel() {
    if (DatasetTableModel* model = grid_->DatasetModel()) {
        connect(model, &DatasetTableModel::ReadOnlyChanged, this, &DatasetNavigator::UpdateButtons,
                Qt::UniqueConnection);
    }
    UpdateButtons();
}

bool DatasetNavigator::Editable() const {
    const DatasetTableModel* model = grid_->DatasetModel();
    return model != nullptr && !model->ReadOnly();
}

void DatasetNavigator::UpdateButtons() {
    const bool editable = Editable();
    for (QToolButton* button : editButtons_) {
        button->setEnabled(editable);
    }
}

QToolButton* DatasetNavigator::AddButton(const char* name, const char* hint,
                                         void (DatasetNavigator::*action)()) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromUtf8(name));
    button->setToolTip(QString::fromUtf8(hint));
    button->setMinimumWidth(26);
    layout()->addWidget(button);
    ConnectGuarded(grid_->Messages(), button, &QToolButton::clicked, this, action);
    return button;
}

void DatasetNavigator::First() {
    grid_->SelectRow(0);
}

void DatasetNavigator::Prior() {
    grid_->SelectRow(grid_->CurrentRow() - 1);
}

void DatasetNavigator::Next() {
    grid_->SelectRow(grid_->CurrentRow() + 1);
}

void DatasetNavigator::Last() {
    if (const DatasetTableModel* model = grid_->DatasetModel()) {
        grid_->SelectRow(model->rowCount() - 1);
    }
}

void DatasetNavigator::Insert() {
    grid_->InsertRow(std::max(grid_->CurrentRow(), 0));
}

void DatasetNavigator::Delete() {
    grid_->DeleteRow();
}

void DatasetNavigator::Edit() {
    DatasetTableModel* model = grid_->DatasetModel();
    const int row = grid_->CurrentRow();
    if (model == nullptr || row < 0) {
        return;
    }
    model->Edit(row);
    grid_->edit(grid_->currentIndex());
}

void DatasetNavigator::Post() {
    grid_->PostPending();
}

void DatasetNavigator::Cancel() {
    grid_->CancelRow();
}

}  // namespace kalvenor
