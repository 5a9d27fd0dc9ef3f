#pragma once

#include "base/Numbers.h"
#include "calc/Criterion.h"
#include "calc/Ports.h"
#include "calc/Stop.h"
#include "calc/TableReads.h"
#include "calc/Trail.h"
#include "calc/VoltageOptions.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <optional>
#include <string>

namespace kalvenor {

// The three table datasets the calculation reads, and where their files are.
struct CalculationTables {
    Dataset& currentTable;
    Dataset& breakers;
    Dataset& transformers;
    std::filesystem::path directory;
    // How the current table and the breaker database are read into their
    // datasets; without one, from the directory at every calculation.
    TableReader* reader = nullptr;
};

// One calculation, from the calculate button to the results and the report,
// talking to the main window only through its ports. A step that stops
// throws a CalculationStop; a user's error (a text that is no number, a file
// that cannot be read) stops it the same way.
class CalculationDriver {
public:
    CalculationDriver(MainWindowPort& window, UserPort& user, CalculationTables tables,
                      NumberFormat format);

    // The whole calculation: nothing when it reached its report, or the stop
    // with its message. Any caller can run it; only Run shows the stop.
    std::optional<CalculationStop> Calculate();
    // The calculate button: Calculate, and a stop shown with what it leaves.
    void Run();

    // The conductor's specific conductivity of the running calculation,
    // from the material the main window shows.
    double Conductivity() const { return conductivity_; }
    // The breaker's rated current and the short-circuit current at the
    // line's end of a calculation that reached its report.
    double BreakerRating() const { return ratedCurrent_; }
    double FaultCurrent() const { return shortCircuitCurrent_; }
    // The step that set the section of a calculation that reached its report.
    Criterion DecidingCriterion() const;
    // What the last calculation computed, step by step, as it computed it;
    // a stopped one ends with the stop's message.
    const Trail& Recorded() const { return trail_; }

private:
    void Steps();
    void Reset();
    void ReloadCurrentTable();
    void CheckData();
    void RecordInputs();
    void ComputeNominalCurrent();
    void ChooseBreakerAndTransformer();
    void SelectByContinuousCurrent();
    void ReadTransformer();
    void CheckShortCircuitTrip();
    void LimitVoltageDrop();
    void ShowResults();
    // An input or a result as the number its text converts to.
    template <typename Field>
    double Number(Field field) const {
        return StrToFloat(window_.Text(field), format_);
    }
    // Data that pass the input checks and still make no sense.
    [[noreturn]] static void Stop(const std::string& message);
    std::string Material() const;
    // The breaker database as read now, or nullptr when there is none.
    const Dataset* ReadBreakers();

    MainWindowPort& window_;
    UserPort& user_;
    CalculationTables tables_;
    DirectoryTableReader files_;
    TableReader& reader_;
    NumberFormat format_;
    MainWindowState& state_;

    const VoltageOption* option_ = nullptr;
    double conductivity_ = 0;
    double nominalCurrent_ = 0;
    double length_ = 0;
    double cosPhi_ = 0;
    std::string chosenSeries_;
    // The table's currents are derated once per calculation.
    bool corrected_ = false;
    double permissibleCurrent_ = 0;
    double ratedCurrent_ = 0;
    double transformerPower_ = 0;
    double transformerUk_ = 0;
    double shortCircuitSection_ = 0;
    // The first selection's, by the nominal current alone.
    double heatingSection_ = 0;
    Trail trail_;
    double workingSection_ = 0;
    double shortCircuitCurrent_ = 0;
};

}  // namespace kalvenor
