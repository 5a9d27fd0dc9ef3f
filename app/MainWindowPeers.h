#pragma once

#include "tables/TableDatasets.h"

#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// What the main window needs of the other windows: the datasets they show
// and the windows it opens. The owner of the windows is the real one; a test
// hands it datasets and recorders of its own, so the main window is built
// alone.
class MainWindowPeers {
public:
    virtual ~MainWindowPeers() = default;
    virtual TableDatasets& Tables() = 0;
    // The current-table editor, modeless; centred when opened from the menu,
    // where it stood when the catalogue offers it.
    virtual void ShowTableEditor(bool centred) = 0;
    virtual void ShowBreakerDatabase(bool modal) = 0;
    virtual void ShowTransformerDatabase() = 0;
    // The breaker-type chooser over these series; the series confirmed.
    virtual std::string ChooseBreakerSeries(const std::vector<std::string>& series) = 0;
    // The drop-limit dialog over the present drop.
    virtual std::optional<double> AskPermittedDrop(double voltageDrop) = 0;
    virtual void ShowAbout() = 0;
    // The grouping-coefficient dialog, modal, from one cable at 100 mm.
    virtual void ShowCoefficients() = 0;
    // The line journal, modeless.
    virtual void ShowJournal() = 0;
    // Asks about the journal's unsaved changes before the program ends;
    // false when the user keeps the program open.
    virtual bool CloseJournal() = 0;
    // Rows still being typed in the table windows are posted before anything
    // reloads or closes their datasets; false, after the error box and with
    // that window in front, when one cannot be posted.
    virtual bool PostTableEdits() = 0;
};

}  // namespace kalvenor
