#pragma once

#include "base/Numbers.h"
#include "calc/Ports.h"
#include "calc/VoltageOptions.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <string>

namespace kalvenor {

// The three table datasets the calculation reads, and where their files are.
struct CalculationTables {
    Dataset& currentTable;
    Dataset& breakers;
    Dataset& transformers;
    std::filesystem::path directory;
};

// One calculation, from the calculate button to the results and the report,
// talking to the main window only through its ports. Every step that can
// stop returns false after its message.
class CalculationDriver {
public:
    CalculationDriver(MainWindowPort& window, UserPort& user, CalculationTables tables,
                      NumberFormat format);
    void Run();

    // The conductor's specific conductivity of the running calculation,
    // from the material the main window shows.
    double Conductivity() const { return conductivity_; }

private:
    void Reset();
    void ReloadCurrentTable();
    bool CheckData();
    bool ComputeNominalCurrent();
    bool ChooseBreakerAndTransformer();
    bool SelectByContinuousCurrent();
    bool ReadTransformer();
    bool CheckShortCircuitTrip();
    bool LimitVoltageDrop();
    void ShowResults();
    // An input or a result as the number its text converts to.
    template <typename Field>
    double Number(Field field) const {
        return StrToFloat(window_.Text(field), format_);
    }
    bool Stop(const std::string& message);
    std::string Material() const;

    MainWindowPort& window_;
    UserPort& user_;
    CalculationTables tables_;
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
    double workingSection_ = 0;
    double shortCircuitCurrent_ = 0;
};

}  // namespace kalvenor
