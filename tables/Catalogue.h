#pragma once

#include "base/Numbers.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

struct CatalogueScan {
    std::vector<std::string> tables;  // file names, in list order
    // Files that are not readable current tables, as a message shows them.
    std::vector<std::string> skipped;
};

// The current tables of the directory made for a voltage option: those whose
// number of cores (the name of field 4) minus 2 equals the option's index.
// Only the field definitions of each file are read.
CatalogueScan ScanCatalogue(const std::filesystem::path& directory, int option,
                            NumberFormat format);

// Why these field definitions are not a current table, or nothing.
std::optional<std::string> CurrentTableProblem(const std::vector<FieldDef>& fields,
                                               const std::string& fileName);

// The voltage option index a number of cores asks for (cores - 2, truncated
// toward zero), or -1 when it names none. Throws ConvertError for a number of
// cores that is not a number.
int VoltageOptionForCores(const std::string& cores, NumberFormat format);

std::string SkippedTablesMessage(const std::vector<std::string>& skipped);
std::string MissingTablesQuestion(int option);

}  // namespace kalvenor
