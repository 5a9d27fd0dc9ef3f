#include "tables/CurrentTables.h"

#include "base/MessageBox.h"
#include "tables/Catalogue.h"
#include "tables/TableFiles.h"

#include <array>
#include <stdexcept>
#include <system_error>

namespace kalvenor {

namespace {

bool FileExists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error);
}

// The editor's refusals are warnings with an OK button.
Message Refusal(std::string text, std::string caption) {
    return {std::move(text), std::move(caption), Buttons::Ok, Icon::Warning};
}

Message FillEverything() {
    return Refusal("Все поля должны быть заполненными. ", "Предурпеждение.");
}

}  // namespace

std::span<const LayingMethod> LayingMethods() {
    static const std::array<LayingMethod, 5> methods{{
        {"В воздухе", {"Провод", "Кабель"}, {"2", "3", "4"}},
        {kInGround, {kCable}, {"2", "3", "4"}},
        {"Два провода в трубе", {"Провод"}, {"2"}},
        {"Три провода в трубе", {"Провод"}, {"3"}},
        {"Четыре провода в трубе", {"Провод"}, {"4"}},
    }};
    return methods;
}

std::string DefaultTemperatureText(std::string_view layingMethod) {
    return layingMethod == kInGround ? "15" : "25";
}

bool OpenCurrentTable(Dataset& table, const std::filesystem::path& directory,
                      const std::string& fileName, TableReading reading) {
    const std::filesystem::path path = directory / fileName;
    std::error_code error;
    if (fileName.empty() || !std::filesystem::exists(path, error)) {
        return false;
    }
    if (reading == TableReading::Always || !table.RevertToFile(path)) {
        table.OpenFile(path);
    }
    if (const auto problem = CurrentTableProblem(table.FieldDefs(), fileName)) {
        table.Bind({});
        table.Close();
        throw FileError(*problem);
    }
    table.SetOrder(kSectionField);
    return true;
}

std::optional<Message> CreateCurrentTable(Dataset& table, const std::filesystem::path& directory,
                                          const NewCurrentTable& request) {
    // Checked before anything touches the file system: a name with a path
    // in it could name a file outside the application directory.
    if (const auto problem = TableNameProblem(request.name)) {
        return Refusal(*problem, "Предурпеждение.");
    }
    const std::string fileName = request.name + ".xml";
    if (fileName.size() > LongestFileName(directory)) {
        return Refusal("Название таблицы слишком длинное для имени файла.", "Предурпеждение.");
    }
    if (FileExists(directory / fileName)) {
        return Refusal("Файл с таким именим существует.Измените название.", "Предупреждение.");
    }
    if (!request.name.empty() && FileExists(directory / request.name)) {
        return Refusal("Таблица с таким названием существует.", "Предупреждение.");
    }
    if (request.name.empty()) {
        return FillEverything();
    }
    table.Close();
    if (!CurrentTableParametersFit(request.brand, request.laying, request.cores, request.wiring,
                                   request.material)) {
        return FillEverything();
    }
    std::vector<FieldDef> fields = CurrentTableFieldDefs(
        request.brand, request.laying, request.cores, request.wiring, request.material);
    const std::filesystem::path path = directory / fileName;
    table.Bind({});
    table.Create(std::move(fields), CurrentTableIndexDefs());
    table.SetOrder(kSectionField);
    try {
        table.Write(path);
    } catch (const FileError& failure) {
        // Nothing was written: leave no table open that has no file.
        table.Close();
        return Refusal(failure.what(), "Предурпеждение.");
    }
    // The written empty table stays open, bound to its new file: no need to
    // read back what was just written.
    table.Bind(path);
    return std::nullopt;
}

}  // namespace kalvenor
