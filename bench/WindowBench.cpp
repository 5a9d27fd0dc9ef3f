// The window figures: start-up to the main window shown, choosing a current
// table in the main window, and peak memory, each printed beside its floor
// measured in the same run with the same build. Every scenario runs in a
// fresh process (this program started again with --scenario), so one
// scenario's caches and heap never help the next; the figures are medians.
//
//   window_bench [--runs N]        all scenarios, N processes each (default 7)
//   window_bench --scenario NAME --dir FOLDER [--reps N] [--launched NS]
//   window_bench --scenario prepare --dir FOLDER   writes the scenarios' folders
//   window_bench --scenario shots --dir FOLDER --out FOLDER
//       the README's first calculation in FOLDER (the example tables), then
//       the screen saved as main.png, coefficients.png and breakers.png; run
//       it under a virtual X server, with QT_SCALE_FACTOR for other scales

#include "app/Elect.h"
#include "app/HelpWindow.h"
#include "app/Startup.h"
#include "base/Files.h"
#include "base/TableMemory.h"
#include "calc/Driver.h"
#include "coeff/Kf.h"
#include "output/DesktopServices.h"
#include "tables/Bazatok.h"
#include "tables/CurrentTables.h"
#include "tables/DataPacket.h"
#include "tables/Dataset.h"
#include "tables/Insertavt.h"
#include "tables/TableFiles.h"
#include "tables/Unit1.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/Find.h"
#include "widgets/Frames.h"
#include "widgets/MessageBox.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

using namespace kalvenor;
using kalvenor::testing::Find;

namespace {

using Clock = std::chrono::steady_clock;

// When the process was started: the driver passes the moment it spawned it,
// so that loading the program and its libraries counts too.
Clock::time_point processStart;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The process's peak resident memory so far, in kB.
long PeakKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

// A scenario's result: named figures on stdout, one per line.
void Report(const std::string& name, double value) {
    std::cout << name << ' ' << value << '\n';
}

// ---- Test data ----------------------------------------------------------------

std::string Letters(std::size_t length, std::size_t seed) {
    static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz";
    std::string text;
    text.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        text += (i % 9 == 8) ? ' ' : kAlphabet[(i * 7 + seed * 13) % 26];
    }
    return text;
}

void WriteBreakers(const std::filesystem::path& folder, int rows) {
    DataPacket packet{BreakerFieldDefs(), {}, {}};
    for (int i = 0; i < rows; ++i) {
        packet.rows.push_back({"ВА" + std::to_string(i), 1.0 + i % 50, 10.0 + i % 630,
                               std::int64_t{1 + i % 4}, 5.0 + i % 10});
    }
    WriteDataPacket(folder / kBreakerFileName, packet);
}

void WriteTransformers(const std::filesystem::path& folder, int rows, std::size_t nameLength) {
    DataPacket packet{TransformerFieldDefs(), TransformerIndexDefs(), {}};
    for (int i = 0; i < rows; ++i) {
        std::string name = "ТМ-" + std::to_string(i) + "/10";
        if (nameLength > 0) {
            name += Letters(nameLength - name.size(), static_cast<std::size_t>(i));
        }
        packet.rows.push_back({name, 25.0 + i, 10.0, 0.4, 100.0, 600.0, 4.5, 2.8});
    }
    WriteDataPacket(folder / kTransformerFileName, packet);
}

// A three-core current table; with textLength > 0 its brand column holds
// texts of that many characters.
void WriteCurrentTable(const std::filesystem::path& path, int rows, std::size_t textLength) {
    DataPacket packet{CurrentTableFieldDefs("ВВГнг", "В воздухе", "3", "Кабель", "Медь"),
                      CurrentTableIndexDefs(),
                      {}};
    packet.rows.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        Row row{1.5 + i * 0.25,   19.0 + i * 1.75,  std::monostate{}, std::monostate{},
                std::monostate{}, std::monostate{}, std::monostate{}};
        if (textLength > 0) {
            row[2] = Letters(textLength, static_cast<std::size_t>(i));
        }
        packet.rows.push_back(std::move(row));
    }
    WriteDataPacket(path, packet);
}

// `count` copies of one small three-core table, named as a user names them:
// a folder as large as a design office's keeps.
void WriteManyTables(const std::filesystem::path& folder, int count) {
    const std::filesystem::path first = folder / "ВВГ 0.xml";
    WriteCurrentTable(first, 30, 0);
    // Copies, not writes: a flush for each of ten thousand files would take
    // minutes and measure nothing.
    for (int i = 1; i < count; ++i) {
        std::filesystem::copy_file(first, folder / ("ВВГ " + std::to_string(i) + ".xml"));
    }
}

// ---- The program, as main() runs it ---------------------------------------------

// The services of the real program; only the folder differs.
struct Program {
    QtMessageBox messages;
    QtSaveFileChooser saveFiles;
    QtOpenFileChooser openFiles;
    QtPrintService printer;
    QtProgramLauncher launcher;
    HelpWindowViewer help;
    Context context;

    explicit Program(const std::filesystem::path& folder)
        : help(messages, folder),
          context{
              .messages = messages,
              .format = NumberFormat{','},
              .directory = folder,
              .saveFiles = saveFiles,
              .openFiles = openFiles,
              .printer = printer,
              .launcher = launcher,
              .help = help,
          },
          windows(context) {}

    ProgramWindows windows;
};

// True once the widget has had a paint event.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~PaintWatch() override { widget_->removeEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint) {
            painted = true;
        }
        return false;
    }

private:
    QWidget* widget_;
};

template <typename Done>
void Spin(Done done) {
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Lets every queued event and paint run.
void Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// The program's start as main() runs it, up to its main window painted and
// on the screen; then the rest of start-up, up to the moment the user could
// act.
struct StartTimes {
    double shown = 0;
    double ready = 0;
};

StartTimes StartProgram(ProgramWindows& windows) {
    StartTimes times;
    windows.ShowMainWindowFirst([&times] { times.shown = MsSince(processStart); });
    Spin([&windows] { return windows.OtherWindowsCreated(); });
    times.ready = MsSince(processStart);
    Settle();
    return times;
}

// The application and the program in it, started as main() starts them.
struct RunningProgram {
    RunningProgram(int& argc, char** argv, const std::filesystem::path& folder)
        : application(argc, argv), program(folder) {
        QApplication::setQuitOnLastWindowClosed(false);
        times = StartProgram(program.windows);
    }

    QApplication application;
    Program program;
    StartTimes times;
};

// The floor: an empty main window of the program's size. With `text`, one
// line of text in it, which is what loading the fonts costs any window.
int EmptyWindow(int argc, char** argv, bool text) {
    QApplication application(argc, argv);
    QMainWindow window;
    if (text) {
        window.setCentralWidget(new QLabel("Расчет сечений по длительному нагреву"));
    }
    window.resize(801, 564);
    CentreOnScreen(&window);
    PaintWatch watch(&window);
    window.show();
    Spin([&] { return watch.painted; });
    Report("shown", MsSince(processStart));
    Settle();
    Report("ready", MsSince(processStart));
    Report("peak", static_cast<double>(PeakKb()));
    return 0;
}

int StartUp(int argc, char** argv, const std::filesystem::path& folder) {
    KeepTableMemoryBetweenLoads();
    RunningProgram running(argc, argv, folder);
    Report("shown", running.times.shown);
    Report("ready", running.times.ready);
    Report("peak", static_cast<double>(PeakKb()));
    return 0;
}

// Chooses the folder's one three-core table in the main window, again and
// again, and loads and orders the same file with the core alone.
int Choose(int argc, char** argv, const std::filesystem::path& folder, int reps, bool view) {
    KeepTableMemoryBetweenLoads();
    RunningProgram running(argc, argv, folder);
    if (view) {
        Find<QToolButton>(Form1, "ToolButton2")->click();
        Settle();
    }
    auto* voltage = Find<QComboBox>(Form1, "ComboBox3");
    auto* tables = Find<QComboBox>(Form1, "ComboBox1");
    voltage->setCurrentIndex(1);
    emit voltage->activated(1);
    Settle();
    const int item = tables->findText("table.xml");
    if (item < 0) {
        std::cerr << "table.xml is not offered\n";
        return 1;
    }
    const std::filesystem::path path = folder / "table.xml";
    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < reps && (i == 0 || MsSince(begin) < 20000); ++i) {
        const Clock::time_point start = Clock::now();
        tables->setCurrentIndex(item);
        emit tables->activated(item);
        Settle();
        const double choice = MsSince(start);
        Report("choose", choice);
        if (i == 0) {
            // The first choice after start-up also lays out and draws text
            // the window has not shown before.
            Report("first", choice);
        }

        Dataset core;
        const Clock::time_point load = Clock::now();
        core.Load(path);
        core.SetOrder(kSectionField);
        Report("core", MsSince(load));

        const Clock::time_point parse = Clock::now();
        std::string bytes = ReadFileBytes(path);
        pugi::xml_document document;
        document.load_buffer_inplace(bytes.data(), bytes.size());
        Report("parse", MsSince(parse));
    }
    return 0;
}

// Clicks files of the current-table editor's list, one after another, and
// loads and orders the same file with the core alone.
int ClickInEditor(int argc, char** argv, const std::filesystem::path& folder, int reps) {
    KeepTableMemoryBetweenLoads();
    RunningProgram running(argc, argv, folder);
    Find<QAction>(Form1, "N15")->trigger();
    Settle();
    QListWidget* list = Find<QListWidget>(BazaT, "FileListBox1");
    if (list->count() < 3) {
        std::cerr << "the editor lists " << list->count() << " files\n";
        return 1;
    }
    const Clock::time_point begin = Clock::now();
    for (int i = 0; i < reps && (i == 0 || MsSince(begin) < 20000); ++i) {
        const int row = 1 + i % 2;
        const Clock::time_point start = Clock::now();
        list->setCurrentRow(row);
        Settle();
        Report("click", MsSince(start));
        const std::filesystem::path path = folder / list->item(row)->text().toStdString();
        if (BazaT->ClientDataSet1.BoundFile() != path) {
            std::cerr << "the click did not load " << path << '\n';
            return 1;
        }
        // The same table loaded into the editor without the list: its grid
        // emptied, filled, measured and painted as after the click.
        const Clock::time_point reload = Clock::now();
        BazaT->ClientDataSet1.Close();
        OpenCurrentTable(BazaT->ClientDataSet1, folder, path.filename().string());
        Settle();
        Report("load", MsSince(reload));
        Dataset core;
        const Clock::time_point load = Clock::now();
        core.OpenFile(path);
        core.SetOrder(kSectionField);
        Report("core", MsSince(load));
    }
    return 0;
}

// Answers whatever the calculation asks as a user in a hurry does: the first
// series in the chooser, "Нет" or OK in a message box.
class Answerer : public QObject {
public:
    Answerer() { startTimer(0); }

protected:
    void timerEvent(QTimerEvent*) override {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return;
        }
        if (modal == InsertAvtomat) {
            Find<QComboBox>(InsertAvtomat, "ComboBox1")->setCurrentIndex(0);
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const QList<QAbstractButton*> buttons = box->buttons();
            for (QAbstractButton* button : buttons) {
                if (box->buttonRole(button) == QMessageBox::NoRole ||
                    box->buttonRole(button) == QMessageBox::AcceptRole) {
                    button->click();
                    return;
                }
            }
        }
    }
};

// A whole calculation in the main window, the dialogs answered, beside the
// same calculation through the core's ports alone.
int Calculate(int argc, char** argv, const std::filesystem::path& folder, int reps) {
    KeepTableMemoryBetweenLoads();
    RunningProgram running(argc, argv, folder);
    auto* voltage = Find<QComboBox>(Form1, "ComboBox3");
    auto* tables = Find<QComboBox>(Form1, "ComboBox1");
    voltage->setCurrentIndex(1);
    emit voltage->activated(1);
    tables->setCurrentIndex(tables->findText("table.xml"));
    emit tables->activated(tables->currentIndex());
    Find<QLineEdit>(Form1, "Edit3")->setText("10");
    Find<QLineEdit>(Form1, "Edit6")->setText("50");
    Settle();
    auto* calculate = Find<QPushButton>(Form1, "Button1");
    auto* report = Find<QTextEdit>(Form1, "RichEdit1");
    auto* transformerList = Find<QComboBox>(Form1, "ComboBox2");
    const Answerer answerer;
    testing::FakeMainWindow fake;
    fake.choices[Choice::CurrentTable] = {{"table.xml"}, 0, ""};
    fake.choices[Choice::Voltage].index = 1;
    fake.inputs[Input::Power] = "10";
    fake.inputs[Input::Length] = "50";
    fake.parameters[TableParameter::Material] = "Медь";
    Dataset table;
    Dataset breakers;
    Dataset transformers;
    transformers.OpenFile(folder / kTransformerFileName);
    transformers.SetOrder(kPowerField);
    for (int i = 0; i < reps; ++i) {
        const Clock::time_point start = Clock::now();
        calculate->click();
        Settle();
        Report("calculate", MsSince(start));
        if (report->toPlainText().isEmpty()) {
            std::cerr << "the calculation did not reach its report\n";
            return 1;
        }

        fake.choices[Choice::Transformer] = {{}, 0, ""};
        for (int item = 0; item < transformerList->count(); ++item) {
            fake.choices[Choice::Transformer].items.push_back(
                transformerList->itemText(item).toStdString());
        }
        const Clock::time_point core = Clock::now();
        CalculationDriver(fake, fake, {table, breakers, transformers, folder}, NumberFormat{','})
            .Run();
        Report("core", MsSince(core));
        if (fake.report.size() != 22) {
            std::cerr << "the core calculation did not reach its report\n";
            return 1;
        }
    }
    return 0;
}

// ---- Pictures ------------------------------------------------------------------

void SaveScreen(const std::filesystem::path& file) {
    // The X server draws what was shown or hidden a moment after.
    const Clock::time_point start = Clock::now();
    Spin([start] { return MsSince(start) > 300; });
    Settle();
    QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromStdString(file.string()));
}

// The README's first calculation as a user makes it ("ВА47-29 C", then "Нет"),
// and the screen after it, with the coefficient dialog and with the breaker
// database, each as it opens.
int Shots(int argc, char** argv, const std::filesystem::path& folder,
          const std::filesystem::path& out) {
    RunningProgram running(argc, argv, folder);
    Find<QComboBox>(Form1, "ComboBox3")->setCurrentIndex(1);
    emit Find<QComboBox>(Form1, "ComboBox3")->activated(1);
    const int table = Find<QComboBox>(Form1, "ComboBox1")->findText("ВВГвозд3.xml");
    if (table < 0) {
        std::cerr << "ВВГвозд3.xml is not offered: copy the example tables into the folder\n";
        return 1;
    }
    Find<QComboBox>(Form1, "ComboBox1")->setCurrentIndex(table);
    emit Find<QComboBox>(Form1, "ComboBox1")->activated(table);
    Find<QLineEdit>(Form1, "Edit3")->setText("10");
    Find<QLineEdit>(Form1, "Edit6")->setText("50");
    const auto answer = [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == InsertAvtomat) {
            Find<QComboBox>(InsertAvtomat, "ComboBox1")
                ->setCurrentIndex(
                    Find<QComboBox>(InsertAvtomat, "ComboBox1")->findText("ВА47-29 C"));
            Find<QPushButton>(InsertAvtomat, "Button2")->click();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const QList<QAbstractButton*> buttons = box->buttons();
            for (QAbstractButton* button : buttons) {
                if (box->buttonRole(button) == QMessageBox::NoRole) {
                    button->click();
                }
            }
        }
    };
    QTimer answers;
    QObject::connect(&answers, &QTimer::timeout, answer);
    answers.start(50);
    Find<QPushButton>(Form1, "Button1")->click();
    answers.stop();
    SaveScreen(out / "main.png");

    QTimer::singleShot(500, [&out] {
        SaveScreen(out / "coefficients.png");
        Form6->close();
    });
    Find<QAction>(Form1, "N7")->trigger();
    Find<QAction>(Form1, "N17")->trigger();
    SaveScreen(out / "breakers.png");
    BazaAvt->hide();
    return 0;
}

// ---- The driver -------------------------------------------------------------------

std::filesystem::path SelfPath() {
    return std::filesystem::read_symlink("/proc/self/exe");
}

using Figures = std::map<std::string, std::vector<double>>;

// Runs a scenario in `runs` fresh processes and gathers what they report.
Figures Run(const std::string& scenario, const std::filesystem::path& folder, int runs,
            int reps = 1, bool freshFolder = false) {
    Figures figures;
    const std::string self = SelfPath().string();
    for (int run = 0; run < runs; ++run) {
        if (freshFolder) {
            std::filesystem::remove_all(folder);
            std::filesystem::create_directories(folder);
        }
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) {
            throw std::runtime_error("no pipe");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
        const std::string repsText = std::to_string(reps);
        const std::string folderText = folder.string();
        const Clock::time_point launched = Clock::now();
        const std::string launchedText = std::to_string(
            std::chrono::duration_cast<std::chrono::nanoseconds>(launched.time_since_epoch())
                .count());
        std::vector<char*> arguments{
            const_cast<char*>(self.c_str()),         const_cast<char*>("--scenario"),
            const_cast<char*>(scenario.c_str()),     const_cast<char*>("--dir"),
            const_cast<char*>(folderText.c_str()),   const_cast<char*>("--reps"),
            const_cast<char*>(repsText.c_str()),     const_cast<char*>("--launched"),
            const_cast<char*>(launchedText.c_str()), nullptr};
        pid_t child = 0;
        const int failure =
            posix_spawn(&child, self.c_str(), &actions, nullptr, arguments.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        if (failure != 0) {
            ::close(pipeEnds[0]);
            throw std::runtime_error("cannot start " + self);
        }
        std::string output;
        char buffer[256];
        for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
            output.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            throw std::runtime_error(scenario + " failed");
        }
        std::istringstream lines(output);
        std::string name;
        double value = 0;
        while (lines >> name >> value) {
            figures[name].push_back(value);
        }
    }
    return figures;
}

void Line(const std::string& what, double figure, double floor, const char* unit,
          const std::string& floorName) {
    std::printf("%-58s %10.2f %-3s %10.2f %-3s %8.2fx  (floor: %s)\n", what.c_str(), figure, unit,
                floor, unit, floor > 0 ? figure / floor : 0.0, floorName.c_str());
    std::fflush(stdout);
}

// The folders every scenario runs in.
void Prepare(const std::filesystem::path& root) {
    const auto folder = [&root](const char* name) {
        std::filesystem::create_directories(root / name);
        return root / name;
    };
    WriteBreakers(folder("full"), 10000);
    WriteTransformers(folder("full"), 1000, 0);
    WriteTransformers(folder("names"), 100, 100000);
    WriteCurrentTable(folder("t1000") / "table.xml", 1000, 0);
    WriteCurrentTable(folder("t100000") / "table.xml", 100000, 0);
    WriteCurrentTable(folder("tlong") / "table.xml", 1000, 10000);
    WriteCurrentTable(folder("calc") / "table.xml", 1000, 0);
    WriteBreakers(folder("calc"), 1000);
    WriteTransformers(folder("calc"), 100, 0);
    WriteManyTables(folder("tables100"), 100);
    WriteManyTables(folder("tables10000"), 10000);
}

int Drive(int runs) {
    const std::filesystem::path root = std::filesystem::temp_directory_path() /
                                       ("kalvenor-window-bench-" + std::to_string(::getpid()));
    Prepare(root);
    const auto folder = [&root](const char* name) {
        std::filesystem::create_directories(root / name);
        return root / name;
    };

    std::printf("%-58s %14s %14s %9s\n", "What", "figure", "floor", "ratio");
    const Figures window = Run("empty-window", folder("none"), runs);
    const double windowShown = Median(window.at("shown"));
    const double windowPeak = Median(window.at("peak")) / 1024;
    const Figures text = Run("text-window", folder("none"), runs);
    const double textShown = Median(text.at("shown"));
    const double textPeak = Median(text.at("peak")) / 1024;
    const Figures empty = Run("start", root / "empty", runs, 1, true);
    const double emptyShown = Median(empty.at("shown"));
    Line("Start-up to the main window shown, empty folder", emptyShown, windowShown, "ms",
         "empty QMainWindow shown");
    Line("  the same", emptyShown, textShown, "ms", "QMainWindow with a line of text shown");
    Line("  ... and every window built, empty folder", Median(empty.at("ready")), windowShown, "ms",
         "empty QMainWindow shown");
    const Figures full = Run("start", folder("full"), runs);
    Line("Start-up, 10 000 breakers + 1 000 transformers", Median(full.at("shown")), windowShown,
         "ms", "empty QMainWindow shown");
    Line("  ... and every window built", Median(full.at("ready")), windowShown, "ms",
         "empty QMainWindow shown");
    const Figures names = Run("start", folder("names"), runs);
    Line("Start-up, 100 transformer names of 100 000 characters", Median(names.at("shown")),
         emptyShown, "ms", "empty-folder start-up");
    Line("  ... and every window built", Median(names.at("ready")), emptyShown, "ms",
         "empty-folder start-up");
    Line("Peak memory at start-up, empty folder", Median(empty.at("peak")) / 1024, windowPeak, "MB",
         "empty QMainWindow");
    Line("Peak memory at start-up, 10 000 + 1 000", Median(full.at("peak")) / 1024, windowPeak,
         "MB", "empty QMainWindow");
    Line("  empty folder", Median(empty.at("peak")) / 1024, textPeak, "MB",
         "QMainWindow with a line of text");
    const Figures hundred = Run("start", folder("tables100"), runs);
    const Figures thousands = Run("start", folder("tables10000"), runs);
    Line("Start-up to every window built, 10 000 tables", Median(thousands.at("ready")),
         Median(hundred.at("ready")), "ms", "the same with 100 tables");

    const int chooseRuns = std::max(1, runs / 2);
    struct Table {
        const char* folder;
        const char* what;
    };
    for (const Table& table :
         {Table{"t1000", "a 1 000-row table"}, Table{"t100000", "a 100 000-row table"},
          Table{"tlong", "1 000 rows of 10 000-character texts"}}) {
        for (const char* scenario : {"choose", "choose-view"}) {
            const Figures choice = Run(scenario, folder(table.folder), chooseRuns, 5);
            const std::string what = std::string("Choosing ") + table.what +
                                     (std::string(scenario) == "choose-view" ? ", view open" : "");
            Line(what, Median(choice.at("choose")), Median(choice.at("core")), "ms",
                 "core load + order");
            Line("  the first after start-up", Median(choice.at("first")),
                 Median(choice.at("core")), "ms", "core load + order");
            if (std::string(table.folder) == "t100000" && std::string(scenario) == "choose") {
                Line("  the same", Median(choice.at("choose")), Median(choice.at("parse")), "ms",
                     "read + pugixml parse");
            }
            if (std::string(table.folder) == "t1000" && std::string(scenario) == "choose") {
                Line("  the same", Median(choice.at("choose")), windowShown, "ms",
                     "empty QMainWindow start-up");
            }
        }
    }
    // The same click among 100 tables is the editor loading and showing
    // that table: what 10 000 names may add to it is the figure.
    const Figures fewClicks = Run("editor-click", folder("tables100"), chooseRuns, 10);
    const Figures clicks = Run("editor-click", folder("tables10000"), chooseRuns, 10);
    Line("A click in the editor's list of 10 000 tables", Median(clicks.at("click")),
         Median(fewClicks.at("click")), "ms", "the same click among 100 tables");
    Line("  the same", Median(clicks.at("click")), Median(clicks.at("load")), "ms",
         "the editor loading that table without the list");
    Line("  the same", Median(clicks.at("click")), Median(clicks.at("core")), "ms",
         "core load + order of that table");
    const Figures calculation = Run("calculate", folder("calc"), chooseRuns, 5);
    Line("A whole calculation, 1 000-row table, 1 000 breakers",
         Median(calculation.at("calculate")), Median(calculation.at("core")), "ms",
         "the same through the core's ports");
    std::filesystem::remove_all(root);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    processStart = Clock::now();
    std::string scenario;
    std::filesystem::path folder;
    std::filesystem::path out;
    int runs = 7;
    int reps = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--scenario") {
            scenario = argv[i + 1];
        } else if (option == "--dir") {
            folder = argv[i + 1];
        } else if (option == "--out") {
            out = argv[i + 1];
        } else if (option == "--runs") {
            runs = std::atoi(argv[i + 1]);
        } else if (option == "--reps") {
            reps = std::atoi(argv[i + 1]);
        } else if (option == "--launched") {
            processStart = Clock::time_point(std::chrono::nanoseconds(std::atoll(argv[i + 1])));
        }
    }
    if (scenario == "prepare") {
        Prepare(folder);
        return 0;
    }
    if (scenario.empty()) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return Drive(std::max(runs, 1));
    }
    // Qt sees no arguments of ours.
    int qtArgc = 1;
    if (scenario == "empty-window" || scenario == "text-window") {
        return EmptyWindow(qtArgc, argv, scenario == "text-window");
    }
    if (scenario == "start") {
        return StartUp(qtArgc, argv, folder);
    }
    if (scenario == "calculate") {
        return Calculate(qtArgc, argv, folder, reps);
    }
    if (scenario == "editor-click") {
        return ClickInEditor(qtArgc, argv, folder, reps);
    }
    if (scenario == "shots") {
        return Shots(qtArgc, argv, folder, out);
    }
    if (scenario == "choose" || scenario == "choose-view") {
        return Choose(qtArgc, argv, folder, reps, scenario == "choose-view");
    }
    std::cerr << "unknown scenario " << scenario << '\n';
    return 2;
}
