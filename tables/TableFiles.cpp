#include "tables/TableFiles.h"

#include "base/Utf8.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

namespace kalvenor {

namespace {

constexpr std::string_view kRefusedInNames = "/\\<>:\"|?*";

// A byte that does not start a well-formed sequence stands for itself,
// after every character: a name the file system allows but that is not
// UTF-8 still sorts the same way every time.
constexpr std::uint32_t kStrayByte = 0x110000;

// The code point at `at`, or a stray byte's own weight, moving past it.
std::uint32_t NextCharacter(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (const auto point = NextCodePoint(text, at)) {
        return *point;
    }
    return kStrayByte + lead;
}

// Lower case for the letters a table name is written in; Ё folds to ё.
constexpr std::uint32_t FoldCase(std::uint32_t point) {
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
constexpr std::uint32_t FoldedWeight(std::uint32_t point) {
    constexpr std::uint32_t kE = 0x435;
    constexpr std::uint32_t kYo = 0x451;
    const std::uint32_t folded = FoldCase(point);
    return folded == kYo ? kE * 2 + 1 : folded * 2;
}

// The weights of the characters of one and two bytes (Latin, Cyrillic)
// looked up, not worked out: the key of every name of a folder of thousands
// is made from them.
constexpr std::uint32_t kLookedUp = 0x800;
constexpr std::array<std::uint32_t, kLookedUp> kWeights = [] {
    std::array<std::uint32_t, kLookedUp> weights{};
    for (std::uint32_t point = 0; point < kLookedUp; ++point) {
        weights[point] = FoldedWeight(point);
    }
    return weights;
}();

std::uint32_t Weight(std::uint32_t point) {
    return point < kLookedUp ? kWeights[point] : FoldedWeight(point);
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

bool CurrentTableParametersFit(const std::string& brand, const std::string& laying,
                               const std::string& cores, const std::string& wiring,
                               const std::string& material) {
    const std::array<std::string_view, 7> names{kSectionField, kCurrentField, brand,   laying,
                                                cores,         wiring,        material};
    for (auto name = names.begin(); name != names.end(); ++name) {
        if (name->empty() || std::find(names.begin(), name, *name) != name) {
            return false;
        }
    }
    return true;
}

std::vector<FieldDef> CurrentTableFieldDefs(const std::string& brand, const std::string& laying,
                                            const std::string& cores, const std::string& wiring,
                                            const std::string& material) {
    if (!CurrentTableParametersFit(brand, laying, cores, wiring, material)) {
        throw std::logic_error("Параметры таблицы пусты или повторяются.");
    }
    return {
        Float(kSectionField, true), Float(kCurrentField, true), String(brand, 10),
        String(laying, 10),         String(cores, 10),          String(wiring, 10),
        String(material, 10),
    };
}

std::vector<IndexDef> CurrentTableIndexDefs() {
    return {IndexDef{"", {std::string(kSectionField)}, true, true}};
}

namespace {

// The most bytes the units of a name take: a run of digits of one byte
// gives five (its weight, its count, the digit).
std::size_t UnitsBound(std::size_t nameBytes) {
    return nameBytes * 5;
}

// A weight in as few bytes as keep the order: two for Latin, Cyrillic and
// the rest below U+4000 (a first byte of 1 to 0x80), three above (0x81 on).
// No first byte is 0, so the 0 that ends the units sorts before any further
// unit: a shorter name goes first.
char* WriteWeight(char* out, std::uint32_t weight) {
    if (weight < 0x8000) {
        *out++ = static_cast<char>((weight >> 8) + 1);
    } else {
        *out++ = static_cast<char>((weight >> 16) + 0x81);
        *out++ = static_cast<char>((weight >> 8) & 0xFF);
    }
    *out++ = static_cast<char>(weight & 0xFF);
    return out;
}

// Each character's weight, and for a run of digits the weight of "0", its
// count of significant digits in two bytes (a longer run is a larger number;
// a name has at most 255 bytes) and the digits; then a 0 and the tail, the
// name's bytes, which decide between names equal unit for unit. Returns the
// key's end.
char* WriteSortKey(char* out, std::string_view name, std::string_view tail) {
    const auto isDigit = [&name](std::size_t i) { return name[i] >= '0' && name[i] <= '9'; };
    std::size_t at = 0;
    while (at < name.size()) {
        if (!isDigit(at)) {
            // Most names are letters: looked up and written at once.
            const auto lead = static_cast<unsigned char>(name[at]);
            if (lead < 0x80) {
                out = WriteWeight(out, kWeights[lead]);
                ++at;
            } else {
                out = WriteWeight(out, Weight(NextCharacter(name, at)));
            }
            continue;
        }
        std::size_t begin = at;
        while (at < name.size() && isDigit(at)) {
            ++at;
        }
        while (begin + 1 < at && name[begin] == '0') {
            ++begin;
        }
        const std::size_t digits = at - begin;
        out = WriteWeight(out, kWeights['0']);
        *out++ = static_cast<char>((digits >> 8) & 0xFF);
        *out++ = static_cast<char>(digits & 0xFF);
        out = std::copy(name.begin() + static_cast<std::ptrdiff_t>(begin),
                        name.begin() + static_cast<std::ptrdiff_t>(at), out);
    }
    *out++ = '\0';
    return std::copy(tail.begin(), tail.end(), out);
}

}  // namespace

std::string NaturalSortKey(std::string_view name) {
    std::string key(UnitsBound(name.size()) + 1 + name.size(), '\0');
    key.resize(static_cast<std::size_t>(WriteSortKey(key.data(), name, name) - key.data()));
    return key;
}

bool NaturalNameLess(std::string_view a, std::string_view b) {
    return NaturalSortKey(a) < NaturalSortKey(b);
}

void SortTableFileNames(std::vector<std::string>& names) {
    // Each name's key is made once, all in one block, and the sort moves
    // views of them: comparing names by decoding them again at every step
    // cost four times the sort itself. The names proper make the units, so
    // that "T" comes before "T-1"; the whole name is the tail, which orders
    // names equal unit for unit as their names proper do, for a ".xml"
    // after a name that is the start of another means more units. The
    // name's place in the list follows, so that it is moved, not copied.
    if (names.size() < 2) {
        return;
    }
    constexpr std::size_t kPlace = 4;
    std::size_t bound = 0;
    std::size_t longest = 0;
    for (const std::string& name : names) {
        const std::size_t size = UnitsBound(name.size()) + 1 + name.size() + kPlace;
        bound += size;
        longest = std::max(longest, size);
    }
    // A key is written beside the block and then added to it; the block's
    // room is kept beforehand, so no view into it ever moves, and no byte
    // of it is filled twice.
    std::string key(longest, '\0');
    std::string keys;
    keys.reserve(bound);
    std::vector<std::string_view> sorted;
    sorted.reserve(names.size());
    for (std::size_t place = 0; place < names.size(); ++place) {
        const std::string_view name = names[place];
        char* end = WriteSortKey(key.data(), name.substr(0, name.size() - 4), name);
        for (int shift = 24; shift >= 0; shift -= 8) {
            *end++ = static_cast<char>((place >> shift) & 0xFF);
        }
        const auto length = static_cast<std::size_t>(end - key.data());
        keys.append(key.data(), length);
        sorted.emplace_back(keys.data() + keys.size() - length, length);
    }
    std::sort(sorted.begin(), sorted.end());
    // Where each name comes from, then the names moved along those cycles
    // in place: no second list of ten thousand names to build and free.
    std::vector<std::uint32_t> from(sorted.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        std::uint32_t place = 0;
        for (const char byte : sorted[i].substr(sorted[i].size() - kPlace)) {
            place = place << 8 | static_cast<unsigned char>(byte);
        }
        from[i] = place;
    }
    for (std::size_t start = 0; start < from.size(); ++start) {
        if (from[start] == start) {
            continue;
        }
        std::string first = std::move(names[start]);
        std::size_t at = start;
        while (from[at] != start) {
            const std::size_t next = from[at];
            names[at] = std::move(names[next]);
            from[at] = static_cast<std::uint32_t>(at);
            at = next;
        }
        names[at] = std::move(first);
        from[at] = static_cast<std::uint32_t>(at);
    }
}

std::vector<std::string> ListCurrentTableFiles(const std::filesystem::path& directory,
                                               std::vector<std::string>* passedOver) {
    std::vector<std::string> names;
    DIR* const folder = ::opendir(directory.c_str());
    if (folder == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.ends_with(".xml") || name == kBreakerFileName || name == kTransformerFileName) {
            continue;
        }
        // The folder's own record of the kind saves a stat for every table;
        // a link is followed to what it names.
        struct stat status {};
        if (entry->d_type != DT_REG &&
            ((entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) ||
             ::fstatat(::dirfd(folder), entry->d_name, &status, 0) != 0 ||
             !S_ISREG(status.st_mode))) {
            continue;
        }
        if (IsUtf8(name)) {
            names.emplace_back(name);
        } else if (passedOver != nullptr) {
            passedOver->emplace_back(name);
        }
    }
    ::closedir(folder);
    SortTableFileNames(names);
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
