#include "tables/CellText.h"

#include "base/Utf8.h"

#include <charconv>

namespace kalvenor {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

}  // namespace

std::string CellText(const Value& value, NumberFormat format) {
    if (const auto* number = std::get_if<double>(&value)) {
        return FloatToStr(*number, format);
    }
    if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*integer);
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return *text;
    }
    return {};
}

Value ParseCell(const FieldDef& field, std::string_view text, NumberFormat format) {
    if (field.type == FieldType::String) {
        if (field.size > 0 && Utf8Length(text) > static_cast<std::size_t>(field.size)) {
            throw UserError("Поле «" + field.name + "» не длиннее " + std::to_string(field.size) +
                            " символов.");
        }
        return std::string(text);
    }
    const std::string_view trimmed = Trimmed(text);
    if (trimmed.empty()) {
        return std::monostate{};
    }
    if (field.type == FieldType::Float) {
        return StrToFloat(text, format);
    }
    std::int64_t integer = 0;
    const auto result = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), integer);
    if (result.ec != std::errc() || result.ptr != trimmed.data() + trimmed.size()) {
        throw UserError("\"" + std::string(text) + "\" не является целым числом.");
    }
    return integer;
}

}  // namespace kalvenor
