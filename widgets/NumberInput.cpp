#include "widgets/NumberInput.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace kalvenor {

namespace {

class NumberKeys final : public QObject {
public:
    NumberKeys(QLineEdit* edit, char separator)
        : QObject(edit), edit_(edit), separator_(QChar::fromLatin1(separator)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_) {
            return false;
        }
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if ((text == "." || text == ",") && text != separator_ && !edit_->isReadOnly()) {
                edit_->insert(separator_);
                return true;
            }
        } else if (event->type() == QEvent::MouseButtonPress &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                   !edit_->hasFocus() && edit_->text() == "0") {
            // The press would put the cursor after the 0: it is used here.
            edit_->setFocus(Qt::MouseFocusReason);
            edit_->selectAll();
            return true;
        }
        return false;
    }

private:
    QLineEdit* edit_;
    QString separator_;
};

}  // namespace

void MakeNumberInput(QLineEdit* edit, char separator) {
    edit->installEventFilter(new NumberKeys(edit, separator));
}

}  // namespace kalvenor
