#pragma once

#include <QObject>

class QComboBox;

namespace kalvenor {

// Remembers what a list showed before its latest change, so that a handler
// that refuses the user's choice can put the list back as it was.
class SelectionHistory : public QObject {
    Q_OBJECT
public:
    // Lives as long as the box it watches.
    explicit SelectionHistory(QComboBox* box);

    // Shows the selection from before the user's latest choice again,
    // without running any handler.
    void Restore();

private:
    QComboBox* box_;
    int shown_;
    int previous_ = -1;
    int beforeChoice_ = -1;
    bool justChanged_ = false;
};

}  // namespace kalvenor
