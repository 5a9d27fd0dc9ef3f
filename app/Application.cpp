#include "app/Application.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <utility>

namespace kalvenor::app {

namespace {

class QtMessageBox final : public MessageBoxPort {
public:
    int MessageBox(const std::string& text, const std::string& caption, int flags) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(Q(caption));
        box.setText(Q(text));
        switch (flags & 0xF0) {
            case 0x10:
                box.setIcon(QMessageBox::Critical);
                break;
            case 0x20:
                box.setIcon(QMessageBox::Question);
                break;
            case 0x30:
                box.setIcon(QMessageBox::Warning);
                break;
            case 0x40:
                box.setIcon(QMessageBox::Information);
                break;
            default:
                box.setIcon(QMessageBox::NoIcon);
        }
        std::vector<std::pair<QPushButton*, int>> answers;
        const auto add = [&](const char* label, QMessageBox::ButtonRole role, int answer) {
            QPushButton* button = box.addButton(QString::fromUtf8(label), role);
            answers.emplace_back(button, answer);
            return button;
        };
        int closed = kIdOk;
        switch (flags & 0x0F) {
            case 3:
                add("Да", QMessageBox::YesRole, kIdYes);
                add("Нет", QMessageBox::NoRole, kIdNo);
                box.setEscapeButton(add("Отмена", QMessageBox::RejectRole, kIdCancel));
                closed = kIdCancel;
                break;
            case 4:
                add("Да", QMessageBox::YesRole, kIdYes);
                add("Нет", QMessageBox::NoRole, kIdNo);
                closed = kIdNo;
                break;
            default:
                box.setEscapeButton(add("ОК", QMessageBox::AcceptRole, kIdOk));
        }
        box.exec();
        for (const auto& [button, answer] : answers) {
            if (box.clickedButton() == button) {
                return answer;
            }
        }
        return closed;
    }
};

QtMessageBox realMessages;
MessageBoxPort* messages = &realMessages;
NumberFormat format;
std::filesystem::path directory;

}  // namespace

MessageBoxPort& Messages() {
    return *messages;
}

void SetMessages(MessageBoxPort* replacement) {
    messages = replacement != nullptr ? replacement : &realMessages;
}

int MessageBox(const std::string& text, const std::string& caption, int flags) {
    return messages->MessageBox(text, caption, flags);
}

void ShowException(std::string_view message) {
    try {
        MessageBox(std::string(message), "Kalvenor", kMbOkStop);
    } catch (...) {
        // Nothing sensible is left to do when even the box fails.
    }
}

NumberFormat Format() {
    return format;
}
void SetFormat(NumberFormat value) {
    format = value;
}
const std::filesystem::path& Directory() {
    return directory;
}
void SetDirectory(std::filesystem::path value) {
    directory = std::move(value);
}

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

}  // namespace kalvenor::app
