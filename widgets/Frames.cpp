#include "widgets/Frames.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

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
    const QScreen* screen = window->screen();
    if (screen != nullptr) {
        size = size.boundedTo(screen->availableGeometry().size());
    }
    const QPoint centre = window->frameGeometry().center();
    window->resize(size);
    QRect frame = window->frameGeometry();
    frame.moveCenter(centre);
    // A window never shown stands at the screen's corner: grown around its
    // centre there, it would reach past the edges.
    if (screen != nullptr) {
        const QRect area = screen->availableGeometry();
        frame.moveLeft(
            std::max(area.left(), std::min(frame.left(), area.right() - frame.width() + 1)));
        frame.moveTop(
            std::max(area.top(), std::min(frame.top(), area.bottom() - frame.height() + 1)));
    }
    window->move(frame.topLeft());
}

}  // namespace kalvenor
