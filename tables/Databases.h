#pragma once

#include "tables/Dataset.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kalvenor {

// Opens the breaker or transformer database at the path, bound for
// write-back and ordered by the given field. A missing file is created
// empty from the definitions. A file that cannot be read as this database is
// never overwritten: it is kept under a new name beside it and an empty
// database takes its place; the returned text tells the user so.
std::optional<std::string> OpenDatabase(Dataset& dataset, const std::filesystem::path& path,
                                        const std::vector<FieldDef>& fields,
                                        const std::vector<IndexDef>& indexes,
                                        const std::string& orderField);

}  // namespace kalvenor
