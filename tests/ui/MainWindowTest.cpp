#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"
#include "widgets/DatasetNavigator.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>

namespace kalvenor::ui {

using testing::ShownMessage;

class MainWindowTest : public QObject {
    Q_OBJECT
    UiFixture ui;

private slots:
    void init() { ui.Start(); }
    void cleanup() { ui.Stop(); }

    void startsWithEveryWindowAndEmptyDatabases() {
        QVERIFY(Form1 && BazaAvt && BazaT && InsertAvtomat && BazaTran);
        QCOMPARE(Form1->windowTitle(), QString("Kalvenor 1.1.2.0"));
        QVERIFY(!(Form1->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Find<QAction>(Form1, "N19")->isChecked());
        QVERIFY(!Find<QAction>(Form1, "N20")->isChecked());
        QCOMPARE(Find<QAction>(Form1, "N3")->shortcut(), QKeySequence("Ctrl+C"));
        QCOMPARE(Find<QAction>(Form1, "N7")->text(), QString("&Кабели в земле"));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->count(), 0);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->currentIndex(), -1);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->count(), 1);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentIndex(), -1);
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentIndex(), -1);
        QVERIFY(Find<DatasetGrid>(Form1, "DBGrid1")->isHidden());
        QVERIFY(Find<QLineEdit>(Form1, "Edit1")->isReadOnly() &&
                Find<QLineEdit>(Form1, "Edit5")->isReadOnly() &&
                Find<QLineEdit>(Form1, "Edit12")->isReadOnly());
        QCOMPARE(Find<QLineEdit>(Form1, "Edit4")->text(), QString("25"));
        QCOMPARE(Find<QToolButton>(Form1, "ToolButton17")->toolTip(), QString("Трансформаторы"));
        QVERIFY(Form1->findChild<QWidget*>("Panel2") != nullptr);
        QVERIFY(std::filesystem::exists(*ui.dir / "Avtomat.xml"));
        QVERIFY(std::filesystem::exists(*ui.dir / "tranform.xml"));
        QCOMPARE(BazaAvt->AVT1.FieldDefs().size(), 5U);
        QCOMPARE(BazaTran->ClientDataSet2.FieldDefs().size(), 8U);
        QCOMPARE(BazaTran->ClientDataSet2.IndexDefs().size(), 2U);
        QVERIFY(ui.messages->shown.empty());

        // Transformer mode with an empty database stops at the first check.
        Find<QPushButton>(Form1, "Button1")->click();
        QCOMPARE(ui.Texts(), (std::vector<std::string>{
                                 "В базе данных <Трансформаторы> нет данных.\nВы можете "
                                 "использовать пункт меню <Трансформатор> <Не использовать "
                                 "трансформатор>"}));
    }

    void ctrlCIsExitEvenInsideAnEdit() {
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        Form1->activateWindow();
        Find<QLineEdit>(Form1, "Edit3")->setFocus();
        QTest::keyClick(Find<QLineEdit>(Form1, "Edit3"), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!Form1->isVisible());
    }

    void transformerModeCommands() {
        Find<QTextEdit>(Form1, "RichEdit1")->setPlainText("отчёт");
        Find<QAction>(Form1, "N20")->trigger();
        Find<QAction>(Form1, "N20")->trigger();
        QCOMPARE(ui.messages->shown.size(), 2U);
        QCOMPARE(ui.messages->shown[1],
                 (ShownMessage{"При использовании данного пункта меню \nвыполняется приблеженное "
                               "вычисление ток короткого замыкания.\nПри короткой длине трассы и "
                               "при большой мощности нагрузки\nток короткого замыкания "
                               "вычисляется с большой погрешностью.\nЖелательно использовать "
                               "пункт меню <Использовать трансформатор>",
                               "Kalvenor", 0}));
        QVERIFY(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().isEmpty());
        QVERIFY(!Find<QComboBox>(Form1, "ComboBox2")->isEnabled());
        QVERIFY(Find<QAction>(Form1, "N20")->isChecked() &&
                !Find<QAction>(Form1, "N19")->isChecked());
        QVERIFY(!Form1->State().UseTransformer);
        Find<QTextEdit>(Form1, "RichEdit1")->setPlainText("отчёт");
        Find<QAction>(Form1, "N19")->trigger();
        QVERIFY(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().isEmpty());
        QVERIFY(Find<QComboBox>(Form1, "ComboBox2")->isEnabled());
        QVERIFY(Find<QAction>(Form1, "N19")->isChecked() &&
                !Find<QAction>(Form1, "N20")->isChecked());
        QVERIFY(Form1->State().UseTransformer);
    }

    void inputChangesResetResults() {
        const auto results = [] {
            return QStringList{Find<QLineEdit>(Form1, "Edit1")->text(),
                               Find<QLineEdit>(Form1, "Edit2")->text(),
                               Find<QLineEdit>(Form1, "Edit5")->text()};
        };
        const auto fill = [] {
            Find<QLineEdit>(Form1, "Edit1")->setText("2,5");
            Find<QLineEdit>(Form1, "Edit2")->setText("27");
            Find<QLineEdit>(Form1, "Edit5")->setText("45,455");
            Find<QTextEdit>(Form1, "RichEdit1")->setPlainText("отчёт");
        };
        fill();
        Find<QLineEdit>(Form1, "Edit11")->setText("0,8");
        QTest::keyClicks(Find<QLineEdit>(Form1, "Edit3"),
                         "5");  // "05" converts: the power factor goes back to 1
        QCOMPARE(results(), (QStringList{"0", "0", "0"}));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit11")->text(), QString("1"));
        QVERIFY(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().isEmpty());

        fill();
        QTest::keyClicks(Find<QLineEdit>(Form1, "Edit6"), "1");
        QCOMPARE(results(), (QStringList{"0", "0", "45,455"}));
        QVERIFY(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().isEmpty());

        fill();
        QTest::keyClicks(Find<QLineEdit>(Form1, "Edit4"), "1");
        QCOMPARE(results(), (QStringList{"0", "0", "0"}));

        // Deleting the whole power text complains at once and keeps the rest.
        fill();
        Find<QLineEdit>(Form1, "Edit11")->setText("0,9");
        fill();
        Find<QLineEdit>(Form1, "Edit3")->selectAll();
        QTest::keyClick(Find<QLineEdit>(Form1, "Edit3"), Qt::Key_Delete);
        QCOMPARE(ui.Texts(), (std::vector<std::string>{"Введите число"}));
        QCOMPARE(results(), (QStringList{"2,5", "27", "45,455"}));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit11")->text(), QString("0,9"));
        QVERIFY(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().isEmpty());
    }

    // Typing as people type: a full stop goes in as the comma with no box in
    // between, and a click into an untouched 0 lets the typing replace it.
    void numbersAreTypedAsPeopleTypeThem() {
        Find<QLineEdit>(Form1, "Edit3")->setFocus();
        Find<QLineEdit>(Form1, "Edit3")->selectAll();
        QTest::keyClicks(Find<QLineEdit>(Form1, "Edit3"), "7.5");
        QCOMPARE(Find<QLineEdit>(Form1, "Edit3")->text(), QString("7,5"));
        Find<QLineEdit>(Form1, "Edit3")->selectAll();
        QTest::keyClick(Find<QLineEdit>(Form1, "Edit3"), Qt::Key_1);
        QTest::keyClick(Find<QLineEdit>(Form1, "Edit3"), Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(Find<QLineEdit>(Form1, "Edit3"), Qt::Key_2);
        QCOMPARE(Find<QLineEdit>(Form1, "Edit3")->text(), QString("1,2"));
        QVERIFY(ui.messages->shown.empty());

        QCOMPARE(Find<QLineEdit>(Form1, "Edit6")->text(), QString("0"));
        QTest::mouseClick(Find<QLineEdit>(Form1, "Edit6"), Qt::LeftButton);
        QTest::keyClicks(Find<QLineEdit>(Form1, "Edit6"), "50");
        QCOMPARE(Find<QLineEdit>(Form1, "Edit6")->text(), QString("50"));
        // Anything else the user typed is clicked into as usual.
        Find<QLineEdit>(Form1, "Edit3")->setFocus();
        QTest::mouseClick(Find<QLineEdit>(Form1, "Edit4"), Qt::LeftButton, {}, QPoint(2, 5));
        QTest::keyClicks(Find<QLineEdit>(Form1, "Edit4"), "1");
        QCOMPARE(Find<QLineEdit>(Form1, "Edit4")->text(), QString("125"));
    }

    // The window opens no smaller than designed and wide enough for a whole
    // report line; resized, the report takes the width and nothing else moves.
    void theReportShowsWholeLinesAndTakesTheWidth() {
        QVERIFY(Form1->width() >= 801 && Form1->height() >= 564);
        QStringList report;
        for (int line = 0; line < 11; ++line) {
            report << "Сечение жил - 4 кв.мм" << QString(76, QLatin1Char('-'));
        }
        Find<QTextEdit>(Form1, "RichEdit1")->setPlainText(report.join('\n'));
        Form1->show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->horizontalScrollBar()->maximum(), 0);

        const QSize opening = Form1->size();
        const int reportWidth = Find<QGroupBox>(Form1, "GroupBox8")->width();
        const QPoint input = Find<QLineEdit>(Form1, "Edit3")->mapTo(Form1, QPoint());
        Form1->resize(opening.width() + 120, opening.height() + 40);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(Find<QGroupBox>(Form1, "GroupBox8")->width(), reportWidth + 120);
        QCOMPARE(Find<QLineEdit>(Form1, "Edit3")->mapTo(Form1, QPoint()).x(), input.x());
        // A screen narrower than a report line (a laptop at 125 %) gets the
        // window whole, the report giving up the width.
        Form1->resize(opening.width() - 100, opening.height());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(Form1->width(), opening.width() - 100);
        QCOMPARE(Find<QGroupBox>(Form1, "GroupBox8")->width(), reportWidth - 100);
        Form1->resize(opening);
        Form1->hide();
    }

    void tableViewToggleAgreesAcrossItsControls() {
        Form1->show();
        Find<QToolButton>(Form1, "ToolButton2")->click();
        QVERIFY(Find<DatasetGrid>(Form1, "DBGrid1")->isVisible() &&
                Find<DatasetNavigator>(Form1, "DBNavigator1")->isVisible());
        QCOMPARE(Find<QPushButton>(Form1, "Button3")->text(), QString("Закрыть таблицу"));
        QCOMPARE(Find<QAction>(Form1, "N2")->text(), QString("Закрыть таблицу"));
        QCOMPARE(Find<QToolButton>(Form1, "ToolButton2")->toolTip(), QString("Закрыть таблицу"));
        Find<QAction>(Form1, "N2")->trigger();
        QVERIFY(!Find<DatasetGrid>(Form1, "DBGrid1")->isVisible() &&
                !Find<DatasetNavigator>(Form1, "DBNavigator1")->isVisible());
        QCOMPARE(Find<QPushButton>(Form1, "Button3")->text(), QString("Открыть таблицу"));
        QCOMPARE(Find<QToolButton>(Form1, "ToolButton2")->toolTip(), QString("Открыть таблицу"));
        Find<QPushButton>(Form1, "Button3")->click();
        QVERIFY(Find<DatasetGrid>(Form1, "DBGrid1")->isVisible());
        QCOMPARE(Find<QAction>(Form1, "N2")->text(), QString("Закрыть таблицу"));
        Find<QPushButton>(Form1, "Button3")->click();
        QVERIFY(!Find<DatasetGrid>(Form1, "DBGrid1")->isVisible());
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::MainWindowTest> registration;

#include "MainWindowTest.moc"
