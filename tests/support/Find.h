#pragma once

#include <QObject>
#include <QStringList>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace kalvenor::testing {

// A control by its object name, the name the program gives it; the windows
// keep their controls to themselves. A missing one throws, naming it and the
// controls the window does have, so a renamed control fails loudly.
template <typename T = QWidget>
T* Find(QObject* window, const char* name) {
    if (T* found = window->findChild<T*>(QString::fromUtf8(name))) {
        return found;
    }
    QStringList names;
    for (const QObject* child : window->findChildren<QObject*>()) {
        if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_")) {
            names << child->objectName();
        }
    }
    names.sort();
    throw std::runtime_error("В окне " + window->objectName().toStdString() + " нет элемента " +
                             name + "; есть: " + names.join(", ").toStdString());
}

}  // namespace kalvenor::testing
