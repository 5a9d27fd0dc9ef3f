#include "app/Signals.h"

#include "app/Elect.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetTableModel.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>
#include <csignal>

using namespace kalvenor;

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};

// Written by the handler, read by the message loop.
int requestPipe[2] = {-1, -1};
// The dispositions found at installation, given back at the end; a signal
// that was ignored then is not handled at all.
std::array<struct sigaction, kSignals.size()> previous{};
std::array<bool, kSignals.size()> handled{};

void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(requestPipe[1], &byte, 1);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (handled[i]) {
            ::sigaction(kSignals[i], &fallback, nullptr);
        }
    }
    errno = saved;
}

// The text being typed into a cell and the row it belongs to, posted
// without a word: a text or a row the table refuses is dropped.
void PostQuietly(DatasetGrid* grid) {
    DatasetTableModel* model = grid->DatasetModel();
    if (model == nullptr) {
        return;
    }
    {
        const QSignalBlocker quiet(model);
        grid->FinishEditor(true);
        model->TakeRefusal();
    }
    if (!model->Editing()) {
        return;
    }
    try {
        model->Post();
    } catch (const std::exception&) {
        model->Cancel();
    }
}

// A table that cannot be written now is written back again at the end of
// the run, which reports it.
void WriteNow(Dataset& dataset) {
    if (!dataset.Active() || !dataset.Modified() || dataset.BoundFile().empty()) {
        return;
    }
    try {
        dataset.Write(dataset.BoundFile());
    } catch (const FileError&) {
    }
}

}  // namespace

TerminationRequests::TerminationRequests(std::function<void()> onRequest, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)) {
    if (::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the program still runs; a request then ends it at once
    }
    notifier_ = new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequests::Arrived);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(kSignals[i], nullptr, &current);
        handled[i] = current.sa_handler != SIG_IGN;
        if (handled[i]) {
            ::sigaction(kSignals[i], &action, &previous[i]);
        }
    }
}

TerminationRequests::~TerminationRequests() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (handled[i]) {
            ::sigaction(kSignals[i], &previous[i], nullptr);
            handled[i] = false;
        }
    }
    delete notifier_;
    for (int& end : requestPipe) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

void TerminationRequests::Arrived() {
    char bytes[16];
    while (::read(requestPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (onRequest_) {
        onRequest_();
    }
}

void EndRunOnRequest(ProgramWindows& windows) {
    TForm1* main = windows.MainWindow();
    if (main == nullptr) {
        // Still starting, a box open perhaps: the request is taken up once
        // the main window exists.
        QTimer::singleShot(0, QCoreApplication::instance(),
                           [&windows] { EndRunOnRequest(windows); });
        if (QApplication::activeModalWidget() != nullptr) {
            QCoreApplication::exit(0);
        }
        return;
    }
    for (const ProgramWindows::TableWindow& table : windows.TableWindows()) {
        PostQuietly(table.grid);
        WriteNow(*table.dataset);
    }
    main->close();
    // A dialog that will not close (the breaker chooser has no close box)
    // must not keep the run alive: every nested loop ends, and none starts.
    if (QApplication::activeModalWidget() != nullptr) {
        QCoreApplication::exit(0);
    }
}
