#pragma once

#include "base/Files.h"
#include "tables/Dataset.h"
#include "tables/RowStore.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kalvenor {

// A table file: a DATAPACKET whose METADATA holds the field and index
// definitions and whose ROWDATA holds the rows, UTF-8.
struct DataPacket {
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    std::vector<Row> rows;
};

// What a table file holds besides what the program reads (an element, an
// attribute, a comment of another program or of a hand), kept so that a
// write-back puts it back in its place. Opaque outside the file format.
struct KeptMarkup;

// A table file as a dataset keeps it: slot i of the rows holds the file's
// row i, with sequence number i. The stamp is the file's as it was read.
struct TableFile {
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    RowStore rows;
    // The version read.
    FileStamp stamp;
    // Null when the file holds nothing the program does not read.
    std::shared_ptr<const KeptMarkup> kept;
    // What the file holds among its rows that no write-back could keep, as
    // a message names it: such a file may be read but not written.
    std::optional<std::string> unkept;
};

// All three throw FileError naming the file.
TableFile ReadTableFile(const std::filesystem::path& path);
DataPacket ReadDataPacket(const std::filesystem::path& path);
// Only the field definitions, without reading the rows.
std::vector<FieldDef> ReadFieldDefs(const std::filesystem::path& path);
// Temporary file in the same directory, flushed, renamed over the old one.
// Throws FileError naming the file, before touching any file when a
// value cannot be stored.
void WriteDataPacket(const std::filesystem::path& path, const DataPacket& packet);
// The same without a packet: the rows come from rowAt(0 .. rowCount - 1), so a
// dataset writes its rows without copying them.
void WriteDataPacket(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes, std::size_t rowCount,
                     const std::function<const Row&(std::size_t)>& rowAt);

// The rows of the store in the order of the slots given; with `kept`, in
// the place of the rows of the file they were read from, everything else of
// that file as it was. Returns the version written.
FileStamp WriteTableFile(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                         const std::vector<IndexDef>& indexes, const RowStore& rows,
                         std::span<const RowStore::Slot> order, const KeptMarkup* kept = nullptr);

}  // namespace kalvenor
