#pragma once

#include "app/Application.h"
#include "app/Elect.h"
#include "app/Startup.h"
#include "tables/DatasetGrid.h"
#include "tests/core/TempDir.h"
#include "tests/support/ScriptedMessageBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>
#include <memory>

namespace kalvenor::ui {

// A fresh application directory and the whole set of windows for each test,
// with every message box recorded instead of shown.
class UiFixture {
public:
    void Start() {
        dir = std::make_unique<test::TempDir>();
        messages = std::make_unique<testing::ScriptedMessageBox>();
        app::SetDirectory(dir->Path());
        app::SetFormat(NumberFormat{','});
        app::SetMessages(messages.get());
        CreateWindows();
    }

    void Stop() {
        DestroyWindows();
        app::SetMessages(nullptr);
        messages.reset();
        dir.reset();
    }

    // Ends the run and starts the next one in the same directory.
    void Restart() {
        DestroyWindows();
        CreateWindows();
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages->shown) {
            texts.push_back(message.text);
        }
        return texts;
    }

    std::unique_ptr<test::TempDir> dir;
    std::unique_ptr<testing::ScriptedMessageBox> messages;
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

template <typename T = QWidget>
T* Find(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
}

inline void Click(QWidget* window, const char* name) {
    auto* button = Find<QAbstractButton>(window, name);
    QVERIFY2(button != nullptr, name);
    button->click();
}

// Runs the action once the next modal dialog's event loop is up.
inline void WhenModal(std::function<void()> action) {
    QTimer::singleShot(0, [action = std::move(action)] { action(); });
}

// Types a row into a grid as a user does: the navigator's insert, a text into
// each cell's editor, then the navigator's post.
inline void EnterRow(QWidget* window, DatasetGrid* grid, const QStringList& cells) {
    Click(window, "Insert");
    const int row = grid->currentIndex().row();
    for (int column = 0; column < cells.size(); ++column) {
        const QModelIndex cell = grid->model()->index(row, column);
        if (column > 0) {
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
        grid->FinishEditor(true);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
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
