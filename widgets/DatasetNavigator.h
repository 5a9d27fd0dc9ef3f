#pragma once

#include <QWidget>
#include <vector>

class QToolButton;

namespace kalvenor {

class DatasetGrid;

// The navigator under a grid: first, prior, next, last, and for editable
// grids insert, delete, edit, post and cancel, which are disabled while the
// grid's model is read-only.
class DatasetNavigator : public QWidget {
    Q_OBJECT
public:
    enum Buttons { Browse, Full };

    DatasetNavigator(DatasetGrid* grid, Buttons buttons, QWidget* parent = nullptr);

    void First();
    void Prior();
    void Next();
    void Last();
    void Insert();
    void Delete();
    void Edit();
    void Post();
    void Cancel();

private:
    QToolButton* AddButton(const char* name, const char* hint, void (DatasetNavigator::*action)());
    void WatchModel();
    void UpdateButtons();
    bool Editable() const;

    DatasetGrid* grid_;
    std::vector<QToolButton*> editButtons_;
};

}  // namespace kalvenor
