#include "tables/Databases.h"

#include <system_error>

namespace kalvenor {

namespace {

// Ends a message: as a clause after a comma, or as a sentence of its own.
constexpr std::string_view kNotSaved = "изменения базы данных не будут сохранены.";
constexpr std::string_view kNotSavedSentence = "\nИзменения базы данных не будут сохранены.";

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

// An empty database in memory only: nothing is bound to the file, so no
// write-back can ever replace it.
std::optional<std::string> KeepInMemory(Dataset& dataset, const std::vector<FieldDef>& fields,
                                        const std::vector<IndexDef>& indexes,
                                        const std::string& orderField,
                                        std::optional<std::string> warning) {
    ResetEmpty(dataset, fields, indexes);
    dataset.SetOrder(orderField);
    return warning;
}

std::optional<std::string> CreateMissing(Dataset& dataset, const std::filesystem::path& path,
                                         const std::vector<FieldDef>& fields,
                                         const std::vector<IndexDef>& indexes,
                                         const std::string& orderField, bool folderWritable) {
    if (!folderWritable) {
        return KeepInMemory(dataset, fields, indexes, orderField, std::nullopt);
    }
    ResetEmpty(dataset, fields, indexes);
    try {
        dataset.Write(path);
    } catch (const FileError& failure) {
        return KeepInMemory(dataset, fields, indexes, orderField,
                            failure.what() + std::string(kNotSavedSentence));
    }
    dataset.Bind(path);
    dataset.SetOrder(orderField);
    return std::nullopt;
}

}  // namespace

std::optional<std::string> OpenDatabase(Dataset& dataset, const std::filesystem::path& path,
                                        const std::vector<FieldDef>& fields,
                                        const std::vector<IndexDef>& indexes,
                                        const std::string& orderField, bool folderWritable) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return CreateMissing(dataset, path, fields, indexes, orderField, folderWritable);
    }
    std::string problem;
    int code = 0;
    const auto read = [&] {
        problem.clear();
        code = 0;
        try {
            dataset.OpenFile(path);
            if (!HasFields(dataset, fields)) {
                problem = "Файл " + Quoted(path.string()) + " не является этой базой данных.";
            }
        } catch (const FileError& failure) {
            problem = failure.what();
            code = failure.Code();
        }
    };
    const std::optional<FileStamp> before = StampOf(path);
    read();
    // Another program rewriting the file in place right now leaves a torn
    // read, not a damaged file: read again once it is done.
    if (!problem.empty() && code == 0 && before && ChangedOnceSettled(path, *before)) {
        read();
    }
    if (problem.empty()) {
        dataset.SetOrder(orderField);
        if (!folderWritable) {
            dataset.Bind({});
        } else if (const auto& refusal = dataset.ReadOnlyReason()) {
            // Replacing the file would succeed in a writable folder, but its
            // owner made it read-only, or it holds what a write would drop:
            // the program keeps its hands off.
            return refusal;
        }
        return std::nullopt;
    }
    // Only a regular file whose bytes were read and found wrong is set aside.
    // A file the program may not read, a failed read, a FIFO or a device stays
    // where it is: renaming it would not mend it, and the user would lose
    // track of a file that may well be sound.
    const bool damaged = code == 0 && std::filesystem::is_regular_file(path, error);
    if (!damaged || !folderWritable) {
        return KeepInMemory(dataset, fields, indexes, orderField,
                            problem + "\nФайл оставлен как есть, " + std::string(kNotSaved));
    }
    const std::filesystem::path backup = KeepAside(path, error);
    if (error) {
        return KeepInMemory(dataset, fields, indexes, orderField,
                            problem + "\nПереименовать его не удалось (" +
                                SystemErrorText(error.value()) + "), " + std::string(kNotSaved));
    }
    const std::string kept = "\nФайл сохранён как " + Quoted(backup.filename().string());
    ResetEmpty(dataset, fields, indexes);
    try {
        dataset.Write(path);
    } catch (const FileError& failure) {
        return KeepInMemory(dataset, fields, indexes, orderField,
                            problem + kept + ", но новую базу данных создать не удалось.\n" +
                                failure.what() + std::string(kNotSavedSentence));
    }
    dataset.Bind(path);
    dataset.SetOrder(orderField);
    return problem + kept + ", создана пустая база данных.";
}

std::string UnsavedTableMessage(const FileError& failure, std::size_t edits) {
    return std::string(failure.what()) +
           "\nИзменения этой таблицы не сохранены. Изменённых строк: " + std::to_string(edits) +
           ".";
}

void SayWhyReadOnly(const Dataset& table, bool folderWritable, MessageBoxPort& messages) {
    if (const auto& reason = table.ReadOnlyReason(); reason && folderWritable) {
        messages.MessageBox({*reason, "Kalvenor", Buttons::Ok, Icon::Warning});
    }
}

ChangedFilePolicy AskBeforeWritingOver(MessageBoxPort& messages) {
    return [&messages](const std::filesystem::path& path) {
        const Answer answer = messages.MessageBox(
            {"Файл " + Quoted(path.string()) +
                 " изменён другой программой после того, как таблица была прочитана. Ваши "
                 "изменения пока только в памяти.\nЗаписать таблицу поверх файла?\nДа — "
                 "записать, изменения другой программы пропадут.\nНет — прочитать файл заново, "
                 "изменения, сделанные здесь, пропадут.",
             "Kalvenor", Buttons::YesNo, Icon::Warning});
        return answer == Answer::Yes  ? ChangedFileChoice::WriteOver
               : answer == Answer::No ? ChangedFileChoice::Reload
                                      : ChangedFileChoice::Keep;
    };
}

std::optional<std::string> TablesFolderProblem(const std::filesystem::path& directory,
                                               const FolderLock& lock) {
    const int code = FolderWriteError(directory);
    if (code == 0 && lock.HeldElsewhere()) {
        return "Таблицы папки " + Quoted(directory.string()) +
               " открыты в другой копии программы.\nЗдесь они открыты только для просмотра: "
               "расчёт возможен, изменять, создавать и удалять таблицы нельзя.";
    }
    if (code == 0) {
        return std::nullopt;
    }
    return "В папку программы " + Quoted(directory.string()) +
           " нельзя записывать: " + SystemErrorText(code) +
           ".\nИзменения таблиц не могут быть сохранены: таблицы открыты только для просмотра, "
           "создавать и удалять их нельзя.";
}

}  // namespace kalvenor
