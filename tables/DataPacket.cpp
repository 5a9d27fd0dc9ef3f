#include "tables/DataPacket.h"

#include "base/Files.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_set>

#include <pugixml.hpp>

namespace kalvenor {

// The whole document but the rows of its first ROWDATA, which are written
// anew in their place.
struct KeptMarkup {
    pugi::xml_document document;
};

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

constexpr std::string_view kMetadataEnd = "</METADATA>";

// No table of this program comes near either: a file beyond them is no
// table of its own, and is refused before it is parsed, so that a hostile
// file of a million fields or a gigabyte without its metadata's end costs
// milliseconds, not minutes.
constexpr std::size_t kMostFields = 256;
constexpr std::size_t kLongestHeader = std::size_t{1} << 16;

// No whitespace normalisation and no line-end conversion: a tab or a line
// break inside a text must read back as itself, not as a blank. Everything
// else a file may hold is parsed, so that nothing of it is lost unseen.
constexpr unsigned kParseFlags = pugi::parse_escapes | pugi::parse_comments | pugi::parse_pi |
                                 pugi::parse_cdata | pugi::parse_declaration | pugi::parse_doctype;

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

// A number as a table file mostly holds it: an optional minus, at most 15
// digits and a point. Then m / 10^k is exact in both operands and the one
// division rounds correctly, giving what from_chars gives, several times
// faster. Returns where the number stops, or null for every other form,
// which from_chars then reads.
const char* ScanPlainDecimal(const char* p, const char* end, double& number) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = p != end && *p == '-';
    p += negative ? 1 : 0;
    const char* const first = p;
    std::uint64_t mantissa = 0;
    for (; p != end && static_cast<unsigned>(*p - '0') < 10; ++p) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    auto digits = static_cast<std::size_t>(p - first);
    std::size_t fraction = 0;
    if (p != end && *p == '.') {
        const char* const point = ++p;
        for (; p != end && static_cast<unsigned>(*p - '0') < 10; ++p) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
        fraction = static_cast<std::size_t>(p - point);
        digits += fraction;
    }
    if (digits == 0 || digits > 15) {
        return nullptr;
    }
    number = static_cast<double>(mantissa);
    if (fraction > 0) {
        number /= kPowers[fraction];
    }
    number = negative ? -number : number;
    return p;
}

bool ParsePlainDecimal(std::string_view text, double& number) {
    const char* const end = text.data() + text.size();
    return ScanPlainDecimal(text.data(), end, number) == end;
}

// Stores the text of a cell as its field's type; false when a number field
// holds no number.
bool StoreCell(RowStore& store, RowStore::Slot slot, std::size_t position, FieldType type,
               std::string_view text) {
    switch (type) {
        case FieldType::Float: {
            double number = 0;
            if (!ParsePlainDecimal(text, number) &&
                (!ParseNumber(text, number) || !std::isfinite(number))) {
                return false;
            }
            store.SetNumber(slot, position, number);
            return true;
        }
        case FieldType::Integer: {
            std::int64_t number = 0;
            if (!ParseNumber(text, number)) {
                return false;
            }
            store.SetInteger(slot, position, number);
            return true;
        }
        case FieldType::String:
            store.SetSharedText(slot, position, text);
            return true;
    }
    return false;
}

RowStore EmptyStore(const std::vector<FieldDef>& fields) {
    std::vector<FieldType> types;
    types.reserve(fields.size());
    for (const FieldDef& field : fields) {
        types.push_back(field.type);
    }
    return RowStore(std::move(types));
}

// The definitions of a parsed document, and its ROWDATA element.
struct Header {
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;
    pugi::xml_node rows;
};

Header ReadHeader(const pugi::xml_document& document) {
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
    Header header;
    ForEachChild(fieldList, "FIELD", [&header](pugi::xml_node field) {
        if (header.fields.size() == kMostFields) {
            throw Damage{"полей больше " + std::to_string(kMostFields)};
        }
        header.fields.push_back(ReadField(field));
    });
    ForEachChild(metadata.child("INDEXDEFS"), "INDEXDEF",
                 [&header](pugi::xml_node index) { header.indexes.push_back(ReadIndex(index)); });
    if (std::optional<std::string> problem = DefinitionProblem(header.fields, header.indexes)) {
        throw Damage{std::move(*problem)};
    }
    header.rows = root.child("ROWDATA");
    return header;
}

// What is found where the program reads nothing, as a message names it.
std::string Description(pugi::xml_node node) {
    switch (node.type()) {
        case pugi::node_element:
            return "элемент <" + Excerpt(node.name()) + ">";
        case pugi::node_comment:
            return "комментарий";
        case pugi::node_pi:
            return "инструкция <?" + Excerpt(node.name()) + "?>";
        case pugi::node_cdata:
            return "раздел CDATA";
        case pugi::node_pcdata:
            return "текст «" + Excerpt(node.value()) + "»";
        default:
            return "описание типа документа";
    }
}

std::optional<std::string> UnusedAttribute(pugi::xml_node element,
                                           std::initializer_list<std::string_view> read) {
    for (pugi::xml_attribute attribute : element.attributes()) {
        if (std::find(read.begin(), read.end(), std::string_view(attribute.name())) == read.end()) {
            return "атрибут " + Excerpt(attribute.name()) + " элемента <" + element.name() + ">";
        }
    }
    return std::nullopt;
}

// An element of which the reader takes only the attributes named.
std::optional<std::string> UnusedInLeaf(pugi::xml_node element,
                                        std::initializer_list<std::string_view> read) {
    if (auto attribute = UnusedAttribute(element, read)) {
        return attribute;
    }
    if (const pugi::xml_node child = element.first_child()) {
        return Description(child) + " внутри <" + element.name() + ">";
    }
    return std::nullopt;
}

// A list whose elements the reader visits one by one (any other element is
// damage); `inner` looks inside each.
template <typename Inner>
std::optional<std::string> UnusedInList(pugi::xml_node list,
                                        std::initializer_list<std::string_view> read, Inner inner) {
    if (auto attribute = UnusedAttribute(list, read)) {
        return attribute;
    }
    for (pugi::xml_node child : list.children()) {
        if (child.type() != pugi::node_element) {
            return Description(child) + " внутри <" + list.name() + ">";
        }
        if (auto inside = inner(child)) {
            return inside;
        }
    }
    return std::nullopt;
}

// The first thing of a table file, outside the rows of its first ROWDATA,
// that the reader does not take and the writer would not write.
std::optional<std::string> UnusedOutsideRows(const pugi::xml_document& document) {
    const pugi::xml_node root = document.document_element();
    for (pugi::xml_node node : document.children()) {
        if (node != root && node.type() != pugi::node_declaration) {
            return Description(node);
        }
    }
    for (pugi::xml_attribute attribute : root.attributes()) {
        if (attribute.name() != "Version"sv || attribute.value() != "2.0"sv) {
            return "атрибут " + Excerpt(attribute.name()) + " элемента <DATAPACKET>";
        }
    }
    const pugi::xml_node metadata = root.child("METADATA");
    const pugi::xml_node rows = root.child("ROWDATA");
    for (pugi::xml_node node : root.children()) {
        if (node != metadata && node != rows) {
            return Description(node) + " внутри <DATAPACKET>";
        }
    }
    const pugi::xml_node fields = metadata.child("FIELDS");
    const pugi::xml_node indexes = metadata.child("INDEXDEFS");
    for (pugi::xml_node node : metadata.children()) {
        if (node != fields && node != indexes) {
            return Description(node) + " внутри <METADATA>";
        }
    }
    if (auto attribute = UnusedAttribute(rows, {})) {
        return attribute;
    }
    if (auto attribute = UnusedAttribute(metadata, {})) {
        return attribute;
    }
    if (auto unused = UnusedInList(fields, {}, [](pugi::xml_node field) {
            return UnusedInLeaf(field, {"attrname", "fieldtype", "WIDTH", "required"});
        })) {
        return unused;
    }
    return UnusedInList(indexes, {}, [](pugi::xml_node index) {
        return UnusedInList(index, {"name", "unique", "descending"},
                            [](pugi::xml_node field) { return UnusedInLeaf(field, {"name"}); });
    });
}

// What lies among the rows besides them: no write-back can put it back
// where it was, since the rows it stood between may move or go.
std::optional<std::string> UnusedAmongRows(pugi::xml_node rows) {
    for (pugi::xml_node child : rows.children()) {
        if (child.type() != pugi::node_element) {
            return Description(child) + " среди строк";
        }
        if (const pugi::xml_node inside = child.first_child()) {
            return Description(inside) + " внутри строки";
        }
    }
    return std::nullopt;
}

// A copy of the document without its rows, to be written back around them,
// or nothing when it holds nothing the program would not write itself.
std::shared_ptr<const KeptMarkup> KeepUnused(const pugi::xml_document& document) {
    if (!UnusedOutsideRows(document)) {
        return nullptr;
    }
    auto kept = std::make_shared<KeptMarkup>();
    kept->document.reset(document);
    pugi::xml_node root = kept->document.document_element();
    pugi::xml_node rows = root.child("ROWDATA");
    if (!rows) {
        rows = root.append_child("ROWDATA");
    }
    rows.remove_children();
    // The file is written in UTF-8, whatever it was read from.
    const pugi::xml_node first = kept->document.first_child();
    if (first.type() == pugi::node_declaration) {
        if (pugi::xml_attribute encoding = first.attribute("encoding")) {
            encoding.set_value("UTF-8");
        }
    }
    return kept;
}

pugi::xml_parse_result Parse(pugi::xml_document& document, char* bytes, std::size_t size) {
    return document.load_buffer_inplace(bytes, size, kParseFlags, pugi::encoding_auto);
}

// Everything through the XML library: any file it accepts, judged cell by
// cell. Parses `bytes` in place, which leaves them garbled.
TableFile ParseWhole(char* bytes, std::size_t size, bool withRows) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = Parse(document, bytes, size);
    if (!parsed) {
        throw Damage{"разметка XML нарушена (байт " + std::to_string(parsed.offset) + ")"};
    }
    Header header = ReadHeader(document);
    TableFile file{std::move(header.fields), std::move(header.indexes), {}};
    if (!withRows) {
        return file;  // the catalogue's look at the fields: no rows, no store
    }
    file.rows = EmptyStore(file.fields);
    std::uint64_t sequence = 0;
    ForEachChild(header.rows, "ROW", [&file, &sequence](pugi::xml_node node) {
        const RowStore::Slot slot = file.rows.Add(sequence++);
        for (pugi::xml_attribute attribute : node.attributes()) {
            const std::optional<std::size_t> position = CellPosition(attribute.name());
            if (!position || *position >= file.fields.size()) {
                throw Damage{"ячейка " + Excerpt(attribute.name()) + " вне списка полей"};
            }
            if (!file.rows.IsEmpty(slot, *position)) {
                throw Damage{"ячейка " + std::string(attribute.name()) + " задана дважды"};
            }
            const FieldDef& field = file.fields[*position];
            const std::string_view text = attribute.value();
            if (!StoreCell(file.rows, slot, *position, field.type, text)) {
                throw Damage{"значение \"" + Excerpt(text) + "\" поля «" + field.name +
                             "» не является числом"};
            }
        }
    });
    file.unkept = UnusedAmongRows(header.rows);
    header.rows.remove_children();  // read; the rest may be kept without them
    file.kept = KeepUnused(document);
    file.rows.Done();
    return file;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

const char* SkipSpace(const char* p, const char* end) {
    while (p != end && IsSpace(*p)) {
        ++p;
    }
    return p;
}

// Whether a value needs no decoding and holds nothing the quick reader
// leaves to the library: three searches of the C library, each many bytes
// at a step, beat one loop that looks at every byte.
bool IsPlain(std::string_view text) {
    return text.find('&') == std::string_view::npos && text.find('<') == std::string_view::npos &&
           text.find('\0') == std::string_view::npos;
}

constexpr std::array<bool, 256> kSpecialInValue = [] {
    std::array<bool, 256> special{};
    special['&'] = special['<'] = special['\0'] = true;
    return special;
}();

void AppendUtf8(std::string& text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The five named references and character references as the library
// decodes them; false on anything else, which the library then judges.
bool Decode(std::string_view text, std::string& decoded) {
    decoded.clear();
    decoded.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t amp = text.find('&', at);
        decoded.append(text.substr(at, amp - at));
        if (amp == std::string_view::npos) {
            break;
        }
        const std::string_view rest = text.substr(amp);
        char named = 0;
        std::size_t length = 0;
        if (rest.starts_with("&lt;")) {
            named = '<';
            length = 4;
        } else if (rest.starts_with("&gt;")) {
            named = '>';
            length = 4;
        } else if (rest.starts_with("&amp;")) {
            named = '&';
            length = 5;
        } else if (rest.starts_with("&quot;")) {
            named = '"';
            length = 6;
        } else if (rest.starts_with("&apos;")) {
            named = '\'';
            length = 6;
        }
        if (named != 0) {
            decoded += named;
            at = amp + length;
            continue;
        }
        if (!rest.starts_with("&#")) {
            return false;
        }
        const bool hex = rest.size() > 2 && rest[2] == 'x';
        const std::size_t digitsAt = hex ? 3 : 2;
        const std::size_t semicolon = rest.find(';', digitsAt);
        if (semicolon == std::string_view::npos || semicolon == digitsAt ||
            semicolon - digitsAt > 8) {
            return false;
        }
        std::uint32_t code = 0;
        const char* first = rest.data() + digitsAt;
        const char* last = rest.data() + semicolon;
        const auto [stop, error] = std::from_chars(first, last, code, hex ? 16 : 10);
        if (error != std::errc() || stop != last || code == 0 || code > 0x10FFFF) {
            return false;
        }
        AppendUtf8(decoded, code);
        at = amp + semicolon + 1;
    }
    return true;
}

// The quick reader looks at eight bytes as one number, first byte lowest.
static_assert(std::endian::native == std::endian::little);

// Eight bytes at a time: a mask with the high bit of every byte of `word`
// that equals `byte`. Exact up to the first such byte; beyond it a borrow may
// flag more, which the callers never look at.
std::uint64_t BytesEqual(std::uint64_t word, unsigned char byte) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const std::uint64_t x = word ^ (kOnes * byte);
    return (x - kOnes) & ~x & kHighs;
}

// The end of an attribute value: the closing quote from `p` on, or null.
// `plain` tells whether the value holds no reference, '<' or NUL.
const char* ValueEnd(const char* p, const char* end, char quote, bool& plain) {
    const auto q = static_cast<unsigned char>(quote);
    for (int words = 0; end - p >= 8; ++words) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, 8);
        const std::uint64_t quotes = BytesEqual(word, q);
        const std::uint64_t special =
            BytesEqual(word, '&') | BytesEqual(word, '<') | BytesEqual(word, '\0');
        if (quotes != 0) {
            // Little-endian: the lowest flagged byte comes first.
            const int at = std::countr_zero(quotes);
            if (special != 0 && std::countr_zero(special) < at) {
                plain = false;
            }
            return p + at / 8;
        }
        if (special != 0) {
            plain = false;
        }
        p += 8;
        if (words == 3) {
            // A long text: the library's search, and a second look for the rest.
            const char* close =
                static_cast<const char*>(std::memchr(p, quote, static_cast<std::size_t>(end - p)));
            if (close != nullptr && plain) {
                plain = IsPlain(std::string_view(p, static_cast<std::size_t>(close - p)));
            }
            return close;
        }
    }
    for (; p != end; ++p) {
        if (*p == quote) {
            return p;
        }
        plain = plain && !kSpecialInValue[static_cast<unsigned char>(*p)];
    }
    return nullptr;
}

// The rows between <ROWDATA> and </ROWDATA> as this program writes them:
// <ROW c0="..." .../> with blanks between. Anything else (comments, other
// elements, a number that is none, a cell twice) returns false, and the
// library reads the whole file instead, with its own verdict.
class QuickRows {
public:
    // `rowBytes`: the length of all the rows in the file, for estimates.
    QuickRows(RowStore& store, std::size_t rowBytes)
        : store_(store),
          types_(store.Types()),
          // A row's cells are filled as words and its empty ones marked at
          // its end; a table of more fields (none of this program's) goes
          // cell by cell.
          direct_(!types_.empty() && types_.size() <= 64),
          rowBytes_(rowBytes) {}

    // The rows of [p, end), which ends where a row ends or where the rows do.
    bool Feed(const char* p, const char* end);

private:
    RowStore& store_;
    const std::vector<FieldType>& types_;
    const bool direct_;
    const std::size_t rowBytes_;
    std::string decoded_;
    std::uint64_t sequence_ = 0;
    std::size_t estimatedRows_ = 0;
};

bool QuickRows::Feed(const char* p, const char* end) {
    const char* const begin = p;
    std::string& decoded = decoded_;
    std::uint64_t& sequence = sequence_;
    RowStore& store = store_;
    const std::vector<FieldType>& types = types_;
    const std::size_t fieldCount = types.size();
    const bool direct = direct_;
    constexpr std::uint64_t kTextEstimateRow = 64;
    constexpr std::string_view kRowLine = "\n    <ROW";
    for (;;) {
        if (static_cast<std::size_t>(end - p) > kRowLine.size() &&
            std::memcmp(p, kRowLine.data(), kRowLine.size()) == 0) {
            p += kRowLine.size();  // as this program writes it
        } else {
            p = SkipSpace(p, end);
            if (p == end) {
                return true;
            }
            if (end - p < 5 || std::memcmp(p, "<ROW", 4) != 0) {
                return false;
            }
            p += 4;
        }
        const RowStore::Slot slot = store.Add(sequence++);
        std::uint64_t* const cells = store.CellWords(slot);
        std::uint64_t seen = 0;  // cells of the first 64 fields met in this row
        for (;;) {
            std::size_t position = 0;
            char quote = '"';
            if (end - p >= 5 && p[0] == ' ' && p[1] == 'c' &&
                static_cast<unsigned>(p[2] - '0') < 10 && p[3] == '=' && p[4] == '"') {
                // The common case, " c3=\"", in one look.
                position = static_cast<std::size_t>(p[2] - '0');
                p += 5;
            } else {
                const char* const name = SkipSpace(p, end);
                if (name == end) {
                    return false;
                }
                if (*name == '/') {
                    if (end - name < 2 || name[1] != '>') {
                        return false;
                    }
                    p = name + 2;
                    break;
                }
                if (name == p || *name != 'c') {
                    return false;  // no blank before the cell, or not a cell
                }
                p = name + 1;
                const char* const digits = p;
                while (p != end && *p >= '0' && *p <= '9' && p - digits < 9) {
                    position = position * 10 + static_cast<std::size_t>(*p - '0');
                    ++p;
                }
                if (p == digits || (*digits == '0' && p - digits > 1) || end - p < 2 || *p != '=' ||
                    (p[1] != '"' && p[1] != '\'')) {
                    return false;
                }
                quote = p[1];
                p += 2;
            }
            if (position >= fieldCount) {
                return false;
            }
            if (position < 64) {
                const std::uint64_t bit = std::uint64_t{1} << position;
                if ((seen & bit) != 0) {
                    return false;
                }
                seen |= bit;
            } else if (!store.IsEmpty(slot, position)) {
                return false;
            }
            // Straight into the row's words: a plain number, the text of
            // the row before, a text that needs no decoding.
            if (direct && types[position] == FieldType::Float) {
                double number = 0;
                const char* const stop = ScanPlainDecimal(p, end, number);
                if (stop != nullptr && stop != end && *stop == quote) {
                    cells[position] = std::bit_cast<std::uint64_t>(number);
                    p = stop + 1;
                    continue;
                }
            }
            if (direct && types[position] == FieldType::String) {
                if (const char* const after =
                        store.RepeatedText(position, p, end, quote, cells[position])) {
                    p = after + 1;
                    continue;
                }
            }
            bool plain = true;
            const char* const close = ValueEnd(p, end, quote, plain);
            if (direct && close != nullptr && plain && types[position] == FieldType::String) {
                cells[position] = store.ShareText(
                    position, std::string_view(p, static_cast<std::size_t>(close - p)));
                p = close + 1;
                continue;
            }
            if (close == nullptr) {
                return false;
            }
            std::string_view value(p, static_cast<std::size_t>(close - p));
            p = close + 1;
            if (!plain) {
                if (value.find('<') != std::string_view::npos ||
                    value.find('\0') != std::string_view::npos || !Decode(value, decoded)) {
                    return false;
                }
                value = decoded;
            }
            if (!StoreCell(store, slot, position, types[position], value)) {
                return false;
            }
        }
        if (direct) {
            store.SetFilled(slot, seen);
        }
        // Room for every row, judged by the first; room for the texts once
        // a few rows show how many new ones a row brings.
        if (sequence == 1) {
            const auto first = static_cast<std::size_t>(p - begin);
            estimatedRows_ = rowBytes_ / first * 21 / 20 + 16;
            store.Reserve(estimatedRows_);
        } else if (sequence == kTextEstimateRow &&
                   store.TextBytes() > kTextEstimateRow * kTextEstimateRow) {
            store.Reserve(estimatedRows_, store.TextBytes() / kTextEstimateRow * estimatedRows_);
        }
    }
}

// Where the rows of a file of this program's shape begin: "<ROWDATA" right
// after the metadata (its place in `rowsStart`), and its '>' (the rows
// begin after it, at `content`). Found in the file's first bytes.
bool FindRowsStart(std::string_view head, std::size_t& rowsStart, std::size_t& content) {
    constexpr std::string_view kRowsStart = "<ROWDATA";
    const std::size_t metadataEnd = head.find(kMetadataEnd);
    if (metadataEnd == std::string_view::npos) {
        return false;
    }
    const char* const end = head.data() + head.size();
    const char* const rows = SkipSpace(head.data() + metadataEnd + kMetadataEnd.size(), end);
    if (static_cast<std::size_t>(end - rows) < kRowsStart.size() ||
        std::string_view(rows, kRowsStart.size()) != kRowsStart) {
        return false;
    }
    const char* const close = SkipSpace(rows + kRowsStart.size(), end);
    if (close == end || *close != '>') {
        return false;
    }
    rowsStart = static_cast<std::size_t>(rows - head.data());
    content = rowsStart + static_cast<std::size_t>(close + 1 - rows);
    return true;
}

// Where they end: the last "</ROWDATA" (at `closing`) and the place after
// its '>' (at `after`). Found in the file's last bytes.
bool FindRowsEnd(std::string_view tail, std::size_t& closing, std::size_t& after) {
    constexpr std::string_view kRowsEnd = "</ROWDATA";
    closing = tail.rfind(kRowsEnd);
    if (closing == std::string_view::npos) {
        return false;
    }
    const char* const end = tail.data() + tail.size();
    const char* const close = SkipSpace(tail.data() + closing + kRowsEnd.size(), end);
    if (close == end || *close != '>') {
        return false;
    }
    after = static_cast<std::size_t>(close + 1 - tail.data());
    return true;
}

// The file with its rows taken out, through the XML library: the
// definitions, and a row store for them. Nothing when it is not a table or
// its ROWDATA is not the one taken out (one inside a comment, a second one).
std::optional<TableFile> ReadAroundRows(std::string_view beforeRows, std::string_view afterRows) {
    constexpr std::string_view kNoRows = "<ROWDATA/>";
    std::string rest;
    rest.reserve(beforeRows.size() + kNoRows.size() + afterRows.size());
    rest.append(beforeRows).append(kNoRows).append(afterRows);
    pugi::xml_document document;
    if (!Parse(document, rest.data(), rest.size())) {
        return std::nullopt;
    }
    try {
        Header header = ReadHeader(document);
        if (header.rows.name() != rest.data() + beforeRows.size() + 1) {
            return std::nullopt;
        }
        TableFile file{std::move(header.fields), std::move(header.indexes), {}};
        file.rows = EmptyStore(file.fields);
        file.kept = KeepUnused(document);
        return file;
    } catch (const Damage&) {
        return std::nullopt;
    }
}

// The quick way for a file of this program's own shape: the XML library reads
// the file with its rows taken out, the rows are read straight into the row
// store. Nothing when the file is of another shape.
std::optional<TableFile> ReadQuickly(std::string_view bytes) {
    std::size_t rowsStart = 0;
    std::size_t content = 0;
    std::size_t closing = 0;
    std::size_t after = 0;
    if (!FindRowsStart(bytes, rowsStart, content) || !FindRowsEnd(bytes, closing, after) ||
        closing < content) {
        return std::nullopt;
    }
    std::optional<TableFile> file = ReadAroundRows(bytes.substr(0, rowsStart), bytes.substr(after));
    if (!file) {
        return std::nullopt;
    }
    QuickRows rows(file->rows, closing - content);
    if (!rows.Feed(bytes.data() + content, bytes.data() + closing)) {
        return std::nullopt;
    }
    file->rows.Done();
    return file;
}

// The same for a large file, a piece at a time: each piece is parsed while
// it is in the cache, and the file is never in memory whole. A piece ends
// before its last '<', where a row begins; the rest goes with the next one.
std::optional<TableFile> ReadQuicklyInPieces(FileReader& reader) {
    constexpr std::size_t kEnds = std::size_t{1} << 16;  // the metadata, the end of the file
    constexpr std::size_t kPiece = std::size_t{1} << 18;
    const std::size_t size = reader.Size();
    std::string head(std::min(size, kEnds), '\0');
    head.resize(reader.ReadAt(0, head.data(), head.size()));
    std::size_t rowsStart = 0;
    std::size_t content = 0;
    if (!FindRowsStart(head, rowsStart, content)) {
        return std::nullopt;
    }
    const std::size_t tailStart = std::max(content, size - std::min(size, kEnds));
    std::string tail(size - tailStart, '\0');
    if (reader.ReadAt(tailStart, tail.data(), tail.size()) != tail.size()) {
        return std::nullopt;
    }
    std::size_t closing = 0;
    std::size_t after = 0;
    if (!FindRowsEnd(tail, closing, after)) {
        return std::nullopt;
    }
    closing += tailStart;
    std::optional<TableFile> file = ReadAroundRows(std::string_view(head).substr(0, rowsStart),
                                                   std::string_view(tail).substr(after));
    if (!file) {
        return std::nullopt;
    }
    QuickRows rows(file->rows, closing - content);
    std::unique_ptr<char[]> piece(new char[kPiece]);
    std::size_t capacity = kPiece;
    std::size_t carried = 0;  // the start of a row from the piece before
    for (std::size_t offset = content; offset < closing;) {
        if (carried == capacity) {
            // A row longer than a piece: room for more of it.
            std::unique_ptr<char[]> bigger(new char[capacity * 2]);
            std::memcpy(bigger.get(), piece.get(), carried);
            piece = std::move(bigger);
            capacity *= 2;
        }
        const std::size_t wanted = std::min(capacity - carried, closing - offset);
        if (reader.ReadAt(offset, piece.get() + carried, wanted) != wanted) {
            return std::nullopt;  // the file shrank while it was read
        }
        offset += wanted;
        const std::size_t filled = carried + wanted;
        std::size_t rowsEnd = filled;
        if (offset < closing) {
            const void* const last = ::memrchr(piece.get(), '<', filled);
            rowsEnd = last == nullptr
                          ? 0
                          : static_cast<std::size_t>(static_cast<const char*>(last) - piece.get());
        }
        if (!rows.Feed(piece.get(), piece.get() + rowsEnd)) {
            return std::nullopt;
        }
        carried = filled - rowsEnd;
        std::memmove(piece.get(), piece.get() + rowsEnd, carried);
    }
    file->rows.Done();
    return file;
}

// A file larger than a header can be must have its metadata's end within
// the first bytes; a small one the XML library judges whole, with a better
// word for what is wrong.
Damage HeaderTooLong() {
    return Damage{"описание полей не найдено в первых " + std::to_string(kLongestHeader / 1024) +
                  " КБ файла"};
}

void RequireHeaderWithin(FileReader& reader) {
    if (reader.Size() <= kLongestHeader) {
        return;
    }
    std::string head(kLongestHeader, '\0');
    head.resize(reader.ReadAt(0, head.data(), head.size()));
    if (head.find(kMetadataEnd) == std::string::npos) {
        throw HeaderTooLong();
    }
}

[[noreturn]] void ThrowDamaged(const fs::path& path, const Damage& damage) {
    throw FileError("Файл " + Quoted(path.string()) +
                    " повреждён или не является таблицей: " + damage.detail + ".");
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

// The declaration and the metadata through the XML library, ending in
// "  <ROWDATA />\n</DATAPACKET>\n".
std::string WriteHeader(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes) {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    declaration.append_attribute("standalone") = "yes";
    pugi::xml_node root = document.append_child("DATAPACKET");
    root.append_attribute("Version") = "2.0";
    pugi::xml_node metadata = root.append_child("METADATA");
    pugi::xml_node fieldList = metadata.append_child("FIELDS");
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
    root.append_child("ROWDATA");
    std::string text;
    StringWriter writer(text);
    document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
    return text;
}

// One cell on its way to the file.
struct CellOut {
    static constexpr std::uint64_t kNoText = ~std::uint64_t{0};
    enum class Kind { Empty, Number, Integer, Text };
    Kind kind = Kind::Empty;
    double number = 0;
    std::int64_t integer = 0;
    std::string_view text;
    std::uint64_t textNumber = kNoText;  // the same number, the same text
};

// What the XML library escapes in an attribute value: the control
// characters, the quote, the ampersand and the less-than sign.
constexpr std::array<bool, 256> kEscaped = [] {
    std::array<bool, 256> escaped{};
    for (int c = 0; c < 32; ++c) {
        escaped[static_cast<std::size_t>(c)] = true;
    }
    escaped['"'] = escaped['&'] = escaped['<'] = true;
    return escaped;
}();

char* WriteEscape(char* out, unsigned char c) {
    const std::string_view escape = c == '"'   ? std::string_view("&quot;")
                                    : c == '&' ? std::string_view("&amp;")
                                    : c == '<' ? std::string_view("&lt;")
                                               : std::string_view();
    if (!escape.empty()) {
        std::memcpy(out, escape.data(), escape.size());
        return out + escape.size();
    }
    // The library's form of a control character: two decimal digits.
    *out++ = '&';
    *out++ = '#';
    *out++ = static_cast<char>('0' + c / 10);
    *out++ = static_cast<char>('0' + c % 10);
    *out++ = ';';
    return out;
}

// The most bytes a cell's value can take in the file.
std::size_t ValueBound(const CellOut& cell) {
    switch (cell.kind) {
        case CellOut::Kind::Empty:
            return 0;
        case CellOut::Kind::Number:
        case CellOut::Kind::Integer:
            return 32;
        case CellOut::Kind::Text:
            return cell.text.size() * 6;
    }
    return 0;
}

// What std::to_chars writes for a double (the shortest digits that read
// back as the same double, fixed or scientific, whichever is shorter, fixed
// on a tie), faster for the numbers tables hold: at most 15 digits and at
// most 8 decimals, m / 10^k. Such a decimal reads back as the double exactly
// when dividing m by 10^k gives it, and no shorter one can: two decimals of
// at most 15 digits never read as the same double. The rest goes to the
// library.
char* WriteNumber(char* out, double value) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-8 && magnitude < 1e15)) {
        return std::to_chars(out, out + 32, value).ptr;
    }
    std::uint64_t mantissa = 0;
    int decimals = 0;
    for (;; ++decimals) {
        if (decimals == std::ssize(kPowers)) {
            return std::to_chars(out, out + 32, value).ptr;
        }
        const double scaled = magnitude * kPowers[decimals];
        if (scaled >= 1e15) {
            return std::to_chars(out, out + 32, value).ptr;
        }
        // Below 10^15 and positive: the conversion is exact and inline. Where
        // adding a half rounds wrongly (just below 0.5) the tests below
        // turn the candidate down, so no call to std::round is needed.
        // NOLINTNEXTLINE(bugprone-incorrect-roundings)
        const auto whole = static_cast<double>(static_cast<std::int64_t>(scaled + 0.5));
        // Cheap first: a few units in the last place from a whole number.
        if (whole == 0 || std::fabs(scaled - whole) > whole * 0x1p-50) {
            continue;
        }
        mantissa = static_cast<std::uint64_t>(whole);
        if (static_cast<double>(mantissa) / kPowers[decimals] == magnitude) {
            break;
        }
    }
    char digits[20];
    int count = static_cast<int>(std::to_chars(digits, digits + 20, mantissa).ptr - digits);
    // The value is 0.D × 10^(exponent + 1): D the digits without trailing
    // zeros (only a whole number has them), `exponent` the scientific one.
    int zeros = 0;
    if (decimals == 0) {
        while (zeros + 1 < count && digits[count - 1 - zeros] == '0') {
            ++zeros;
        }
    }
    const int significant = count - zeros;
    const int shift = decimals == 0 ? zeros : -decimals;  // value = D × 10^shift
    const int exponent = significant - 1 + shift;
    const int fixedLength = shift >= 0      ? significant + shift
                            : exponent >= 0 ? significant + 1
                                            : 2 - shift;
    const int exponentDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientificLength = significant + (significant > 1 ? 1 : 0) + 2 + exponentDigits;
    if (value < 0) {
        *out++ = '-';
    }
    if (fixedLength <= scientificLength) {
        if (shift >= 0) {
            std::memcpy(out, digits, static_cast<std::size_t>(count));
            return out + count;
        }
        if (exponent >= 0) {
            const int whole = exponent + 1;
            std::memcpy(out, digits, static_cast<std::size_t>(whole));
            out[whole] = '.';
            std::memcpy(out + whole + 1, digits + whole, static_cast<std::size_t>(count - whole));
            return out + count + 1;
        }
        *out++ = '0';
        *out++ = '.';
        for (int z = exponent + 1; z < 0; ++z) {
            *out++ = '0';
        }
        std::memcpy(out, digits, static_cast<std::size_t>(count));
        return out + count;
    }
    *out++ = digits[0];
    if (significant > 1) {
        *out++ = '.';
        std::memcpy(out, digits + 1, static_cast<std::size_t>(significant - 1));
        out += significant - 1;
    }
    *out++ = 'e';
    *out++ = exponent < 0 ? '-' : '+';
    const int power = std::abs(exponent);
    if (power >= 100) {
        *out++ = static_cast<char>('0' + power / 100);
    }
    *out++ = static_cast<char>('0' + power / 10 % 10);
    *out++ = static_cast<char>('0' + power % 10);
    return out;
}

// A short text, the common kind, byte by byte; a long one in runs.
char* WriteText(char* out, std::string_view text) {
    const char* from = text.data();
    const char* const end = from + text.size();
    if (text.size() <= 32) {
        for (; from != end; ++from) {
            const auto c = static_cast<unsigned char>(*from);
            if (!kEscaped[c]) {
                *out++ = static_cast<char>(c);
            } else {
                out = WriteEscape(out, c);
            }
        }
        return out;
    }
    while (from != end) {
        const char* plain = from;
        while (plain != end && !kEscaped[static_cast<unsigned char>(*plain)]) {
            ++plain;
        }
        std::memcpy(out, from, static_cast<std::size_t>(plain - from));
        out += plain - from;
        if (plain == end) {
            break;
        }
        out = WriteEscape(out, static_cast<unsigned char>(*plain));
        from = plain + 1;
    }
    return out;
}

char* WriteValue(char* out, const CellOut& cell) {
    switch (cell.kind) {
        case CellOut::Kind::Empty:
            return out;
        case CellOut::Kind::Number:
            return WriteNumber(out, cell.number);
        case CellOut::Kind::Integer:
            return std::to_chars(out, out + 32, cell.integer).ptr;
        case CellOut::Kind::Text:
            break;
    }
    return WriteText(out, cell.text);
}

// The bytes of a file being written: grown by hand, never filled with zeros
// first, which a string of twelve megabytes would cost.
class OutBuffer {
public:
    char* Data() { return data_.get(); }
    std::size_t Capacity() const { return capacity_; }
    std::string_view View(std::size_t size) const { return {data_.get(), size}; }
    // Room for `capacity` bytes, the first `size` kept.
    void Grow(std::size_t capacity, std::size_t size) {
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (size > 0) {
            std::memcpy(bigger.get(), data_.get(), size);
        }
        data_ = std::move(bigger);
        capacity_ = capacity;
    }

private:
    std::unique_ptr<char[]> data_;
    std::size_t capacity_ = 0;
};

// The whole file: the header from the XML library, then every row streamed
// into one buffer. `cellAt(row, field)` gives the cells; it throws
// Unwritable for a value no file can hold, before any file is touched.
// A file around its rows: what comes before the first and after the last.
struct Frame {
    std::string before;
    std::string after;
};

Frame OwnFrame(const std::vector<FieldDef>& fields, const std::vector<IndexDef>& indexes,
               bool withRows) {
    std::string header = WriteHeader(fields, indexes);
    if (!withRows) {
        return {std::move(header), {}};
    }
    constexpr std::string_view kNoRows = "  <ROWDATA />\n</DATAPACKET>\n";
    if (!header.ends_with(kNoRows)) {
        throw std::logic_error("Заголовок таблицы записан не в том виде.");
    }
    header.resize(header.size() - kNoRows.size());
    header += "  <ROWDATA>\n";
    return {std::move(header), "  </ROWDATA>\n</DATAPACKET>\n"};
}

// The kept document with a mark where the rows go, cut there. A mark that
// a comment or an instruction of the file happens to hold is not one.
Frame KeptFrame(const KeptMarkup& kept) {
    pugi::xml_document document;
    document.reset(kept.document);
    pugi::xml_node rows = document.document_element().child("ROWDATA");
    for (int attempt = 0;; ++attempt) {
        const std::string mark = "@rows" + std::to_string(attempt) + "@";
        rows.remove_children();
        rows.append_child(pugi::node_pcdata).set_value(mark.c_str());
        std::string text;
        StringWriter writer(text);
        document.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
        const std::size_t at = text.find(mark);
        if (at != std::string::npos && text.find(mark, at + 1) == std::string::npos) {
            return {text.substr(0, at) + "\n", "  " + text.substr(at + mark.size())};
        }
    }
}

template <typename CellAt>
FileStamp WriteRows(const fs::path& path, const std::vector<FieldDef>& fields,
                    const std::vector<IndexDef>& indexes, std::size_t rowCount, CellAt cellAt,
                    const KeptMarkup* kept) {
    if (std::optional<std::string> problem = DefinitionProblem(fields, indexes)) {
        throw Unwritable(path, *problem);
    }
    const Frame frame =
        kept != nullptr ? KeptFrame(*kept) : OwnFrame(fields, indexes, rowCount > 0);
    if (rowCount == 0) {
        return WriteFileAtomically(path, frame.before + frame.after);
    }
    const std::string& header = frame.before;
    const std::string_view tail = frame.after;
    // ` c0="`, ` c1="`, ...: copied sixteen bytes at a time, the row's bound
    // leaves room for that.
    struct CellName {
        char text[16] = {};
        std::size_t size = 0;
    };
    std::vector<CellName> names(fields.size());
    for (std::size_t f = 0; f < fields.size(); ++f) {
        const std::string name = " c" + std::to_string(f) + "=\"";
        if (name.size() > sizeof(names[f].text)) {
            throw Unwritable(path, "слишком много полей");
        }
        std::memcpy(names[f].text, name.data(), name.size());
        names[f].size = name.size();
    }
    constexpr std::string_view kRowStart = "    <ROW";
    constexpr std::string_view kRowEnd = " />\n";

    OutBuffer text;
    text.Grow(header.size() + 4096, 0);
    std::memcpy(text.Data(), header.data(), header.size());
    const std::size_t rowsStart = header.size();
    char* out = text.Data() + rowsStart;
    // Room for `bytes` more and the end of the file: when the buffer is
    // full, room for every row, judged by the rows written so far.
    const auto room = [&](std::size_t bytes, std::size_t row) {
        const auto size = static_cast<std::size_t>(out - text.Data());
        if (size + bytes + tail.size() <= text.Capacity()) {
            return;
        }
        std::size_t wanted = size + bytes + tail.size();
        if (row > 0) {
            const std::size_t perRow = (size - rowsStart) / row + 1;
            wanted =
                std::max(wanted, size + perRow * (rowCount - row) * 5 / 4 + bytes + tail.size());
        }
        text.Grow(std::max(wanted, text.Capacity() + text.Capacity() / 2), size);
        out = text.Data() + size;
    };
    // A text that repeats in its column is copied from where it was written
    // last, escaped already.
    struct Written {
        std::uint64_t textNumber = CellOut::kNoText;
        std::size_t at = 0;
        std::size_t size = 0;
    };
    std::vector<Written> written(fields.size());
    for (std::size_t r = 0; r < rowCount; ++r) {
        room(kRowStart.size() + kRowEnd.size(), r);
        out = std::copy(kRowStart.begin(), kRowStart.end(), out);
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const CellOut cell = cellAt(r, f);
            if (cell.kind == CellOut::Kind::Empty) {
                continue;
            }
            room(sizeof(CellName::text) + 1 + ValueBound(cell) + kRowEnd.size(), r);
            std::memcpy(out, names[f].text, sizeof(CellName::text));
            out += names[f].size;
            Written& last = written[f];
            if (cell.textNumber != CellOut::kNoText && cell.textNumber == last.textNumber) {
                std::memcpy(out, text.Data() + last.at, last.size);
                out += last.size;
            } else {
                char* const start = out;
                out = WriteValue(out, cell);
                last = {cell.textNumber, static_cast<std::size_t>(start - text.Data()),
                        static_cast<std::size_t>(out - start)};
            }
            *out++ = '"';
        }
        out = std::copy(kRowEnd.begin(), kRowEnd.end(), out);
    }
    auto size = static_cast<std::size_t>(out - text.Data());
    // The bound of the last row left room for the end.
    std::memcpy(text.Data() + size, tail.data(), tail.size());
    size += tail.size();
    return WriteFileAtomically(path, text.View(size));
}

}  // namespace

TableFile ReadTableFile(const fs::path& path) {
    // Larger than this, a table is read in pieces.
    constexpr std::size_t kInPieces = std::size_t{1} << 20;
    try {
        FileReader reader(path);
        RequireHeaderWithin(reader);
        std::optional<TableFile> file;
        if (reader.Size() > kInPieces) {
            file = ReadQuicklyInPieces(reader);
        }
        if (!file) {
            FileBuffer bytes = reader.ReadAll();
            file = ReadQuickly(bytes.View());
            if (!file) {
                file = ParseWhole(bytes.data.get(), bytes.size, true);
            }
        }
        file->stamp = reader.Stamp();
        return std::move(*file);
    } catch (const Damage& damage) {
        ThrowDamaged(path, damage);
    }
}

DataPacket ReadDataPacket(const fs::path& path) {
    TableFile file = ReadTableFile(path);
    DataPacket packet{std::move(file.fields), std::move(file.indexes), {}};
    packet.rows.reserve(file.rows.SlotCount());
    for (RowStore::Slot slot = 0; slot < file.rows.SlotCount(); ++slot) {
        Row& row = packet.rows.emplace_back();
        for (std::size_t field = 0; field < packet.fields.size(); ++field) {
            row.push_back(file.rows.Get(slot, field));
        }
    }
    return packet;
}

std::vector<FieldDef> ReadFieldDefs(const fs::path& path) {
    try {
        std::string bytes = ReadFileBytes(path, kMetadataEnd, kLongestHeader + 1);
        if (bytes.ends_with(kMetadataEnd)) {
            // Only the metadata, closed by hand: the rows are never parsed.
            bytes += "</DATAPACKET>";
            try {
                return ParseWhole(bytes.data(), bytes.size(), false).fields;
            } catch (const Damage&) {
                // The marker may have stood in a comment: a file no larger
                // than a header is judged whole.
                bytes = ReadFileBytes(path, {}, kLongestHeader + 1);
            }
        }
        if (bytes.size() > kLongestHeader) {
            throw HeaderTooLong();
        }
        return ParseWhole(bytes.data(), bytes.size(), false).fields;
    } catch (const Damage& damage) {
        ThrowDamaged(path, damage);
    }
}

void WriteDataPacket(const fs::path& path, const DataPacket& packet) {
    WriteDataPacket(path, packet.fields, packet.indexes, packet.rows.size(),
                    [&packet](std::size_t row) -> const Row& { return packet.rows[row]; });
}

void WriteDataPacket(const fs::path& path, const std::vector<FieldDef>& fields,
                     const std::vector<IndexDef>& indexes, std::size_t rowCount,
                     const std::function<const Row&(std::size_t)>& rowAt) {
    const Row* row = nullptr;
    std::size_t current = rowCount;
    const auto cellAt = [&](std::size_t r, std::size_t f) {
        if (r != current) {
            row = &rowAt(r);
            current = r;
            if (row->size() != fields.size()) {
                throw Unwritable(path, "в строке " + std::to_string(r + 1) + " " +
                                           std::to_string(row->size()) + " значений вместо " +
                                           std::to_string(fields.size()));
            }
        }
        const Value& value = (*row)[f];
        CellOut cell;
        if (std::holds_alternative<std::monostate>(value)) {
            return cell;
        }
        if (!FitsField(value, fields[f].type)) {
            throw Unwritable(path, "в строке " + std::to_string(r + 1) + " поле «" +
                                       fields[f].name + "» содержит неверное значение");
        }
        if (const double* number = std::get_if<double>(&value)) {
            cell.kind = CellOut::Kind::Number;
            cell.number = *number;
        } else if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
            cell.kind = CellOut::Kind::Integer;
            cell.integer = *integer;
        } else {
            cell.kind = CellOut::Kind::Text;
            cell.text = std::get<std::string>(value);
        }
        return cell;
    };
    // A row of no fields is still checked for its length.
    for (std::size_t r = 0; fields.empty() && r < rowCount; ++r) {
        if (!rowAt(r).empty()) {
            throw Unwritable(path, "в строке " + std::to_string(r + 1) + " " +
                                       std::to_string(rowAt(r).size()) + " значений вместо 0");
        }
    }
    WriteRows(path, fields, indexes, rowCount, cellAt, nullptr);
}

FileStamp WriteTableFile(const fs::path& path, const std::vector<FieldDef>& fields,
                         const std::vector<IndexDef>& indexes, const RowStore& rows,
                         std::span<const RowStore::Slot> order, const KeptMarkup* kept) {
    if (rows.FieldCount() != fields.size() && !order.empty()) {
        throw std::logic_error("Строки таблицы не подходят к её полям.");
    }
    const auto cellAt = [&rows, order](std::size_t r, std::size_t f) {
        const RowStore::Slot slot = order[r];
        CellOut cell;
        if (rows.IsEmpty(slot, f)) {
            return cell;
        }
        switch (rows.Types()[f]) {
            case FieldType::Float:
                cell.kind = CellOut::Kind::Number;
                cell.number = rows.Number(slot, f);
                break;
            case FieldType::Integer:
                cell.kind = CellOut::Kind::Integer;
                cell.integer = rows.Integer(slot, f);
                break;
            case FieldType::String:
                cell.kind = CellOut::Kind::Text;
                cell.text = rows.Text(slot, f);
                cell.textNumber = rows.TextNumber(slot, f);
                break;
        }
        return cell;
    };
    return WriteRows(path, fields, indexes, order.size(), cellAt, kept);
}

}  // namespace kalvenor
