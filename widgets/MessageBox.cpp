#include "widgets/MessageBox.h"

#include "widgets/Text.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <utility>
#include <vector>

namespace kalvenor {

namespace {

QMessageBox::Icon IconFor(int flags) {
    switch (flags & 0xF0) {
        case 0x10:
            return QMessageBox::Critical;
        case 0x20:
            return QMessageBox::Question;
        case 0x30:
            return QMessageBox::Warning;
        case 0x40:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// Qt wraps a message at half the screen or 500 pixels, which breaks phrases
// such as "<Не использовать трансформатор>" in two. The texts carry their
// own line breaks: the label is made as wide as the widest line, so a line is
// broken only when it would not fit on the screen.
void KeepLinesWhole(QMessageBox& box, const QString& text) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen();
    if (label == nullptr || screen == nullptr) {
        return;
    }
    const QFontMetrics metrics(label->font());
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    constexpr int kIconAndMargins = 160;
    label->setMinimumWidth(
        std::min(widest + 2, screen->availableGeometry().width() - kIconAndMargins));
}

}  // namespace

int QtMessageBox::MessageBox(const std::string& text, const std::string& caption, int flags) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQString(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(text));
    box.setIcon(IconFor(flags));
    KeepLinesWhole(box, box.text());
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

}  // namespace kalvenor
