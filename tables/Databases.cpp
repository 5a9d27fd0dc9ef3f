#include "tables/Databases.h"

#include <system_error>

namespace kalvenor {

namespace {

// Every field the program reads must be there with its type; extra fields
// a user added by hand do no harm.
bool HasFields(const Dataset& dataset, const std::vector<FieldDef>& fields) {
    for (const FieldDef& field : fields) {
        const auto found = dataset.FindField(field.name);
        if (!found || dataset.FieldDefs()[*found].type != field.type) {
            return false;
        }
    }
    return true;
}

void ResetEmpty(Dataset& dataset, const std::vector<FieldDef>& fields,
                const std::vector<IndexDef>& indexes) {
    dataset.Bind({});
    dataset.Close();
    dataset.Create(fields, indexes);
}

std::filesystem::path FreeBackupName(const std::filesystem::path& path) {
    std::filesystem::path backup = path;
    backup += ".bad";
    std::error_code error;
    for (int n = 2; std::filesystem::exists(backup, error); ++n) {
        backup = path;
        backup += ".bad" + std::to_string(n);
    }
    return backup;
}

}  // namespace

std::optional<std::string> OpenDatabase(Dataset& dataset, const std::filesystem::path& path,
                                        const std::vector<FieldDef>& fields,
                                        const std::vector<IndexDef>& indexes,
                                        const std::string& orderField) {
    std::optional<std::string> warning;
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        ResetEmpty(dataset, fields, indexes);
        dataset.Write(path);
    } else {
        std::string problem;
        try {
            dataset.OpenFile(path);
            if (!HasFields(dataset, fields)) {
                problem = "Файл «" + path.string() + "» не является этой базой данных.";
            }
        } catch (const FileError& failure) {
            problem = failure.what();
        }
        if (!problem.empty()) {
            const std::filesystem::path backup = FreeBackupName(path);
            std::filesystem::rename(path, backup, error);
            if (error) {
                // The file stays as it is and nothing is bound to it, so no
                // write-back can ever replace it.
                ResetEmpty(dataset, fields, indexes);
                dataset.SetOrder(orderField);
                return problem + "\nПереименовать его не удалось (" + error.message() +
                       "), изменения базы данных не будут сохранены.";
            }
            ResetEmpty(dataset, fields, indexes);
            dataset.Write(path);
            warning = problem + "\nФайл сохранён как «" + backup.filename().string() +
                      "», создана пустая база данных.";
        }
    }
    dataset.Bind(path);
    dataset.SetOrder(orderField);
    return warning;
}

}  // namespace kalvenor
