#include "app/Signals.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/DataPacket.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"

#include <sys/stat.h>

#include <QListWidget>
#include <QPushButton>
#include <csignal>
#include <set>

namespace kalvenor::ui {

namespace {

bool Editable(DatasetGrid* grid) {
    return grid->model()->flags(grid->model()->index(0, 0)).testFlag(Qt::ItemIsEditable);
}

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
        const TerminationRequests requests([this] { EndRunOnRequest(*ui.windows); });
        Form1->show();
        BazaAvt->show();
        BazaTran->show();
        TypeRow(BazaAvt, BazaAvt->DBGrid3, {"АП50", "1,6", "50", "1", "10"});
        TypeRow(BazaTran, BazaTran->DBGrid1, {"ТМ-63/10", "63"});  // cannot be posted
        ::raise(SIGTERM);
        QCoreApplication::processEvents();
        QVERIFY(!Form1->isVisible());
        const DataPacket breakers = ReadDataPacket(*ui.dir / "Avtomat.xml");
        QCOMPARE(breakers.rows.size(), 1U);
        QCOMPARE(std::get<double>(breakers.rows[0][4]), 10.0);
        QCOMPARE(ReadDataPacket(*ui.dir / "tranform.xml").rows.size(), 0U);
        QVERIFY(ui.messages->shown.empty());
    }

    void everyTerminationSignalIsARequestAndASecondEndsAtOnce() {
        for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
            int requests = 0;
            const TerminationRequests watcher([&requests] { ++requests; });
            ::raise(signal);
            QCoreApplication::processEvents();
            QCOMPARE(requests, 1);
            // The first request gave the signal back to the system.
            struct sigaction now {};
            ::sigaction(signal, nullptr, &now);
            QVERIFY(now.sa_handler == SIG_DFL);
        }
    }

    // Started with nohup, the program must outlive the terminal.
    void aSignalIgnoredAtStartStaysIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        struct sigaction before {};
        ::sigaction(SIGHUP, &ignore, &before);
        int requests = 0;
        {
            const TerminationRequests watcher([&requests] { ++requests; });
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
        BazaT->FileListBox1->setCurrentRow(0);
        QCOMPARE(BazaT->ClientDataSet1.RowCount(), 1U);
        QVERIFY(!Editable(BazaT->DBGrid1));

        BazaT->Edit1->setText("Новая");
        BazaT->Button1->click();
        BazaT->Button2->click();
        const std::string folder = ui.dir->Path().string();
        QCOMPARE(
            ui.Texts(),
            (std::vector<std::string>{
                "Таблицу нельзя создать: в папку программы «" + folder + "» нельзя записывать.",
                "Таблицу нельзя удалить: в папку программы «" + folder + "» нельзя записывать."}));
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
        QCOMPARE(BazaT->FileListBox1->count(), 0);
        std::filesystem::remove(*ui.dir / "Avtomat.xml");
        std::filesystem::remove(*ui.dir / "tranform.xml");
    }

    void staleTemporaryFilesGoAtStartUp() {
        test::WriteBytes(*ui.dir / ".kalvenor-tmp-00", "half a table");
        test::WriteBytes(*ui.dir / "notes.tmp", "the user's");
        ui.Restart();
        QCOMPARE(test::FileNames(ui.dir->Path()),
                 (std::set<std::string>{"Avtomat.xml", "notes.tmp", "tranform.xml"}));
    }
};

static const Registration<DataSafetyTest> registration;

}  // namespace kalvenor::ui

#include "DataSafetyTest.moc"
