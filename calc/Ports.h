#pragma once

#include "base/MessageBox.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

// The main window's controls that the calculation reads and writes. Each
// enumerator is the control's object name, and every switch over them lists
// them all, so a new control is a compile error wherever it needs a place.
enum class Control {
    Edit1,
    Edit2,
    Edit3,
    Edit4,
    Edit5,
    Edit6,
    Edit11,
    Edit12,
    Label6,
    Label8,
    Label21
};
enum class Combo { ComboBox1, ComboBox2, ComboBox3 };

std::string_view ControlName(Control control);
std::string_view ComboName(Combo combo);

// The main window's private state shared by the calculation steps.
struct MainWindowState {
    bool CalcAborted = false;
    double ReducedSection = 0;
    double VoltageDrop = 0;
    bool UseTransformer = true;
    double SelectedSection = 0;
};

class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;
    virtual std::string Text(Control control) const = 0;
    // Runs the control's change handler when the text changes, as typing does.
    virtual void SetText(Control control, const std::string& text) = 0;
    // Selects the whole text of an edit and gives it the focus.
    virtual void SelectAndFocus(Control control) = 0;
    // -1 when nothing is selected (or an editable box holds a typed text).
    virtual int ItemIndex(Combo combo) const = 0;
    // A selection made from code: no change handler runs.
    virtual void SetItemIndex(Combo combo, int index) = 0;
    virtual std::string ComboText(Combo combo) const = 0;
    virtual std::vector<std::string> Items(Combo combo) const = 0;
    virtual void ClearReport() = 0;
    virtual void AddReportLine(const std::string& line) = 0;
    virtual MainWindowState& State() = 0;
};

// Everything the calculation asks of the user.
class UserPort : public MessageBoxPort {
public:
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
