#pragma once

#include "journal/Journal.h"
#include "output/ReportCommands.h"
#include "widgets/Context.h"

#include <QMainWindow>
#include <filesystem>
#include <optional>
#include <vector>

class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace kalvenor {

class BatchTables;
class JournalModel;
class TrailView;

// What the journal window needs of the rest of the program: the main
// window's line, and the table windows' rows still being typed.
class JournalPeers {
public:
    virtual ~JournalPeers() = default;
    // The main window's inputs and choices as a journal line.
    virtual LineInputs MainWindowLine() = 0;
    // A line's inputs put into the main window, which comes to the front,
    // for the interactive calculation.
    virtual void ShowInMainWindow(const LineInputs& line) = 0;
    // Rows being typed in the table windows posted before the tables are
    // read; false when one cannot be.
    virtual bool PostTableEdits() = 0;
};

// The line journal: a switchboard's lines in a grid, sized all at once by
// the main window's calculation, kept in a .kvj file and exchanged with
// spreadsheets. Its controls are named for the tests.
class JournalWindow : public QMainWindow {
    Q_OBJECT
public:
    JournalWindow(const Context& context, JournalPeers& peers);
    ~JournalWindow() override;

    // The journal in a file: loaded whole, its missing names marked. A file
    // that cannot be read changes nothing and says why (FileError).
    void OpenFile(const std::filesystem::path& path);
    // Asks about unsaved changes: true when the window may close (saved,
    // or the changes dropped by the user's choice).
    bool ConfirmClose();
    const Journal& Document() const { return journal_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    template <typename Sender, typename Signal>
    void Connect(Sender* sender, Signal signal, void (JournalWindow::*handler)());

    void NewJournal();
    void Open();
    // A journal of the "Недавние журналы" menu, by its action.
    void RecentChosen();
    // The menu's commands; the answers say whether the journal was saved.
    void SaveCommand() { Save(); }
    void SaveAsCommand() { SaveAs(); }
    void CloseCommand() { close(); }
    bool Save();
    bool SaveAs();
    void ImportCsv();
    void ExportCsv();
    void ExportXlsx();
    void SaveCableJournal();
    void PrintCableJournal();
    void Calculate();
    void AddLine();
    void RemoveLines();
    void ToMainWindow();
    void FromMainWindow();
    // The current line calculated again, and why it got its section in a
    // window of its own beside the journal, to read, save or print.
    void ShowLineTrail();
    void SaveLineTrail();
    void PrintLineTrail();

    bool SaveTo(const std::filesystem::path& path);
    std::vector<std::size_t> SelectedLines() const;
    std::optional<std::size_t> CurrentLine() const;
    // An input changed: the line is calculated again at once once the
    // journal has been calculated, as the main window's results go with
    // their inputs.
    void JournalChanged(const JournalChange& change);
    void RecalculateLine(std::size_t line);
    // The marks of the missing names, and the columns fitted to what they show.
    void RefreshMarks();
    void FitColumns();
    void RefreshTitle();
    void RefillRecent(const std::vector<std::filesystem::path>& journals);
    void Remember(const std::filesystem::path& path);
    std::filesystem::path StartFolder() const;
    std::string DesignName() const;

    const Context& context_;
    JournalPeers& peers_;
    Journal journal_;
    JournalModel* model_ = nullptr;
    int observer_ = 0;
    std::filesystem::path path_;
    bool calculated_ = false;
    std::vector<std::size_t> pending_;

    QTableView* grid_ = nullptr;
    QPushButton* calculate_ = nullptr;
    QLabel* status_ = nullptr;
    QMenu* recent_ = nullptr;
    QDialog* trailWindow_ = nullptr;
    TrailView* lineTrail_ = nullptr;
    ReportCommands reportCommands_{context_};
};

}  // namespace kalvenor

extern kalvenor::JournalWindow* LineJournal;
