#include "app/HelpWindow.h"
#include "tests/core/TempDir.h"
#include "tests/support/ScriptedMessageBox.h"
#include "tests/ui/UiFixture.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <set>

namespace kalvenor::ui {

using testing::ShownMessage;

namespace {

// The folder the build copies the help into, beside the program.
const std::filesystem::path kProgramFolder = KALVENOR_PROGRAM_DIR;

// Every anchor the page defines, and every link inside the page.
struct PageLinks {
    std::set<QString> anchors;
    std::set<QString> internalTargets;
};

PageLinks Links(const QTextDocument& document) {
    PageLinks links;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            for (const QString& name : format.anchorNames()) {
                links.anchors.insert(name);
            }
            const QString href = format.anchorHref();
            if (href.startsWith('#')) {
                links.internalTargets.insert(href.mid(1));
            }
        }
    }
    return links;
}

}  // namespace

// Stands in for the desktop's mail program.
class MailCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

class HelpWindowTest : public QObject {
    Q_OBJECT

private slots:
    void eachWindowsContextOpensItsSection() {
        testing::ScriptedMessageBox messages;
        HelpWindowViewer viewer(messages, kProgramFolder);
        QVERIFY(viewer.Window() == nullptr);
        const QUrl topic = QUrl::fromLocalFile(
            QString::fromStdString((kProgramFolder / "help" / "RaschetSeti.html").string()));
        HelpWindow* window = nullptr;
        for (const int context : {10, 30, 40, 50, 1040, 1050}) {
            viewer.ShowHelp(static_cast<HelpSection>(context));
            if (window == nullptr) {
                window = viewer.Window();
            }
            QVERIFY(window != nullptr);
            QCOMPARE(viewer.Window(), window);
            QVERIFY(window->isVisible());
            QTextBrowser* browser = Find<QTextBrowser>(window, "HelpBrowser");
            QUrl expected = topic;
            expected.setFragment(QString("context-%1").arg(context));
            QCOMPARE(browser->source(), expected);
            QVERIFY2(Links(*browser->document()).anchors.count(expected.fragment()) == 1,
                     qPrintable(expected.fragment()));
        }
        // The last section lies far down the page; the contents are at the top.
        QVERIFY(Find<QTextBrowser>(window, "HelpBrowser")->verticalScrollBar()->value() > 0);
        viewer.ShowHelp(HelpSection::Contents);
        QCOMPARE(Find<QTextBrowser>(window, "HelpBrowser")->source(), topic);
        QCOMPARE(Find<QTextBrowser>(window, "HelpBrowser")->verticalScrollBar()->value(), 0);
        QVERIFY(messages.shown.empty());
    }

    void everyLinkOfThePageLeadsToASection() {
        testing::ScriptedMessageBox messages;
        HelpWindowViewer viewer(messages, kProgramFolder);
        viewer.ShowHelp(HelpSection::Contents);
        const PageLinks links =
            Links(*Find<QTextBrowser>(viewer.Window(), "HelpBrowser")->document());
        QVERIFY(links.internalTargets.size() > 10);
        for (const QString& target : links.internalTargets) {
            QVERIFY2(links.anchors.count(target) == 1, qPrintable(target));
        }
    }

    void linksMoveInsideTheHelpAndMailGoesToTheDesktop() {
        testing::ScriptedMessageBox messages;
        HelpWindowViewer viewer(messages, kProgramFolder);
        viewer.ShowHelp(HelpSection::MainWindow);
        HelpWindow* window = viewer.Window();
        QTextBrowser* browser = Find<QTextBrowser>(window, "HelpBrowser");
        QVERIFY(!Find<QPushButton>(window, "BackButton")->isEnabled());

        emit browser->anchorClicked(QUrl("#kz"));
        QCOMPARE(browser->source().fragment(), QString("kz"));
        QVERIFY(Find<QPushButton>(window, "BackButton")->isEnabled());
        Find<QPushButton>(window, "BackButton")->click();
        QCOMPARE(browser->source().fragment(), QString("context-10"));
        QVERIFY(Find<QPushButton>(window, "ForwardButton")->isEnabled());
        Find<QPushButton>(window, "ForwardButton")->click();
        QCOMPARE(browser->source().fragment(), QString("kz"));
        Find<QPushButton>(window, "ContentsButton")->click();
        QVERIFY(browser->source().fragment().isEmpty());
        QCOMPARE(browser->verticalScrollBar()->value(), 0);

        MailCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "Open");
        emit browser->anchorClicked(QUrl("mailto:kalvenor@example.org"));
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl("mailto:kalvenor@example.org")});
        QVERIFY(browser->source().fragment().isEmpty());
        QVERIFY(browser->source().isLocalFile());

        // Escape in the page closes the window; the help command brings it back.
        QTest::keyClick(browser, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        viewer.ShowHelp(HelpSection::Contents);
        QVERIFY(window->isVisible());
    }

    void missingHelpFileIsNamedInAMessage() {
        test::TempDir folder;
        testing::ScriptedMessageBox messages;
        HelpWindowViewer viewer(messages, folder.Path());
        viewer.ShowHelp(HelpSection::TableEditor);
        const std::string file = (folder.Path() / "help" / "RaschetSeti.html").string();
        QCOMPARE(messages.shown, (std::vector<ShownMessage>{
                                     {"Файл справки «" + file + "» не найден.", "Kalvenor", 48}}));
        QVERIFY(viewer.Window() == nullptr);

        // Once the help is there, the same viewer shows it.
        std::filesystem::create_directories(folder.Path() / "help");
        test::WriteBytes(folder.Path() / "help" / "RaschetSeti.html",
                         "<html><body><h1 id=\"context-30\">Таблицы</h1></body></html>");
        viewer.ShowHelp(HelpSection::TableEditor);
        QCOMPARE(messages.shown.size(), std::size_t{1});
        QVERIFY(viewer.Window() != nullptr && viewer.Window()->isVisible());
    }
};

namespace {
const Registration<HelpWindowTest> registration;
}

}  // namespace kalvenor::ui

#include "HelpWindowTest.moc"
