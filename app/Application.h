#pragma once

#include "base/Numbers.h"
#include "calc/Ports.h"

#include <QObject>
#include <QString>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

class QWidget;

namespace kalvenor::app {

// The one message box of the program: Qt's by default; tests install a
// scripted recorder (nullptr puts the real boxes back).
MessageBoxPort& Messages();
void SetMessages(MessageBoxPort* messages);
int MessageBox(const std::string& text, const std::string& caption, int flags);

// The standard exception display: the error's own text, caption "Kalvenor",
// stop icon. The program then goes on.
void ShowException(std::string_view message);

// Every event handler runs inside this: no exception crosses the event loop.
template <typename Handler>
void Guard(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error.what());
    } catch (...) {
        ShowException("");
    }
}

// Connects a signal to a handler of the receiver, run inside the guard.
template <typename Sender, typename Signal, typename Receiver>
void On(Sender* sender, Signal signal, Receiver* receiver, void (Receiver::*handler)()) {
    QObject::connect(sender, signal, receiver,
                     [receiver, handler] { Guard([&] { (receiver->*handler)(); }); });
}

// Settings the windows hand to the core: read once at start-up, set by tests.
NumberFormat Format();
void SetFormat(NumberFormat format);
const std::filesystem::path& Directory();
void SetDirectory(std::filesystem::path directory);

void CentreOnScreen(QWidget* window);

// Title bar with the system menu and the close box only: no minimise, no
// maximise. Dialogs stay above their owner; windows are independent.
inline constexpr Qt::WindowFlags kCloseBoxOnly = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                 Qt::WindowSystemMenuHint |
                                                 Qt::WindowCloseButtonHint;
inline constexpr Qt::WindowFlags kDialogFrame = Qt::Dialog | kCloseBoxOnly;
inline constexpr Qt::WindowFlags kWindowFrame = Qt::Window | kCloseBoxOnly;

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace kalvenor::app
