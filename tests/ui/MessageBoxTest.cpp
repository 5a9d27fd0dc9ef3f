#include "tests/support/ScriptedMessageBox.h"
#include "tests/ui/UiFixture.h"
#include "widgets/MessageBox.h"

#include <QMessageBox>
#include <QPushButton>
#include <map>
#include <optional>
#include <set>

namespace kalvenor::ui {

namespace {

// What every box of the program promises, whoever shows it: the answers its
// buttons give, and the answer when it is closed by its title bar.
struct BoxContract {
    Buttons buttons;
    std::set<Answer> answers;
    Answer closed;
};

const std::vector<BoxContract> kContracts{
    {Buttons::Ok, {Answer::Ok}, Answer::Ok},
    {Buttons::YesNo, {Answer::Yes, Answer::No}, Answer::No},
    {Buttons::YesNoCancel, {Answer::Yes, Answer::No, Answer::Cancel}, Answer::Cancel},
};

const std::map<QString, Answer> kLabels{
    {"ОК", Answer::Ok}, {"Да", Answer::Yes}, {"Нет", Answer::No}, {"Отмена", Answer::Cancel}};

// One box shown by the Qt box, answered by clicking the button with that
// label, or closed by its title bar when there is none.
Answer ShowQtBox(Buttons buttons, const std::optional<QString>& label,
                 std::vector<QString>* labels = nullptr) {
    WhenModal([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        if (labels != nullptr) {
            for (const QAbstractButton* button : box->buttons()) {
                labels->push_back(button->text());
            }
        }
        if (!label) {
            box->close();
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == *label) {
                button->click();
                return;
            }
        }
        QFAIL(qPrintable("no button " + *label));
    });
    QtMessageBox qtBox;
    return qtBox.MessageBox({"Вопрос?", "Kalvenor", buttons, Icon::Question});
}

}  // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void theQtBoxKeepsTheContract() {
        for (const BoxContract& contract : kContracts) {
            std::vector<QString> labels;
            QCOMPARE(ShowQtBox(contract.buttons, std::nullopt, &labels), contract.closed);
            std::set<Answer> answers;
            for (const QString& label : labels) {
                QVERIFY2(kLabels.contains(label), qPrintable(label));
                QCOMPARE(ShowQtBox(contract.buttons, label), kLabels.at(label));
                answers.insert(kLabels.at(label));
            }
            QCOMPARE(answers, contract.answers);
        }
    }

    // The tests' box answers as the real one does, so a test that leaves a
    // question unanswered sees what a user who closes the box causes.
    void theScriptedBoxKeepsTheContract() {
        for (const BoxContract& contract : kContracts) {
            testing::ScriptedMessageBox box;
            const Message message{"Вопрос?", "Kalvenor", contract.buttons, Icon::Question};
            QCOMPARE(box.MessageBox(message), contract.closed);
            std::set<Answer> answers;
            for (const Answer answer : {Answer::Ok, Answer::Cancel, Answer::Yes, Answer::No}) {
                box.Plan(answer);
                try {
                    QCOMPARE(box.MessageBox(message), answer);
                    answers.insert(answer);
                } catch (const std::logic_error&) {
                }
            }
            QCOMPARE(answers, contract.answers);
        }
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::MessageBoxTest> registration;

#include "MessageBoxTest.moc"
