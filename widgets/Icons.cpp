#include "widgets/Icons.h"

#include <QApplication>
#include <QHash>

namespace kalvenor {

namespace {

QHash<int, QIcon>& Cache() {
    static QHash<int, QIcon> cache;
    return cache;
}

// Pixmaps may not outlive the application object.
void ClearCache() {
    Cache().clear();
}

}  // namespace

QIcon StandardIcon(QStyle::StandardPixmap pixmap) {
    QHash<int, QIcon>& cache = Cache();
    if (cache.isEmpty()) {
        qAddPostRoutine(ClearCache);
    }
    auto found = cache.find(pixmap);
    if (found == cache.end()) {
        found = cache.insert(pixmap, QApplication::style()->standardIcon(pixmap));
    }
    return *found;
}

}  // namespace kalvenor
