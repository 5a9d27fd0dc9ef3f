#include "app/Startup.h"

#include "app/About.h"
#include "app/Elect.h"
#include "app/Signals.h"
#include "base/Files.h"
#include "calc/Prosent.h"
#include "coeff/Kf.h"
#include "tables/Basatrasformator.h"
#include "tables/Bazatok.h"
#include "tables/Databases.h"
#include "tables/Insertavt.h"
#include "tables/Unit1.h"
#include "widgets/DatasetGrid.h"
#include "widgets/Frames.h"
#include "widgets/Guard.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

namespace kalvenor {

// The second half of start-up, waiting for the main window's first paint.
// It watches every event of the application until then: input or a close
// must not reach a window before the rest exists.
class DeferredStart final : public QObject {
public:
    DeferredStart(ProgramWindows& windows, const Context& context, QWidget* window,
                  std::function<void()> shown)
        : windows_(windows), context_(context), window_(window), shown_(std::move(shown)) {
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
        if (EndRequested()) {
            // The run ends before it is whole: nothing more is built.
            QApplication::instance()->removeEventFilter(this);
            return;
        }
        if (shown_) {
            shown_();
        }
        try {
            windows_.CreateOtherWindows();
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

    ProgramWindows& windows_;
    const Context& context_;
    QWidget* window_;
    std::function<void()> shown_;
    bool queued_ = false;
    bool finished_ = false;
    bool failed_ = false;
};

ProgramWindows::ProgramWindows(const Context& context)
    : context_(context),
      main_(Form1),
      about_(AboutBox),
      coefficients_(Form6),
      breakers_(BazaAvt),
      editor_(BazaT),
      chooser_(InsertAvtomat),
      dropLimit_(ProsentMin),
      transformers_(BazaTran),
      journal_(LineJournal) {}

ProgramWindows::~ProgramWindows() {
    if (!writtenBack_) {
        WriteTablesBack();
    }
}

bool ProgramWindows::WriteTablesBack() {
    deferredStart_.reset();
    writtenBack_ = true;
    bool written = true;
    for (const TableWindow& table : TableWindows()) {
        const std::size_t edits = table.dataset->UnsavedEdits();
        try {
            table.dataset->Close();
        } catch (const FileError& failure) {
            context_.messages.MessageBox(ErrorMessage(UnsavedTableMessage(failure, edits)));
            written = false;
        }
    }
    return written;
}

void ProgramWindows::CreateMainWindow() {
    otherWindowsCreated_ = false;
    // What a killed write left beside the tables, before any table is read;
    // only by the copy that may write them, as another may be writing now.
    if (context_.tablesWritable) {
        RemoveStaleTemporaryFiles(context_.directory);
    }
    main_.Create(context_, *this);
}

void ProgramWindows::CreateOtherWindows() {
    about_.Create(context_).SetTablesFolder(context_.directory);
    coefficients_.Create(context_, main_->Grouping());
    breakers_.Create(context_, tables_.breakers).FormCreate();
    editor_.Create(context_, tables_.currentTable);
    main_->BindTableView(tables_.currentTable);
    chooser_.Create(context_);
    dropLimit_.Create(context_);
    transformers_.Create(context_, tables_.transformers).FormCreate();
    main_->FillTransformerList(tables_.transformers);
    journal_.Create(context_, *this);
    otherWindowsCreated_ = true;
}

void ProgramWindows::CreateWindows() {
    CreateMainWindow();
    CreateOtherWindows();
}

bool ProgramWindows::OtherWindowsCreated() const {
    return otherWindowsCreated_;
}

void ProgramWindows::ShowMainWindowFirst(std::function<void()> shown) {
    CreateMainWindow();
    CentreOnScreen(main_.Get());
    deferredStart_ =
        std::make_unique<DeferredStart>(*this, context_, main_.Get(), std::move(shown));
    main_->show();
}

std::vector<ProgramWindows::TableWindow> ProgramWindows::TableWindows() const {
    if (!otherWindowsCreated_) {
        return {};
    }
    return {
        {editor_.Get(), editor_->DBGrid1, &editor_->ClientDataSet1},
        {breakers_.Get(), breakers_->DBGrid3, &breakers_->AVT1},
        {transformers_.Get(), transformers_->DBGrid1, &transformers_->ClientDataSet2},
    };
}

TForm1* ProgramWindows::MainWindow() const {
    return main_.Get();
}

void ProgramWindows::ShowTableEditor(bool centred) {
    if (centred) {
        CentreOnScreen(editor_.Get());
    }
    editor_->show();
    editor_->raise();
}

void ProgramWindows::ShowBreakerDatabase(bool modal) {
    CentreOnScreen(breakers_.Get());
    if (modal) {
        // A window already open from the menu would stay modeless: the
        // calculation waits for it, so it comes back modal.
        breakers_->hide();
        breakers_->ShowModal();
    } else {
        breakers_->show();
        breakers_->raise();
    }
}

void ProgramWindows::ShowTransformerDatabase() {
    CentreOnScreen(transformers_.Get());
    transformers_->show();
    transformers_->raise();
}

std::string ProgramWindows::ChooseBreakerSeries(const std::vector<std::string>& series) {
    return chooser_->Choose(series);
}

std::optional<double> ProgramWindows::AskPermittedDrop(double voltageDrop) {
    return dropLimit_->Ask(voltageDrop);
}

void ProgramWindows::ShowAbout() {
    about_->exec();
}

void ProgramWindows::ShowCoefficients() {
    coefficients_->ChooseCoefficient();
}

bool ProgramWindows::PostTableEdits() {
    for (const TableWindow& table : TableWindows()) {
        if (!table.grid->PostPending()) {
            table.window->show();
            table.window->raise();
            return false;
        }
    }
    return true;
}

void ProgramWindows::ShowJournal() {
    if (!journal_->isVisible()) {
        CentreOnScreen(journal_.Get());
    }
    journal_->show();
    journal_->raise();
    journal_->activateWindow();
}

bool ProgramWindows::CloseJournal() {
    return journal_.Get() == nullptr || journal_->ConfirmClose();
}

LineInputs ProgramWindows::MainWindowLine() {
    return main_->CurrentLine();
}

void ProgramWindows::ShowInMainWindow(const LineInputs& line) {
    main_->ShowLine(line);
}

}  // namespace kalvenor
