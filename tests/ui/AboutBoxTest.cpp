#include "app/About.h"
#include "tests/ui/UiFixture.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace kalvenor::ui {

namespace {

QColor LinkColour(TAboutBox& box) {
    return Find<QLabel>(&box, "Label1")->palette().color(QPalette::WindowText);
}

void MoveOver(QWidget* widget) {
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, inside, widget->mapToGlobal(inside), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

void Leave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
}

const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

private slots:
    void addressTurnsRedUnderTheMouseAndGreenWhenItLeaves() {
        FakeContext fakes;
        FakeLauncher& launcher = fakes.launcher;
        TAboutBox box(fakes.context);
        box.show();
        QCOMPARE(LinkColour(box), kGreen);
        MoveOver(Find<QLabel>(&box, "Label1"));
        QCOMPARE(LinkColour(box), kRed);
        Leave(Find<QLabel>(&box, "Label1"));
        QCOMPARE(LinkColour(box), kGreen);
        QVERIFY(launcher.urls.empty());
    }

    void clickOpensMailAndStaysRedUntilOk() {
        FakeContext fakes;
        FakeLauncher& launcher = fakes.launcher;
        TAboutBox box(fakes.context);
        box.show();
        QTest::mouseClick(Find<QLabel>(&box, "Label1"), Qt::LeftButton);
        QCOMPARE(launcher.urls, std::vector<std::string>{"mailto:kalvenor@example.org"});
        QCOMPARE(Find<QLabel>(&box, "Label1")->text(), QString("kalvenor@example.org"));
        QCOMPARE(LinkColour(box), kRed);
        // A press that ends outside the address is no click.
        QTest::mousePress(Find<QLabel>(&box, "Label1"), Qt::LeftButton);
        QTest::mouseRelease(Find<QLabel>(&box, "Label1"), Qt::LeftButton, {}, QPoint(-5, -5));
        QCOMPARE(launcher.urls.size(), std::size_t{1});

        QVERIFY(Find<QPushButton>(&box, "OKButton")->isDefault());
        Find<QPushButton>(&box, "OKButton")->click();
        QCOMPARE(LinkColour(box), kGreen);
        QCOMPARE(box.result(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }

    void tablesFolderIsShownWholeAsTheTip() {
        FakeContext fakes;
        TAboutBox box(fakes.context);
        const std::string deep = "/home/engineer/" + std::string(200, 'd') + "/Kalvenor";
        box.SetTablesFolder(deep);
        QCOMPARE(Find<QLabel>(&box, "TablesFolder")->toolTip(), QString::fromStdString(deep));
        QVERIFY(Find<QLabel>(&box, "TablesFolder")->text().startsWith("Таблицы: /home"));
        QVERIFY(Find<QLabel>(&box, "TablesFolder")
                    ->fontMetrics()
                    .horizontalAdvance(Find<QLabel>(&box, "TablesFolder")->text()) <=
                Find<QLabel>(&box, "TablesFolder")->width());
    }
};

namespace {
const Registration<AboutBoxTest> registration;
}

}  // namespace kalvenor::ui

#include "AboutBoxTest.moc"
