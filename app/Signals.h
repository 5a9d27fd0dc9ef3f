#pragma once

#include "app/Startup.h"

#include <QObject>
#include <functional>

class QSocketNotifier;

// A request from outside to end the run: SIGTERM (a logout, a shutdown,
// kill), SIGHUP (the terminal the program was started from closed) or
// SIGINT (Ctrl+C in that terminal). The handler only notes the request; it
// reaches the program as an ordinary event of the message loop, where the
// program can end the way it ends when the main window closes. A second
// request ends the program at once, as it would have without this. One
// instance at a time; a signal ignored when the program started (nohup)
// stays ignored.
class TerminationRequests : public QObject {
    Q_OBJECT
public:
    explicit TerminationRequests(std::function<void()> onRequest, QObject* parent = nullptr);
    ~TerminationRequests() override;
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

private:
    void Arrived();

    std::function<void()> onRequest_;
    QSocketNotifier* notifier_ = nullptr;
};

// Ends the run for a request from outside: every row being typed is posted
// where it can be (a row that cannot is dropped: nobody is there to mend
// it), every table with edits is written to its file at once, and the main
// window is closed as the user closes it. Nothing waits for an answer.
void EndRunOnRequest(kalvenor::ProgramWindows& windows);
