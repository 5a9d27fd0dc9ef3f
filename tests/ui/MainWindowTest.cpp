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
        QVERIFY(Form1->N19->isChecked());
        QVERIFY(!Form1->N20->isChecked());
        QCOMPARE(Form1->N3->shortcut(), QKeySequence("Ctrl+C"));
        QCOMPARE(Form1->N7->text(), QString("&Кабели в земле"));
        QCOMPARE(Form1->ComboBox2->count(), 0);
        QCOMPARE(Form1->ComboBox2->currentIndex(), -1);
        QCOMPARE(Form1->ComboBox1->count(), 1);
        QCOMPARE(Form1->ComboBox1->currentIndex(), -1);
        QCOMPARE(Form1->ComboBox3->currentIndex(), -1);
        QVERIFY(Form1->DBGrid1->isHidden());
        QVERIFY(Form1->Edit1->isReadOnly() && Form1->Edit5->isReadOnly() &&
                Form1->Edit12->isReadOnly());
        QCOMPARE(Form1->Edit4->text(), QString("25"));
        QCOMPARE(Find<QToolButton>(Form1, "ToolButton17")->toolTip(), QString("Трансформаторы"));
        QVERIFY(Form1->findChild<QWidget*>("Panel2") != nullptr);
        QVERIFY(std::filesystem::exists(*ui.dir / "Avtomat.xml"));
        QVERIFY(std::filesystem::exists(*ui.dir / "tranform.xml"));
        QCOMPARE(BazaAvt->AVT1.FieldDefs().size(), 5U);
        QCOMPARE(BazaTran->ClientDataSet2.FieldDefs().size(), 8U);
        QCOMPARE(BazaTran->ClientDataSet2.IndexDefs().size(), 2U);
        QVERIFY(ui.messages->shown.empty());

        // Transformer mode with an empty database stops at the first check.
        Form1->Button1->click();
        QCOMPARE(ui.Texts(), (std::vector<std::string>{
                                 "В базе данных <Трансформаторы> нет данных.\nВы можете "
                                 "использовать пункт меню <Трансформатор> <Не использовать "
                                 "трансформатор>"}));
    }

    void ctrlCIsExitEvenInsideAnEdit() {
        Form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form1));
        Form1->activateWindow();
        Form1->Edit3->setFocus();
        QTest::keyClick(Form1->Edit3, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(!Form1->isVisible());
    }

    void transformerModeCommands() {
        Form1->RichEdit1->setPlainText("отчёт");
        Form1->N20->trigger();
        Form1->N20->trigger();
        QCOMPARE(ui.messages->shown.size(), 2U);
        QCOMPARE(ui.messages->shown[1],
                 (ShownMessage{"При использовании данного пункта меню \nвыполняется приблеженное "
                               "вычисление ток короткого замыкания.\nПри короткой длине трассы и "
                               "при большой мощности нагрузки\nток короткого замыкания "
                               "вычисляется с большой погрешностью.\nЖелательно использовать "
                               "пункт меню <Использовать трансформатор>",
                               "Kalvenor", 0}));
        QVERIFY(Form1->RichEdit1->toPlainText().isEmpty());
        QVERIFY(!Form1->ComboBox2->isEnabled());
        QVERIFY(Form1->N20->isChecked() && !Form1->N19->isChecked());
        QVERIFY(!Form1->State().UseTransformer);
        Form1->RichEdit1->setPlainText("отчёт");
        Form1->N19->trigger();
        QVERIFY(Form1->RichEdit1->toPlainText().isEmpty());
        QVERIFY(Form1->ComboBox2->isEnabled());
        QVERIFY(Form1->N19->isChecked() && !Form1->N20->isChecked());
        QVERIFY(Form1->State().UseTransformer);
    }

    void inputChangesResetResults() {
        const auto results = [] {
            return QStringList{Form1->Edit1->text(), Form1->Edit2->text(), Form1->Edit5->text()};
        };
        const auto fill = [] {
            Form1->Edit1->setText("2,5");
            Form1->Edit2->setText("27");
            Form1->Edit5->setText("45,455");
            Form1->RichEdit1->setPlainText("отчёт");
        };
        fill();
        Form1->Edit11->setText("0,8");
        QTest::keyClicks(Form1->Edit3, "5");  // "05" converts: the power factor goes back to 1
        QCOMPARE(results(), (QStringList{"0", "0", "0"}));
        QCOMPARE(Form1->Edit11->text(), QString("1"));
        QVERIFY(Form1->RichEdit1->toPlainText().isEmpty());

        fill();
        QTest::keyClicks(Form1->Edit6, "1");
        QCOMPARE(results(), (QStringList{"0", "0", "45,455"}));
        QVERIFY(Form1->RichEdit1->toPlainText().isEmpty());

        fill();
        QTest::keyClicks(Form1->Edit4, "1");
        QCOMPARE(results(), (QStringList{"0", "0", "0"}));

        // Deleting the whole power text complains at once and keeps the rest.
        fill();
        Form1->Edit11->setText("0,9");
        fill();
        Form1->Edit3->selectAll();
        QTest::keyClick(Form1->Edit3, Qt::Key_Delete);
        QCOMPARE(ui.Texts(), (std::vector<std::string>{"Введите число"}));
        QCOMPARE(results(), (QStringList{"2,5", "27", "45,455"}));
        QCOMPARE(Form1->Edit11->text(), QString("0,9"));
        QVERIFY(Form1->RichEdit1->toPlainText().isEmpty());
    }

    // Typing as people type: a full stop goes in as the comma with no box in
    // between, and a click into an untouched 0 lets the typing replace it.
    void numbersAreTypedAsPeopleTypeThem() {
        Form1->Edit3->setFocus();
        Form1->Edit3->selectAll();
        QTest::keyClicks(Form1->Edit3, "7.5");
        QCOMPARE(Form1->Edit3->text(), QString("7,5"));
        Form1->Edit3->selectAll();
        QTest::keyClick(Form1->Edit3, Qt::Key_1);
        QTest::keyClick(Form1->Edit3, Qt::Key_Period, Qt::KeypadModifier);
        QTest::keyClick(Form1->Edit3, Qt::Key_2);
        QCOMPARE(Form1->Edit3->text(), QString("1,2"));
        QVERIFY(ui.messages->shown.empty());

        QCOMPARE(Form1->Edit6->text(), QString("0"));
        QTest::mouseClick(Form1->Edit6, Qt::LeftButton);
        QTest::keyClicks(Form1->Edit6, "50");
        QCOMPARE(Form1->Edit6->text(), QString("50"));
        // Anything else the user typed is clicked into as usual.
        Form1->Edit3->setFocus();
        QTest::mouseClick(Form1->Edit4, Qt::LeftButton, {}, QPoint(2, 5));
        QTest::keyClicks(Form1->Edit4, "1");
        QCOMPARE(Form1->Edit4->text(), QString("125"));
    }

    // The window opens no smaller than designed and wide enough for a whole
    // report line; resized, the report takes the width and nothing else moves.
    void theReportShowsWholeLinesAndTakesTheWidth() {
        QVERIFY(Form1->width() >= 801 && Form1->height() >= 564);
        QStringList report;
        for (int line = 0; line < 11; ++line) {
            report << "Сечение жил - 4 кв.мм" << QString(76, QLatin1Char('-'));
        }
        Form1->RichEdit1->setPlainText(report.join('\n'));
        Form1->show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        QCOMPARE(Form1->RichEdit1->horizontalScrollBar()->maximum(), 0);

        const QSize opening = Form1->size();
        const int reportWidth = Form1->GroupBox8->width();
        const QPoint input = Form1->Edit3->mapTo(Form1, QPoint());
        Form1->resize(opening.width() + 120, opening.height() + 40);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(Form1->GroupBox8->width(), reportWidth + 120);
        QCOMPARE(Form1->Edit3->mapTo(Form1, QPoint()).x(), input.x());
        // A screen narrower than a report line (a laptop at 125 %) gets the
        // window whole, the report giving up the width.
        Form1->resize(opening.width() - 100, opening.height());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(Form1->width(), opening.width() - 100);
        QCOMPARE(Form1->GroupBox8->width(), reportWidth - 100);
        Form1->resize(opening);
        Form1->hide();
    }

    void tableViewToggleAgreesAcrossItsControls() {
        Form1->show();
        Find<QToolButton>(Form1, "ToolButton2")->click();
        QVERIFY(Form1->DBGrid1->isVisible() && Form1->DBNavigator1->isVisible());
        QCOMPARE(Form1->Button3->text(), QString("Закрыть таблицу"));
        QCOMPARE(Form1->N2->text(), QString("Закрыть таблицу"));
        QCOMPARE(Form1->ToolButton2->toolTip(), QString("Закрыть таблицу"));
        Form1->N2->trigger();
        QVERIFY(!Form1->DBGrid1->isVisible() && !Form1->DBNavigator1->isVisible());
        QCOMPARE(Form1->Button3->text(), QString("Открыть таблицу"));
        QCOMPARE(Form1->ToolButton2->toolTip(), QString("Открыть таблицу"));
        Form1->Button3->click();
        QVERIFY(Form1->DBGrid1->isVisible());
        QCOMPARE(Form1->N2->text(), QString("Закрыть таблицу"));
        Form1->Button3->click();
        QVERIFY(!Form1->DBGrid1->isVisible());
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::MainWindowTest> registration;

#include "MainWindowTest.moc"
