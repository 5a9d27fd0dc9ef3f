#pragma once

#include "base/Numbers.h"
#include "calc/Trail.h"

#include <QTextEdit>
#include <string>

namespace kalvenor {

// The page that says why a calculation chose its section. Read-only, but
// selectable and copyable from the keyboard as well as the mouse; Tab moves
// on as in every other field.
class TrailView : public QTextEdit {
    Q_OBJECT
public:
    explicit TrailView(QWidget* parent = nullptr);

    // The trail's page, headed with the date and time of now.
    void Show(const Trail& trail, NumberFormat format);
    // Empty, as a report is when its inputs changed.
    void Clear();
    bool Shown() const { return !fileName_.empty(); }
    // The name its save is offered under, from the table and the date.
    const std::string& FileName() const { return fileName_; }

signals:
    void ShownChanged(bool shown);

protected:
    bool event(QEvent* event) override;

private:
    std::string fileName_;
};

}  // namespace kalvenor
