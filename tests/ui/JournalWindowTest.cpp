#include "examples/ExampleJournal.h"
#include "examples/ExampleTables.h"
#include "journal/JournalColumns.h"
#include "journal/JournalFile.h"
#include "journal/JournalModel.h"
#include "journal/JournalWindow.h"
#include "tests/ui/UiFixture.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QTableView>
#include <QTextEdit>

namespace kalvenor::ui {

namespace {

void Trigger(QWidget* window, const char* name) {
    Find<QAction>(window, name)->trigger();
}

QString Cell(QTableView* grid, int row, JournalColumn column) {
    return grid->model()->index(row, static_cast<int>(column)).data().toString();
}

}  // namespace

// The journal window in the whole program, over the example tables.
class JournalWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeContext> fakes;
    std::unique_ptr<ProgramWindows> windows;
    std::filesystem::path journalFile;

    std::filesystem::path Dir() const { return fakes->dir->Path(); }
    JournalWindow* Window() const { return LineJournal; }
    QTableView* Grid() const { return Find<QTableView>(Window(), "LinesGrid"); }

    void OpenExample() {
        fakes->openFiles.answers.push_back(journalFile);
        Trigger(Window(), "OpenAction");
    }

private slots:
    void init() {
        fakes = std::make_unique<FakeContext>();
        examples::WriteExampleTables(Dir());
        journalFile = Dir() / examples::WriteExampleJournal(Dir());
        windows = std::make_unique<ProgramWindows>(fakes->context);
        windows->CreateWindows();
    }

    void cleanup() {
        windows.reset();
        fakes.reset();
    }

    // The menu entry, its shortcut and the toolbar button open the window.
    void theMainWindowOpensTheJournal() {
        QVERIFY(!Window()->isVisible());
        QCOMPARE(Find<QAction>(Form1, "N26")->shortcut(), QKeySequence("Ctrl+J"));
        Find<QAction>(Form1, "N26")->trigger();
        QVERIFY(Window()->isVisible());
        Window()->hide();
        Click(Form1, "ToolButton21");
        QVERIFY(Window()->isVisible());
    }

    // Every line of the example sized, and the command line, given the same
    // file and tables, writes the same journal as the window exports.
    void theExampleJournalIsSizedAsTheCommandLineSizesIt() {
        OpenExample();
        QVERIFY(Window()->windowTitle().contains("Журнал ЩР-1"));
        QVERIFY(!Window()->isWindowModified());
        QCOMPARE(Grid()->model()->rowCount(), 16);
        QCOMPARE(Cell(Grid(), 0, JournalColumn::Status), QString());
        Click(Window(), "CalculateButton");
        for (int row = 0; row < 16; ++row) {
            QCOMPARE(Cell(Grid(), row, JournalColumn::Status), QString("OK"));
        }
        // The compressor (15 kW, 40 m): ВА47-63 D 32 A asks for 6 mm2.
        QCOMPARE(Cell(Grid(), 6, JournalColumn::Section), QString("6"));
        QCOMPARE(Cell(Grid(), 6, JournalColumn::BreakerCurrent), QString("32"));
        QCOMPARE(Cell(Grid(), 15, JournalColumn::TransformerUsed), QString("без трансформатора"));
        QVERIFY(fakes->messages.shown.empty());

        const std::filesystem::path exported = Dir() / "окно.csv";
        fakes->saveFiles.answers.push_back(exported);
        Trigger(Window(), "ExportCsvAction");
        const std::filesystem::path written = Dir() / "командная строка.csv";
        QProcess cli;
        cli.start(KALVENOR_JOURNAL_CLI, {"--tables", QString::fromStdString(Dir().string()),
                                         QString::fromStdString(journalFile.string()), "-o",
                                         QString::fromStdString(written.string())});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(test::ReadBytes(written), test::ReadBytes(exported));

        if (const QByteArray shots = qgetenv("KALVENOR_SCREENSHOTS"); !shots.isEmpty()) {
            Window()->resize(1260, 600);
            Window()->show();
            QVERIFY(Window()->grab().save(shots + "/journal-window.png"));
            fakes->printer.pdf = std::filesystem::path(shots.toStdString()) / "cable-journal.pdf";
            Trigger(Window(), "PrintAction");
        }
    }

    // The current line's trail, in a window of its own: the line sized again,
    // the page's section and criterion those of the grid's line.
    void theTrailOfALineSaysWhyItGotItsSection() {
        OpenExample();
        Grid()->setCurrentIndex(Grid()->model()->index(0, 0));
        Click(Window(), "TrailButton");
        auto* trailWindow = Find<QDialog>(Window(), "LineTrailWindow");
        QVERIFY(trailWindow->isVisible());
        QVERIFY(trailWindow->windowTitle().endsWith(Cell(Grid(), 0, JournalColumn::Designation)));
        QCOMPARE(Cell(Grid(), 0, JournalColumn::Status), QString("OK"));
        const QStringList page =
            Find<QTextEdit>(trailWindow, "TrailEdit")->toPlainText().split('\n');
        QCOMPARE(page[2], "Сечение " + Cell(Grid(), 0, JournalColumn::Section) +
                              " мм² выбрано по допустимой потере напряжения.");
        QCOMPARE(Cell(Grid(), 0, JournalColumn::Criterion), QString("падению напряжения"));

        // A line the calculation refuses: its page is the refusal.
        QAbstractItemModel* model = Grid()->model();
        QVERIFY(model->setData(model->index(1, static_cast<int>(JournalColumn::Length)), "0",
                               Qt::EditRole));
        Grid()->setCurrentIndex(model->index(1, 0));
        Click(Window(), "TrailButton");
        const QString refused = Find<QTextEdit>(trailWindow, "TrailEdit")->toPlainText();
        QVERIFY2(refused.endsWith("Расчет остановлен: " + Cell(Grid(), 1, JournalColumn::Status)),
                 qPrintable(refused));
    }

    // An edit drops the line's figures at once; once the journal has been
    // calculated the line comes back sized for the new text.
    void anEditClearsTheLineAndSizesItAgain() {
        OpenExample();
        Click(Window(), "CalculateButton");
        QAbstractItemModel* model = Grid()->model();
        const QModelIndex length = model->index(6, static_cast<int>(JournalColumn::Length));
        QVERIFY(model->setData(length, "400", Qt::EditRole));
        QCOMPARE(Cell(Grid(), 6, JournalColumn::Section), QString());
        QVERIFY(Window()->isWindowModified());
        QTRY_COMPARE(Cell(Grid(), 6, JournalColumn::Status), QString("OK"));
        QVERIFY(Cell(Grid(), 6, JournalColumn::Section).toDouble() > 6);
        // The other lines keep theirs.
        QCOMPARE(Cell(Grid(), 5, JournalColumn::Status), QString("OK"));
        QVERIFY(!(model->flags(model->index(6, static_cast<int>(JournalColumn::Section))) &
                  Qt::ItemIsEditable));
    }

    // Unsaved changes: Cancel keeps the window and the program, No lets both
    // go; Yes saves, and the file then opens with the edit.
    void closingAsksAboutUnsavedChanges() {
        OpenExample();
        Window()->show();
        Grid()->model()->setData(Grid()->model()->index(0, 0), "Гр.1 Свет", Qt::EditRole);
        fakes->messages.Plan(Answer::Cancel);
        QVERIFY(!Window()->close());
        QVERIFY(Window()->isVisible());
        fakes->messages.Plan(Answer::Cancel);
        QVERIFY(!Form1->close());
        QCOMPARE(fakes->messages.shown.back().text,
                 std::string("Журнал «Журнал ЩР-1» изменён. Сохранить изменения?"));
        fakes->messages.Plan(Answer::Yes);
        QVERIFY(Window()->close());
        QVERIFY(!Window()->isWindowModified());
        const auto lines = ReadJournalFile(journalFile, NumberFormat{','});
        QCOMPARE(QString::fromStdString(lines.at(0).inputs[LineInput::Designation]),
                 QString("Гр.1 Свет"));
    }

    // A journal from another computer opens whole; what the folder lacks is
    // marked, and the calculation says so line by line.
    void missingNamesAreMarkedNotDropped() {
        std::vector<JournalLine> lines = examples::ExampleJournalLines();
        lines[1].inputs[LineInput::Table] = "ВВГ-чужая.xml";
        lines[2].inputs[LineInput::Series] = "S201";
        lines[3].inputs[LineInput::Transformer] = "ТМГ-630";
        WriteJournalFile(journalFile, lines, NumberFormat{','});
        OpenExample();
        QCOMPARE(Grid()->model()->rowCount(), 16);
        auto* model = static_cast<JournalModel*>(Grid()->model());
        QVERIFY(model->IsMissing(1, LineInput::Table));
        QVERIFY(model->IsMissing(2, LineInput::Series));
        QVERIFY(model->IsMissing(3, LineInput::Transformer));
        QVERIFY(!model->IsMissing(0, LineInput::Table));
        QVERIFY(!model->IsMissing(15, LineInput::Transformer));  // "без трансформатора"
        QVERIFY(Find<QLabel>(Window(), "StatusLabel")->text().contains("3"));
        Click(Window(), "CalculateButton");
        QVERIFY(Cell(Grid(), 1, JournalColumn::Status).contains("не найдена"));
        QVERIFY(Cell(Grid(), 2, JournalColumn::Status).contains("Подходят серии"));
        QVERIFY(Cell(Grid(), 3, JournalColumn::Status).contains("ТМГ-630"));
        QCOMPARE(Cell(Grid(), 4, JournalColumn::Status), QString("OK"));
    }

    // A damaged file, or a file of another kind, changes nothing.
    void aDamagedFileChangesNothing() {
        OpenExample();
        const std::filesystem::path damaged = Dir() / "Битый.kvj";
        test::WriteBytes(damaged, "<?xml version=\"1.0\"?><DATAPACKET");
        fakes->openFiles.answers.push_back(damaged);
        Trigger(Window(), "OpenAction");
        QCOMPARE(fakes->messages.shown.size(), std::size_t{1});
        QVERIFY(fakes->messages.shown[0].text.find("Битый.kvj") != std::string::npos);
        QCOMPARE(Grid()->model()->rowCount(), 16);
        QVERIFY(Window()->windowTitle().contains("Журнал ЩР-1"));
    }

    // Recent files: the one opened last comes first and opens again.
    void theRecentMenuReopensAJournal() {
        OpenExample();
        Trigger(Window(), "NewAction");
        QCOMPARE(Grid()->model()->rowCount(), 0);
        QMenu* recent = Find<QMenu>(Window(), "RecentMenu");
        QCOMPARE(recent->actions().size(), 1);
        recent->actions().front()->trigger();
        QCOMPARE(Grid()->model()->rowCount(), 16);
    }

    // A line goes to the main window as the user would type it, and the main
    // window's inputs come back as a line.
    void linesGoToAndComeFromTheMainWindow() {
        OpenExample();
        Grid()->setCurrentIndex(Grid()->model()->index(9, 0));  // the welding post
        Click(Window(), "ToMainWindowButton");
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox3")->currentText(), QString("2 x 380+0"));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox1")->currentText(), QString("ВВГвозд3.xml"));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit3")->text(), QString("12"));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit11")->text(), QString("0,7"));
        QCOMPARE(Find<QLineEdit>(Form1, "Edit6")->text(), QString("35"));
        QCOMPARE(Find<QComboBox>(Form1, "ComboBox2")->currentText(), QString("ТМ-400/10"));

        Find<QLineEdit>(Form1, "Edit6")->setText("50");
        Click(Window(), "FromMainWindowButton");
        QCOMPARE(Grid()->model()->rowCount(), 17);
        const LineInputs& line = Window()->Document().Line(16).inputs;
        QCOMPARE(QString::fromStdString(line[LineInput::Voltage]), QString("2 x 380+0"));
        QCOMPARE(QString::fromStdString(line[LineInput::Table]), QString("ВВГвозд3.xml"));
        QCOMPARE(QString::fromStdString(line[LineInput::Power]), QString("12"));
        QCOMPARE(QString::fromStdString(line[LineInput::Length]), QString("50"));
        QCOMPARE(QString::fromStdString(line[LineInput::Transformer]), QString("ТМ-400/10"));
    }

    // The cable journal goes to the print dialog on a landscape page.
    void theCableJournalPrintsLandscape() {
        OpenExample();
        Click(Window(), "CalculateButton");
        Trigger(Window(), "PrintAction");
        QCOMPARE(fakes->printer.orientations.back(), PageOrientation::Landscape);
        const std::string& text = fakes->printer.texts.back();
        QVERIFY(text.find("Кабельный журнал") != std::string::npos);
        QVERIFY(text.find("Гр.16 Насос скважины") != std::string::npos);
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::JournalWindowTest> registration;

#include "JournalWindowTest.moc"
