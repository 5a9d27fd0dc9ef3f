#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "output/DesktopServices.h"
#include "output/RtfWriter.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Unit1.h"
#include "tests/core/TempDir.h"
#include "tests/ui/UiFixture.h"

#include <QAction>
#include <QFileDialog>
#include <QListView>
#include <QProcess>
#include <QStandardPaths>
#include <QTextEdit>
#include <fstream>
#include <sstream>

namespace kalvenor::ui {

using testing::ShownMessage;

namespace {

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The non-empty lines another program reads out of a PDF file.
QStringList PdfLines(const std::filesystem::path& pdf) {
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty()) {
        throw std::runtime_error("pdftotext is missing: scripts/setup installs poppler-utils");
    }
    QProcess process;
    process.start(pdftotext, {QString::fromStdString(pdf.string()), "-"});
    if (!process.waitForFinished() || process.exitCode() != 0) {
        throw std::runtime_error("pdftotext failed: " +
                                 process.readAllStandardError().toStdString());
    }
    QStringList lines;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n')) {
        if (!line.trimmed().isEmpty()) {
            lines << line.trimmed();
        }
    }
    return lines;
}

// Report lines as the calculation writes them, and one typed by hand.
const QStringList kReport{
    "Расчет сечения провода (кабеля) по длительному нагреву",
    "Номинальный ток нагрузки = 15,194 А",
    "Сечение = 2,5 кв. мм; длительный ток = 27 А",
    "Потеря напряжения = 1,35 %",
    "Примечание {вручную}: C:\\проект\\линия 1",
};

}  // namespace

class ReportCommandsTest : public QObject {
    Q_OBJECT
    UiFixture ui;

    FakeSaveFileChooser& Chooser() { return ui.fakes->saveFiles; }
    FakeLauncher& Launcher() { return ui.fakes->launcher; }
    std::vector<int>& HelpShown() { return ui.fakes->help.shown; }

    // F1 pressed where the focus is, in a window shown and active.
    void PressF1(QWidget* window, QWidget* focus = nullptr) {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        if (focus != nullptr) {
            focus->setFocus();
        }
        QTest::keyClick(focus != nullptr ? focus : window, Qt::Key_F1);
    }

private slots:
    void init() {
        ui.Start();
        Find<QTextEdit>(Form1, "RichEdit1")->setPlainText(kReport.join('\n'));
    }
    void cleanup() { ui.Stop(); }

    void saveWritesTheReportAsRtfUnderADocName() {
        const std::filesystem::path typed = *ui.dir / "отчёт";
        const std::filesystem::path saved = *ui.dir / "отчёт.doc";
        Chooser().answers = {typed, std::nullopt, saved};
        Find<QAction>(Form1, "N10")->trigger();
        QCOMPARE(Chooser().requests.size(), 1U);
        QCOMPARE(Chooser().requests[0].filter, std::string("word (*doc)|*.doc"));
        QCOMPARE(Chooser().requests[0].defaultSuffix, std::string("doc"));
        QVERIFY(Chooser().requests[0].initial.empty());
        QVERIFY(!std::filesystem::exists(typed));
        QCOMPARE(FileText(saved), RtfDocument(kReport.join('\n').toStdString()));

        // The next save starts at that name; cancelling writes nothing.
        Find<QToolButton>(Form1, "ToolButton7")->click();
        QCOMPARE(Chooser().requests[1].initial, saved);

        // A hand edit is saved with the report, over the old file, silently.
        Find<QTextEdit>(Form1, "RichEdit1")->append("Проверено");
        Find<QAction>(Form1, "N10")->trigger();
        QCOMPARE(FileText(saved),
                 RtfDocument(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText().toStdString()));
        QVERIFY(ui.messages->shown.empty());
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText(),
                 kReport.join('\n') + "\nПроверено");
    }

    void aFailedSaveShowsWhyAndKeepsTheReport() {
        const std::filesystem::path file = *ui.dir / "нет такой папки" / "отчёт.doc";
        Chooser().answers = {file};
        Find<QAction>(Form1, "N10")->trigger();
        QCOMPARE(ui.messages->shown.size(), 1U);
        const ShownMessage& shown = ui.messages->shown[0];
        QCOMPARE(shown.flags, 16);
        QVERIFY2(shown.text.find("отчёт.doc") != std::string::npos, shown.text.c_str());
        QVERIFY2(shown.text.find("Ошибка в программе") == std::string::npos, shown.text.c_str());
        QVERIFY(!std::filesystem::exists(file));
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText(), kReport.join('\n'));
        // The name chosen is offered again, to try once more.
        Find<QAction>(Form1, "N10")->trigger();
        QCOMPARE(Chooser().requests.back().initial, file);
    }

    void printingToAFileGivesAPdfWithTheReport() {
        ui.fakes->printer.pdf = *ui.dir / "отчёт.pdf";
        Find<QAction>(Form1, "N11")->trigger();
        QCOMPARE(ui.fakes->printer.titles, std::vector<std::string>{" "});
        QCOMPARE(PdfLines(ui.fakes->printer.pdf), kReport);
        Find<QToolButton>(Form1, "ToolButton9")->click();
        QCOMPARE(ui.fakes->printer.titles.size(), 2U);
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText(), kReport.join('\n'));
        QVERIFY(ui.messages->shown.empty());
    }

    void wordProcessorStartsWithANewDocument() {
        Launcher().installed = {"libreoffice", "soffice"};
        Find<QAction>(Form1, "Word1")->trigger();
        QCOMPARE(Launcher().started.size(), 1U);
        QCOMPARE(Launcher().started[0].first, std::string("soffice"));
        QCOMPARE(Launcher().started[0].second, std::vector<std::string>{"--writer"});
        QVERIFY(ui.messages->shown.empty());
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText(), kReport.join('\n'));

        // The first one found that fails to start gives way to the next.
        Launcher().started.clear();
        Launcher().installed = {"lowriter"};
        Find<QToolButton>(Form1, "ToolButton20")->click();
        QCOMPARE(Launcher().started.size(), 1U);
        QCOMPARE(Launcher().started[0].first, std::string("lowriter"));
        QVERIFY(Launcher().started[0].second.empty());
    }

    void noWordProcessorSaysSoAndChangesNothing() {
        Find<QAction>(Form1, "Word1")->trigger();
        Launcher().installed = {"lowriter", "soffice", "libreoffice", "abiword"};
        Launcher().startWorks = false;
        Find<QAction>(Form1, "Word1")->trigger();
        QCOMPARE(Launcher().started.size(), 4U);
        const ShownMessage refused{"Не удается запустить Word", "Error", 16};
        QCOMPARE(ui.messages->shown, (std::vector<ShownMessage>{refused, refused}));
        QCOMPARE(Find<QTextEdit>(Form1, "RichEdit1")->toPlainText(), kReport.join('\n'));
    }

    void calculatorIsTheFirstThatStartsOrTheUserIsTold() {
        Find<QAction>(Form1, "N25")->trigger();
        QVERIFY(Launcher().started.empty());
        QCOMPARE(ui.messages->shown.size(), 1U);
        QCOMPARE(ui.messages->shown[0],
                 (testing::ShownMessage{"Не удается запустить калькулятор (пробовали: "
                                        "gnome-calculator, kcalc, galculator, mate-calc, "
                                        "qalculate-gtk, xcalc).",
                                        "Kalvenor", 48}));
        ui.messages->shown.clear();
        Launcher().installed = {"xcalc", "galculator"};
        Find<QToolButton>(Form1, "ToolButton18")->click();
        QCOMPARE(Launcher().started.size(), 1U);
        QCOMPARE(Launcher().started[0].first, std::string("galculator"));
        QVERIFY(ui.messages->shown.empty());
        // Found but failing to start: the next one is tried.
        Launcher().startWorks = false;
        Find<QAction>(Form1, "N25")->trigger();
        QCOMPARE(Launcher().started.size(), 3U);
        QCOMPARE(Launcher().started[2].first, std::string("xcalc"));
        QCOMPARE(ui.messages->shown.size(), 1U);
    }

    void helpOpensFromTheApplicationFolder() {
        const std::filesystem::path before = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        Find<QAction>(Form1, "N4")->trigger();
        const std::filesystem::path after = std::filesystem::current_path();
        std::filesystem::current_path(before);
        QCOMPARE(after, std::filesystem::canonical(ui.dir->Path()));
        Find<QToolButton>(Form1, "ToolButton11")->click();
        QCOMPARE(HelpShown(), (std::vector<int>{0, 0}));
    }

    void f1OpensEachWindowsSection() {
        PressF1(Form1, Find<QLineEdit>(Form1, "Edit3"));
        PressF1(Form1, Find<QComboBox>(Form1, "ComboBox1"));
        PressF1(BazaT, Find<QLineEdit>(BazaT, "Edit1"));
        PressF1(BazaAvt);
        PressF1(BazaTran);
        PressF1(ProsentMin);
        PressF1(Form6);
        QCOMPARE(HelpShown(), (std::vector<int>{10, 1040, 30, 40, 50, 1040, 1050}));
        for (QWidget* window : {static_cast<QWidget*>(Form6), static_cast<QWidget*>(ProsentMin),
                                static_cast<QWidget*>(BazaTran), static_cast<QWidget*>(BazaAvt),
                                static_cast<QWidget*>(BazaT)}) {
            window->hide();
        }
    }

    void commandsShowTheDesktopsIcons() {
        const std::vector<std::pair<const char*, QString>> icons{
            {"ToolButton7", "document-save"},      {"ToolButton9", "document-print"},
            {"ToolButton11", "help-contents"},     {"ToolButton13", "help-about"},
            {"ToolButton15", "application-exit"},  {"ToolButton18", "accessories-calculator"},
            {"ToolButton20", "x-office-document"}, {"ToolButton4", "x-office-spreadsheet"},
        };
        for (const auto& [button, name] : icons) {
            QCOMPARE(Find<QToolButton>(Form1, button)->icon().name(), name);
        }
        // Every command looks different from the others.
        QSet<qint64> pictures;
        const auto buttons = Find<QWidget>(Form1, "ControlBar1")
                                 ->findChildren<QToolButton*>(QRegularExpression("^ToolButton"));
        for (const QToolButton* button : buttons) {
            pictures.insert(button->icon().cacheKey());
        }
        QCOMPARE(pictures.size(), buttons.size());
        QCOMPARE(Find<QAction>(Form1, "N10")->icon().cacheKey(),
                 Find<QToolButton>(Form1, "ToolButton7")->icon().cacheKey());
        QVERIFY(!QApplication::windowIcon().pixmap(32, 32).isNull());
    }

    // The file dialogs name a type of file as its description reads, not with
    // the pattern a second time, and list the files of that pattern alone.
    void fileDialogsShowTheFilterAsWritten() {
        const test::TempDir folder;
        for (const char* name : {"отчёт.doc", "старый.adoc", "ЩР-1.kvj", "ЩР-1.csv"}) {
            std::ofstream(folder / name) << "x";
        }
        const auto seen = [](QStringList* types, QStringList* files) {
            WhenModal([=] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                const auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo");
                const auto* list = dialog->findChild<QListView*>("listView");
                QVERIFY(combo != nullptr && list != nullptr);
                for (int type = 0; type < combo->count(); ++type) {
                    *types << combo->itemText(type);
                }
                QTRY_VERIFY(list->model()->rowCount(list->rootIndex()) > 0);
                for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                    *files << list->model()->index(row, 0, list->rootIndex()).data().toString();
                }
                dialog->reject();
            });
        };

        QStringList types;
        QStringList files;
        seen(&types, &files);
        QtSaveFileChooser save;
        QVERIFY(!save.ChooseSaveFile({"word (*doc)|*.doc", "doc", folder / "отчёт"}));
        QCOMPARE(types, QStringList{"word (*doc)"});
        QCOMPARE(files, QStringList{"отчёт.doc"});

        types.clear();
        files.clear();
        seen(&types, &files);
        QtOpenFileChooser open;
        QVERIFY(!open.ChooseOpenFile({"Журнал линий (*.kvj)|*.kvj", folder.Path()}));
        QCOMPARE(types, QStringList{"Журнал линий (*.kvj)"});
        QCOMPARE(files, QStringList{"ЩР-1.kvj"});
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::ReportCommandsTest> registration;

#include "ReportCommandsTest.moc"
