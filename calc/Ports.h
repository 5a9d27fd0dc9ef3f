#pragma once

#include "base/MessageBox.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// The calculation speaks of a line in the engineer's terms; the main window
// maps each of them to its control, and nothing of the core knows a control
// by name. Every switch over them lists them all, so a new one is a compile
// error wherever it needs a place.

// What the user types for the line. The calculation reads each as text and
// converts it where it uses it.
enum class Input { Power, CosPhi, Length, Temperature, Grouping };

// What the calculation shows.
enum class Result { Section, PermissibleCurrent, NominalCurrent, VoltageLine };

// What the open current table says of itself, as the main window shows it.
enum class TableParameter { LayingMethod, Material };

// The lists the user chooses from.
enum class Choice { CurrentTable, Transformer, Voltage };

// The main window's private state shared by the calculation steps.
struct MainWindowState {
    double ReducedSection = 0;
    double VoltageDrop = 0;
    bool UseTransformer = true;
    double SelectedSection = 0;
};

// What the calculation reads and writes on the main window. A caller
// without a window implements it over a line's texts held in memory.
class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;
    virtual std::string Text(Input input) const = 0;
    // Runs the input's change rule when the text changes, as typing does.
    virtual void SetText(Input input, const std::string& text) = 0;
    // Selects the whole text of the input and gives it the focus.
    virtual void SelectAndFocus(Input input) = 0;
    virtual std::string Text(Result result) const = 0;
    virtual void SetText(Result result, const std::string& text) = 0;
    virtual std::string Text(TableParameter parameter) const = 0;
    // -1 when nothing is selected (or an editable list holds a typed text).
    virtual int ItemIndex(Choice choice) const = 0;
    // A selection made from code: no change handler runs.
    virtual void SetItemIndex(Choice choice, int index) = 0;
    virtual std::string ChoiceText(Choice choice) const = 0;
    virtual void ClearReport() = 0;
    virtual void AddReportLine(const std::string& line) = 0;
    virtual MainWindowState& State() = 0;
};

// Everything the calculation asks of the user while it runs: the messages
// of steps that go on, the breaker series, whether and how far to reduce the
// drop; and, for the main window's run, the breaker database. A caller
// without a window answers from its own data and keeps the messages.
class UserPort : public MessageBoxPort {
public:
    // The question whether to reduce the drop; the main window asks it.
    virtual bool ConfirmsDropReduction(const Message& question) {
        return MessageBox(question) == Answer::Yes;
    }
    // The breaker database window, modal.
    virtual void ShowBreakerDatabaseModal() = 0;
    // The breaker-type chooser, modal, over these series; returns the series
    // the user confirmed (the chooser cannot be closed without one).
    virtual std::string ChooseBreakerSeries(const std::vector<std::string>& series) = 0;
    // The drop-limit dialog, modal: the permitted drop the user accepted
    // (above zero and at most the present drop), or nothing when the dialog
    // was closed by its title bar.
    virtual std::optional<double> AskPermittedDrop(double voltageDrop) = 0;
};

}  // namespace kalvenor
