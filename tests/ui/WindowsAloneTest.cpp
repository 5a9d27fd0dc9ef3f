#include "app/About.h"
#include "app/Elect.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "tests/ui/UiFixture.h"
#include "widgets/Guard.h"
#include "widgets/MessageBox.h"
#include "widgets/Text.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextEdit>
#include <stdexcept>

namespace kalvenor::ui {

namespace {

// The other windows as the main window sees them: datasets of its own and
// a log of what it asked for.
class RecordingPeers final : public MainWindowPeers {
public:
    TableDatasets& Tables() override { return tables; }
    void ShowTableEditor(bool centred) override {
        log.push_back(centred ? "editor centred" : "editor");
    }
    void ShowBreakerDatabase(bool modal) override {
        log.push_back(modal ? "breakers modal" : "breakers");
    }
    void ShowTransformerDatabase() override { log.push_back("transformers"); }
    std::string ChooseBreakerSeries(const std::vector<std::string>&) override { return {}; }
    std::optional<double> AskPermittedDrop(double) override { return std::nullopt; }
    void ShowAbout() override { log.push_back("about"); }
    void ShowCoefficients() override { log.push_back("coefficients"); }
    bool PostTableEdits() override { return true; }
    void ShowJournal() override { log.push_back("journal"); }
    bool CloseJournal() override { return true; }

    TableDatasets tables;
    std::vector<std::string> log;
};

}  // namespace

class WindowsAloneTest : public QObject {
    Q_OBJECT

private slots:
    void everyWindowIsBuiltFromAContextOfFakesAlone() {
        FakeContext fakes;
        RecordingPeers peers;
        TForm1 main(fakes.context, peers);
        TBazaT editor(fakes.context, peers.tables.currentTable);
        TBazaAvt breakers(fakes.context, peers.tables.breakers);
        TBazaTran transformers(fakes.context, peers.tables.transformers);
        TInsertAvtomat chooser(fakes.context);
        TProsentMin drop(fakes.context);
        TForm6 coefficients(fakes.context, main.Grouping());
        TAboutBox about(fakes.context);
        QCOMPARE(main.windowTitle(), QString("Kalvenor 1.1.2.0"));
        QCOMPARE(editor.windowTitle(), QString("Сечение и длительные токи "));
        QCOMPARE(breakers.windowTitle(), QString("База данных"));
        QCOMPARE(chooser.windowTitle(), QString("Установка автоматов"));
        QCOMPARE(coefficients.windowTitle(), QString("Поправочные коэффициенты."));
        QCOMPARE(about.windowTitle(), QString("О программе"));
        QVERIFY(fakes.messages.shown.empty());
        QVERIFY(test::FileNames(fakes.dir->Path()).empty());  // nothing opened yet
    }

    void theMainWindowAsksItsPeersForTheOtherWindows() {
        FakeContext fakes;
        RecordingPeers peers;
        TForm1 main(fakes.context, peers);
        Find<QTextEdit>(&main, "RichEdit1")->setPlainText("отчёт");
        Find<QLineEdit>(&main, "Edit1")->setText("16");
        Find<QAction>(&main, "N7")->trigger();
        QVERIFY(Find<QTextEdit>(&main, "RichEdit1")->toPlainText().isEmpty());
        QCOMPARE(Find<QLineEdit>(&main, "Edit1")->text(), QString("0"));
        Find<QAction>(&main, "N15")->trigger();
        Find<QAction>(&main, "N17")->trigger();
        Find<QAction>(&main, "N21")->trigger();
        Find<QAction>(&main, "N5")->trigger();
        QCOMPARE(peers.log, (std::vector<std::string>{"coefficients", "editor centred", "breakers",
                                                      "transformers", "about"}));
    }

    void userErrorsAreShownAsTheyAreFaultsOfTheProgramAsSuch() {
        FakeContext fakes;
        RunGuarded(fakes.messages, [] { throw ConvertError("abc"); });
        RunGuarded(fakes.messages, [] { throw std::out_of_range("Нет строки 5"); });
        RunGuarded(fakes.messages, [] { throw 42; });
        QCOMPARE(fakes.Texts(), (std::vector<std::string>{"\"abc\" не является числом.",
                                                          ProgramFaultMessage("Нет строки 5"),
                                                          ProgramFaultMessage("")}));
        QVERIFY(fakes.Texts()[1].find("Ошибка в программе") == 0);
        for (const auto& shown : fakes.messages.shown) {
            QCOMPARE(shown.caption, std::string("Kalvenor"));
            QCOMPARE(shown.flags, 16);
        }
    }

    // Qt would wrap this inside "<Не использовать трансформатор>"; the box
    // breaks the text only at its own line breaks while it fits the screen.
    void messageBoxesKeepTheirLinesWhole() {
        QtMessageBox box;
        int labelWidth = 0;
        int widestLine = 0;
        QString shown;
        WhenModal([&] {
            auto* dialog = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* label = dialog->findChild<QLabel*>("qt_msgbox_label");
            QVERIFY(label != nullptr);
            labelWidth = label->width();
            for (const QString& line : label->text().split('\n')) {
                widestLine = std::max(widestLine, label->fontMetrics().horizontalAdvance(line));
            }
            shown = label->text();
            dialog->button(QMessageBox::Ok) != nullptr ? dialog->button(QMessageBox::Ok)->click()
                                                       : dialog->buttons().front()->click();
        });
        const std::string text =
            "В базе данных <Трансформаторы> нет данных.\nВы можете использовать пункт меню "
            "<Трансформатор> <Не использовать трансформатор>";
        QVERIFY(box.MessageBox({text, "Kalvenor"}) == Answer::Ok);
        QVERIFY2(labelWidth >= widestLine,
                 qPrintable(QString("%1 < %2").arg(labelWidth).arg(widestLine)));
        QCOMPARE(shown, ToQString(text));
    }

    void findNamesTheMissingControlAndTheOnesThere() {
        FakeContext fakes;
        TProsentMin drop(fakes.context);
        QCOMPARE(Find<QPushButton>(&drop, "Button1"), drop.findChild<QPushButton*>("Button1"));
        try {
            Find(&drop, "Edit2");
            QFAIL("no error");
        } catch (const std::runtime_error& error) {
            const std::string text = error.what();
            QVERIFY(text.find("Edit2") != std::string::npos);
            QVERIFY(text.find("Button1, Edit1") != std::string::npos);
        }
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::WindowsAloneTest> registration;

#include "WindowsAloneTest.moc"
