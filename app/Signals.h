#pragma once

#include "app/Startup.h"
#include "base/MessageBox.h"

#include <QObject>
#include <functional>
#include <string>

class QSocketNotifier;

// A request from outside to end the run: SIGTERM (a logout, a shutdown,
// kill), SIGHUP (the terminal the program was started from closed) or
// SIGINT (Ctrl+C in that terminal). The handler only notes the request; it
// reaches the program as an ordinary event of the message loop, where the
// program can end the way it ends when the main window closes. A hang-up
// comes twice when a terminal closes (from the system, and again from the
// shell): every one is a request and nothing more. A second SIGTERM or
// SIGINT is the user insisting: the program ends at once, but only once the
// tables are written; a third, while they are being written, takes the
// system's default action. One instance at a time; a signal ignored when the
// program started (nohup) stays ignored.
class TerminationRequests : public QObject {
    Q_OBJECT
public:
    // The handlers before anything else of the program: a request that comes
    // while it is still being set up waits for the message loop. Made once;
    // the first instance takes them over.
    static void CatchEarly();

    // The run is over and its tables are written: a request that comes while
    // the program is being taken down (the second hang-up of a closing
    // terminal, say) ends it at once with `status`, not by the signal.
    static void RunEnded(int status);

    // `onInsist` runs instead of `onRequest` for a second SIGTERM or SIGINT.
    TerminationRequests(std::function<void()> onRequest, std::function<void()> onInsist,
                        QObject* parent = nullptr);
    ~TerminationRequests() override;
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

private:
    void Arrived();

    std::function<void()> onRequest_;
    std::function<void()> onInsist_;
    QSocketNotifier* notifier_ = nullptr;
};

// Ends the run for a request from outside: every row being typed is posted
// where it can be (a row that cannot is dropped: nobody is there to mend
// it), every table with edits is written to its file at once (a file
// another program changed is not written over), the main window is closed
// as the user closes it, and every open box and dialog closes. From then on
// nothing waits for an answer. At any moment of start-up, whatever windows
// exist are treated so, and no more are made.
void EndRunOnRequest(kalvenor::ProgramWindows& windows);

// The user insists: the tables are written as above, what cannot be is said
// on standard error (which table, how many rows, why), and the program ends
// at once, with a non-zero status when a table could not be written.
[[noreturn]] void EndRunAtOnce(kalvenor::ProgramWindows& windows);

// Whether a request has come: the run is ending.
bool EndRequested();

// The program's boxes while someone is there to answer them. Once a request
// has come, a box would wait for ever: its text goes to standard error
// instead, and it answers as a box closed without a button, which no
// question takes for Yes. A box open when the request comes answers so too.
class UnattendedAfterRequest final : public kalvenor::MessageBoxPort {
public:
    explicit UnattendedAfterRequest(kalvenor::MessageBoxPort& shown) : shown_(shown) {}
    kalvenor::Answer MessageBox(const kalvenor::Message& message) override;

private:
    kalvenor::MessageBoxPort& shown_;
};
