#include "app/Signals.h"

#include "app/Elect.h"
#include "tables/Databases.h"
#include "widgets/DatasetGrid.h"
#include "widgets/DatasetTableModel.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QSignalBlocker>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <utility>

using namespace kalvenor;

namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};

// What the handler writes for the message loop.
constexpr char kAsked = 'a';
constexpr char kInsisted = 'i';

// Written by the handler, read by the message loop.
int requestPipe[2] = {-1, -1};
// The dispositions found at installation, given back at the end; a signal
// that was ignored then is not handled at all.
std::array<struct sigaction, kSignals.size()> previous{};
std::array<bool, kSignals.size()> handled{};
// SIGTERMs and SIGINTs so far.
volatile sig_atomic_t interrupts = 0;
// The program's exit status once its run is over and the tables are written;
// negative before.
volatile sig_atomic_t finalStatus = -1;

bool endRequested = false;

void OnSignal(int signal) {
    if (finalStatus >= 0) {
        ::_exit(finalStatus);  // nothing is left to write
    }
    const int saved = errno;
    if (signal != SIGHUP) {
        interrupts = interrupts + 1;
    }
    const bool insisting = signal != SIGHUP && interrupts >= 2;
    const char byte = insisting ? kInsisted : kAsked;
    [[maybe_unused]] const ssize_t written = ::write(requestPipe[1], &byte, 1);
    if (insisting) {
        // The next one is not asked: it ends the program.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            if (handled[i] && kSignals[i] != SIGHUP) {
                ::sigaction(kSignals[i], &fallback, nullptr);
            }
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

// Every table with edits written to its file now; with `report`, what could
// not be is said on standard error. Nobody is there to say whether a file
// another program changed may be written over: it is not.
bool WriteEveryTable(const ProgramWindows& windows, bool report) {
    bool written = true;
    for (const auto& [window, grid, dataset] : windows.TableWindows()) {
        PostQuietly(grid);
        dataset->SetChangedFilePolicy({});
        const std::size_t edits = dataset->UnsavedEdits();
        try {
            dataset->WriteBack();
        } catch (const FileError& failure) {
            written = false;
            if (report) {
                std::fprintf(stderr, "Kalvenor: %s\n", UnsavedTableMessage(failure, edits).c_str());
            }
        }
    }
    return written;
}

}  // namespace

void TerminationRequests::CatchEarly() {
    if (requestPipe[0] >= 0 || ::pipe2(requestPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // made already; or not at all, and a request then ends the program at once
    }
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    interrupts = 0;
    finalStatus = -1;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction current {};
        ::sigaction(kSignals[i], nullptr, &current);
        handled[i] = current.sa_handler != SIG_IGN;
        if (handled[i]) {
            ::sigaction(kSignals[i], &action, &previous[i]);
        }
    }
}

TerminationRequests::TerminationRequests(std::function<void()> onRequest,
                                         std::function<void()> onInsist, QObject* parent)
    : QObject(parent), onRequest_(std::move(onRequest)), onInsist_(std::move(onInsist)) {
    CatchEarly();
    if (requestPipe[0] >= 0) {
        notifier_ = new QSocketNotifier(requestPipe[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequests::Arrived);
    }
}

void TerminationRequests::RunEnded(int status) {
    finalStatus = status;
}

TerminationRequests::~TerminationRequests() {
    endRequested = false;  // the run it watched is over
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        // After the run a signal's default action would turn a sound end
        // into a death by signal: the handler stays to the end.
        if (handled[i] && finalStatus < 0) {
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
    bool insisted = false;
    char bytes[16];
    for (ssize_t got; (got = ::read(requestPipe[0], bytes, sizeof bytes)) > 0;) {
        for (ssize_t i = 0; i < got; ++i) {
            insisted = insisted || bytes[i] == kInsisted;
        }
    }
    const std::function<void()>& handler = insisted && onInsist_ ? onInsist_ : onRequest_;
    if (handler) {
        handler();
    }
}

bool EndRequested() {
    return endRequested;
}

void EndRunOnRequest(ProgramWindows& windows) {
    endRequested = true;
    // A table that cannot be written now is written back again at the end
    // of the run, which reports it.
    WriteEveryTable(windows, false);
    if (TForm1* main = windows.MainWindow()) {
        main->close();
    }
    // A dialog that will not close (the breaker chooser has no close box)
    // or a box of the start-up must not keep the run alive: every nested
    // loop ends, and none starts.
    QCoreApplication::exit(0);
}

void EndRunAtOnce(ProgramWindows& windows) {
    endRequested = true;
    const bool written = WriteEveryTable(windows, true);
    std::fflush(stderr);
    std::_Exit(written ? 0 : 1);
}

Answer UnattendedAfterRequest::MessageBox(const Message& message) {
    if (!endRequested) {
        const Answer answer = shown_.MessageBox(message);
        // Closed by the request, not by the user.
        return endRequested ? ClosedAnswer(message.buttons) : answer;
    }
    std::fprintf(stderr, "%s: %s\n", message.caption.empty() ? "Kalvenor" : message.caption.c_str(),
                 message.text.c_str());
    return ClosedAnswer(message.buttons);
}
