#pragma once

#include "app/MainWindowPeers.h"
#include "journal/JournalWindow.h"
#include "tables/TableDatasets.h"
#include "widgets/Context.h"

#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TAboutBox;
class TBazaAvt;
class TBazaT;
class TBazaTran;
class TForm1;
class TForm6;
class TInsertAvtomat;
class TProsentMin;

namespace kalvenor {

class DatasetGrid;
class DeferredStart;

// A window of the run: owned here, and reachable through its global while
// it lives.
template <typename Window>
class OwnedWindow {
public:
    explicit OwnedWindow(Window*& global) : global_(global) {}
    ~OwnedWindow() { Reset(); }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;

    template <typename... Arguments>
    Window& Create(Arguments&&... arguments) {
        window_ = std::make_unique<Window>(std::forward<Arguments>(arguments)...);
        global_ = window_.get();
        return *window_;
    }
    // The global goes first: nothing reaches a window being torn down.
    void Reset() {
        if (global_ == window_.get()) {
            global_ = nullptr;
        }
        window_.reset();
    }
    Window* Get() const { return window_.get(); }
    Window* operator->() const { return window_.get(); }

private:
    Window*& global_;
    std::unique_ptr<Window> window_;
};

// The windows of one run and the datasets they show. It creates the windows
// in their order, the main window first; at the end it writes back every
// table with unsaved edits (unless WriteTablesBack did), reporting a file
// that cannot be written, and then the windows go in the reverse order of their members below, by
// construction. Adding a window is a member here and its line in
// CreateOtherWindows. It is the main window's view of the other windows,
// and the journal window's view of the main window.
class ProgramWindows final : public MainWindowPeers, public JournalPeers {
public:
    explicit ProgramWindows(const Context& context);
    ~ProgramWindows() override;
    ProgramWindows(const ProgramWindows&) = delete;
    ProgramWindows& operator=(const ProgramWindows&) = delete;

    // Both halves of start-up at once.
    void CreateWindows();
    void CreateMainWindow();
    // The other windows in their order, then the main window's transformer
    // list from the transformer database.
    void CreateOtherWindows();
    // Whether CreateOtherWindows has run: every window exists.
    bool OtherWindowsCreated() const;

    // The program's own start: the main window is created and shown alone,
    // and the other windows are built just after its first paint, or at once
    // when input for any window or a close comes first, so the user never
    // reaches a window before the transformer list is filled and the
    // databases exist. `shown` runs when the first paint is on the screen,
    // before the rest. A failure in the second half is shown and ends the
    // run.
    void ShowMainWindowFirst(std::function<void()> shown = {});

    // Every table with unsaved edits written back, a file that cannot be
    // written reported; false when a table was not written. Once: the end of
    // the run does not do it again.
    bool WriteTablesBack();

    // A table window with its grid and the dataset it edits.
    struct TableWindow {
        QWidget* window;
        DatasetGrid* grid;
        Dataset* dataset;
    };
    // The table windows, each once, in this order everywhere (posting rows
    // being typed, writing back); none before they are created.
    std::vector<TableWindow> TableWindows() const;
    // Nothing before it is created.
    TForm1* MainWindow() const;

    TableDatasets& Tables() override { return tables_; }
    void ShowTableEditor(bool centred) override;
    void ShowBreakerDatabase(bool modal) override;
    void ShowTransformerDatabase() override;
    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override;
    std::optional<double> AskPermittedDrop(double voltageDrop) override;
    void ShowAbout() override;
    void ShowCoefficients() override;
    bool PostTableEdits() override;
    void ShowJournal() override;
    bool CloseJournal() override;
    LineInputs MainWindowLine() override;
    void ShowInMainWindow(const LineInputs& line) override;

private:
    const Context& context_;
    // First: every window below watches them.
    TableDatasets tables_;
    // Before the dialogs, so destroyed after them: they write into it.
    OwnedWindow<TForm1> main_;
    OwnedWindow<TAboutBox> about_;
    OwnedWindow<TForm6> coefficients_;
    OwnedWindow<TBazaAvt> breakers_;
    OwnedWindow<TBazaT> editor_;
    OwnedWindow<TInsertAvtomat> chooser_;
    OwnedWindow<TProsentMin> dropLimit_;
    OwnedWindow<TBazaTran> transformers_;
    OwnedWindow<JournalWindow> journal_;
    std::unique_ptr<DeferredStart> deferredStart_;
    bool otherWindowsCreated_ = false;
    bool writtenBack_ = false;
};

}  // namespace kalvenor
