// Random clicks, keys and typed texts on every window of the program, from a
// recorded seed: no crash, no sanitizer report, no fault of the program shown
// by the guard, and every table file still readable at the end. A failure
// prints the seed that replays it:
//   monkey_test --seed N --events E

#include "app/Elect.h"
#include "app/Startup.h"
#include "base/Files.h"
#include "tables/DataPacket.h"
#include "tests/ui/FakeContext.h"
#include "widgets/Guard.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace kalvenor::ui {
namespace {

// What a user types: Cyrillic and Latin letters, digits, both separators,
// signs, blanks, and now and then a very long text.
const std::vector<QString> kTexts{
    "10",
    "0,5",
    "2.5",
    "-5",
    "1E3",
    "00",
    "Медь",
    "ВВГ",
    "TM-40/10",
    "",
    " ",
    "50",
    "abc",
    "3",
    "0",
    "1,01",
    "Кабель",
    "В земле",
    QString(300, QChar(0x0416)),
    "9999999999",
    ",",
    "+",
};

const std::vector<int> kKeys{Qt::Key_Tab,    Qt::Key_Backtab, Qt::Key_Return, Qt::Key_Escape,
                             Qt::Key_Insert, Qt::Key_Delete,  Qt::Key_Down,   Qt::Key_Up,
                             Qt::Key_Space,  Qt::Key_F1,      Qt::Key_A,      Qt::Key_5};

// Answers every message box at random, and notes faults of the program.
class RandomMessageBox final : public MessageBoxPort {
public:
    explicit RandomMessageBox(std::mt19937& random) : random_(random) {}
    Answer MessageBox(const Message& message) override {
        ++answered;
        if (message.text.rfind("Ошибка в программе", 0) == 0) {
            faults.push_back(message.text);
        }
        switch (message.buttons) {
            case Buttons::Ok:
                return Answer::Ok;
            case Buttons::YesNo:
                return random_() % 2 == 0 ? Answer::Yes : Answer::No;
            case Buttons::YesNoCancel:
                return std::array{Answer::Yes, Answer::No, Answer::Cancel}[random_() % 3];
        }
        return Answer::Cancel;
    }
    std::vector<std::string> faults;
    std::size_t answered = 0;

private:
    std::mt19937& random_;
};

class Monkey {
public:
    Monkey(unsigned seed, int events) : random_(seed), messages_(random_), events_(events) {
        // The examples give every window something to work on.
        for (const auto& entry : std::filesystem::directory_iterator(KALVENOR_EXAMPLES_DIR)) {
            if (entry.path().extension() == ".xml") {
                std::filesystem::copy(entry.path(), *fakes_.dir / entry.path().filename());
            }
        }
    }

    int Run() {
        auto windows = std::make_unique<ProgramWindows>(context());
        windows->CreateWindows();
        Form1->show();
        QTimer::singleShot(0, [this] { Step(); });
        loop_.exec();
        windows.reset();
        return Verdict();
    }

private:
    const Context& context() { return context_; }

    std::size_t Pick(std::size_t count) { return random_() % count; }

    void Step() {
        if (done_ >= events_) {
            Finish();
            return;
        }
        ++done_;
        // The next step is scheduled first, so it runs inside any modal loop
        // this one opens.
        QTimer::singleShot(0, [this] { Step(); });
        RunGuarded(messages_, [this] { Act(); });
    }

    void Act() {
        if (!Form1->isVisible()) {
            Form1->show();  // Ctrl+C or "Выход" ended the run; a user starts again
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && Pick(12) == 0) {
            Close(modal);
            return;
        }
        QWidget* window = modal != nullptr ? modal : Window();
        if (modal == nullptr && Pick(6) == 0) {
            TriggerAction();
            return;
        }
        QList<QWidget*> widgets;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (widget->isVisible() && widget->isEnabled()) {
                widgets << widget;
            }
        }
        if (widgets.isEmpty()) {
            return;
        }
        QWidget* target = widgets[static_cast<qsizetype>(Pick(widgets.size()))];
        switch (Pick(5)) {
            case 0:
                if (auto* box = qobject_cast<QComboBox*>(target); box != nullptr && box->count()) {
                    const int index =
                        static_cast<int>(Pick(static_cast<std::size_t>(box->count())));
                    box->setCurrentIndex(index);
                    emit box->activated(index);
                    break;
                }
                [[fallthrough]];
            case 1:
                QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
                break;
            case 2: {
                auto* edit = qobject_cast<QLineEdit*>(target);
                if (edit != nullptr) {
                    edit->selectAll();
                }
                Type(target, kTexts[Pick(kTexts.size())]);
                break;
            }
            default:
                QTest::keyClick(target, static_cast<Qt::Key>(kKeys[Pick(kKeys.size())]),
                                Pick(8) == 0 ? Qt::ControlModifier : Qt::NoModifier);
        }
    }

    // Qt Test types only ASCII; a Cyrillic letter goes as the key event a
    // keyboard layout would send.
    static void Type(QWidget* target, const QString& text) {
        for (const QChar c : text) {
            QPointer<QWidget> alive(target);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &press);
            if (alive.isNull()) {
                return;
            }
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(target, &release);
        }
    }

    QWidget* Window() {
        QList<QWidget*> windows;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->isVisible() && qobject_cast<QMenu*>(top) == nullptr) {
                windows << top;
            }
        }
        return windows.isEmpty() ? Form1 : windows[static_cast<qsizetype>(Pick(windows.size()))];
    }

    void TriggerAction() {
        QList<QAction*> actions;
        for (QAction* action : Form1->findChildren<QAction*>()) {
            if (!action->objectName().isEmpty() && action->isEnabled()) {
                actions << action;
            }
        }
        if (!actions.isEmpty()) {
            actions[static_cast<qsizetype>(Pick(actions.size()))]->trigger();
        }
    }

    // A dialog the program insists on (the chooser has no close box) is
    // closed as a test must: past its own refusals.
    static void Close(QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->QDialog::done(QDialog::Rejected);
        } else {
            modal->close();
        }
    }

    void Finish() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            Close(modal);
            QTimer::singleShot(0, [this] { Finish(); });
            return;
        }
        loop_.quit();
    }

    int Verdict() {
        std::fprintf(stderr, "monkey: %d events done, %zu boxes answered\n", done_,
                     messages_.answered);
        int failures = 0;
        for (const std::string& fault : messages_.faults) {
            std::fprintf(stderr, "fault shown: %s\n", fault.c_str());
            ++failures;
        }
        for (const auto& entry : std::filesystem::directory_iterator(fakes_.dir->Path())) {
            if (entry.path().extension() != ".xml" || !entry.is_regular_file()) {
                continue;
            }
            try {
                ReadDataPacket(entry.path());
            } catch (const FileError& error) {
                std::fprintf(stderr, "broken table file: %s\n", error.what());
                ++failures;
            }
        }
        return failures;
    }

    std::mt19937 random_;
    FakeContext fakes_;
    RandomMessageBox messages_;
    Context context_{
        .messages = messages_,
        .format = NumberFormat{','},
        .directory = fakes_.dir->Path(),
        .saveFiles = fakes_.saveFiles,
        .openFiles = fakes_.openFiles,
        .printer = fakes_.printer,
        .launcher = fakes_.launcher,
        .help = fakes_.help,
    };
    int events_;
    int done_ = 0;
    QEventLoop loop_;
};

}  // namespace
}  // namespace kalvenor::ui

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform cannot grab the keyboard for a popup, and says
    // so at every popup: thousands of lines that hide the verdict.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(message));
        }
    });
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    unsigned seed = std::random_device{}();
    int events = 2000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--seed") {
            seed = static_cast<unsigned>(std::strtoul(argv[i + 1], nullptr, 10));
        } else if (option == "--events") {
            events = std::atoi(argv[i + 1]);
        }
    }
    std::fprintf(stderr, "monkey: seed %u, %d events\n", seed, events);
    const int failures = kalvenor::ui::Monkey(seed, events).Run();
    if (failures != 0) {
        std::fprintf(stderr, "monkey: FAILED; replay with --seed %u --events %d\n", seed, events);
    }
    return failures == 0 ? 0 : 1;
}
