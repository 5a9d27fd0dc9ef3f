#include "widgets/SelectionHistory.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace kalvenor {

SelectionHistory::SelectionHistory(QComboBox* box)
    : QObject(box), box_(box), shown_(box->currentIndex()) {
    connect(box, &QComboBox::currentIndexChanged, this, [this](int index) {
        previous_ = shown_;
        shown_ = index;
        // A user's choice changes the index and reports the activation in
        // one go; a change made from code is over once the events run again.
        justChanged_ = true;
        QMetaObject::invokeMethod(
            this, [this] { justChanged_ = false; }, Qt::QueuedConnection);
    });
    // Connected before any handler of the window, so it runs first.
    connect(box, &QComboBox::activated, this,
            [this] { beforeChoice_ = justChanged_ ? previous_ : shown_; });
}

void SelectionHistory::Restore() {
    {
        const QSignalBlocker blocker(box_);
        box_->setCurrentIndex(beforeChoice_);
    }
    shown_ = beforeChoice_;
    previous_ = beforeChoice_;
}

}  // namespace kalvenor
