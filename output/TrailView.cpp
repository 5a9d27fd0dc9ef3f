#include "output/TrailView.h"

#include "calc/TrailPage.h"
#include "widgets/Text.h"

#include <QDateTime>

namespace kalvenor {

TrailView::TrailView(QWidget* parent) : QTextEdit(parent) {
    setObjectName("TrailEdit");
    setAccessibleName("Обоснование");
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setTabChangesFocus(true);
    setAcceptRichText(false);
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
