#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kalvenor::examples {

// Writes the example current tables, "Avtomat.xml" and "tranform.xml" into
// the folder (which must exist), in the program's own file form, and returns
// the file names in the order written. Throws FileError when a file cannot be
// written and std::logic_error when a row of the example data would be refused
// by the program's own windows.
std::vector<std::string> WriteExampleTables(const std::filesystem::path& folder);

}  // namespace kalvenor::examples
