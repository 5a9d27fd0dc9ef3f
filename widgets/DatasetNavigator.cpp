#include "widgets/DatasetNavigator.h"

#include "widgets/DatasetGrid.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/Guard.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace kalvenor {

namespace {

// Yes and No with the question icon: the grid's usual delete confirmation.
constexpr int kConfirmDelete = kMbYesNo | 0x20;

}  // namespace

DatasetNavigator::DatasetNavigator(DatasetGrid* grid, Buttons buttons, QWidget* parent)
    : QWidget(parent), grid_(grid) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    AddButton("First", "Первая запись", &DatasetNavigator::First)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSkipBackward));
    AddButton("Prior", "Предыдущая запись", &DatasetNavigator::Prior)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSeekBackward));
    AddButton("Next", "Следующая запись", &DatasetNavigator::Next)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSeekForward));
    AddButton("Last", "Последняя запись", &DatasetNavigator::Last)
        ->setIcon(style()->standardIcon(QStyle::SP_MediaSkipForward));
    if (buttons == Full) {
        AddButton("Insert", "Вставить новую запись", &DatasetNavigator::Insert)->setText("+");
        AddButton("Delete", "Удалить запись", &DatasetNavigator::Delete)->setText("−");
        AddButton("Edit", "Редактировать запись", &DatasetNavigator::Edit)->setText("▲");
        AddButton("Post", "Занести в базу запись", &DatasetNavigator::Post)->setText("✓");
        AddButton("Cancel", "Отменить редактирование", &DatasetNavigator::Cancel)->setText("✗");
    }
    row->addStretch();
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
    DatasetTableModel* model = grid_->DatasetModel();
    if (model == nullptr || !model->dataset().Active() || !grid_->PostPending()) {
        return;
    }
    const int row = model->Insert(std::max(grid_->CurrentRow(), 0));
    grid_->setCurrentIndex(model->index(row, 0));
    grid_->edit(model->index(row, 0));
}

void DatasetNavigator::Delete() {
    DatasetTableModel* model = grid_->DatasetModel();
    const int row = grid_->CurrentRow();
    if (model == nullptr || row < 0) {
        return;
    }
    if (grid_->Messages().MessageBox("Удалить запись?", "Подтверждение", kConfirmDelete) !=
        kIdYes) {
        return;
    }
    grid_->FinishEditor(false);
    model->Delete(row);
    grid_->SelectRow(row);
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
    DatasetTableModel* model = grid_->DatasetModel();
    if (model == nullptr) {
        return;
    }
    const int row = grid_->CurrentRow();
    grid_->FinishEditor(false);
    model->Cancel();
    grid_->SelectRow(row);
}

}  // namespace kalvenor
