#include "tables/TableFiles.h"

#include "base/Utf8.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>

namespace kalvenor {

namespace {

constexpr std::string_view kRefusedInNames = "/\\<>:\"|?*";

// One character of a name, or a whole run of digits.
struct NameUnit {
    bool number = false;
    std::uint32_t weight = 0;  // a character's place in the order
    std::string_view digits;   // a number's digits without leading zeros
};

// A byte that does not start a well-formed sequence stands for itself,
// after every character: a name the file system allows but that is not
// UTF-8 still sorts the same way every time.
constexpr std::uint32_t kStrayByte = 0x110000;

// Decodes the code point at `at` and moves past it.
std::uint32_t NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC2 ? 2
                                        : 0;
    if (length == 0 || at + length > text.size() || !IsUtf8(text.substr(at, length))) {
        ++at;
        return kStrayByte + lead;
    }
    std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        point = (point << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    }
    at += length;
    return point;
}

// Lower case for the letters a table name is written in; Ё folds to ё.
std::uint32_t FoldCase(std::uint32_t point) {
    if ((point >= 'A' && point <= 'Z') || (point >= 0xC0 && point <= 0xDE && point != 0xD7)) {
        return point + 0x20;
    }
    if (point >= 0x410 && point <= 0x42F) {
        return point + 0x20;
    }
    if (point >= 0x400 && point <= 0x40F) {
        return point + 0x50;
    }
    return point;
}

// Code point order, except that ё stands between е and ж.
std::uint32_t Weight(std::uint32_t point) {
    constexpr std::uint32_t kE = 0x435;
    constexpr std::uint32_t kYo = 0x451;
    const std::uint32_t folded = FoldCase(point);
    return folded == kYo ? kE * 2 + 1 : folded * 2;
}

NameUnit NextUnit(std::string_view text, std::size_t& at) {
    const auto isDigit = [&text](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (!isDigit(at)) {
        return NameUnit{false, Weight(NextCodePoint(text, at)), {}};
    }
    const std::size_t begin = at;
    while (at < text.size() && isDigit(at)) {
        ++at;
    }
    std::size_t significant = begin;
    while (significant + 1 < at && text[significant] == '0') {
        ++significant;
    }
    return NameUnit{true, Weight('0'), text.substr(significant, at - significant)};
}

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

// Each unit's weight in three bytes, the first never 0, so that the 0 that
// ends the units sorts before any further unit: a shorter name goes first.
// A number adds its count of significant digits (a longer run is a larger
// number) and the digits. After the 0 come the name's bytes, which decide
// between names equal unit for unit.
std::string NaturalSortKey(std::string_view name) {
    std::string key;
    key.reserve(name.size() * 4 + 1);
    std::size_t at = 0;
    while (at < name.size()) {
        const NameUnit unit = NextUnit(name, at);
        key += static_cast<char>((unit.weight >> 16) + 1);
        key += static_cast<char>((unit.weight >> 8) & 0xFF);
        key += static_cast<char>(unit.weight & 0xFF);
        if (unit.number) {
            const auto length = static_cast<std::uint32_t>(unit.digits.size());
            for (int shift = 24; shift >= 0; shift -= 8) {
                key += static_cast<char>((length >> shift) & 0xFF);
            }
            key += unit.digits;
        }
    }
    key += '\0';
    key += name;
    return key;
}

bool NaturalNameLess(std::string_view a, std::string_view b) {
    return NaturalSortKey(a) < NaturalSortKey(b);
}

std::vector<std::string> ListCurrentTableFiles(const std::filesystem::path& directory) {
    // Each name's key is made once: comparing names by decoding them again
    // at every step of the sort cost four times the sort itself.
    std::vector<std::string> keys;
    DIR* const folder = ::opendir(directory.c_str());
    if (folder == nullptr) {
        return {};
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.ends_with(".xml") || name == kBreakerFileName || name == kTransformerFileName) {
            continue;
        }
        // The folder's own record of the kind saves a stat for every table;
        // a link is followed to what it names.
        struct stat status {};
        const bool regular =
            entry->d_type == DT_REG ||
            ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
             ::fstatat(::dirfd(folder), entry->d_name, &status, 0) == 0 && S_ISREG(status.st_mode));
        if (regular) {
            // Every name ends in ".xml": the names proper decide, so "T"
            // comes before "T-1".
            keys.push_back(NaturalSortKey(name.substr(0, name.size() - 4)));
        }
    }
    ::closedir(folder);
    std::sort(keys.begin(), keys.end());
    // A name holds no 0 byte: the last one ends the units, and the name
    // follows it.
    for (std::string& key : keys) {
        key.erase(0, key.rfind('\0') + 1);
        key += ".xml";
    }
    return keys;
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
