#include "tables/TableFiles.h"

#include "base/Utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>
#include <system_error>

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

// The code point at `at`, or a stray byte's own weight, moving past it.
std::uint32_t NextCharacter(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (const auto point = NextCodePoint(text, at)) {
        return *point;
    }
    return kStrayByte + lead;
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
        return NameUnit{false, Weight(NextCharacter(text, at)), {}};
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

bool NaturalNameLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const NameUnit left = NextUnit(a, i);
        const NameUnit right = NextUnit(b, j);
        if (left.number && right.number) {
            if (left.digits.size() != right.digits.size()) {
                return left.digits.size() < right.digits.size();
            }
            if (left.digits != right.digits) {
                return left.digits < right.digits;
            }
        } else if (left.weight != right.weight) {
            return left.weight < right.weight;
        }
    }
    if ((i < a.size()) != (j < b.size())) {
        return j < b.size();  // the shorter name goes first
    }
    return a < b;
}

std::vector<std::string> ListCurrentTableFiles(const std::filesystem::path& directory,
                                               std::vector<std::string>* passedOver) {
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(directory, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().string();
        std::error_code typeError;
        if (!name.ends_with(".xml") || name == kBreakerFileName || name == kTransformerFileName ||
            !entry->is_regular_file(typeError)) {
            continue;
        }
        if (IsUtf8(name)) {
            names.push_back(std::move(name));
        } else if (passedOver != nullptr) {
            passedOver->push_back(std::move(name));
        }
    }
    // Every name ends in ".xml": the names proper decide, so "T" comes before "T-1".
    std::sort(names.begin(), names.end(), [](std::string_view a, std::string_view b) {
        return NaturalNameLess(a.substr(0, a.size() - 4), b.substr(0, b.size() - 4));
    });
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
