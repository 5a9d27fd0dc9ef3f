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

// One calculation, from the calculate button to the results, talking to the
// main window only through its ports.
class CalculationDriver {
public:
    CalculationDriver(MainWindowPort& window, UserPort& user, CalculationTables tables,
                      NumberFormat format);
    void Run();

private:
    void Reset();
    void ReloadCurrentTable();
    bool ComputeNominalCurrent();
    bool ChooseBreakerAndTransformer();
    double Number(Control control) const;

    MainWindowPort& window_;
    UserPort& user_;
    CalculationTables tables_;
    NumberFormat format_;
    MainWindowState& state_;

    const VoltageOption* option_ = nullptr;
    double nominalCurrent_ = 0;
    std::string chosenSeries_;
};

}  // namespace kalvenor
