#include "tables/Catalogue.h"

#include "base/Utf8.h"
#include "tables/DataPacket.h"
#include "tables/TableFiles.h"

#include <cmath>

namespace kalvenor {

std::optional<std::string> CurrentTableProblem(const std::vector<FieldDef>& fields,
                                               const std::string& fileName) {
    const bool shaped = fields.size() == 7 && fields[0].name == kSectionField &&
                        fields[0].type == FieldType::Float && fields[1].name == kCurrentField &&
                        fields[1].type == FieldType::Float;
    if (shaped) {
        return std::nullopt;
    }
    return "Файл «" + fileName + "» не является таблицей допустимых длительных токов.";
}

int VoltageOptionForCores(const std::string& cores, NumberFormat format) {
    const double option = std::trunc(StrToFloat(cores, format) - 2);
    return option >= 0 && option <= 2 ? static_cast<int>(option) : -1;
}

CatalogueScan ScanCatalogue(const std::filesystem::path& directory, int option,
                            NumberFormat format) {
    CatalogueScan scan;
    std::vector<std::string> misnamed;
    const std::vector<std::string> names = ListCurrentTableFiles(directory, &misnamed);
    for (const std::string& name : misnamed) {
        scan.skipped.push_back(ShownBytes(name) + " (имя файла не в кодировке UTF-8)");
    }
    for (const std::string& name : names) {
        try {
            const std::vector<FieldDef> fields = ReadFieldDefs(directory / name);
            double cores = 0;
            if (CurrentTableProblem(fields, name) ||
                !TryStrToFloat(fields[kCoresPosition].name, format, cores)) {
                scan.skipped.push_back(name);
            } else if (cores - 2 == option) {
                scan.tables.push_back(name);
            }
        } catch (const FileError&) {
            scan.skipped.push_back(name);
        }
    }
    return scan;
}

std::string SkippedTablesMessage(const std::vector<std::string>& skipped) {
    std::string text =
        "Эти файлы не удалось прочитать как таблицы допустимых длительных токов, они "
        "пропущены:";
    // A directory full of foreign files must not give a box taller than the screen.
    constexpr std::size_t kShown = 20;
    for (std::size_t i = 0; i < skipped.size() && i < kShown; ++i) {
        text += "\n" + skipped[i];
    }
    if (skipped.size() > kShown) {
        text += "\n… и ещё " + std::to_string(skipped.size() - kShown);
    }
    return text;
}

std::string MissingTablesQuestion(int option) {
    const char* kind = option == 0   ? "двухжильного"
                       : option == 1 ? "трехжильного"
                                     : "четырехжильного";
    return std::string("В базе данных <Допустимые длительные токи> нет ") + kind +
           " провода или кабеля.\nОткрыть базу данных? ";
}

}  // namespace kalvenor
