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
    Form1->N17->trigger();
    DatasetGrid* grid = BazaAvt->DBGrid3;
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
        Choose(Form1->ComboBox3, "3 x 380+0");
        Choose(Form1->ComboBox1, "Cu.xml");
        LeaveAnIncompleteBreakerRow();
        ui.messages->shown.clear();

        Choose(Form1->ComboBox1, "Al.xml");
        QCOMPARE(ui.messages->shown.size(), 1U);
        QCOMPARE(Form1->ComboBox1->currentText(), QString("Cu.xml"));
        QCOMPARE(Form1->Label8->text(), QString("Медь"));
        Choose(Form1->ComboBox3, "2 x 380+0");
        QCOMPARE(Form1->ComboBox3->currentText(), QString("3 x 380+0"));
        QCOMPARE(Form1->ComboBox1->currentText(), QString("Cu.xml"));
        // Choosing the same table again while refused keeps it too.
        Choose(Form1->ComboBox1, "Cu.xml");
        QCOMPARE(Form1->ComboBox1->currentText(), QString("Cu.xml"));
        Click(BazaAvt, "Cancel");
        BazaAvt->hide();
    }

    void theBreakerWindowFromTheCalculationIsModalEvenWhenOpen() {
        Form1->N17->trigger();
        QVERIFY(BazaAvt->isVisible());
        QWidget* modal = nullptr;
        WhenModal([&modal] {
            modal = QApplication::activeModalWidget();
            BazaAvt->Button1->click();
        });
        Form1->ShowBreakerDatabaseModal();
        QCOMPARE(modal, static_cast<QWidget*>(BazaAvt));
        QVERIFY(!BazaAvt->isVisible());
    }

    void onlyASelectionInTheFileListLoadsATable() {
        WriteTables();
        ShowActive(BazaT);
        QVERIFY(BazaT->FileListBox1->selectedItems().isEmpty());
        BazaT->FileListBox1->setFocus(Qt::TabFocusReason);
        QVERIFY(BazaT->FileListBox1->hasFocus());
        QVERIFY(BazaT->FileListBox1->selectedItems().isEmpty());
        QVERIFY(!BazaT->ClientDataSet1.Active());

        const QListWidgetItem* item = BazaT->FileListBox1->findItems("Cu.xml", Qt::MatchExactly)[0];
        QTest::mouseClick(BazaT->FileListBox1->viewport(), Qt::LeftButton, {},
                          BazaT->FileListBox1->visualItemRect(item).center());
        QVERIFY(BazaT->ClientDataSet1.Active());
        QCOMPARE(BazaT->ClientDataSet1.BoundFile(), ui.dir->Path() / "Cu.xml");
        // Keys choose as well.
        QTest::keyClick(BazaT->FileListBox1, Qt::Key_Up);
        QCOMPARE(BazaT->ClientDataSet1.BoundFile().filename().string(),
                 BazaT->FileListBox1->selectedItems()[0]->text().toStdString());
        BazaT->hide();
    }

    void enterInTheEditorCreatesNothing() {
        ShowActive(BazaT);
        BazaT->Edit1->setFocus();
        QTest::keyClicks(BazaT->Edit1, "New");
        QTest::keyClick(BazaT->Edit1, Qt::Key_Return);
        QVERIFY(ui.messages->shown.empty());
        QVERIFY(!std::filesystem::exists(ui.dir->Path() / "New.xml"));
        QVERIFY(BazaT->isVisible());
        BazaT->hide();
    }

    void tabLeavesTheReportBox() {
        ShowActive(Form1);
        Form1->RichEdit1->setPlainText("отчёт");
        Form1->RichEdit1->setFocus();
        QTest::keyClick(Form1->RichEdit1, Qt::Key_Tab);
        QVERIFY(!Form1->RichEdit1->hasFocus());
        QCOMPARE(Form1->RichEdit1->toPlainText(), QString("отчёт"));
        QVERIFY(!Form1->RichEdit1->isReadOnly());
        Form1->hide();
    }

    void anEmptyTableListStillRemindsOfTheVoltage() {
        Choose(Form1->ComboBox3, "380 + 0");  // no table: the question, answered No
        QCOMPARE(Form1->ComboBox1->count(), 0);
        QCOMPARE(Form1->ComboBox3->currentIndex(), -1);
        ui.messages->shown.clear();
        QTest::mouseClick(Form1->ComboBox1, Qt::LeftButton);
        QCOMPARE(
            ui.messages->shown,
            (std::vector<ShownMessage>{{"Выберите необходимое напряжение сети", "Kalvenor", 0}}));
    }

    void longTableParametersLeaveTheColumnsAlone() {
        WriteTables();
        ShowActive(Form1);
        SettleLayouts();
        const auto columns = [] {
            return QList<int>{Form1->GroupBox1->width(), Form1->GroupBox2->width(),
                              Form1->GroupBox8->width(), Form1->Edit3->mapTo(Form1, QPoint()).x()};
        };
        const QList<int> before = columns();
        Choose(Form1->ComboBox3, "3 x 380+0");
        Choose(Form1->ComboBox1, "Cu.xml");
        SettleLayouts();
        // A usual laying method shows whole.
        QCOMPARE(qobject_cast<ElidedLabel*>(Form1->Label6)->ShownText(), QString("В воздухе"));
        Choose(Form1->ComboBox1, "ПВ1труб4.xml");
        SettleLayouts();
        QCOMPARE(columns(), before);

        // The whole text is at hand in the tooltip.
        QLabel* laying = Form1->Label6;
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

        Form1->N17->trigger();
        CheckFitsTheScreen(BazaAvt);
        CheckGridShowsTitlesAndTenRows(BazaAvt->DBGrid3);
        Form1->N21->trigger();
        CheckFitsTheScreen(BazaTran);
        CheckGridShowsTitlesAndTenRows(BazaTran->DBGrid1);

        Form1->N15->trigger();
        CheckFitsTheScreen(BazaT);
        BazaT->FileListBox1->setCurrentRow(BazaT->FileListBox1->row(
            BazaT->FileListBox1->findItems("ПВ1труб4.xml", Qt::MatchExactly)[0]));
        QCOMPARE(BazaT->DBGrid1->model()->headerData(3, Qt::Horizontal).toString(),
                 QString("Четыре провода в трубе"));
        CheckGridShowsTitlesAndTenRows(BazaT->DBGrid1);
        // The laying method shows whole in its list, the file names in theirs.
        QVERIFY(BazaT->ComboBox1->width() >= BazaT->ComboBox1->sizeHint().width());
        for (int row = 0; row < BazaT->FileListBox1->count(); ++row) {
            const QListWidgetItem* file = BazaT->FileListBox1->item(row);
            QVERIFY(BazaT->FileListBox1->fontMetrics().horizontalAdvance(file->text()) <=
                    BazaT->FileListBox1->viewport()->width());
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
        Choose(Form1->ComboBox3, "3 x 380+0");
        Choose(Form1->ComboBox1, "АВБбШзем4.xml");
        ShowActive(Form1);
        SettleLayouts();
        CheckCaptionsWhole(Form1);
        WhenModal([] {
            CheckCaptionsWhole(Form6);
            Form6->close();
        });
        Form1->N7->trigger();
        Form1->N17->trigger();
        CheckCaptionsWhole(BazaAvt);
        QVERIFY(BazaAvt->DBGrid3->rowAt(BazaAvt->DBGrid3->viewport()->height()) < 12);
        BazaAvt->DBGrid3->scrollToBottom();
        CheckCellsWhole(BazaAvt->DBGrid3);
        Form1->N21->trigger();
        CheckCaptionsWhole(BazaTran);
        Form1->N15->trigger();
        CheckCaptionsWhole(BazaT);
        for (QWidget* window :
             {static_cast<QWidget*>(ProsentMin), static_cast<QWidget*>(AboutBox)}) {
            window->show();
            CheckCaptionsWhole(window);
            window->hide();
        }
        WhenModal([] {
            CheckCaptionsWhole(InsertAvtomat);
            InsertAvtomat->ComboBox1->setCurrentIndex(0);
            InsertAvtomat->Button2->click();
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
        Choose(Form1->ComboBox3, "380 + 0");
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
            QComboBox* box = InsertAvtomat->ComboBox1;
            box->setCurrentIndex(box->findText(longest));
            const QLineEdit* edit = box->lineEdit();
            QVERIFY(edit->fontMetrics().horizontalAdvance(longest) <=
                    edit->contentsRect().width() - 2 * edit->textMargins().left());
            InsertAvtomat->Button2->click();
        });
        QCOMPARE(InsertAvtomat->Choose({"ВА47-29 C", longest.toStdString()}),
                 longest.toStdString());
    }

    void fieldsCarryTheNamesOfTheirLabels() {
        const std::vector<std::pair<QWidget*, QString>> named{
            {Form1->Edit3, "Мощность"},
            {Form1->Edit6, "Длина трассы"},
            {Form1->Edit1, "Сечение"},
            {Form1->Edit2, "Длит. ток"},
            {Form1->Edit5, "Ном. ток"},
            {Form1->ComboBox3, "Напряжение сети"},
            {Form1->ComboBox2, "Трансформатор"},
            {Form1->RichEdit1, "Расчетные данные"},
            {Form1->Edit12, "Коэф. кол. кабелей"},
            {Form1->Edit4, "Температура"},
            {Form1->Edit11, "Козф. мощности"},
            {Form1->ComboBox1, "Таблицы <Допустимые длительные токи>"},
            {Form1->ToolButton7, "Сохранить"},
            {Form1->ToolButton17, "Трансформаторы"},
            {Form1->Button1, "Расчет сечений по длительному нагреву"},
            {InsertAvtomat->ComboBox1, "Тип автомата"},
            {InsertAvtomat->Button2, "Установить"},
            {BazaT->Edit1, "Название таблицы"},
            {BazaT->ComboBox1, "Способ прокладки"},
            {BazaT->Edit2, "Марка провода или кабеля"},
            {BazaT->ComboBox2, "Колличество жил"},
            {BazaT->ComboBox3, "Тип проводки"},
            {BazaT->ComboBox4, "Материал жил"},
            {BazaT->FileListBox1, "Файл"},
            {BazaT->Button1, "Создать"},
            {BazaAvt->DBGrid3, "Автоматы"},
            {BazaTran->DBGrid1, "Трансформаторы"},
        };
        for (const auto& [widget, name] : named) {
            QCOMPARE(AccessibleName(widget), name);
        }
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::WindowFaultsTest> registration;

#include "WindowFaultsTest.moc"
