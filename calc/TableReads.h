#pragma once

#include "tables/DataPacket.h"
#include "tables/Dataset.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace kalvenor {

// Where a calculation reads the current table the user chose and the breaker
// database.
class TableReader {
public:
    virtual ~TableReader() = default;
    // The named current table loaded into `table`, ordered by cross-section,
    // without the corrections of an earlier calculation; false, touching
    // nothing, when there is no such file. A file that is no current table
    // throws FileError.
    virtual bool ReadCurrentTable(Dataset& table, const std::string& fileName) = 0;
    // The breaker database loaded into `breakers`, ordered by its maximum
    // rated current; false, touching nothing, when there is no file: the
    // calculation then lists no breaker rather than one of an earlier
    // calculation.
    virtual bool ReadBreakers(Dataset& breakers) = 0;
};

// The main window's: the files at every calculation, so that an edit made
// in a table window counts at once. The current table stays bound to its
// file for the editor, and pending edits of the breaker database are written
// back before it is read again.
class DirectoryTableReader final : public TableReader {
public:
    explicit DirectoryTableReader(std::filesystem::path directory)
        : directory_(std::move(directory)) {}
    bool ReadCurrentTable(Dataset& table, const std::string& fileName) override;
    bool ReadBreakers(Dataset& breakers) override;

private:
    std::filesystem::path directory_;
};

// A batch's: each file read at its first use and kept as read, so that a
// whole journal reads every table once. Every calculation gets a fresh copy
// (its corrections never reach the next line); nothing is bound and nothing
// is ever written.
class HeldTableReader final : public TableReader {
public:
    explicit HeldTableReader(std::filesystem::path directory) : directory_(std::move(directory)) {}
    bool ReadCurrentTable(Dataset& table, const std::string& fileName) override;
    bool ReadBreakers(Dataset& breakers) override;
    // The current table as read, or nullptr when there is no such file; a
    // file that is no current table throws FileError, every time it is asked.
    const TableFile* CurrentTable(const std::string& fileName);
    const std::filesystem::path& Directory() const { return directory_; }

private:
    // A file as read, nothing when there is none, or why it could not be.
    using Held = std::variant<std::monostate, TableFile, std::string>;
    const TableFile* Read(const std::string& fileName);

    std::filesystem::path directory_;
    std::map<std::string, Held, std::less<>> files_;
};

}  // namespace kalvenor
