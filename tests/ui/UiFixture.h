#pragma once

#include "app/Elect.h"
#include "app/Startup.h"
#include "tests/ui/FakeContext.h"
#include "widgets/DatasetGrid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <stdexcept>

namespace kalvenor::ui {

// A fresh application directory and the whole set of windows for each test,
// built from a context of fakes, with every message box recorded instead of
// shown.
class UiFixture {
public:
    void Start() {
        fakes = std::make_unique<FakeContext>();
        dir = fakes->dir.get();
        messages = &fakes->messages;
        CreateWindows();
    }

    void Stop() {
        DestroyWindows();
        fakes.reset();
        dir = nullptr;
        messages = nullptr;
    }

    // Ends the run and starts the next one in the same directory.
    void Restart() {
        DestroyWindows();
        CreateWindows();
    }

    void CreateWindows() {
        windows = std::make_unique<ProgramWindows>(fakes->context);
        windows->CreateWindows();
    }

    // The end of the run: the tables written back, the windows gone.
    void DestroyWindows() { windows.reset(); }

    std::vector<std::string> Texts() const { return fakes->Texts(); }

    std::unique_ptr<FakeContext> fakes;
    std::unique_ptr<ProgramWindows> windows;
    test::TempDir* dir = nullptr;
    testing::ScriptedMessageBox* messages = nullptr;
};

// The user picks an item of a drop-down list.
inline void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

inline void Choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    Choose(box, index);
}

// A control by its object name. A missing one throws, naming it and the
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

inline void Click(QWidget* window, const char* name) {
    Find<QAbstractButton>(window, name)->click();
}

// Runs the action once the next modal dialog's event loop is up. When an
// assertion inside the action fails, the dialog would wait for ever: it is
// closed, and the test fails.
inline void WhenModal(std::function<void()> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        try {
            action();
        } catch (const std::exception& error) {
            QTest::qFail(error.what(), __FILE__, __LINE__);
        }
        if (modal != nullptr && QApplication::activeModalWidget() == modal &&
            QTest::currentTestFailed()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->QDialog::done(QDialog::Rejected);
            } else {
                modal->close();
            }
        }
    });
}

// Types a row into a grid as a user does: the navigator's insert, then a text
// into each cell's editor. The last text is still in its editor, not yet
// handed to the row.
inline void TypeRow(QWidget* window, DatasetGrid* grid, const QStringList& cells) {
    Click(window, "Insert");
    const int row = grid->currentIndex().row();
    for (int column = 0; column < cells.size(); ++column) {
        if (column > 0) {
            grid->FinishEditor(true);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            const QModelIndex cell = grid->model()->index(row, column);
            grid->setCurrentIndex(cell);
            grid->edit(cell);
        }
        QLineEdit* editor = nullptr;
        for (QLineEdit* candidate : grid->viewport()->findChildren<QLineEdit*>()) {
            if (candidate->isVisibleTo(grid->viewport())) {
                editor = candidate;
            }
        }
        QVERIFY(editor != nullptr);
        editor->setText(cells[column]);
    }
}

// The same, then the navigator's post.
inline void EnterRow(QWidget* window, DatasetGrid* grid, const QStringList& cells) {
    TypeRow(window, grid, cells);
    grid->FinishEditor(true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Click(window, "Post");
}

inline QStringList Column(QAbstractItemModel* model, int column) {
    QStringList values;
    for (int row = 0; row < model->rowCount(); ++row) {
        values << model->index(row, column).data().toString();
    }
    return values;
}

}  // namespace kalvenor::ui

namespace kalvenor::ui {

// Every test class of the window tests registers itself; main runs them all.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
inline std::vector<TestFactory>& TestClasses() {
    static std::vector<TestFactory> classes;
    return classes;
}

template <typename TestClass>
struct Registration {
    Registration() {
        TestClasses().push_back([] { return std::make_unique<TestClass>(); });
    }
};

}  // namespace kalvenor::ui
