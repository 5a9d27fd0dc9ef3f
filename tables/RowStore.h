#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kalvenor {

enum class FieldType { Float, Integer, String };

// An empty value (std::monostate) is distinct from an empty text.
using Value = std::variant<std::monostate, double, std::int64_t, std::string>;
using Row = std::vector<Value>;

// Whether the value may stand in a field of the type: empty, or of the
// type's alternative, finite, and free of NUL characters (a table file cannot
// hold them).
bool FitsField(const Value& value, FieldType type);

// The rows of one table, compact: a table of 100 000 rows must not cost ten
// times its file. Every row is a slot of eight bytes per field (the number,
// or the number of a text), its sequence number and a mask of its empty
// cells, all in one block; the texts lie end to end in one more block, and a
// text that repeats in a column (the brand, the laying method) is kept once.
// Slots are addressed by number; which slot is which row in the table's order
// is the dataset's business.
class RowStore {
public:
    using Slot = std::uint32_t;

    RowStore() = default;
    explicit RowStore(std::vector<FieldType> types);
    // A copy holds the used words only: a batch copies a table it read once
    // for every calculation.
    RowStore(const RowStore& other);
    RowStore& operator=(const RowStore& other);
    RowStore(RowStore&&) noexcept = default;
    RowStore& operator=(RowStore&&) noexcept = default;
    ~RowStore() = default;

    const std::vector<FieldType>& Types() const { return types_; }
    std::size_t FieldCount() const { return types_.size(); }
    // Slots ever made, freed ones included.
    std::size_t SlotCount() const { return slots_; }
    // Room for this many slots, and texts of about this many bytes.
    void Reserve(std::size_t slots, std::size_t textBytes = 0);

    // A row with every cell empty: a freed slot when there is one.
    Slot Add(std::uint64_t sequence) {
        if (!free_.empty()) {
            return Reuse(sequence);
        }
        // The cells are left as they are: the mask says they are empty, and
        // nothing reads an empty cell's word.
        if (used_ + stride_ > capacity_) {
            Grow();
        }
        const auto slot = static_cast<Slot>(slots_++);
        std::uint64_t* const words = &words_[used_];
        used_ += stride_;
        words[types_.size()] = sequence;
        std::copy(emptyMask_.begin(), emptyMask_.end(), words + types_.size() + 1);
        return slot;
    }
    void Free(Slot slot);
    std::uint64_t Sequence(Slot slot) const { return words_[Base(slot) + types_.size()]; }
    void SetSequence(Slot slot, std::uint64_t sequence) {
        words_[Base(slot) + types_.size()] = sequence;
    }

    bool IsEmpty(Slot slot, std::size_t field) const {
        return (Mask(slot)[field / 64] >> (field % 64) & 1) != 0;
    }
    // Of a non-empty cell of the field's type.
    double Number(Slot slot, std::size_t field) const;
    std::int64_t Integer(Slot slot, std::size_t field) const;
    std::string_view Text(Slot slot, std::size_t field) const;
    // Which of the kept texts a text cell holds: cells of one number hold one
    // text (a text kept twice has two numbers).
    std::uint64_t TextNumber(Slot slot, std::size_t field) const {
        return words_[Base(slot) + field];
    }
    Value Get(Slot slot, std::size_t field) const;
    // Whether the cell holds the value, as Value's == would say.
    bool Equals(Slot slot, std::size_t field, const Value& value) const;

    void SetEmpty(Slot slot, std::size_t field);
    void SetNumber(Slot slot, std::size_t field, double number) {
        words_[Base(slot) + field] = std::bit_cast<std::uint64_t>(number);
        MarkFilled(slot, field);
    }
    void SetInteger(Slot slot, std::size_t field, std::int64_t number) {
        words_[Base(slot) + field] = static_cast<std::uint64_t>(number);
        MarkFilled(slot, field);
    }
    void SetText(Slot slot, std::size_t field, std::string_view text);
    // Throws std::invalid_argument when the value does not fit the field.
    void Set(Slot slot, std::size_t field, const Value& value);

    // While a file is read: the text is kept once when the same text came
    // before in the column. Sharing costs a lookup per cell, so a column
    // whose texts hardly repeat stops looking. Done() drops the lookup tables.
    void SetSharedText(Slot slot, std::size_t field, std::string_view text) {
        words_[Base(slot) + field] = ShareText(field, text);
        MarkFilled(slot, field);
    }

    // A reader fills the newest row's cells as words, straight: a number's
    // bits, an integer's, or the number of its text from ShareText or
    // RepeatedText; then, for a table of at most 64 fields, says once which
    // cells it filled. The words stay valid until the next Add.
    std::uint64_t* CellWords(Slot slot) { return &words_[Base(slot)]; }
    void SetFilled(Slot slot, std::uint64_t fields) { Mask(slot)[0] = emptyMask_[0] & ~fields; }
    std::uint64_t ShareText(std::size_t field, std::string_view text) {
        // Most often the text of the row before: compared here, in line.
        const Column& column = columns_[field];
        return column.last != kNoText && column.lastSize == text.size() &&
                       SameBytes(arena_.data() + column.lastBegin, text.data(), text.size())
                   ? column.last
                   : SharedText(field, text);
    }
    // For a text that may stand at `text` in a file's markup, ended by
    // `terminator`: when it is the text before it in the column, which holds
    // no character markup would have to escape, its number goes to `id` and
    // the terminator's place is returned; else null.
    const char* RepeatedText(std::size_t field, const char* text, const char* end, char terminator,
                             std::uint64_t& id) const {
        const Column& column = columns_[field];
        const char* const after = text + column.lastSize;
        if (!column.lastRaw || end - text <= static_cast<std::ptrdiff_t>(column.lastSize) ||
            *after != terminator ||
            !SameBytes(arena_.data() + column.lastBegin, text, column.lastSize)) {
            return nullptr;
        }
        id = column.last;
        return after;
    }
    void Done();
    // Bytes of text kept so far, for estimates while a file is read.
    std::size_t TextBytes() const { return arena_.size(); }

private:
    using TextId = std::uint64_t;
    static constexpr TextId kNoText = ~TextId{0};

    // Short texts, the common ones, compared in two overlapping loads each.
    template <typename Word>
    static bool SameEnds(const char* a, const char* b, std::size_t size) {
        Word x[2];
        Word y[2];
        std::memcpy(&x[0], a, sizeof(Word));
        std::memcpy(&y[0], b, sizeof(Word));
        std::memcpy(&x[1], a + size - sizeof(Word), sizeof(Word));
        std::memcpy(&y[1], b + size - sizeof(Word), sizeof(Word));
        return x[0] == y[0] && x[1] == y[1];
    }
    static bool SameBytes(const char* a, const char* b, std::size_t size) {
        if (size > 16) {
            return std::memcmp(a, b, size) == 0;
        }
        if (size >= 8) {
            return SameEnds<std::uint64_t>(a, b, size);
        }
        if (size >= 4) {
            return SameEnds<std::uint32_t>(a, b, size);
        }
        for (std::size_t i = 0; i < size; ++i) {
            if (a[i] != b[i]) {
                return false;
            }
        }
        return true;
    }

    std::size_t Base(Slot slot) const { return static_cast<std::size_t>(slot) * stride_; }
    std::uint64_t* Mask(Slot slot) { return &words_[Base(slot) + types_.size() + 1]; }
    const std::uint64_t* Mask(Slot slot) const { return &words_[Base(slot) + types_.size() + 1]; }
    void MarkFilled(Slot slot, std::size_t field) {
        Mask(slot)[field / 64] &= ~(std::uint64_t{1} << (field % 64));
    }
    std::string_view TextOf(TextId id) const;
    Slot Reuse(std::uint64_t sequence);
    void Grow();
    void Resize(std::size_t capacity);  // the used words kept
    TextId AddText(std::string_view text);
    TextId SharedText(std::size_t field, std::string_view text);
    void GrowSharing();

    std::vector<FieldType> types_;
    std::size_t stride_ = 1;                // words per slot: the cells, the sequence, the mask
    std::vector<std::uint64_t> emptyMask_;  // the mask of a row of empty cells
    std::size_t slots_ = 0;
    // Not a vector: a vector clears what it grows by, and a table of
    // 100 000 rows would clear seven megabytes that the file fills anyway.
    std::unique_ptr<std::uint64_t[]> words_;
    std::size_t capacity_ = 0;  // words
    std::size_t used_ = 0;
    std::vector<Slot> free_;
    std::string arena_;
    std::vector<std::uint64_t> textEnds_;  // text i is arena_[ends[i - 1], ends[i])

    // Lookup tables of a file being read.
    struct Column {
        TextId last = kNoText;
        std::size_t lastBegin = 0;
        std::size_t lastSize = 0;
        bool lastRaw = false;  // the last text reads the same in markup
        std::uint32_t lookups = 0;
        std::uint32_t hits = 0;
        bool sharing = true;
    };
    TextId LookUp(Column& column, std::string_view text);

    std::vector<Column> columns_;
    std::vector<std::uint32_t> table_;  // open addressing: text id + 1, 0 when free
    std::size_t shared_ = 0;
};

}  // namespace kalvenor
