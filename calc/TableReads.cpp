#include "calc/TableReads.h"

#include "base/Files.h"
#include "tables/Catalogue.h"
#include "tables/CurrentTables.h"
#include "tables/TableFiles.h"

namespace kalvenor {

bool DirectoryTableReader::ReadCurrentTable(Dataset& table, const std::string& fileName) {
    return OpenCurrentTable(table, directory_, fileName, TableReading::UnlessUnchanged);
}

bool DirectoryTableReader::ReadBreakers(Dataset& breakers) {
    const std::filesystem::path path = directory_ / kBreakerFileName;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return false;
    }
    breakers.Load(path, kMaxCurrentField);
    return true;
}

const TableFile* HeldTableReader::Read(const std::string& fileName) {
    auto found = files_.find(fileName);
    if (found == files_.end()) {
        Held held;
        const std::filesystem::path path = directory_ / fileName;
        std::error_code error;
        if (!fileName.empty() && std::filesystem::exists(path, error)) {
            try {
                held = ReadTableFile(path);
            } catch (const FileError& failure) {
                held = std::string(failure.what());
            }
        }
        found = files_.emplace(fileName, std::move(held)).first;
    }
    if (const auto* problem = std::get_if<std::string>(&found->second)) {
        throw FileError(*problem);
    }
    return std::get_if<TableFile>(&found->second);
}

const TableFile* HeldTableReader::CurrentTable(const std::string& fileName) {
    const TableFile* file = Read(fileName);
    if (file != nullptr) {
        if (const auto problem = CurrentTableProblem(file->fields, fileName)) {
            throw FileError(*problem);
        }
    }
    return file;
}

bool HeldTableReader::ReadCurrentTable(Dataset& table, const std::string& fileName) {
    const TableFile* file = CurrentTable(fileName);
    if (file == nullptr) {
        return false;
    }
    table.Load(*file, kSectionField);
    return true;
}

bool HeldTableReader::ReadBreakers(Dataset& breakers) {
    const TableFile* file = Read(std::string(kBreakerFileName));
    if (file == nullptr) {
        return false;
    }
    breakers.Load(*file, kMaxCurrentField);
    return true;
}

}  // namespace kalvenor
