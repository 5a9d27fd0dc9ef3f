#pragma once

#include "widgets/Context.h"

#include <QDialog>
#include <filesystem>

class QFrame;
class QLabel;
class QPushButton;

// The about box: name and version, the rights, the contact address as a mail
// link, and the folder where this copy keeps its tables.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(const kalvenor::Context& context);

    static constexpr const char* kContactAddress = "kalvenor@example.org";

    void SetTablesFolder(const std::filesystem::path& folder);

    void Label1MouseMove();
    void Label1MouseLeave();
    void Label1Click();
    void OKButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void SetLinkColour(const QColor& colour);

    QFrame* Panel1;
    QLabel* ProgramIcon;
    QLabel* Label3;
    QLabel* ProductName;
    QLabel* Copyright;
    QLabel* Label4;
    QLabel* Comments;
    QLabel* Label2;
    QLabel* Label1;
    QLabel* TablesFolder;
    QPushButton* OKButton;

    const kalvenor::Context& context_;
};

extern TAboutBox* AboutBox;
