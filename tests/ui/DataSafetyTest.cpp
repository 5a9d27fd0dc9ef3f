#include "app/Signals.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/DataPacket.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <csignal>
#include <set>

namespace kalvenor::ui {

namespace {

bool Editable(DatasetGrid* grid) {
    return grid->model()->flags(grid->model()->index(0, 0)).testFlag(Qt::ItemIsEditable);
}

// The program's message loop from `start` on, as the program runs it, until
// the run ends; its status, or kStillRunning when it has not ended after
// ten seconds.
constexpr int kStillRunning = 99;
int RunToTheEnd(const std::function<void()>& start) {
    QTimer::singleShot(0, start);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(kStillRunning); });
    guard.start(10'000);
    return QCoreApplication::exec();
}

// The program's run as the program builds it: its windows, whose boxes stop
// waiting once a request to end the run has come, and the request's handler.
struct ProgramRun {
    explicit ProgramRun(FakeContext& fakes)
        : messages(fakes.messages),
          context{.messages = messages,
                  .format = fakes.context.format,
                  .directory = fakes.context.directory,
                  .saveFiles = fakes.saveFiles,
                  .openFiles = fakes.openFiles,
                  .printer = fakes.printer,
                  .launcher = fakes.launcher,
                  .help = fakes.help},
          windows(context) {}

    UnattendedAfterRequest messages;
    const Context context;
    ProgramWindows windows;
    const TerminationRequests requests{[this] { EndRunOnRequest(windows); }, {}};
};

}  // namespace

class DataSafetyTest : public QObject {
    Q_OBJECT
    UiFixture ui;

private slots:
    void init() { ui.Start(); }
    void cleanup() { ui.Stop(); }

    // A logout sends SIGTERM: what the user typed reaches the files before
    // anything else can stop the program, and the run ends as if the main
    // window had been closed, without a box that would wait for an answer.
    void terminationRequestEndsTheRunTheOrderlyWay() {
        const TerminationRequests requests([this] { EndRunOnRequest(*ui.windows); }, {});
        Form1->show();
        BazaAvt->show();
        BazaTran->show();
        TypeRow(BazaAvt, BazaAvt->DBGrid3, {"АП50", "1,6", "50", "1", "10"});
        TypeRow(BazaTran, BazaTran->DBGrid1, {"ТМ-63/10", "63"});  // cannot be posted
        QCOMPARE(RunToTheEnd([] { ::raise(SIGTERM); }), 0);
        QVERIFY(!Form1->isVisible());
        const DataPacket breakers = ReadDataPacket(*ui.dir / "Avtomat.xml");
        QCOMPARE(breakers.rows.size(), 1U);
        QCOMPARE(std::get<double>(breakers.rows[0][4]), 10.0);
        QCOMPARE(ReadDataPacket(*ui.dir / "tranform.xml").rows.size(), 0U);
        QVERIFY(ui.messages->shown.empty());
    }

    // Closing the terminal sends a hang-up twice: the second took the
    // default action and killed the run before its orderly end. Only a third
    // interrupt or termination is not asked.
    void hangUpsAreAlwaysRequestsAndASecondInterruptInsists() {
        const auto handledNow = [](int signal) {
            struct sigaction now {};
            ::sigaction(signal, nullptr, &now);
            return now.sa_handler != SIG_DFL && now.sa_handler != SIG_IGN;
        };
        for (const int signal : {SIGHUP, SIGTERM, SIGINT}) {
            int requests = 0;
            int insisted = 0;
            const TerminationRequests watcher([&requests] { ++requests; },
                                              [&insisted] { ++insisted; });
            ::raise(signal);
            QCoreApplication::processEvents();
            QCOMPARE(requests, 1);
            QVERIFY(handledNow(signal));
            ::raise(signal);
            QCoreApplication::processEvents();
            if (signal == SIGHUP) {
                ::raise(signal);
                QCoreApplication::processEvents();
                QCOMPARE(requests, 3);
                QCOMPARE(insisted, 0);
                QVERIFY(handledNow(SIGHUP) && handledNow(SIGTERM));
            } else {
                QCOMPARE(requests, 1);
                QCOMPARE(insisted, 1);
                QVERIFY(!handledNow(SIGTERM) && !handledNow(SIGINT));
                QVERIFY(handledNow(SIGHUP));
            }
        }
    }

    // The shell's hang-up came while the program was being taken down and
    // killed a run whose tables were written: it now ends with the run's
    // status.
    void aRequestAfterTheRunEndsItWithItsStatus() {
        const pid_t child = ::fork();
        if (child == 0) {
            {
                const TerminationRequests requests({}, {});
                TerminationRequests::RunEnded(3);
            }
            ::raise(SIGHUP);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 3);
    }

    // A signal while a box of the start-up was open crashed the program
    // (the table windows were not there yet), and one that came before the
    // box left it waiting: the box closes, and the run ends the orderly way.
    void aRequestDuringAStartUpBoxEndsTheRunTheOrderlyWay() {
        ui.DestroyWindows();
        test::WriteBytes(*ui.dir / "Avtomat.xml", "не таблица");
        ProgramRun run(*ui.fakes);
        bool boxClosed = false;
        ui.messages->onShow = [&boxClosed](const testing::ShownMessage&) {
            if (!boxClosed) {
                ::raise(SIGTERM);
                QEventLoop box;  // waits for an answer
                box.exec();
                boxClosed = true;
            }
        };
        QCOMPARE(RunToTheEnd([&run] { run.windows.ShowMainWindowFirst(); }), 0);
        QVERIFY(boxClosed);
        QCOMPARE(ui.messages->shown.size(), 1U);
        QVERIFY(!Form1->isVisible());
        QVERIFY(run.windows.WriteTablesBack());
        QVERIFY(std::filesystem::exists(*ui.dir / "Avtomat.xml.bad"));
        QCOMPARE(ReadDataPacket(*ui.dir / "Avtomat.xml").rows.size(), 0U);
    }

    // After a request no box waits for an answer nobody will give: a table
    // that cannot be written is said on standard error, with its rows, and
    // the run ends with a failure.
    void afterARequestWhatCannotBeWrittenGoesToStandardError() {
        ui.DestroyWindows();
        ProgramRun run(*ui.fakes);
        run.windows.CreateWindows();
        QVERIFY(run.messages.MessageBox({"до", "Kalvenor", Buttons::YesNo}) == Answer::No);
        // The disk is full, say: the file's place is taken by a folder.
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
        std::filesystem::create_directory(*ui.dir / "Avtomat.xml");
        TypeRow(BazaAvt, BazaAvt->DBGrid3, {"АП50", "1,6", "50", "1", "10"});
        QCOMPARE(RunToTheEnd([] { ::raise(SIGTERM); }), 0);
        const test::TempDir errors;
        const int saved = ::dup(STDERR_FILENO);
        const int log = ::open((errors / "stderr").c_str(), O_WRONLY | O_CREAT, 0644);
        ::dup2(log, STDERR_FILENO);
        const bool written = run.windows.WriteTablesBack();
        ::dup2(saved, STDERR_FILENO);
        ::close(log);
        ::close(saved);
        QVERIFY(!written);
        QCOMPARE(ui.messages->shown.size(), 1U);  // the one before the request
        const std::string said = test::ReadBytes(errors / "stderr");
        QVERIFY2(said.find("Avtomat.xml") != std::string::npos &&
                     said.find("Изменённых строк: 1.") != std::string::npos,
                 said.c_str());
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
    }

    // Started with nohup, the program must outlive the terminal.
    void aSignalIgnoredAtStartStaysIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        struct sigaction before {};
        ::sigaction(SIGHUP, &ignore, &before);
        int requests = 0;
        {
            const TerminationRequests watcher([&requests] { ++requests; }, {});
            ::raise(SIGHUP);
            QCoreApplication::processEvents();
        }
        struct sigaction after {};
        ::sigaction(SIGHUP, &before, &after);
        QCOMPARE(requests, 0);
        QVERIFY(after.sa_handler == SIG_IGN);
    }

    void unwritableFolderMakesEveryTableReadOnly() {
        testing::WriteBreakers(ui.dir->Path(), {{"АП50", 1.6, 50, 1, 10}});
        Dataset transformers;
        testing::FillTransformers(transformers, {{"ТМ-25/10", 25, 4.5}});
        transformers.Write(*ui.dir / "tranform.xml");
        testing::WriteCurrentTable(*ui.dir / "T.xml", "В воздухе", "2", {{2.5, 27}});
        ui.fakes->context.tablesWritable = false;
        ui.Restart();
        QVERIFY(ui.messages->shown.empty());  // start-up has said it once already
        QVERIFY(!Editable(BazaAvt->DBGrid3));
        QVERIFY(!Editable(BazaTran->DBGrid1));
        BazaT->show();
        Find<QListWidget>(BazaT, "FileListBox1")->setCurrentRow(0);
        QCOMPARE(BazaT->ClientDataSet1.RowCount(), 1U);
        QVERIFY(!Editable(Find<DatasetGrid>(BazaT, "DBGrid1")));

        Find<QLineEdit>(BazaT, "Edit1")->setText("Новая");
        Find<QPushButton>(BazaT, "Button1")->click();
        Find<QPushButton>(BazaT, "Button2")->click();
        const std::string folder = ui.dir->Path().string();
        QCOMPARE(ui.Texts(),
                 (std::vector<std::string>{"Таблицу нельзя создать: таблицы папки «" + folder +
                                               "» открыты только для просмотра.",
                                           "Таблицу нельзя удалить: таблицы папки «" + folder +
                                               "» открыты только для просмотра."}));
        QVERIFY(!std::filesystem::exists(*ui.dir / "Новая.xml"));
        QVERIFY(std::filesystem::exists(*ui.dir / "T.xml"));
        ui.fakes->context.tablesWritable = true;
    }

    // Neither hangs the start-up nor is read until memory runs out; both are
    // reported, left as they are, and their windows keep no edits.
    void specialFilesInPlaceOfTheDatabases() {
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
        std::filesystem::remove(*ui.dir / "tranform.xml");
        QCOMPARE(::mkfifo((*ui.dir / "Avtomat.xml").c_str(), 0644), 0);
        std::filesystem::create_symlink("/dev/zero", *ui.dir / "tranform.xml");
        QCOMPARE(::mkfifo((*ui.dir / "T.xml").c_str(), 0644), 0);
        ui.Restart();
        QCOMPARE(ui.messages->shown.size(), 2U);
        for (const auto& box : ui.messages->shown) {
            QVERIFY2(box.text.find("не является обычным файлом") != std::string::npos,
                     box.text.c_str());
        }
        QVERIFY(std::filesystem::is_fifo(*ui.dir / "Avtomat.xml"));
        QVERIFY(std::filesystem::is_symlink(*ui.dir / "tranform.xml"));
        QCOMPARE(BazaAvt->AVT1.FieldDefs().size(), 5U);
        QVERIFY(!Editable(BazaAvt->DBGrid3));
        QVERIFY(!Editable(BazaTran->DBGrid1));
        BazaT->show();
        QCOMPARE(Find<QListWidget>(BazaT, "FileListBox1")->count(), 0);
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
        std::filesystem::remove(*ui.dir / "tranform.xml");
    }

    // Another program's change was overwritten by the next post: every
    // table window asks first, and No shows the file as the other left it.
    void aFileChangedElsewhereIsNotWrittenOverUnasked() {
        testing::WriteCurrentTable(*ui.dir / "T.xml", "В воздухе", "2", {{2.5, 27}});
        BazaT->RefreshFileList();
        Find<QListWidget>(BazaT, "FileListBox1")->setCurrentRow(0);
        testing::WriteCurrentTable(*ui.dir / "T.xml", "В воздухе", "2", {{1.5, 19}, {2.5, 27}});
        testing::WriteBreakers(ui.dir->Path(), {{"ВА47-29", 1, 63, 1, 5}});
        ui.messages->Plan(Answer::No);
        EnterRow(BazaT, BazaT->DBGrid1, {"4", "38"});
        ui.messages->Plan(Answer::No);
        EnterRow(BazaAvt, BazaAvt->DBGrid3, {"АП50", "1,6", "50", "1", "10"});
        QCOMPARE(ui.messages->shown.size(), 2U);
        for (const auto& box : ui.messages->shown) {
            QVERIFY2(box.text.find("изменён другой программой") != std::string::npos,
                     box.text.c_str());
            QCOMPARE(box.flags, 52);
        }
        QCOMPARE(Column(BazaT->DBGrid1->model(), 0), (QStringList{"1,5", "2,5"}));
        QCOMPARE(Column(BazaAvt->DBGrid3->model(), 0), QStringList{"ВА47-29"});
        QCOMPARE(ReadDataPacket(*ui.dir / "T.xml").rows.size(), 2U);
        QCOMPARE(ReadDataPacket(*ui.dir / "Avtomat.xml").rows.size(), 1U);
    }

    // A table whose file cannot take its rows back says why wherever it is
    // chosen, and takes no edits.
    void aTableThatCannotBeWrittenBackSaysWhyAndTakesNoEdits() {
        testing::WriteCurrentTable(*ui.dir / "T.xml", "В воздухе", "2", {{2.5, 27}});
        std::string text = test::ReadBytes(*ui.dir / "T.xml");
        text.insert(text.find("    <ROW"), "    <!-- проверено -->\n");
        test::WriteBytes(*ui.dir / "T.xml", text);
        BazaT->RefreshFileList();
        Find<QListWidget>(BazaT, "FileListBox1")->setCurrentRow(0);
        QVERIFY(!Editable(BazaT->DBGrid1));
        Choose(Find<QComboBox>(Form1, "ComboBox3"), 0);
        Choose(Find<QComboBox>(Form1, "ComboBox1"), "T.xml");
        QCOMPARE(ui.messages->shown.size(), 2U);
        for (const auto& box : ui.messages->shown) {
            QVERIFY2(box.text.find("комментарий среди строк") != std::string::npos,
                     box.text.c_str());
        }
        QVERIFY(!Editable(BazaT->DBGrid1));
        QCOMPARE(test::ReadBytes(*ui.dir / "T.xml"), text);
    }

    // Only by the copy that may write the tables: in another copy's folder
    // the file may be that copy's write in progress.
    void staleTemporaryFilesGoAtStartUp() {
        test::WriteBytes(*ui.dir / ".kalvenor-tmp-00", "half a table");
        test::WriteBytes(*ui.dir / "notes.tmp", "the user's");
        ui.fakes->context.tablesWritable = false;
        ui.Restart();
        QVERIFY(std::filesystem::exists(*ui.dir / ".kalvenor-tmp-00"));
        ui.fakes->context.tablesWritable = true;
        ui.Restart();
        QCOMPARE(test::FileNames(ui.dir->Path()),
                 (std::set<std::string>{"Avtomat.xml", "notes.tmp", "tranform.xml"}));
    }
};

static const Registration<DataSafetyTest> registration;

}  // namespace kalvenor::ui

#include "DataSafetyTest.moc"
