#include "app/Startup.h"

#include "app/About.h"
#include "app/Elect.h"
#include "app/MainWindowPeers.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "widgets/DatasetGrid.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <array>
#include <memory>

using namespace kalvenor;

namespace {

// The main window's view of the other windows: the one instance of each.
class WindowPeers final : public MainWindowPeers {
public:
    Dataset& CurrentTable() override { return BazaT->ClientDataSet1; }
    Dataset& Breakers() override { return BazaAvt->AVT1; }
    Dataset& Transformers() override { return BazaTran->ClientDataSet2; }

    void ShowTableEditor(bool centred) override {
        if (centred) {
            CentreOnScreen(BazaT);
        }
        BazaT->show();
        BazaT->raise();
    }

    void ShowBreakerDatabase(bool modal) override {
        CentreOnScreen(BazaAvt);
        if (modal) {
            // A window already open from the menu would stay modeless: the
            // calculation waits for it, so it comes back modal.
            BazaAvt->hide();
            BazaAvt->ShowModal();
        } else {
            BazaAvt->show();
            BazaAvt->raise();
        }
    }

    void ShowTransformerDatabase() override {
        CentreOnScreen(BazaTran);
        BazaTran->show();
        BazaTran->raise();
    }

    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override {
        return InsertAvtomat->Choose(series);
    }

    std::optional<double> AskPermittedDrop(double voltageDrop) override {
        return ProsentMin->Ask(voltageDrop);
    }

    void ShowAbout() override { AboutBox->exec(); }

    void ShowCoefficients() override { Form6->Open(); }

    bool PostTableEdits() override {
        const std::array<std::pair<QWidget*, DatasetGrid*>, 3> grids{{
            {BazaT, BazaT->DBGrid1},
            {BazaAvt, BazaAvt->DBGrid3},
            {BazaTran, BazaTran->DBGrid1},
        }};
        for (const auto& [window, grid] : grids) {
            if (!grid->PostPending()) {
                window->show();
                window->raise();
                return false;
            }
        }
        return true;
    }
};

WindowPeers peers;

void WriteBack(Dataset* dataset, MessageBoxPort& messages) {
    try {
        dataset->Close();
    } catch (const FileError& failure) {
        messages.MessageBox(std::string(failure.what()) + "\nИзменения этой таблицы не сохранены.",
                            "Kalvenor", kMbOkStop);
    }
}

template <typename Window>
void Destroy(Window*& window) {
    delete window;
    window = nullptr;
}

// The second half of start-up, waiting for the main window's first paint.
// It watches every event of the application until then: input or a close
// must not reach a window before the rest exists.
class DeferredStart final : public QObject {
public:
    DeferredStart(const Context& context, QWidget* window, std::function<void()> shown)
        : context_(context), window_(window), shown_(std::move(shown)) {
        QApplication::instance()->installEventFilter(this);
        // Should no paint ever come (a window that starts minimised), the
        // rest is built anyway.
        QTimer::singleShot(kLatestMs, this, [this] { Finish(); });
    }

    ~DeferredStart() override { QApplication::instance()->removeEventFilter(this); }

    void Finish() {
        if (finished_) {
            return;
        }
        finished_ = true;
        if (shown_) {
            shown_();
        }
        try {
            CreateOtherWindows(context_);
            QApplication::instance()->removeEventFilter(this);
        } catch (...) {
            // As a failure of any start-up step: shown, then the run ends.
            // Until it has ended no input reaches the half-built windows.
            ShowCurrentException(context_.messages);
            failed_ = true;
            QCoreApplication::exit(1);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (failed_) {
            return IsInput(event->type());
        }
        if (!finished_ && watched == window_ && event->type() == QEvent::Paint && !queued_) {
            // After this paint has been flushed to the screen.
            queued_ = true;
            QTimer::singleShot(0, this, [this] { Finish(); });
        } else if (IsInput(event->type())) {
            Finish();
            return failed_;
        }
        return false;
    }

private:
    static constexpr int kLatestMs = 1000;

    static bool IsInput(QEvent::Type type) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::NonClientAreaMouseButtonPress:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::InputMethod:
            case QEvent::TouchBegin:
            case QEvent::TabletPress:
            case QEvent::DragEnter:
            case QEvent::Drop:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }

    const Context& context_;
    QWidget* window_;
    std::function<void()> shown_;
    bool queued_ = false;
    bool finished_ = false;
    bool failed_ = false;
};

std::unique_ptr<DeferredStart> deferredStart;
bool otherWindowsCreated = false;

}  // namespace

void CreateMainWindow(const Context& context) {
    otherWindowsCreated = false;
    // What a killed write left beside the tables, before any table is read.
    RemoveStaleTemporaryFiles(context.directory);
    Form1 = new TForm1(context, peers);
}

void CreateOtherWindows(const Context& context) {
    AboutBox = new TAboutBox(context);
    AboutBox->SetTablesFolder(context.directory);
    Form6 = new TForm6(context, Form1->Grouping());
    BazaAvt = new TBazaAvt(context);
    BazaAvt->FormCreate();
    BazaT = new TBazaT(context);
    Form1->BindTableView(BazaT->ClientDataSet1);
    InsertAvtomat = new TInsertAvtomat(context);
    ProsentMin = new TProsentMin(context);
    BazaTran = new TBazaTran(context);
    BazaTran->FormCreate();
    Form1->FillTransformerList(BazaTran->ClientDataSet2);
    otherWindowsCreated = true;
}

void CreateWindows(const Context& context) {
    CreateMainWindow(context);
    CreateOtherWindows(context);
}

bool OtherWindowsCreated() {
    return otherWindowsCreated;
}

void ShowMainWindowFirst(const Context& context, std::function<void()> shown) {
    CreateMainWindow(context);
    CentreOnScreen(Form1);
    deferredStart = std::make_unique<DeferredStart>(context, Form1, std::move(shown));
    Form1->show();
}

void DestroyWindows(const Context& context) {
    deferredStart.reset();
    otherWindowsCreated = false;
    for (Dataset* dataset : {BazaAvt != nullptr ? &BazaAvt->AVT1 : nullptr,
                             BazaT != nullptr ? &BazaT->ClientDataSet1 : nullptr,
                             BazaTran != nullptr ? &BazaTran->ClientDataSet2 : nullptr}) {
        if (dataset != nullptr) {
            WriteBack(dataset, context.messages);
        }
    }
    // The main window's table view watches the editor's dataset: it goes first.
    Destroy(Form1);
    Destroy(BazaTran);
    Destroy(ProsentMin);
    Destroy(InsertAvtomat);
    Destroy(BazaT);
    Destroy(BazaAvt);
    Destroy(Form6);
    Destroy(AboutBox);
}
