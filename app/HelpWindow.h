#pragma once

#include "base/MessageBox.h"
#include "widgets/Services.h"

#include <QUrl>
#include <QWidget>
#include <filesystem>
#include <memory>

class QPushButton;
class QTextBrowser;

namespace kalvenor {

// The help folder beside the program and its one topic file, whose sections
// carry the anchors "context-N" of the windows' help context numbers.
inline constexpr const char* kHelpFolder = "help";
inline constexpr const char* kHelpTopic = "RaschetSeti.html";

// A small browser over the program's HTML help: back, forward, contents.
// Links inside the help stay here; web and mail links go to the desktop.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(MessageBoxPort& messages);

    // Shows the file at the anchor; an empty anchor is the top of the page.
    void Open(const std::filesystem::path& file, const QString& anchor);

protected:
    // Escape closes the help, as it closes a dialog.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LinkClicked(const QUrl& link);
    void ShowContents();

    QTextBrowser* HelpBrowser;
    QPushButton* BackButton;
    QPushButton* ForwardButton;
    QPushButton* ContentsButton;

    MessageBoxPort& messages_;
    QUrl topic_;
};

// The help viewer of the program: the help window, made on first use.
// Must be destroyed before the application object, like every widget.
class HelpWindowViewer : public HelpViewer {
public:
    HelpWindowViewer(MessageBoxPort& messages, std::filesystem::path directory);
    ~HelpWindowViewer() override;

    void ShowHelp(HelpSection section) override;

    std::filesystem::path TopicFile() const;
    // Null until the help has been shown once.
    HelpWindow* Window() const { return window_.get(); }

private:
    MessageBoxPort& messages_;
    std::filesystem::path directory_;
    std::unique_ptr<HelpWindow> window_;
};

}  // namespace kalvenor
