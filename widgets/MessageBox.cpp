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

QMessageBox::Icon IconFor(Icon icon) {
    switch (icon) {
        case Icon::None:
            return QMessageBox::NoIcon;
        case Icon::Stop:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Warning:
            return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
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

Answer QtMessageBox::MessageBox(const Message& message) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(ToQString(message.caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(ToQString(message.text));
    box.setIcon(IconFor(message.icon));
    KeepLinesWhole(box, box.text());
    std::vector<std::pair<QPushButton*, Answer>> answers;
    const auto add = [&](const char* label, QMessageBox::ButtonRole role, Answer answer) {
        QPushButton* button = box.addButton(QString::fromUtf8(label), role);
        answers.emplace_back(button, answer);
        return button;
    };
    switch (message.buttons) {
        case Buttons::YesNoCancel:
            add("Да", QMessageBox::YesRole, Answer::Yes);
            add("Нет", QMessageBox::NoRole, Answer::No);
            box.setEscapeButton(add("Отмена", QMessageBox::RejectRole, Answer::Cancel));
            break;
        case Buttons::YesNo:
            add("Да", QMessageBox::YesRole, Answer::Yes);
            add("Нет", QMessageBox::NoRole, Answer::No);
            break;
        case Buttons::Ok:
            box.setEscapeButton(add("ОК", QMessageBox::AcceptRole, Answer::Ok));
    }
    box.exec();
    for (const auto& [button, answer] : answers) {
        if (box.clickedButton() == button) {
            return answer;
        }
    }
    return ClosedAnswer(message.buttons);
}

}  // namespace kalvenor
