#include "app/About.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"
#include "widgets/ElidedLabel.h"

#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTextEdit>
#include <QToolTip>

namespace kalvenor::ui {

using testing::ShownMessage;

namespace {

QString AccessibleName(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
}

void ShowActive(QWidget* window) {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

// Runs the layouts that are waiting, as the event loop would before painting.
void SettleLayouts() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

// A breaker row typed into the grid and left unposted without its poles, so
// nothing that needs the tables posted can go on.
void LeaveAnIncompleteBreakerRow() {
    Find<QAction>(Form1, "N17")->trigger();
    DatasetGrid* grid = Find<DatasetGrid>(BazaAvt, "DBGrid3");
    Click(BazaAvt, "Insert");
    grid->FinishEditor(false);
    const QStringList cells{"ВА47-29", "6", "63", "", "5"};
    for (int column = 0; column < cells.size(); ++column) {
        grid->model()->setData(grid->model()->index(0, column), cells[column]);
    }
}

// Whether every column's title and the first ten rows are in sight.
void CheckGridShowsTitlesAndTenRows(QTableView* grid) {
    const QHeaderView* header = grid->horizontalHeader();
    QVERIFY(header->count() > 0);
    for (int column = 0; column < header->count(); ++column) {
        const QString title = grid->model()->headerData(column, Qt::Horizontal).toString();
        QVERIFY2(header->sectionSize(column) >= header->sectionSizeHint(column), qPrintable(title));
        QVERIFY2(header->sectionViewportPosition(column) + header->sectionSize(column) <=
                     grid->viewport()->width(),
                 qPrintable(title));
    }
    QVERIFY2(grid->viewport()->height() >= 10 * grid->verticalHeader()->defaultSectionSize(),
             qPrintable(QString::number(grid->viewport()->height())));
}

// Every caption, title and button text in sight shows whole: no part is
// narrower than its text, and none reaches past its window's edge.
void CheckCaptionsWhole(QWidget* window) {
    const QRect inside = window->rect();
    const auto fits = [window, &inside](const QWidget* part, int needed, const QString& text) {
        const QString where = window->objectName() + " " + part->objectName() + ": " + text;
        QVERIFY2(part->width() >= needed, qPrintable(where));
        QVERIFY2(inside.contains(QRect(part->mapTo(window, QPoint()), part->size())),
                 qPrintable(where));
    };
    for (const QGroupBox* group : window->findChildren<QGroupBox*>()) {
        if (group->isVisibleTo(window) && !group->title().isEmpty()) {
            fits(group, group->minimumSizeHint().width(), group->title());
        }
    }
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisibleTo(window) && !label->text().isEmpty() &&
            qobject_cast<const ElidedLabel*>(label) == nullptr) {
            fits(label, label->sizeHint().width(), label->text());
        }
    }
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisibleTo(window) && !button->text().isEmpty()) {
            const int needed = qobject_cast<const QRadioButton*>(button) != nullptr
                                   ? button->sizeHint().width()
                                   : button->fontMetrics().horizontalAdvance(button->text()) + 8;
            fits(button, needed, button->text());
        }
    }
}

// Every cell shows its text whole: its column is as wide as the style says
// the text needs, and the grid line.
void CheckCellsWhole(QTableView* grid) {
    const QHeaderView* header = grid->horizontalHeader();
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        for (int column = 0; column < header->count(); ++column) {
            QStyleOptionViewItem option;
            option.initFrom(grid->viewport());
            option.font = grid->font();
            option.features = QStyleOptionViewItem::HasDisplay;
            option.text = grid->model()->index(row, column).data().toString();
            const int needed =
                grid->style()
                    ->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), grid)
                    .width();
            QVERIFY2(needed + 1 <= header->sectionSize(column), qPrintable(option.text));
        }
    }
}

void CheckFitsTheScreen(QWidget* window) {
    const QRect screen = window->screen()->availableGeometry();
    QCOMPARE(screen.size(), QSize(1280, 800));
    QVERIFY(screen.contains(window->frameGeometry()));
}

}  // namespace

class WindowFaultsTest : public QObject {
    Q_OBJECT
    UiFixture ui;

    void WriteTables() {
        const auto dir = ui.dir->Path();
        testing::WriteCurrentTable(dir / "Cu.xml", "В воздухе", "4", {{2.5, 27}, {4, 38}});
        testing::WriteCurrentTable(dir / "Al.xml", "В воздухе", "4", {{2.5, 21}, {4, 29}}, "Кабель",
                                   "Алюминий");
        testing::WriteCurrentTable(dir / "ПВ1труб4.xml", "Четыре провода в трубе", "4",
                                   {{2.5, 25}, {4, 35}}, "Провод");
        ui.Restart();
    }

private slots:
    void init() { ui.Start(); }
    void cleanup() { ui.Stop(); }

    void aRefusedPostPutsTheListsBack() {
        WriteTables();
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "3 x 380+0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Cu.xml");
        LeaveAnIncompleteBreakerRow();
        ui.messages->shown.clear();

        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Al.xml");
        QCOMPARE(ui.messages->shown.size(), 1U);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentText(), QString("Cu.xml"));
        QCOMPARE(Find<QLabel>(Form1, "Label8")->text(), QString("Медь"));
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "2 x 380+0");
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentText(), QString("3 x 380+0"));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentText(), QString("Cu.xml"));
        // Choosing the same table again while refused keeps it too.
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Cu.xml");
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentText(), QString("Cu.xml"));
        Click(BazaAvt, "Cancel");
        BazaAvt->hide();
    }

    void theBreakerWindowFromTheCalculationIsModalEvenWhenOpen() {
        Find<QAction>(Form1, "N17")->trigger();
        QVERIFY(BazaAvt->isVisible());
        QWidget* modal = nullptr;
        WhenModal([&modal] {
            modal = QApplication::activeModalWidget();
            Find<QPushButton>(BazaAvt, "Button1")->click();
        });
        Form1->ShowBreakerDatabaseModal();
        QCOMPARE(modal, static_cast<QWidget*>(BazaAvt));
        QVERIFY(!BazaAvt->isVisible());
    }

    void onlyASelectionInTheFileListLoadsATable() {
        WriteTables();
        ShowActive(BazaT);
        QVERIFY(Find<QListWidget>(BazaT, "FileListBox1")->selectedItems().isEmpty());
        Find<QListWidget>(BazaT, "FileListBox1")->setFocus(Qt::TabFocusReason);
        QVERIFY(Find<QListWidget>(BazaT, "FileListBox1")->hasFocus());
        QVERIFY(Find<QListWidget>(BazaT, "FileListBox1")->selectedItems().isEmpty());
        QVERIFY(!BazaT->ClientDataSet1.Active());

        const QListWidgetItem* item =
            Find<QListWidget>(BazaT, "FileListBox1")->findItems("Cu.xml", Qt::MatchExactly)[0];
        QTest::mouseClick(Find<QListWidget>(BazaT, "FileListBox1")->viewport(), Qt::LeftButton, {},
                          Find<QListWidget>(BazaT, "FileListBox1")->visualItemRect(item).center());
        QVERIFY(BazaT->ClientDataSet1.Active());
        QCOMPARE(BazaT->ClientDataSet1.BoundFile(), ui.dir->Path() / "Cu.xml");
        // Keys choose as well.
        QTest::keyClick(Find<QListWidget>(BazaT, "FileListBox1"), Qt::Key_Up);
        QCOMPARE(
            BazaT->ClientDataSet1.BoundFile().filename().string(),
            Find<QListWidget>(BazaT, "FileListBox1")->selectedItems()[0]->text().toStdString());
        BazaT->hide();
    }

    void enterInTheEditorCreatesNothing() {
        ShowActive(BazaT);
        Find<QLineEdit>(BazaT, "Edit1")->setFocus();
        QTest::keyClicks(Find<QLineEdit>(BazaT, "Edit1"), "New");
        QTest::keyClick(Find<QLineEdit>(BazaT, "Edit1"), Qt::Key_Return);
        QVERIFY(ui.messages->shown.empty());
        QVERIFY(!std::filesystem::exists(ui.dir->Path() / "New.xml"));
        QVERIFY(BazaT->isVisible());
        BazaT->hide();
    }

    void tabLeavesTheReportBox() {
        ShowActive(Form1);
        Find<QTextEdit>(Form1, "RichEdit1")->setPlainText("отчёт");
        Find<QTextEdit>(Form1, "RichEdit1")->setFocus();
        QTest::keyClick(Find<QTextEdit>(Form1, "RichEdit1"), Qt::Key_Tab);
        QVERIFY(!Find<QTextEdit>(Form1, "RichEdit1")->hasFocus());
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText(), QString("отчёт"));
        QVERIFY(!Find<QTextEdit>(Form1, "RichEdit1")->isReadOnly());
        Form1->hide();
    }

    void anEmptyTableListStillRemindsOfTheVoltage() {
        Choose(Find<QComboBox>(Form1, "ComboBox3"),
               "380 + 0");  // no table: the question, answered No
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->count(), 0);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentIndex(), -1);
        ui.messages->shown.clear();
        QTest::mouseClick(Find<QComboBox>(Form1, "ComboBox1"), Qt::LeftButton);
        QCOMPARE(
            ui.messages->shown,
            (std::vector<ShownMessage>{{"Выберите необходимое напряжение сети", "Kalvenor", 0}}));
    }

    void longTableParametersLeaveTheColumnsAlone() {
        WriteTables();
        ShowActive(Form1);
        SettleLayouts();
        const auto columns = [] {
            return QList<int>{Find<QGroupBox>(Form1, "GroupBox1")->width(),
                              Find<QGroupBox>(Form1, "GroupBox2")->width(),
                              Find<QGroupBox>(Form1, "GroupBox8")->width(),
                              Find<QLineEdit>(Form1, "Edit3")->mapTo(Form1, QPoint()).x()};
        };
        const QList<int> before = columns();
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "3 x 380+0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "Cu.xml");
        SettleLayouts();
        // A usual laying method shows whole.
        QCOMPARE(qobject_cast<ElidedLabel*>(Find<QLabel>(Form1, "Label6"))->ShownText(),
                 QString("В воздухе"));
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "ПВ1труб4.xml");
        SettleLayouts();
        QCOMPARE(columns(), before);

        // The whole text is at hand in the tooltip.
        QLabel* laying = Find<QLabel>(Form1, "Label6");
        QCOMPARE(laying->text(), QString("Четыре провода в трубе"));
        QHelpEvent hover(QEvent::ToolTip, QPoint(2, 2), laying->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(laying, &hover);
        QCOMPARE(QToolTip::text(), QString("Четыре провода в трубе"));
        QToolTip::hideText();
        // A narrower column elides instead of growing.
        auto* elided = qobject_cast<ElidedLabel*>(laying);
        QVERIFY(elided != nullptr);
        elided->resize(60, elided->height());
        QVERIFY(elided->ShownText().endsWith(QChar(0x2026)));
        Form1->hide();
    }

    void tableWindowsOpenShowingEveryTitleAndTenRows() {
        Dataset transformers;
        testing::FillTransformers(transformers, {{"ТМ-25/10", 25, 4.5}, {"ТМ-40/10", 40, 4.5}});
        transformers.Write(ui.dir->Path() / "tranform.xml");
        WriteTables();

        Find<QAction>(Form1, "N17")->trigger();
        CheckFitsTheScreen(BazaAvt);
        CheckGridShowsTitlesAndTenRows(Find<DatasetGrid>(BazaAvt, "DBGrid3"));
        Find<QAction>(Form1, "N21")->trigger();
        CheckFitsTheScreen(BazaTran);
        CheckGridShowsTitlesAndTenRows(Find<DatasetGrid>(BazaTran, "DBGrid1"));

        Find<QAction>(Form1, "N15")->trigger();
        CheckFitsTheScreen(BazaT);
        Find<QListWidget>(BazaT, "FileListBox1")
            ->setCurrentRow(Find<QListWidget>(BazaT, "FileListBox1")
                                ->row(Find<QListWidget>(BazaT, "FileListBox1")
                                          ->findItems("ПВ1труб4.xml", Qt::MatchExactly)[0]));
        QCOMPARE(
            Find<DatasetGrid>(BazaT, "DBGrid1")->model()->headerData(3, Qt::Horizontal).toString(),
            QString("Четыре провода в трубе"));
        CheckGridShowsTitlesAndTenRows(Find<DatasetGrid>(BazaT, "DBGrid1"));
        // The laying method shows whole in its list, the file names in theirs.
        QVERIFY(Find<QComboBox>(BazaT, "ComboBox1")->width() >=
                Find<QComboBox>(BazaT, "ComboBox1")->sizeHint().width());
        for (int row = 0; row < Find<QListWidget>(BazaT, "FileListBox1")->count(); ++row) {
            const QListWidgetItem* file = Find<QListWidget>(BazaT, "FileListBox1")->item(row);
            QVERIFY(Find<QListWidget>(BazaT, "FileListBox1")
                        ->fontMetrics()
                        .horizontalAdvance(file->text()) <=
                    Find<QListWidget>(BazaT, "FileListBox1")->viewport()->width());
        }
        for (QWidget* window : {static_cast<QWidget*>(BazaAvt), static_cast<QWidget*>(BazaTran),
                                static_cast<QWidget*>(BazaT)}) {
            window->hide();
        }
    }

    // The windows as a first day meets them: the example tables' longest
    // names and series, each window at the size it opens at.
    void everyCaptionShowsWholeAtTheOpeningSize() {
        const auto dir = ui.dir->Path();
        testing::WriteCurrentTable(dir / "АВБбШзем4.xml", "В земле", "4", {{2.5, 27}, {4, 38}},
                                   "Кабель", "Алюминий");
        // The widest series lie further down than the rows in sight at first.
        std::vector<testing::BreakerRow> breakers;
        for (int poles = 1; poles <= 4; ++poles) {
            breakers.push_back({"АП50", 1.6, 50, poles, 10});
            breakers.push_back({"ВА47-29 B", 6, 63, poles, 5});
            breakers.push_back({"ВА47-29 C", 0.5, 63, poles, 10});
            breakers.push_back({"ВА47-100 D", 10, 100, poles, 20});
        }
        testing::WriteBreakers(dir, breakers);
        ui.Restart();
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "3 x 380+0");
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "АВБбШзем4.xml");
        ShowActive(Form1);
        SettleLayouts();
        CheckCaptionsWhole(Form1);
        WhenModal([] {
            CheckCaptionsWhole(Form6);
            Form6->close();
        });
        Find<QAction>(Form1, "N7")->trigger();
        Find<QAction>(Form1, "N17")->trigger();
        CheckCaptionsWhole(BazaAvt);
        QVERIFY(BazaAvt->DBGrid3->rowAt(BazaAvt->DBGrid3->viewport()->height()) < 12);
        BazaAvt->DBGrid3->scrollToBottom();
        CheckCellsWhole(BazaAvt->DBGrid3);
        Find<QAction>(Form1, "N21")->trigger();
        CheckCaptionsWhole(BazaTran);
        Find<QAction>(Form1, "N15")->trigger();
        CheckCaptionsWhole(BazaT);
        for (QWidget* window :
             {static_cast<QWidget*>(ProsentMin), static_cast<QWidget*>(AboutBox)}) {
            window->show();
            CheckCaptionsWhole(window);
            window->hide();
        }
        WhenModal([] {
            CheckCaptionsWhole(InsertAvtomat);
            Find<QComboBox>(InsertAvtomat, "ComboBox1")->setCurrentIndex(0);
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        });
        InsertAvtomat->Choose({"ВА47-29 C"});
        for (QWidget* window : {static_cast<QWidget*>(Form1), static_cast<QWidget*>(BazaAvt),
                                static_cast<QWidget*>(BazaTran), static_cast<QWidget*>(BazaT)}) {
            window->hide();
        }
    }

    // However a window is first shown, it lies wholly on the screen: the
    // editor opened by the answer to the no-table question is not centred.
    void everyWindowOpensOnTheScreen() {
        ui.messages->Plan(Answer::Yes);
        Choose(Find<QComboBox>(Form1, "ComboBox3"), "380 + 0");
        QVERIFY(BazaT->isVisible());
        CheckFitsTheScreen(BazaT);
        // On a narrower screen (this one at 125 %) the editor's table gives
        // up the width: the file list and its button stay in the window.
        const QSize opening = BazaT->size();
        BazaT->resize(opening.width() - 150, opening.height());
        QCOMPARE(BazaT->width(), opening.width() - 150);
        CheckCaptionsWhole(BazaT);
        BazaT->resize(opening);
        BazaT->hide();
        CheckFitsTheScreen(Form1);
    }

    void theChooserShowsTheLongestSeriesWhole() {
        const QString longest = "ВА57-35-340010-20УХЛ3";
        WhenModal([&longest] {
            QComboBox* box = Find<QComboBox>(InsertAvtomat, "ComboBox1");
            box->setCurrentIndex(box->findText(longest));
            const QLineEdit* edit = box->lineEdit();
            QVERIFY(edit->fontMetrics().horizontalAdvance(longest) <=
                    edit->contentsRect().width() - 2 * edit->textMargins().left());
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        });
        QCOMPARE(InsertAvtomat->Choose({"ВА47-29 C", longest.toStdString()}),
                 longest.toStdString());
    }

    void fieldsCarryTheNamesOfTheirLabels() {
        const std::vector<std::pair<QWidget*, QString>> named{
            {Find<QLineEdit>(Form1, "Edit3"), "Мощность"},
            {Find<QLineEdit>(Form1, "Edit6"), "Длина трассы"},
            {Find<QLineEdit>(Form1, "Edit1"), "Сечение"},
            {Find<QLineEdit>(Form1, "Edit2"), "Длит. ток"},
            {Find<QLineEdit>(Form1, "Edit5"), "Ном. ток"},
            {Find<QComboBox>(Form1, "ComboBox3"), "Напряжение сети"},
            {Find<QComboBox>(Form1, "ComboBox2"), "Трансформатор"},
            {Find<QTextEdit>(Form1, "RichEdit1"), "Расчетные данные"},
            {Find<QLineEdit>(Form1, "Edit12"), "Коэф. кол. кабелей"},
            {Find<QLineEdit>(Form1, "Edit4"), "Температура"},
            {Find<QLineEdit>(Form1, "Edit11"), "Козф. мощности"},
            {Find<QComboBox>(Form1, "ComboBox1"), "Таблицы <Допустимые длительные токи>"},
            {Find<QToolButton>(Form1, "ToolButton7"), "Сохранить"},
            {Find<QToolButton>(Form1, "ToolButton17"), "Трансформаторы"},
            {Find<QPushButton>(Form1, "Button1"), "Расчет сечений по длительному нагреву"},
            {Find<QComboBox>(InsertAvtomat, "ComboBox1"), "Тип автомата"},
            {Find<QPushButton>(InsertAvtomat, "Button2"), "Установить"},
            {Find<QLineEdit>(BazaT, "Edit1"), "Название таблицы"},
            {Find<QComboBox>(BazaT, "ComboBox1"), "Способ прокладки"},
            {Find<QLineEdit>(BazaT, "Edit2"), "Марка провода или кабеля"},
            {Find<QComboBox>(BazaT, "ComboBox2"), "Колличество жил"},
            {Find<QComboBox>(BazaT, "ComboBox3"), "Тип проводки"},
            {Find<QComboBox>(BazaT, "ComboBox4"), "Материал жил"},
            {Find<QListWidget>(BazaT, "FileListBox1"), "Файл"},
            {Find<QPushButton>(BazaT, "Button1"), "Создать"},
            {Find<DatasetGrid>(BazaAvt, "DBGrid3"), "Автоматы"},
            {Find<DatasetGrid>(BazaTran, "DBGrid1"), "Трансформаторы"},
        };
        for (const auto& [widget, name] : named) {
            QCOMPARE(AccessibleName(widget), name);
        }
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::WindowFaultsTest> registration;

#include "WindowFaultsTest.moc"
