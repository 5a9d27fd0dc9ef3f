#include "tables/Basatrasformator.h"
#include "tables/CellText.h"
#include "tables/Unit1.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/ui/UiFixture.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetNavigator.h"
#include "widgets/DatasetTableModel.h"
#include "widgets/Text.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>

namespace kalvenor::ui {

namespace {

constexpr NumberFormat kComma{','};

// A table ordered by its number, with a text beside it.
void Fill(Dataset& dataset, const std::vector<double>& numbers) {
    dataset.Close();
    dataset.Create({{"Сечение", FieldType::Float, 0, true}, {"Марка", FieldType::String, 20}},
                   {{"", {"Сечение"}, true, true}});
    dataset.SetOrder("Сечение");
    for (double number : numbers) {
        dataset.InsertRow({number, std::string("n")});
    }
}

QStringList DatasetColumn(const Dataset& dataset) {
    QStringList values;
    for (std::size_t row = 0; row < dataset.RowCount(); ++row) {
        values << ToQString(CellText(dataset.At(row, 0), kComma));
    }
    return values;
}

// Types a whole row into the model's buffer.
void Type(DatasetTableModel& model, int row, const QString& number) {
    QVERIFY(model.setData(model.index(row, 0), number, Qt::EditRole));
    QVERIFY(model.setData(model.index(row, 1), "m", Qt::EditRole));
}

// The spies a view would be: every announcement the model makes.
struct Announcements {
    explicit Announcements(DatasetTableModel& model)
        : resets(&model, &QAbstractItemModel::modelReset),
          inserted(&model, &QAbstractItemModel::rowsInserted),
          removed(&model, &QAbstractItemModel::rowsRemoved),
          moved(&model, &QAbstractItemModel::rowsMoved),
          changed(&model, &QAbstractItemModel::dataChanged) {}
    QSignalSpy resets, inserted, removed, moved, changed;
};

}  // namespace

class GridTest : public QObject {
    Q_OBJECT

private slots:
    // Every change of one row reaches the views as that row: nothing resets,
    // and what the views see is the dataset's order. The tester checks each
    // announcement against the model's answers before and after it.
    void rowChangesReachTheViewsAsRows() {
        Dataset dataset;
        Fill(dataset, {});
        DatasetTableModel model(dataset, kComma, PostRules{});
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Announcements said(model);

        for (double number : {10.0, 30.0, 20.0}) {
            dataset.InsertRow({number, std::string("n")});
        }
        QCOMPARE(said.inserted.count(), 3);
        QCOMPARE(Column(&model, 0), (QStringList{"10", "20", "30"}));

        // A new row typed at the top is posted: it moves to its place.
        QCOMPARE(model.Insert(0), 0);
        Type(model, 0, "25");
        QCOMPARE(model.Post(), 2);
        QCOMPARE(said.moved.count(), 1);
        QCOMPARE(Column(&model, 0), (QStringList{"10", "20", "25", "30"}));
        QVERIFY(!model.Editing());

        // An edited row whose key changes moves too; one that keeps its
        // place only changes.
        QVERIFY(model.setData(model.index(0, 0), "40", Qt::EditRole));
        QCOMPARE(model.Post(), 3);
        QCOMPARE(said.moved.count(), 2);
        QVERIFY(model.setData(model.index(0, 1), "новая", Qt::EditRole));
        QCOMPARE(model.Post(), 0);
        QCOMPARE(said.moved.count(), 2);
        QCOMPARE(model.index(0, 1).data().toString(), QString("новая"));

        model.Delete(1);
        QCOMPARE(said.removed.count(), 1);
        QCOMPARE(Column(&model, 0), DatasetColumn(dataset));
        QCOMPARE(said.resets.count(), 0);

        // A new row typed and cancelled leaves as it came.
        model.Insert(1);
        model.Cancel();
        QCOMPARE(Column(&model, 0), DatasetColumn(dataset));
        QCOMPARE(said.resets.count(), 0);

        // A whole table loaded is a reset.
        QSignalSpy tables(&model, &DatasetTableModel::TableChanged);
        Fill(dataset, {1, 2});
        QVERIFY(said.resets.count() > 0);
        QCOMPARE(tables.count(), 1);
        QCOMPARE(Column(&model, 0), (QStringList{"1", "2"}));
    }

    // A row changed elsewhere while a new row is being typed: the new row
    // keeps its neighbours and its buffer, and is posted where it belongs.
    void rowsChangedElsewhereWhileANewRowIsTyped_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<double>("value");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("inserted above")
            << "insert" << 5.0 << QStringList{"5", "10", "20", "", "30", "40"};
        QTest::newRow("inserted next below")
            << "insert" << 25.0 << QStringList{"10", "20", "", "25", "30", "40"};
        QTest::newRow("inserted below")
            << "insert" << 45.0 << QStringList{"10", "20", "", "30", "40", "45"};
        QTest::newRow("moved from above to below")
            << "update 0" << 50.0 << QStringList{"20", "", "30", "40", "50"};
        QTest::newRow("moved from below to above")
            << "update 3" << 15.0 << QStringList{"10", "15", "20", "", "30"};
        QTest::newRow("moved within above")
            << "update 0" << 17.0 << QStringList{"17", "20", "", "30", "40"};
        QTest::newRow("removed above") << "delete 1" << 0.0 << QStringList{"10", "", "30", "40"};
        QTest::newRow("removed below") << "delete 2" << 0.0 << QStringList{"10", "20", "", "40"};
    }

    void rowsChangedElsewhereWhileANewRowIsTyped() {
        QFETCH(QString, change);
        QFETCH(double, value);
        QFETCH(QStringList, shown);
        Dataset dataset;
        Fill(dataset, {10, 20, 30, 40});
        DatasetTableModel model(dataset, kComma, PostRules{});
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        Announcements said(model);
        model.Insert(2);
        QVERIFY(model.setData(model.index(2, 1), "typed", Qt::EditRole));

        const QStringList words = change.split(' ');
        if (words[0] == "insert") {
            dataset.InsertRow({value, std::string("n")});
        } else if (words[0] == "update") {
            dataset.UpdateRow(words[1].toUInt(), {value, std::string("n")});
        } else {
            dataset.DeleteRow(words[1].toUInt());
        }
        QCOMPARE(Column(&model, 0), shown);
        const int typed = static_cast<int>(shown.indexOf(""));
        QCOMPARE(model.EditRow(), typed);
        QCOMPARE(model.index(typed, 1).data().toString(), QString("typed"));
        QCOMPARE(model.headerData(typed, Qt::Vertical, Qt::DisplayRole).toString(), QString("*"));

        QVERIFY(model.setData(model.index(typed, 0), "35", Qt::EditRole));
        model.Post();
        QCOMPARE(Column(&model, 0), DatasetColumn(dataset));
        QVERIFY(DatasetColumn(dataset).contains("35"));
        QCOMPARE(said.resets.count(), 0);
    }

    // The row being edited follows its row when others come and go.
    void rowBeingEditedFollowsItsRow() {
        Dataset dataset;
        Fill(dataset, {10, 20, 30});
        DatasetTableModel model(dataset, kComma, PostRules{});
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(model.setData(model.index(2, 1), "правка", Qt::EditRole));
        dataset.InsertRow({5.0, std::string("n")});
        dataset.UpdateRow(1, {40.0, std::string("n")});  // 10 passes the edited row
        QCOMPARE(Column(&model, 0), (QStringList{"5", "20", "30", "40"}));
        QCOMPARE(model.EditRow(), 2);
        QCOMPARE(model.index(2, 1).data().toString(), QString("правка"));
        model.Post();
        QCOMPARE(ToQString(std::get<std::string>(dataset.At(2, 1))), QString("правка"));
    }

    // A hidden grid measures nothing; shown, each column is as wide as its
    // title and its first characters in sight, however long the texts.
    void columnsAreSizedWhenSeenAndOncePerTable() {
        testing::ScriptedMessageBox messages;
        Dataset dataset;  // outlives the window and its model
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* grid = new DatasetGrid(messages);
        layout->addWidget(grid);
        window.resize(900, 300);
        Fill(dataset, {});
        auto* model = new DatasetTableModel(dataset, kComma, PostRules{}, &window);
        grid->SetDatasetModel(model);
        dataset.Close();
        dataset.Create({{"Кратность тока при коротком замыкании", FieldType::Float, 0, false},
                        {"Марка", FieldType::String, 0, false}});
        const std::string longText(10000, 'w');
        for (int row = 0; row < 1000; ++row) {
            dataset.InsertRow({row * 1.0, longText});
        }
        QHeaderView* header = grid->horizontalHeader();
        for (int column = 0; column < 2; ++column) {
            QCOMPARE(header->sectionSize(column), header->defaultSectionSize());
        }

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(header->sectionSize(0) >= header->sectionSizeHint(0));
        QVERIFY(header->sectionSize(0) > header->defaultSectionSize());
        const int textWidth = header->sectionSize(1);
        QVERIFY(textWidth > grid->fontMetrics().horizontalAdvance(QString(30, 'w')));
        QVERIFY(textWidth < grid->fontMetrics().horizontalAdvance(QString(100, 'w')));

        // A new order of the same table keeps the widths; a row typed too.
        header->resizeSection(1, 77);
        dataset.SetOrder("Марка");
        QCOMPARE(header->sectionSize(1), 77);
        dataset.InsertRow({-1.0, std::string(100000, 'w')});
        QCOMPARE(header->sectionSize(1), 77);

        // Another table loaded into a hidden grid waits until it is seen.
        window.hide();
        dataset.Close();
        dataset.Create({{"Мощность трансформатора кВА", FieldType::Float, 0, false}});
        QCOMPARE(header->sectionSize(0), header->defaultSectionSize());
        window.show();
        QVERIFY(header->sectionSize(0) >= header->sectionSizeHint(0));

        // Of a wide table only the columns in sight are measured.
        window.hide();
        dataset.Close();
        std::vector<FieldDef> fields;
        for (int field = 0; field < 200; ++field) {
            fields.push_back(
                {"Поле с длинным названием " + std::to_string(field), FieldType::Float, 0, false});
        }
        dataset.Create(fields);
        window.show();
        QVERIFY(header->sectionSize(0) > header->defaultSectionSize());
        QCOMPARE(header->sectionSize(199), header->defaultSectionSize());
    }
};

// The keys of the data grids, in the breaker and transformer windows.
class GridKeysTest : public QObject {
    Q_OBJECT
    UiFixture ui;

    static QLineEdit* OpenEditor(DatasetGrid* grid) {
        for (QLineEdit* editor : grid->viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisibleTo(grid->viewport())) {
                return editor;
            }
        }
        return nullptr;
    }

    // Types into the cell's editor, opening it first; false without one.
    [[nodiscard]] static bool TypeCell(DatasetGrid* grid, int row, int column,
                                       const QString& text) {
        const QModelIndex cell = grid->model()->index(row, column);
        grid->setCurrentIndex(cell);
        if (OpenEditor(grid) == nullptr) {
            grid->edit(cell);
        }
        QLineEdit* editor = OpenEditor(grid);
        if (editor != nullptr) {
            editor->setText(text);
        }
        return editor != nullptr;
    }

    // Types a row, leaving the last cell's editor open.
    [[nodiscard]] static bool TypeRow(DatasetGrid* grid, int row, const QStringList& cells) {
        for (int column = 0; column < cells.size(); ++column) {
            if (!TypeCell(grid, row, column, cells[column])) {
                return false;
            }
            if (column + 1 < cells.size()) {
                grid->FinishEditor(true);
            }
        }
        return true;
    }

    // A key pressed in the open cell editor; false without one.
    [[nodiscard]] static bool KeyInEditor(DatasetGrid* grid, Qt::Key key,
                                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QLineEdit* editor = OpenEditor(grid);
        if (editor != nullptr) {
            QTest::keyClick(editor, key, modifiers);
        }
        return editor != nullptr;
    }

private slots:
    void init() {
        ui.Start();
        Find<QAction>(Form1, "N17")->trigger();
    }
    void cleanup() { ui.Stop(); }

    // Escape drops the row being typed, in its editor or in the grid, and
    // the window stays open: only its button and its close box close it.
    void escapeCancelsTheRowAndKeepsTheWindow() {
        DatasetGrid* grid = Find<DatasetGrid>(BazaAvt, "DBGrid3");
        Click(BazaAvt, "Insert");
        QVERIFY(TypeRow(grid, 0, {"ВА47-63", "6", "63", "1", "5"}));
        QVERIFY(KeyInEditor(grid, Qt::Key_Escape));
        QCOMPARE(grid->model()->rowCount(), 0);
        QVERIFY(BazaAvt->isVisible());

        Click(BazaAvt, "Insert");
        QVERIFY(TypeRow(grid, 0, {"ВА47-63", "6", "63", "1", "5"}));
        grid->FinishEditor(true);
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(BazaAvt->AVT1.RowCount(), 0U);
        QVERIFY(BazaAvt->isVisible());

        // With the focus on the window's own button, not in the grid.
        Click(BazaAvt, "Insert");
        QVERIFY(TypeRow(grid, 0, {"ВА47-63", "6", "63", "1", "5"}));
        grid->FinishEditor(true);
        Find<QPushButton>(BazaAvt, "Button1")->setFocus();
        QTest::keyClick(Find<QPushButton>(BazaAvt, "Button1"), Qt::Key_Escape);
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(BazaAvt->AVT1.RowCount(), 0U);
        QVERIFY(BazaAvt->isVisible());
        QVERIFY(ui.messages->shown.empty());
    }

    // Insert opens a row; Enter posts it; Down on the last row appends
    // another, but not under an empty new one.
    void insertEnterAndDownAddRowsFromTheKeyboard() {
        DatasetGrid* grid = Find<DatasetGrid>(BazaAvt, "DBGrid3");
        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(grid->model()->rowCount(), 1);
        QVERIFY(TypeRow(grid, 0, {"ВА47-63", "6", "63", "1", "5"}));
        QVERIFY(KeyInEditor(grid, Qt::Key_Return));
        QCOMPARE(BazaAvt->AVT1.RowCount(), 1U);
        QVERIFY(BazaAvt->isVisible());

        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(grid->CurrentRow(), 1);
        QVERIFY(KeyInEditor(grid, Qt::Key_Down));
        QCOMPARE(grid->model()->rowCount(), 2);
        QVERIFY(TypeRow(grid, 1, {"АП50", "1,6", "50", "1", "10"}));
        QVERIFY(KeyInEditor(grid, Qt::Key_Down));
        QCOMPARE(BazaAvt->AVT1.RowCount(), 2U);
        QCOMPARE(grid->model()->rowCount(), 3);
        QCOMPARE(grid->CurrentRow(), 2);
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(Column(grid->model(), 0), (QStringList{"АП50", "ВА47-63"}));
        QVERIFY(ui.messages->shown.empty());
    }

    // A full stop typed into a number cell is the comma; a text keeps it.
    void aFullStopInANumberCellIsTheSeparator() {
        DatasetGrid* grid = BazaAvt->DBGrid3;
        QTest::keyClick(grid, Qt::Key_Insert);
        QVERIFY(TypeCell(grid, 0, 0, ""));
        QTest::keyClicks(OpenEditor(grid), "VA47.29");
        grid->FinishEditor(true);
        QVERIFY(TypeCell(grid, 0, 1, ""));
        QTest::keyClicks(OpenEditor(grid), "1.6");
        QCOMPARE(OpenEditor(grid)->text(), QString("1,6"));
        grid->FinishEditor(true);
        QCOMPARE(grid->model()->index(0, 0).data().toString(), QString("VA47.29"));
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QString("1,6"));
        QVERIFY(ui.messages->shown.empty());
    }

    // Ctrl+Delete deletes the current row after the navigator's question, from
    // the grid or from a cell's editor; No keeps the row. A read-only grid
    // neither asks nor deletes, and Delete alone deletes no row.
    void ctrlDeleteDeletesTheRowAfterTheQuestion() {
        DatasetGrid* grid = BazaAvt->DBGrid3;
        for (const double maximum : {16.0, 25.0, 32.0}) {
            BazaAvt->AVT1.InsertRow({"ВА-" + std::to_string(static_cast<int>(maximum)), 1.0,
                                     maximum, std::int64_t{1}, 5.0});
        }
        grid->SelectRow(1);
        QTest::keyClick(grid, Qt::Key_Delete);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(BazaAvt->AVT1.RowCount(), 3U);
        QCOMPARE(ui.messages->shown,
                 (std::vector<testing::ShownMessage>{{"Удалить запись?", "Подтверждение", 36}}));
        ui.messages->Plan(Answer::Yes);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(Column(grid->model(), 0), (QStringList{"ВА-16", "ВА-32"}));
        QCOMPARE(grid->CurrentRow(), 1);

        grid->edit(grid->currentIndex());
        ui.messages->Plan(Answer::Yes);
        QVERIFY(KeyInEditor(grid, Qt::Key_Delete, Qt::ControlModifier));
        QCOMPARE(Column(grid->model(), 0), (QStringList{"ВА-16"}));

        grid->DatasetModel()->SetReadOnly(true);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(BazaAvt->AVT1.RowCount(), 1U);
        QCOMPARE(ui.messages->shown.size(), 3U);
    }

    // In the transformer window Enter still presses "Ok" when no row is
    // being typed, and only posts when one is.
    void enterPostsATypedRowBeforeItClosesAWindow() {
        Find<QAction>(Form1, "N21")->trigger();
        DatasetGrid* grid = Find<DatasetGrid>(BazaTran, "DBGrid1");
        Click(BazaTran, "Insert");
        QVERIFY(TypeRow(grid, 0, {"TM-63/10", "63", "10", "0,4", "240", "1280", "4,5", "2,8"}));
        QVERIFY(KeyInEditor(grid, Qt::Key_Enter));
        QCOMPARE(BazaTran->ClientDataSet2.RowCount(), 1U);
        QVERIFY(BazaTran->isVisible());
        QTest::keyClick(grid, Qt::Key_Enter);
        QVERIFY(!BazaTran->isVisible());
    }

    // A grid whose table cannot be written offers no edits.
    void readOnlyGridOffersNoEdits() {
        DatasetGrid* grid = Find<DatasetGrid>(BazaAvt, "DBGrid3");
        BazaAvt->AVT1.InsertRow({std::string("АП50"), 1.6, 50.0, std::int64_t{1}, 10.0});
        grid->SelectRow(0);
        const auto buttons =
            Find<DatasetNavigator>(BazaAvt, "DBNavigator1")->findChildren<QToolButton*>();
        const QStringList editing{"Insert", "Delete", "Edit", "Post", "Cancel"};
        grid->DatasetModel()->SetReadOnly(true);
        for (const QToolButton* button : buttons) {
            QCOMPARE(button->isEnabled(), !editing.contains(button->objectName()));
        }
        QTest::keyClick(grid, Qt::Key_Insert);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->model()->rowCount(), 1);
        QVERIFY(!grid->DatasetModel()->Editing());
        grid->DatasetModel()->SetReadOnly(false);
        for (const QToolButton* button : buttons) {
            QVERIFY(button->isEnabled());
        }
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::GridTest> gridRegistration;
static const kalvenor::ui::Registration<kalvenor::ui::GridKeysTest> keysRegistration;

#include "GridTest.moc"
