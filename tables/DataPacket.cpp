#include "tables/DataPacket.h"

#include "base/Files.h"

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_set>

#include <pugixml.hpp>

namespace kalvenor {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMetadataEnd = "</METADATA>";

// No whitespace normalisation and no line-end conversion: a tab or a line
// break inside a text must read back as itself, not as a blank.
constexpr unsigned kParseFlags = pugi::parse_escapes;

// A definition or a value that no table file can hold: refused before any
// file is touched.
FileError Unwritable(const fs::path& path, const std::string& reason) {
    return FileError("Не удалось записать файл " + Quoted(path.string()) + ": " + reason + ".");
}

// Why a file is not a table; ReadPacket adds the file name.
struct Damage {
    std::string detail;
};

// A piece of the file quoted in a message: a damaged file may hold a megabyte
// of garbage where a number belongs. Cut on a character boundary.
std::string Excerpt(std::string_view text) {
    constexpr std::size_t kLimit = 40;
    if (text.size() <= kLimit) {
        return std::string(text);
    }
    std::size_t end = kLimit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end)) + "…";
}

// Visits the element children of a node, all of which must be named `name`:
// an unknown element in a hand-edited file would otherwise vanish on the next
// write-back.
template <typename Visit>
void ForEachChild(pugi::xml_node node, std::string_view name, Visit visit) {
    for (pugi::xml_node child : node.children()) {
        if (child.type() != pugi::node_element) {
            continue;
        }
        if (child.name() != name) {
            throw Damage{"неизвестный элемент <" + Excerpt(child.name()) + "> в <" + node.name() +
                         ">"};
        }
        visit(child);
    }
}

bool ReadFlag(pugi::xml_node node, const char* name) {
    const pugi::xml_attribute attribute = node.attribute(name);
    if (!attribute) {
        return false;
    }
    const std::string_view text = attribute.value();
    if (text != "true" && text != "false") {
        throw Damage{std::string("атрибут ") + name + " = \"" + Excerpt(text) +
                     "\" вместо true или false"};
    }
    return text == "true";
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    return error == std::errc() && stop == end;
}

const char* TypeName(FieldType type) {
    switch (type) {
        case FieldType::Float:
            return "r8";
        case FieldType::Integer:
            return "i4";
        case FieldType::String:
            return "string";
    }
    return "";
}

FieldDef ReadField(pugi::xml_node node) {
    FieldDef field;
    const pugi::xml_attribute name = node.attribute("attrname");
    if (!name) {
        throw Damage{"у поля нет атрибута attrname"};
    }
    field.name = name.value();
    const std::string_view type = node.attribute("fieldtype").value();
    if (type == "r8") {
        field.type = FieldType::Float;
    } else if (type == "i4") {
        field.type = FieldType::Integer;
    } else if (type == "string") {
        field.type = FieldType::String;
    } else {
        throw Damage{"у поля «" + field.name + "» неизвестный тип \"" + Excerpt(type) + "\""};
    }
    if (const pugi::xml_attribute width = node.attribute("WIDTH")) {
        if (!ParseNumber(std::string_view(width.value()), field.size) || field.size < 0) {
            throw Damage{"у поля «" + field.name + "» неверная ширина \"" + Excerpt(width.value()) +
                         "\""};
        }
    }
    field.required = ReadFlag(node, "required");
    return field;
}

IndexDef ReadIndex(pugi::xml_node node) {
    IndexDef index;
    index.name = node.attribute("name").value();
    index.unique = ReadFlag(node, "unique");
    index.descending = ReadFlag(node, "descending");
    ForEachChild(node, "INDEXFIELD", [&index](pugi::xml_node field) {
        index.fields.emplace_back(field.attribute("name").value());
    });
    return index;
}

// What makes definitions unfit for a table file; the reader calls it damage,
// the writer refuses, so that every file written reads back.
std::optional<std::string> DefinitionProblem(const std::vector<FieldDef>& fields,
                                             const std::vector<IndexDef>& indexes) {
    std::unordered_set<std::string_view> names;
    for (const FieldDef& field : fields) {
        if (field.name.empty()) {
            return "у поля пустое название";
        }
        if (field.name.find('\0') != std::string::npos) {
            return "в названии поля «" + field.name + "» есть нулевой символ";
        }
        if (!names.insert(field.name).second) {
            return "поле «" + field.name + "» описано дважды";
        }
        if (field.size < 0) {
            return "у поля «" + field.name + "» отрицательная ширина";
        }
    }
    for (const IndexDef& index : indexes) {
        if (index.name.find('\0') != std::string::npos) {
            return "в названии индекса «" + index.name + "» есть нулевой символ";
        }
        for (const std::string& name : index.fields) {
            if (!names.contains(name)) {
                return "индекс «" + index.name + "» ссылается на несуществующее поле «" + name +
                       "»";
            }
        }
    }
    return std::nullopt;
}

// "c0", "c1", ...: the position of a cell, or nothing for any other name.
std::optional<std::size_t> CellPosition(std::string_view name) {
    std::size_t position = 0;
    if (name.size() < 2 || name[0] != 'c' || (name[1] == '0' && name.size() > 2) ||
        !ParseNumber(name.substr(1), position)) {
        return std::nullopt;
    }
    return position;
}

Value ReadCell(const FieldDef& field, std::string_view text) {
    switch (field.type) {
        case FieldType::Float: {
            double number = 0;
            if (ParseNumber(text, number) && std::isfinite(number)) {
                return number;
            }
            break;
        }
        case FieldType::Integer: {
            std::int64_t number = 0;
            if (ParseNumber(text, number)) {
                return number;
            }
            break;
        }
        case FieldType::String:
            return std::string(text);
    }
    throw Damage{"значение \"" + Excerpt(text) + "\" поля «" + field.name + "» не является числом"};
}

Row ReadRow(pugi::xml_node node, const std::vector<FieldDef>& fields) {
    Row row(fields.size());
    for (pugi::xml_attribute attribute : node.attributes()) {
        const std::optional<std::size_t> position = CellPosition(attribute.name());
        if (!position || *position >= fields.size()) {
            throw Damage{"ячейка " + Excerpt(attribute.name()) + " вне списка полей"};
        }
        Value& cell = row[*position];
        if (!std::holds_alternative<std::monostate>(cell)) {
            throw Damage{"ячейка " + std::string(attribute.name()) + " задана дважды"};
        }
        cell = ReadCell(fields[*position], attribute.value());
    }
    return row;
}

// Parses `bytes` in place, which leaves them garbled.
DataPacket ParsePacket(std::string& bytes, bool withRows) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer_inplace(bytes.data(), bytes.size(), kParseFlags, pugi::encoding_auto);
    if (!parsed) {
        throw Damage{"разметка XML нарушена (байт " + std::to_string(parsed.offset) + ")"};
    }
    const pugi::xml_node root = document.document_element();
    if (root.name() != std::string_view("DATAPACKET")) {
        throw Damage{"корневой элемент <" + Excerpt(root.name()) + "> вместо <DATAPACKET>"};
    }
    for (pugi::xml_node after = root.next_sibling(); after; after = after.next_sibling()) {
        if (after.type() == pugi::node_element) {
            throw Damage{"после </DATAPACKET> идёт ещё элемент"};
        }
    }
    const pugi::xml_node metadata = root.child("METADATA");
    const pugi::xml_node fieldList = metadata.child("FIELDS");
    if (!fieldList) {
        throw Damage{"нет описания полей <METADATA><FIELDS>"};
    }
    DataPacket packet;
    ForEachChild(fieldList, "FIELD",
                 [&packet](pugi::xml_node field) { packet.fields.push_back(ReadField(field)); });
    ForEachChild(metadata.child("INDEXDEFS"), "INDEXDEF",
                 [&packet](pugi::xml_node index) { packet.indexes.push_back(ReadIndex(index)); });
    if (std::optional<std::string> problem = DefinitionProblem(packet.fields, packet.indexes)) {
        throw Damage{std::move(*problem)};
    }
    if (withRows) {
        ForEachChild(root.child("ROWDATA"), "ROW", [&packet](pugi::xml_node row) {
            packet.rows.push_back(ReadRow(row, packet.fields));
        });
    }
    return packet;
}

DataPacket ReadPacket(const fs::path& path, bool withRows) {
    try {
        std::string bytes = ReadFileBytes(path, withRows ? std::string_view() : kMetadataEnd);
        if (!withRows && bytes.ends_with(kMetadataEnd)) {
            // Only the metadata, closed by hand: the rows are never parsed.
            bytes += "</DATAPACKET>";
            try {
                return ParsePacket(bytes, false);
            } catch (const Damage&) {
                // The marker may have stood in a comment; judge the whole file.
                bytes = ReadFileBytes(path, {});
            }
        }
        return ParsePacket(bytes, withRows);
    } catch (const Damage& damage) {
        throw FileError("Файл " + Quoted(path.string()) +
                        " повреждён или не является таблицей: " + damage.detail + ".");
    }
}

class StringWriter : public pugi::xml_writer {
public:
    explicit StringWriter(std::string& text) : text_(text) {}
    void write(const void* data, std::size_t size) override {
        text_.append(static_cast<const char*>(data), size);
    }

private:
    std::string& text_;
};

std::string Serialize(const fs::path& path, const std::vector<FieldDef>& fields,
                      const std::vector<IndexDef>& indexes, std::size_t rowCount,
                      const std::function<const Row&(std::size_t)>& rowAt) {
    if (std::optional<std::string> problem = DefinitionProblem(fields, indexes)) {
        throw Unwritable(path, *problem);
    }
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
    pugi::xml_node root = document.append_child("DATAPACKET");
    root.append_attribute("Version") = "2.0";
    pugi::xml_node metadata = root.append_child("METADATA");
    pugi::xml_node fieldList = metadata.append_child("FIELDS");
    std::vector<std::string> cellNames;
    for (const FieldDef& field : fields) {
        pugi::xml_node node = fieldList.append_child("FIELD");
        node.append_attribute("attrname") = field.name.c_str();
        node.append_attribute("fieldtype") = TypeName(field.type);
        if (field.size != 0) {
            node.append_attribute("WIDTH") = field.size;
        }
        if (field.required) {
            node.append_attribute("required") = "true";
        }
        cellNames.push_back("c" + std::to_string(cellNames.size()));
    }
    pugi::xml_node indexList = metadata.append_child("INDEXDEFS");
    for (const IndexDef& index : indexes) {
        pugi::xml_node node = indexList.append_child("INDEXDEF");
        node.append_attribute("name") = index.name.c_str();
        if (index.unique) {
            node.append_attribute("unique") = "true";
        }
        if (index.descending) {
            node.append_attribute("descending") = "true";
        }
        for (const std::string& field : index.fields) {
            node.append_child("INDEXFIELD").append_attribute("name") = field.c_str();
        }
    }
    pugi::xml_node rowList = root.append_child("ROWDATA");
    for (std::size_t r = 0; r < rowCount; ++r) {
        const Row& row = rowAt(r);
        if (row.size() != fields.size()) {
            throw Unwritable(path, "в строке " + std::to_string(r + 1) + " " +
                                       std::to_string(row.size()) + " значений вместо " +
                                       std::to_string(fields.size()));
        }
        pugi::xml_node node = rowList.append_child("ROW");
        for (std::size_t f = 0; f < row.size(); ++f) {
            if (std::holds_alternative<std::monostate>(row[f])) {
                continue;
            }
            if (!FitsField(row[f], fields[f].type)) {
                throw Unwritable(path, "в строке " + std::to_string(r + 1) + " поле «" +
                                           fields[f].name + "» содержит неверное значение");
            }
            const std::string text = PlainText(row[f]);
            node.append_attribute(cellNames[f].c_str()).set_value(text.data(), text.size());
        }
    }
    std::string text;
    StringWriter writer(text);
    document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
    return text;
}

}  // namespace

DataPacket ReadDataPacket(const fs::path& path) {
    return ReadPacket(path, true);
}

std::vector<FieldDef> ReadFieldDefs(const fs::path& path) {
    return ReadPacket(path, false).fields;
}

void WriteDataPacket(const fs::path& path, const DataPacket& packet) {
    WriteDataPacket(path, packet.fields, packet.indexes, packet.rows.size(),
                    [&packet](std::size_t row) -> const Row& { return packet.rows[row]; });
}

void WriteDataPacket(const fs::path& path, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes, std::size_t rowCount,
                     const std::function<const Row&(std::size_t)>& rowAt) {
    WriteFileAtomically(path, Serialize(path, fields, indexes, rowCount, rowAt));
}

}  // namespace kalvenor
