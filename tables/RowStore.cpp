#include "tables/RowStore.h"

#include <bit>
#include <cmath>
#include <functional>
#include <stdexcept>

namespace kalvenor {

namespace {

// Longer texts are shared only with the one just before them in the column:
// hashing every long text costs more than the copies it saves.
constexpr std::size_t kShareLimit = 64;
// A column looks its texts up at least this often before it may give up.
constexpr std::uint32_t kTrialLookups = 256;

std::size_t HashOf(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

}  // namespace

bool FitsField(const Value& value, FieldType type) {
    switch (type) {
        case FieldType::Float: {
            const double* number = std::get_if<double>(&value);
            return number != nullptr ? std::isfinite(*number)
                                     : std::holds_alternative<std::monostate>(value);
        }
        case FieldType::Integer:
            return std::holds_alternative<std::int64_t>(value) ||
                   std::holds_alternative<std::monostate>(value);
        case FieldType::String: {
            const std::string* text = std::get_if<std::string>(&value);
            return text != nullptr ? text->find('\0') == std::string::npos
                                   : std::holds_alternative<std::monostate>(value);
        }
    }
    return false;
}

RowStore::RowStore(std::vector<FieldType> types)
    : types_(std::move(types)), emptyMask_((types_.size() + 63) / 64), columns_(types_.size()) {
    stride_ = types_.size() + 1 + emptyMask_.size();
    for (std::size_t w = 0; w < emptyMask_.size(); ++w) {
        const std::size_t bits = std::min<std::size_t>(64, types_.size() - w * 64);
        emptyMask_[w] = bits == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    }
}

RowStore::RowStore(const RowStore& other)
    : types_(other.types_),
      stride_(other.stride_),
      emptyMask_(other.emptyMask_),
      slots_(other.slots_),
      words_(other.used_ > 0 ? new std::uint64_t[other.used_] : nullptr),
      capacity_(other.used_),
      used_(other.used_),
      free_(other.free_),
      arena_(other.arena_),
      textEnds_(other.textEnds_),
      columns_(other.columns_),
      table_(other.table_),
      shared_(other.shared_) {
    std::copy_n(other.words_.get(), used_, words_.get());
}

RowStore& RowStore::operator=(const RowStore& other) {
    if (this != &other) {
        *this = RowStore(other);
    }
    return *this;
}

void RowStore::Reserve(std::size_t slots, std::size_t textBytes) {
    if (slots * stride_ > capacity_) {
        Resize(slots * stride_);
    }
    if (textBytes > arena_.capacity()) {
        arena_.reserve(textBytes);
    }
}

void RowStore::Grow() {
    Resize(std::max(used_ + stride_, capacity_ + capacity_ / 4 + stride_ * 64));
}

void RowStore::Resize(std::size_t capacity) {
    std::unique_ptr<std::uint64_t[]> words(new std::uint64_t[capacity]);
    if (used_ > 0) {
        std::memcpy(words.get(), words_.get(), used_ * sizeof(std::uint64_t));
    }
    words_ = std::move(words);
    capacity_ = capacity;
}

RowStore::Slot RowStore::Reuse(std::uint64_t sequence) {
    const Slot slot = free_.back();
    free_.pop_back();
    std::uint64_t* const words = &words_[Base(slot)];
    words[types_.size()] = sequence;
    std::copy(emptyMask_.begin(), emptyMask_.end(), words + types_.size() + 1);
    return slot;
}

void RowStore::Free(Slot slot) {
    free_.push_back(slot);
}

double RowStore::Number(Slot slot, std::size_t field) const {
    return std::bit_cast<double>(words_[Base(slot) + field]);
}

std::int64_t RowStore::Integer(Slot slot, std::size_t field) const {
    return static_cast<std::int64_t>(words_[Base(slot) + field]);
}

std::string_view RowStore::Text(Slot slot, std::size_t field) const {
    return TextOf(words_[Base(slot) + field]);
}

std::string_view RowStore::TextOf(TextId id) const {
    const std::uint64_t begin = id == 0 ? 0 : textEnds_[id - 1];
    return std::string_view(arena_).substr(begin, textEnds_[id] - begin);
}

Value RowStore::Get(Slot slot, std::size_t field) const {
    if (IsEmpty(slot, field)) {
        return std::monostate{};
    }
    switch (types_[field]) {
        case FieldType::Float:
            return Number(slot, field);
        case FieldType::Integer:
            return Integer(slot, field);
        case FieldType::String:
            return std::string(Text(slot, field));
    }
    return std::monostate{};
}

bool RowStore::Equals(Slot slot, std::size_t field, const Value& value) const {
    if (IsEmpty(slot, field)) {
        return std::holds_alternative<std::monostate>(value);
    }
    switch (types_[field]) {
        case FieldType::Float: {
            const double* number = std::get_if<double>(&value);
            return number != nullptr && *number == Number(slot, field);
        }
        case FieldType::Integer: {
            const std::int64_t* number = std::get_if<std::int64_t>(&value);
            return number != nullptr && *number == Integer(slot, field);
        }
        case FieldType::String: {
            const std::string* text = std::get_if<std::string>(&value);
            return text != nullptr && *text == Text(slot, field);
        }
    }
    return false;
}

void RowStore::SetEmpty(Slot slot, std::size_t field) {
    Mask(slot)[field / 64] |= std::uint64_t{1} << (field % 64);
}

void RowStore::SetText(Slot slot, std::size_t field, std::string_view text) {
    words_[Base(slot) + field] = AddText(text);
    MarkFilled(slot, field);
}

void RowStore::Set(Slot slot, std::size_t field, const Value& value) {
    if (!FitsField(value, types_.at(field))) {
        throw std::invalid_argument("Значение не подходит к типу поля " +
                                    std::to_string(field + 1) + ".");
    }
    if (std::holds_alternative<std::monostate>(value)) {
        SetEmpty(slot, field);
    } else if (const double* number = std::get_if<double>(&value)) {
        SetNumber(slot, field, *number);
    } else if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
        SetInteger(slot, field, *integer);
    } else {
        SetText(slot, field, std::get<std::string>(value));
    }
}

RowStore::TextId RowStore::AddText(std::string_view text) {
    arena_.append(text);
    textEnds_.push_back(arena_.size());
    return textEnds_.size() - 1;
}

RowStore::TextId RowStore::SharedText(std::size_t field, std::string_view text) {
    Column& column = columns_[field];
    const TextId id = LookUp(column, text);
    column.last = id;
    column.lastBegin = id == 0 ? 0 : textEnds_[id - 1];
    column.lastSize = text.size();
    column.lastRaw = text.find_first_of(std::string_view("&<\"'\0", 5)) == std::string_view::npos;
    return id;
}

RowStore::TextId RowStore::LookUp(Column& column, std::string_view text) {
    if (!column.sharing || text.size() > kShareLimit || textEnds_.size() >= UINT32_MAX - 1) {
        return AddText(text);
    }
    if (++column.lookups == kTrialLookups && column.hits * 4 < column.lookups) {
        column.sharing = false;
    }
    if ((shared_ + 1) * 2 > table_.size()) {
        GrowSharing();
    }
    const std::size_t mask = table_.size() - 1;
    for (std::size_t at = HashOf(text) & mask;; at = (at + 1) & mask) {
        const std::uint32_t entry = table_[at];
        if (entry == 0) {
            const TextId id = AddText(text);
            table_[at] = static_cast<std::uint32_t>(id + 1);
            ++shared_;
            return id;
        }
        if (TextOf(entry - 1) == text) {
            ++column.hits;
            return entry - 1;
        }
    }
}

void RowStore::GrowSharing() {
    std::vector<std::uint32_t> old = std::move(table_);
    table_.assign(std::max<std::size_t>(64, old.size() * 2), 0);
    const std::size_t mask = table_.size() - 1;
    for (const std::uint32_t entry : old) {
        if (entry == 0) {
            continue;
        }
        std::size_t at = HashOf(TextOf(entry - 1)) & mask;
        while (table_[at] != 0) {
            at = (at + 1) & mask;
        }
        table_[at] = entry;
    }
}

void RowStore::Done() {
    columns_.assign(types_.size(), Column{});
    table_ = {};
    shared_ = 0;
    if (arena_.capacity() > arena_.size() + arena_.size() / 4 + 4096) {
        arena_.shrink_to_fit();
    }
    if (capacity_ > used_ + used_ / 2 + 64) {
        Resize(used_);
    }
}

}  // namespace kalvenor
