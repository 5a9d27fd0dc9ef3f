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
    void ZeroResults() override { log.emplace_back("zero results"); }

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
        dialog->ChooseCoefficient();
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
        QVERIFY(
            Find<QGroupBox>(dialog.get(), "RadioGroup1")->findChildren<QRadioButton*>().isEmpty());
        QVERIFY(Find<QComboBox>(dialog.get(), "ComboBox1")->isEditable() &&
                Find<QLineEdit>(dialog.get(), "Edit1")->isReadOnly());
        QVERIFY(dialog->width() >= 414);
        QCOMPARE(Find<QGroupBox>(dialog.get(), "RadioGroup1")->width(),
                 dialog->width() - Find<QGroupBox>(dialog.get(), "RadioGroup1")->x() - 20);

        // The spacing frame keeps 20 pixels to the right edge and the button
        // stays centred, each half truncated: 801 / 2 - 75 / 2.
        const QSize old = dialog->size();
        dialog->resize(801, 300);
        QResizeEvent resized(dialog->size(), old);
        QCoreApplication::sendEvent(dialog.get(), &resized);
        QCOMPARE(Find<QGroupBox>(dialog.get(), "RadioGroup1")->width(),
                 801 - Find<QGroupBox>(dialog.get(), "RadioGroup1")->x() - 20);
        QCOMPARE(Find<QPushButton>(dialog.get(), "Button2")->width(), 75);
        QCOMPARE(Find<QPushButton>(dialog.get(), "Button2")->x(), 400 - 37);
        QCOMPARE(Find<QGroupBox>(dialog.get(), "GroupBox1")->width(),
                 Find<QFrame>(dialog.get(), "Panel1")->contentsRect().width());
    }

    void coefficientFollowsCablesAndSpacing() {
        OpenAndDo([&] {
            QVERIFY(dialog->isModal());
            Pick(Find<QComboBox>(dialog.get(), "ComboBox1"), 5);
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,75"));
            Find<QRadioButton>(dialog.get(), "RadioButton3")->click();
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,85"));
            Pick(Find<QComboBox>(dialog.get(), "ComboBox1"), 2);
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,90"));
            Pick(Find<QComboBox>(dialog.get(), "ComboBox1"), 3);
            Find<QRadioButton>(dialog.get(), "RadioButton1")->click();
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,80"));
            Find<QRadioButton>(dialog.get(), "RadioButton2")->click();
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,84"));
            // The main window gets the value only when the dialog closes.
            QCOMPARE(target->coefficient, std::string("1"));
        });
        // Closed by the title bar's close box, as OpenAndDo does.
        QCOMPARE(target->coefficient, std::string("0,84"));
        QVERIFY(messages->shown.empty());
    }

    void okAppliesAndEveryOpeningStartsAfresh() {
        OpenAndDo([&] {
            Pick(Find<QComboBox>(dialog.get(), "ComboBox1"), 1);
            Find<QRadioButton>(dialog.get(), "RadioButton3")->click();
            // There is no cancel: Escape leaves the dialog open.
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
            Find<QPushButton>(dialog.get(), "Button2")->click();
            QVERIFY(!dialog->isVisible());
        });
        QCOMPARE(target->coefficient, std::string("0,93"));

        OpenAndDo([&] {
            QCOMPARE(Find<QComboBox>(dialog.get(), "ComboBox1")->currentIndex(), 0);
            QVERIFY(Find<QRadioButton>(dialog.get(), "RadioButton1")->isChecked());
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("1"));
        });
        QCOMPARE(target->coefficient, std::string("1"));
        QVERIFY(messages->shown.empty());
    }

    void warningComesBeforeTheDialogForATableNotInTheGround() {
        OpenAndDo([&] { Find<QRadioButton>(dialog.get(), "RadioButton3")->click(); });
        target->layingMethod = "в земле";
        target->log.clear();
        bool visibleAtWarning = true;
        std::vector<std::string> logAtWarning;
        messages->onShow = [&](const ShownMessage&) {
            visibleAtWarning = dialog->isVisible();
            logAtWarning = target->log;
        };
        OpenAndDo([&] {
            QVERIFY(Find<QRadioButton>(dialog.get(), "RadioButton1")->isChecked());
            QCOMPARE(Find<QComboBox>(dialog.get(), "ComboBox1")->currentIndex(), 0);
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("1"));
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
                indexAtWarning = Find<QComboBox>(dialog.get(), "ComboBox1")->currentIndex();
                logAtWarning = target->log;
            };
            Pick(Find<QComboBox>(dialog.get(), "ComboBox1"), 4);
            messages->onShow = nullptr;
            QCOMPARE(messages->shown, std::vector<ShownMessage>{kNotInGround});
            QCOMPARE(indexAtWarning, 0);
            QCOMPARE(logAtWarning, std::vector<std::string>{"coefficient 1"});
            QCOMPARE(target->log, (std::vector<std::string>{"coefficient 1", "zero results"}));
            QCOMPARE(Find<QComboBox>(dialog.get(), "ComboBox1")->currentText(), QString("1"));
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("1"));

            // A selection from code runs nothing; a refused spacing stays
            // checked and leaves the list alone.
            Find<QComboBox>(dialog.get(), "ComboBox1")->setCurrentIndex(3);
            QCOMPARE(messages->shown.size(), 1U);
            Find<QRadioButton>(dialog.get(), "RadioButton2")->click();
            QCOMPARE(messages->shown.size(), 2U);
            QVERIFY(Find<QRadioButton>(dialog.get(), "RadioButton2")->isChecked());
            QCOMPARE(Find<QComboBox>(dialog.get(), "ComboBox1")->currentIndex(), 3);
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("1"));
            // Clicking the checked button again is no change.
            Find<QRadioButton>(dialog.get(), "RadioButton2")->click();
            QCOMPARE(messages->shown.size(), 2U);
        });
        QCOMPARE(target->coefficient, std::string("1"));
    }

    void typedNumberSelectsNoRowAndKeepsTheValue() {
        OpenAndDo([&] {
            Pick(Find<QComboBox>(dialog.get(), "ComboBox1"), 3);
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,80"));
            QTest::keyClicks(Find<QComboBox>(dialog.get(), "ComboBox1")->lineEdit(), "7");
            QCOMPARE(Find<QComboBox>(dialog.get(), "ComboBox1")->currentText(), QString("47"));
            Find<QRadioButton>(dialog.get(), "RadioButton3")->click();
            QCOMPARE(Find<QLineEdit>(dialog.get(), "Edit1")->text(), QString("0,80"));
        });
        QCOMPARE(target->coefficient, std::string("0,80"));
        QVERIFY(messages->shown.empty());
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::CoefficientTest> registration;

#include "CoefficientTest.moc"
