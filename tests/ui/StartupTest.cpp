#include "app/About.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "tests/support/Tables.h"
#include "tests/ui/UiFixture.h"

namespace kalvenor::ui {

namespace {

// Records what is true when the first event of a kind reaches an object.
class FirstEvent : public QObject {
public:
    FirstEvent(QObject* target, QEvent::Type type, std::function<void()> record)
        : type_(type), record_(std::move(record)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_ && record_) {
            std::exchange(record_, nullptr)();
        }
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> record_;
};

}  // namespace

// The program's own start: the main window alone first, the rest after it
// and before the user can reach anything.
class StartupTest : public QObject {
    Q_OBJECT
    std::unique_ptr<FakeContext> fakes;
    std::unique_ptr<ProgramWindows> windows;

    bool OtherWindowsCreated() const { return windows->OtherWindowsCreated(); }

    void ShowMainWindowFirst() {
        windows = std::make_unique<ProgramWindows>(fakes->context);
        windows->ShowMainWindowFirst();
    }

private slots:
    void init() {
        fakes = std::make_unique<FakeContext>();
        Dataset transformers;
        testing::FillTransformers(transformers, {{"TM-40/10", 40, 4.7}, {"TM-25/10", 25, 4.5}});
        transformers.Write(*fakes->dir / "tranform.xml");
    }

    void cleanup() {
        windows.reset();
        fakes.reset();
    }

    void otherWindowsFollowTheFirstPaintInTheirOrder() {
        ShowMainWindowFirst();
        QVERIFY(Form1 != nullptr && Form1->isVisible());
        QVERIFY(!OtherWindowsCreated());
        QVERIFY(AboutBox == nullptr && BazaT == nullptr && BazaTran == nullptr);
        QVERIFY(QTest::qWaitFor([this] { return OtherWindowsCreated(); }));
        QVERIFY(AboutBox && Form6 && BazaAvt && BazaT && InsertAvtomat && ProsentMin && BazaTran);
        QVERIFY(std::filesystem::exists(*fakes->dir / "Avtomat.xml"));
        QCOMPARE(Form1->ComboBox2->count(), 2);
        QCOMPARE(Form1->ComboBox2->currentText(), QString("TM-25/10"));
        QVERIFY(fakes->messages.shown.empty());
    }

    // Keys typed while the program starts are held until the transformer
    // list is filled and the databases exist.
    void firstInputFindsEveryWindowBuilt() {
        ShowMainWindowFirst();
        bool ready = false;
        QString transformer;
        FirstEvent watch(Form1->Edit3, QEvent::KeyPress, [&] {
            ready = OtherWindowsCreated() && BazaTran != nullptr;
            transformer = Form1->ComboBox2->currentText();
        });
        QTest::keyClick(Form1->Edit3, Qt::Key_5);
        QVERIFY(ready);
        QCOMPARE(transformer, QString("TM-25/10"));
        QVERIFY(std::filesystem::exists(*fakes->dir / "Avtomat.xml"));
    }

    // Closing the main window at once ends the run the orderly way, with
    // the table windows there to be asked for their rows.
    void closingAtOnceFindsEveryWindowBuilt() {
        ShowMainWindowFirst();
        QVERIFY(Form1->close());
        QVERIFY(OtherWindowsCreated());
        QVERIFY(!Form1->isVisible());
    }
};

}  // namespace kalvenor::ui

static const kalvenor::ui::Registration<kalvenor::ui::StartupTest> registration;

#include "StartupTest.moc"
