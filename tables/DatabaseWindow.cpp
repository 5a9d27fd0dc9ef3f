#include "tables/DatabaseWindow.h"

#include "tables/Databases.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetNavigator.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/Frames.h"
#include "widgets/HelpKey.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

namespace kalvenor {

DatabaseWindow::DatabaseWindow(const Context& context, Dataset& data, const Layout& layout)
    : QDialog(nullptr, kWindowFrame),
      Data(data),
      context_(context),
      gridHeightMargin_(layout.gridHeightMargin) {
    setWindowTitle("База данных");
    setMinimumSize(layout.width, layout.height);
    resize(layout.width, layout.height);
    GroupBox1 = new QGroupBox(QString::fromUtf8(layout.groupCaption), this);
    GroupBox1->setObjectName("GroupBox1");
    Grid = new DatasetGrid(context.messages, GroupBox1);
    Grid->setObjectName(QString::fromUtf8(layout.gridName));
    Grid->setAccessibleName(GroupBox1->title());
    Grid->SetDatasetModel(new DatasetTableModel(Data, context.format, layout.rules, this));
    Data.SetChangedFilePolicy(AskBeforeWritingOver(context.messages));
    DBNavigator1 = new DatasetNavigator(Grid, DatasetNavigator::Full, GroupBox1);
    DBNavigator1->setObjectName("DBNavigator1");
    DBNavigator1->adjustSize();
    Button1 = new QPushButton(QString::fromUtf8(layout.buttonCaption), GroupBox1);
    Button1->setObjectName("Button1");
    Button1->setAutoDefault(false);
    Button1->setDefault(layout.enterCloses);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    InstallHelpKey(this, context, layout.helpSection);
}

void DatabaseWindow::RefuseUnkeptEdits() {
    Grid->DatasetModel()->SetReadOnly(!context_.tablesWritable || Data.BoundFile().empty());
}

void DatabaseWindow::ShowModal() {
    exec();
}

namespace {

constexpr int kOpeningRows = 10;

}  // namespace

QSize DatabaseWindow::OpeningSize() const {
    const QHeaderView* header = Grid->horizontalHeader();
    int columns = 0;
    for (int column = 0; column < header->count(); ++column) {
        columns += std::max(header->sectionSize(column), header->sectionSizeHint(column));
    }
    const int frame = 2 * Grid->frameWidth();
    const int gridWidth = columns + Grid->verticalHeader()->width() + frame +
                          Grid->verticalScrollBar()->sizeHint().width();
    // Room for a horizontal scroll bar too, so ten rows stay in sight when
    // the user narrows the window.
    const int gridHeight = header->sizeHint().height() +
                           kOpeningRows * Grid->verticalHeader()->defaultSectionSize() + frame +
                           Grid->horizontalScrollBar()->sizeHint().height();
    const int buttonHeight = Button1->sizeHint().height();
    return {gridWidth + buttonHeight, gridHeight + 5 * buttonHeight + gridHeightMargin_};
}

void DatabaseWindow::setVisible(bool visible) {
    if (visible && !opened_) {
        opened_ = true;
        ResizeAroundCentre(this, OpeningSize());
    }
    QDialog::setVisible(visible);
}

void DatabaseWindow::done(int result) {
    if (Grid->PostPending()) {
        QDialog::done(result);
    }
}

// The layout follows the button's height, so it scales with the font.
void DatabaseWindow::keyPressEvent(QKeyEvent* event) {
    if (!CancelRowOnEscape(event, Grid)) {
        QDialog::keyPressEvent(event);
    }
}

void DatabaseWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int width = event->size().width();
    const int height = event->size().height();
    GroupBox1->setGeometry(0, 0, width, height);
    const int buttonHeight = Button1->sizeHint().height();
    Button1->resize(Button1->sizeHint().expandedTo(QSize(75, 0)));
    constexpr int kGridTop = 18;  // below the group's caption
    Grid->setGeometry(buttonHeight / 2, kGridTop, GroupBox1->width() - buttonHeight,
                      height - 5 * buttonHeight - gridHeightMargin_);
    DBNavigator1->move(GroupBox1->width() / 2 - DBNavigator1->width() / 2,
                       height - 5 * buttonHeight + 10);
    Button1->move(GroupBox1->width() / 2 - Button1->width() / 2, height - 3 * buttonHeight);
    update();
}

}  // namespace kalvenor
