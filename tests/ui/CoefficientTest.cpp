#include "coeff/GroupingTarget.h"
#include "coeff/Kf.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/ui/UiFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kalvenor::ui {

namespace {

using testing::ShownMessage;

const ShownMessage kNotInGround{
    "Откройте соответствующую таблицу \n  (способ прокладки - в земле) ", "Предупреждение", 48};

// The main window as the dialog sees it, with a log of what it was told.
class FakeGroupingTarget : public GroupingTarget {
public:
    std::string LayingMethod() const override { return layingMethod; }
    void SetCoefficient(const std::string& text) override {
        coefficient = text;
        log.push_back("coefficient " + text);
    }
    void ZeroResults() override { log.push_back("zero results"); }

    std::string layingMethod = "В земле";
    std::string coefficient = "1";
    std::vector<std::string> log;
};

// The user picks an item of the list.
void Pick(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

}  // namespace

class CoefficientTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FakeContext> fakes;
    testing::ScriptedMessageBox* messages = nullptr;
    std::unique_ptr<FakeGroupingTarget> target;
    std::unique_ptr<TForm6> dialog;

    // Opens the dialog and runs the steps once it is up. Whatever the steps
    // leave, even after a failed check, the dialog is closed by its close
    // box, so no modal loop outlives the test.
    void OpenAndDo(const std::function<void()>& steps) {
        bool ran = false;
        QTimer::singleShot(0, dialog.get(), [&] {
            ran = true;
            steps();
            if (dialog->isVisible()) {
                dialog->close();
            }
            if (dialog->isVisible()) {
                dialog->done(QDialog::Rejected);
            }
        });
        dialog->Open();
        QVERIFY(ran);
        QVERIFY(!dialog->isVisible());
    }

private slots:
    void init() {
        fakes = std::make_unique<FakeContext>();
        messages = &fakes->messages;
        target = std::make_unique<FakeGroupingTarget>();
        dialog = std::make_unique<TForm6>(fakes->context, *target);
    }

    void cleanup() {
        dialog.reset();
        target.reset();
        fakes.reset();
    }

    void controlsByNameAndTheResizeRules() {
        for (const char* name :
             {"Panel1", "GroupBox1", "GroupBox2", "ComboBox1", "RadioGroup1", "RadioButton1",
              "RadioButton2", "RadioButton3", "GroupBox3", "Edit1", "Button2"}) {
            QVERIFY2(dialog->findChild<QWidget*>(name) != nullptr, name);
        }
        // The buttons only lie over the frame; the group box makes them one set.
        QVERIFY(dialog->RadioGroup1->findChildren<QRadioButton*>().isEmpty());
        QVERIFY(dialog->ComboBox1->isEditable() && dialog->Edit1->isReadOnly());
        QVERIFY(dialog->width() >= 414);
        QCOMPARE(dialog->RadioGroup1->width(), dialog->width() - dialog->RadioGroup1->x() - 20);

        // The spacing frame keeps 20 pixels to the right edge and the button
        // stays centred, each half truncated: 801 / 2 - 75 / 2.
        const QSize old = dialog->size();
        dialog->resize(801, 300);
        QResizeEvent resized(dialog->size(), old);
        QCoreApplication::sendEvent(dialog.get(), &resized);
        QCOMPARE(dialog->RadioGroup1->width(), 801 - dialog->RadioGroup1->x() - 20);
        QCOMPARE(dialog->Button2->width(), 75);
        QCOMPARE(dialog->Button2->x(), 400 - 37);
        QCOMPARE(dialog->GroupBox1->width(), dialog->Panel1->contentsRect().width());
    }

    void coefficientFollowsCablesAndSpacing() {
        OpenAndDo([&] {
            QVERIFY(dialog->isModal());
            Pick(dialog->ComboBox1, 5);
            QCOMPARE(dialog->Edit1->text(), QString("0,75"));
            dialog->RadioButton3->click();
            QCOMPARE(dialog->Edit1->text(), QString("0,85"));
            Pick(dialog->ComboBox1, 2);
            QCOMPARE(dialog->Edit1->text(), QString("0,90"));
            Pick(dialog->ComboBox1, 3);
            dialog->RadioButton1->click();
            QCOMPARE(dialog->Edit1->text(), QString("0,80"));
            dialog->RadioButton2->click();
            QCOMPARE(dialog->Edit1->text(), QString("0,84"));
            // The main window gets the value only when the dialog closes.
            QCOMPARE(target->coefficient, std::string("1"));
        });
        // Closed by the title bar's close box, as OpenAndDo does.
        QCOMPARE(target->coefficient, std::string("0,84"));
        QVERIFY(messages->shown.empty());
    }

    void okAppliesAndEveryOpeningStartsAfresh() {
        OpenAndDo([&] {
            Pick(dialog->ComboBox1, 1);
            dialog->RadioButton3->click();
            // There is no cancel: Escape leaves the dialog open.
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            dialog->Button2->click();
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(target->coefficient, std::string("0,93"));

        OpenAndDo([&] {
            QCOMPARE(dialog->ComboBox1->currentIndex(), 0);
            QVERIFY(dialog->RadioButton1->isChecked());
            QCOMPARE(dialog->Edit1->text(), QString("1"));
        });
        QCOMPARE(target->coefficient, std::string("1"));
        QVERIFY(messages->shown.empty());
    }

    void warningComesBeforeTheDialogForATableNotInTheGround() {
        OpenAndDo([&] { dialog->RadioButton3->click(); });
        target->layingMethod = "в земле";
        target->log.clear();
        bool visibleAtWarning = true;
        std::vector<std::string> logAtWarning;
        messages->onShow = [&](const ShownMessage&) {
            visibleAtWarning = dialog->isVisible();
            logAtWarning = target->log;
        };
        OpenAndDo([&] {
            QVERIFY(dialog->RadioButton1->isChecked());
            QCOMPARE(dialog->ComboBox1->currentIndex(), 0);
            QCOMPARE(dialog->Edit1->text(), QString("1"));
        });
        QCOMPARE(messages->shown, std::vector<ShownMessage>{kNotInGround});
        QVERIFY(!visibleAtWarning);
        QCOMPARE(logAtWarning, std::vector<std::string>{"coefficient 1"});
        QCOMPARE(target->log,
                 (std::vector<std::string>{"coefficient 1", "zero results", "coefficient 1"}));

        // With 100 mm left checked the opening runs no lookup, so no warning.
        OpenAndDo([] {});
        QCOMPARE(messages->shown.size(), 1U);
    }

    void refusalsFromTheListAndFromAButton() {
        target->layingMethod = " В земле";
        OpenAndDo([&] {
            int indexAtWarning = -1;
            std::vector<std::string> logAtWarning;
            messages->onShow = [&](const ShownMessage&) {
                indexAtWarning = dialog->ComboBox1->currentIndex();
                logAtWarning = target->log;
            };
            Pick(dialog->ComboBox1, 4);
            messages->onShow = nullptr;
            QCOMPARE(messages->shown, std::vector<ShownMessage>{kNotInGround});
            QCOMPARE(indexAtWarning, 0);
            QCOMPARE(logAtWarning, std::vector<std::string>{"coefficient 1"});
            QCOMPARE(target->log, (std::vector<std::string>{"coefficient 1", "zero results"}));
            QCOMPARE(dialog->ComboBox1->currentText(), QString("1"));
            QCOMPARE(dialog->Edit1->text(), QString("1"));

            // A selection from code runs nothing; a refused spacing stays
            // checked and leaves the list alone.
            dialog->ComboBox1->setCurrentIndex(3);
            QCOMPARE(messages->shown.size(), 1U);
            dialog->RadioButton2->click();
            QCOMPARE(messages->shown.size(), 2U);
            QVERIFY(dialog->RadioButton2->isChecked());
            QCOMPARE(dialog->ComboBox1->currentIndex(), 3);
            QCOMPARE(dialog->Edit1->text(), QString("1"));
            // Clicking the checked button again is no change.
            dialog->RadioButton2->click();
            QCOMPARE(messages->shown.size(), 2U);
        });
        QCOMPARE(target->coefficient, std::string("1"));
    }

    void typedNumberSelectsNoRowAndKeepsTheValue() {
        OpenAndDo([&] {
            Pick(dialog->ComboBox1, 3);
            QCOMPARE(dialog->Edit1->text(), QString("0,80"));
            QTest::keyClicks(dialog->ComboBox1->lineEdit(), "7");
            QCOMPARE(dialog->ComboBox1->currentText(), QString("47"));
            dialog->RadioButton3->click();
            QCOMPARE(dialog->Edit1->text(), QString("0,80"));
        });
        QCOMPARE(target->coefficient, std::string("0,80"));
        QVERIFY(messages->shown.empty());
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::CoefficientTest> registration;

#include "CoefficientTest.moc"
