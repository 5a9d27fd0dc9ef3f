#pragma once

#include <QLabel>

namespace kalvenor {

// A one-line label whose text never widens its column: a text too long for
// the width it gets ends in "…", and its tooltip shows the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // The text as the label shows it at its present width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kalvenor
