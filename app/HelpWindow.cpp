#include "app/HelpWindow.h"

#include "widgets/Guard.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <fstream>
#include <system_error>
#include <utility>

namespace kalvenor {

namespace {

QUrl FileUrl(const std::filesystem::path& file) {
    return QUrl::fromLocalFile(QString::fromStdString(file.string()));
}

bool IsExternal(const QUrl& link) {
    const QString scheme = link.scheme().toLower();
    return scheme == "http" || scheme == "https" || scheme == "mailto";
}

}  // namespace

HelpWindow::HelpWindow(MessageBoxPort& messages)
    : QWidget(nullptr, Qt::Window), messages_(messages) {
    setObjectName("HelpWindow");
    setWindowTitle("Kalvenor — справка");
    resize(820, 640);

    BackButton = new QPushButton("Назад", this);
    BackButton->setObjectName("BackButton");
    ForwardButton = new QPushButton("Вперёд", this);
    ForwardButton->setObjectName("ForwardButton");
    ContentsButton = new QPushButton("Содержание", this);
    ContentsButton->setObjectName("ContentsButton");
    BackButton->setEnabled(false);
    ForwardButton->setEnabled(false);

    HelpBrowser = new QTextBrowser(this);
    HelpBrowser->setObjectName("HelpBrowser");
    // Links are followed here, so that only the help's own pages load into
    // the browser and everything else goes where it belongs.
    HelpBrowser->setOpenLinks(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BackButton);
    buttons->addWidget(ForwardButton);
    buttons->addWidget(ContentsButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(HelpBrowser);

    connect(BackButton, &QPushButton::clicked, HelpBrowser, &QTextBrowser::backward);
    connect(ForwardButton, &QPushButton::clicked, HelpBrowser, &QTextBrowser::forward);
    connect(HelpBrowser, &QTextBrowser::backwardAvailable, BackButton, &QPushButton::setEnabled);
    connect(HelpBrowser, &QTextBrowser::forwardAvailable, ForwardButton, &QPushButton::setEnabled);
    ConnectGuarded(messages_, ContentsButton, &QPushButton::clicked, this,
                   &HelpWindow::ShowContents);
    connect(HelpBrowser, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& link) { RunGuarded(messages_, [&] { LinkClicked(link); }); });
}

void HelpWindow::Open(const std::filesystem::path& file, const QString& anchor) {
    topic_ = FileUrl(file);
    QUrl target = topic_;
    if (!anchor.isEmpty()) {
        target.setFragment(anchor);
    }
    HelpBrowser->setSource(target);
    if (anchor.isEmpty()) {
        HelpBrowser->verticalScrollBar()->setValue(0);
    }
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HelpWindow::ShowContents() {
    HelpBrowser->setSource(topic_);
    HelpBrowser->verticalScrollBar()->setValue(0);
}

void HelpWindow::LinkClicked(const QUrl& link) {
    if (IsExternal(link)) {
        QDesktopServices::openUrl(link);
        return;
    }
    HelpBrowser->setSource(HelpBrowser->source().resolved(link));
}

HelpWindowViewer::HelpWindowViewer(MessageBoxPort& messages, std::filesystem::path directory)
    : messages_(messages), directory_(std::move(directory)) {}

HelpWindowViewer::~HelpWindowViewer() = default;

std::filesystem::path HelpWindowViewer::TopicFile() const {
    return directory_ / kHelpFolder / kHelpTopic;
}

void HelpWindowViewer::ShowHelp(HelpSection section) {
    const std::filesystem::path file = TopicFile();
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        messages_.MessageBox({"Файл справки «" + file.string() + "» не найден.", "Kalvenor",
                              Buttons::Ok, Icon::Warning});
        return;
    }
    // The browser shows an empty page for a file it cannot read; the user
    // should learn why instead.
    if (!std::ifstream(file).is_open()) {
        messages_.MessageBox({"Не удалось открыть файл справки «" + file.string() + "».",
                              "Kalvenor", Buttons::Ok, Icon::Warning});
        return;
    }
    if (window_ == nullptr) {
        window_ = std::make_unique<HelpWindow>(messages_);
    }
    window_->Open(file, section == HelpSection::Contents
                            ? QString()
                            : QString("context-%1").arg(static_cast<int>(section)));
    window_->show();
    window_->raise();
    window_->activateWindow();
}

}  // namespace kalvenor
