#include "output/TrailView.h"

#include "calc/TrailPage.h"
#include "widgets/Text.h"

#include <QDateTime>
#include <QKeyEvent>

namespace kalvenor {

TrailView::TrailView(QWidget* parent) : QTextEdit(parent) {
    setObjectName("TrailEdit");
    setAccessibleName("Обоснование");
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setAcceptRichText(false);
}

bool TrailView::event(QEvent* event) {
    // Ctrl+C is the main window's exit; on a page made to be copied from it
    // copies, as an engineer expects, rather than close the program.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QTextEdit::event(event);
}

void TrailView::Show(const Trail& trail, NumberFormat format) {
    const QDateTime now = QDateTime::currentDateTime();
    QString text;
    for (const std::string& line :
         TrailPage(trail, format, ToStdString(now.toString("dd.MM.yyyy hh:mm")))) {
        text += ToQString(line) + '\n';
    }
    text.chop(1);
    setPlainText(text);
    fileName_ = TrailFileName(trail, ToStdString(now.toString("yyyy-MM-dd")));
    emit ShownChanged(true);
}

void TrailView::Clear() {
    clear();
    fileName_.clear();
    emit ShownChanged(false);
}

}  // namespace kalvenor
