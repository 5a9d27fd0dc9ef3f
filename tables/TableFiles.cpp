#include "tables/TableFiles.h"

#include "base/Utf8.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <system_error>

namespace kalvenor {

namespace {

constexpr std::string_view kRefusedInNames = "/\\<>:\"|?*";

FieldDef Float(std::string_view name, bool required = false) {
    return FieldDef{std::string(name), FieldType::Float, 0, required};
}

FieldDef String(std::string_view name, int size) {
    return FieldDef{std::string(name), FieldType::String, size, false};
}

}  // namespace

std::vector<FieldDef> BreakerFieldDefs() {
    return {
        String(kSeriesField, 20),
        Float(kMinCurrentField),
        Float(kMaxCurrentField),
        FieldDef{std::string(kPolesField), FieldType::Integer, 0, false},
        Float(kReleaseMultipleField),
    };
}

std::vector<FieldDef> TransformerFieldDefs() {
    return {
        String(kTransformerField, 20),
        Float(kPowerField),
        Float("Напряжение высщее КВ"),
        Float("Напряжение низщее КВ"),
        Float("Потери холостого хода Вт"),
        Float("Потери к.з. Вт"),
        Float(kUkField),
        Float("Ток холостого хода %"),
    };
}

std::vector<IndexDef> TransformerIndexDefs() {
    return {
        IndexDef{"01", {}, true, false},
        IndexDef{"02", {std::string(kPowerField)}, true, true},
    };
}

std::vector<FieldDef> CurrentTableFieldDefs(const std::string& brand, const std::string& laying,
                                            const std::string& cores, const std::string& wiring,
                                            const std::string& material) {
    std::vector<FieldDef> fields = {
        Float(kSectionField, true), Float(kCurrentField, true), String(brand, 10),
        String(laying, 10),         String(cores, 10),          String(wiring, 10),
        String(material, 10),
    };
    for (auto field = fields.begin(); field != fields.end(); ++field) {
        if (field->name.empty()) {
            throw std::invalid_argument("Название параметра таблицы не может быть пустым.");
        }
        if (std::any_of(fields.begin(), field,
                        [field](const FieldDef& other) { return other.name == field->name; })) {
            throw std::invalid_argument("Название «" + field->name +
                                        "» встречается в таблице дважды.");
        }
    }
    return fields;
}

std::vector<IndexDef> CurrentTableIndexDefs() {
    return {IndexDef{"", {std::string(kSectionField)}, true, true}};
}

std::vector<std::string> ListCurrentTableFiles(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().string();
        std::error_code typeError;
        if (name.ends_with(".xml") && name != kBreakerFileName && name != kTransformerFileName &&
            entry->is_regular_file(typeError)) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<std::string> TableNameProblem(std::string_view name) {
    const bool refused =
        name == "." || name == ".." || !IsUtf8(name) ||
        std::any_of(name.begin(), name.end(), [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || byte == 0x7F || kRefusedInNames.find(c) != std::string_view::npos;
        });
    if (!refused) {
        return std::nullopt;
    }
    return "Название таблицы не может содержать символы \\ / : * ? \" < > | и управляющие "
           "символы, и не может быть «.» или «..».";
}

}  // namespace kalvenor
