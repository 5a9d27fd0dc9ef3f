#pragma once

#include "base/MessageBox.h"

#include <QObject>
#include <exception>
#include <string>

namespace kalvenor {

// Shows the exception being handled: the user's own errors (a text that is
// not a number, a file that cannot be read or written, a refused row) with
// their message, as the program's standard exception display; anything else
// as a fault of the program, never as if the user did something wrong.
void ShowCurrentException(MessageBoxPort& messages) noexcept;

// The text a fault of the program is shown with.
std::string ProgramFaultMessage(const std::string& detail);

// Every event handler runs inside this: no exception crosses the event loop,
// and the program goes on after showing it.
template <typename Handler>
void RunGuarded(MessageBoxPort& messages, Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ShowCurrentException(messages);
    }
}

// Connects a signal to a handler of the receiver, run inside the guard.
template <typename Sender, typename Signal, typename Receiver>
void ConnectGuarded(MessageBoxPort& messages, Sender* sender, Signal signal, Receiver* receiver,
                    void (Receiver::*handler)()) {
    QObject::connect(sender, signal, receiver, [&messages, receiver, handler] {
        RunGuarded(messages, [&] { (receiver->*handler)(); });
    });
}

}  // namespace kalvenor
