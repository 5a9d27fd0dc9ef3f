#pragma once

#include "base/MessageBox.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kalvenor {

// A way of laying with the wiring types and numbers of cores that make sense
// for it; the editor offers only these combinations.
struct LayingMethod {
    std::string_view name;
    std::vector<std::string_view> wiring;
    std::vector<std::string_view> cores;
};
std::span<const LayingMethod> LayingMethods();

// The ambient temperature a table presets: the ground is cooler than the air.
std::string DefaultTemperatureText(std::string_view layingMethod);

// Whether a table already loaded from the file may stand for reading it
// again while the file is unchanged.
enum class TableReading { Always, UnlessUnchanged };

// Loads application directory + file name into the current-table dataset,
// bound for write-back and ordered by "Сечение". False, touching nothing,
// when there is no such file. A file that cannot be read, or is not a
// current table, throws FileError and leaves the dataset closed and bound to
// nothing.
bool OpenCurrentTable(Dataset& table, const std::filesystem::path& directory,
                      const std::string& fileName, TableReading reading = TableReading::Always);

// What the editor's "Создать" reads.
struct NewCurrentTable {
    std::string name;
    std::string brand;
    std::string laying;
    std::string cores;
    std::string wiring;
    std::string material;
};

// Builds the new table, writes it to name + ".xml" in the directory and
// leaves it open and bound there; or refuses, having written nothing. The
// table loaded before is written back first.
std::optional<Message> CreateCurrentTable(Dataset& table, const std::filesystem::path& directory,
                                          const NewCurrentTable& request);

}  // namespace kalvenor
