#pragma once

#include "tables/Dataset.h"
#include "tables/RowStore.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

namespace kalvenor {

// A table file: a DATAPACKET whose METADATA holds the field and index
// definitions and whose ROWDATA holds the rows, UTF-8.
struct DataPacket {
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    std::vector<Row> rows;
};

// A table file as a dataset keeps it: slot i of the rows holds the file's
// row i, with sequence number i. The stamp is the file's as it was read.
struct TableFile {
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    RowStore rows;
    FileStamp stamp;
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

// The rows of the store in the order of the slots given; returns the
// written file's stamp.
FileStamp WriteTableFile(const std::filesystem::path& path, const std::vector<FieldDef>& fields,
                         const std::vector<IndexDef>& indexes, const RowStore& rows,
                         std::span<const RowStore::Slot> order);

}  // namespace kalvenor
