#include "widgets/Frames.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace kalvenor {

void CentreOnScreen(QWidget* window) {
    const QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void ResizeAroundCentre(QWidget* window, QSize size) {
    size = size.expandedTo(window->minimumSize());
    if (const QScreen* screen = window->screen()) {
        size = size.boundedTo(screen->availableGeometry().size());
    }
    const QPoint centre = window->frameGeometry().center();
    window->resize(size);
    QRect frame = window->frameGeometry();
    frame.moveCenter(centre);
    window->move(frame.topLeft());
}

}  // namespace kalvenor
