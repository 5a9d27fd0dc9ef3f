#include "app/Signals.h"

#include "app/Elect.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Unit1.h"
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
// the run, which reports it. Nobody is there to say whether a file another
// program changed may be written over: it is not.
void WriteNow(Dataset& dataset) {
    dataset.SetChangedFilePolicy({});
    try {
        dataset.WriteBack();
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

void EndRunOnRequest() {
    if (Form1 == nullptr) {
        // Still starting, a box open perhaps: the request is taken up once
        // the main window exists.
        QTimer::singleShot(0, QCoreApplication::instance(), EndRunOnRequest);
        if (QApplication::activeModalWidget() != nullptr) {
            QCoreApplication::exit(0);
        }
        return;
    }
    if (BazaT != nullptr) {
        PostQuietly(BazaT->DBGrid1);
        WriteNow(BazaT->ClientDataSet1);
    }
    if (BazaAvt != nullptr) {
        PostQuietly(BazaAvt->DBGrid3);
        WriteNow(BazaAvt->AVT1);
    }
    if (BazaTran != nullptr) {
        PostQuietly(BazaTran->DBGrid1);
        WriteNow(BazaTran->ClientDataSet2);
    }
    Form1->close();
    // A dialog that will not close (the breaker chooser has no close box)
    // must not keep the run alive: every nested loop ends, and none starts.
    if (QApplication::activeModalWidget() != nullptr) {
        QCoreApplication::exit(0);
    }
}
