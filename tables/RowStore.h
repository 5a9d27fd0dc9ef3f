#pragma once

#include <cstddef>
#include <cstdint>
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

    const std::vector<FieldType>& Types() const { return types_; }
    std::size_t FieldCount() const { return types_.size(); }
    // Slots ever made, freed ones included.
    std::size_t SlotCount() const { return slots_; }
    // Room for this many slots, and texts of about this many bytes.
    void Reserve(std::size_t slots, std::size_t textBytes = 0);

    // A row with every cell empty: a freed slot when there is one.
    Slot Add(std::uint64_t sequence);
    void Free(Slot slot);
    std::uint64_t Sequence(Slot slot) const { return words_[Base(slot) + types_.size()]; }

    bool IsEmpty(Slot slot, std::size_t field) const {
        return (Mask(slot)[field / 64] >> (field % 64) & 1) != 0;
    }
    // Of a non-empty cell of the field's type.
    double Number(Slot slot, std::size_t field) const;
    std::int64_t Integer(Slot slot, std::size_t field) const;
    std::string_view Text(Slot slot, std::size_t field) const;
    Value Get(Slot slot, std::size_t field) const;
    // Whether the cell holds the value, as Value's == would say.
    bool Equals(Slot slot, std::size_t field, const Value& value) const;

    void SetEmpty(Slot slot, std::size_t field);
    void SetNumber(Slot slot, std::size_t field, double number);
    void SetInteger(Slot slot, std::size_t field, std::int64_t number);
    void SetText(Slot slot, std::size_t field, std::string_view text);
    // Throws std::invalid_argument when the value does not fit the field.
    void Set(Slot slot, std::size_t field, const Value& value);

    // While a file is read: the text is kept once when the same text came
    // before in the column. Sharing costs a lookup per cell, so a column
    // whose texts hardly repeat stops looking. Done() drops the lookup tables.
    void SetSharedText(Slot slot, std::size_t field, std::string_view text);
    void Done();
    // Bytes of text kept so far, for estimates while a file is read.
    std::size_t TextBytes() const { return arena_.size(); }

private:
    using TextId = std::uint64_t;

    std::size_t Base(Slot slot) const { return static_cast<std::size_t>(slot) * stride_; }
    std::uint64_t* Mask(Slot slot) { return &words_[Base(slot) + types_.size() + 1]; }
    const std::uint64_t* Mask(Slot slot) const { return &words_[Base(slot) + types_.size() + 1]; }
    void MarkFilled(Slot slot, std::size_t field) {
        Mask(slot)[field / 64] &= ~(std::uint64_t{1} << (field % 64));
    }
    std::string_view TextOf(TextId id) const;
    TextId AddText(std::string_view text);
    TextId SharedText(std::size_t field, std::string_view text);
    void GrowSharing();

    std::vector<FieldType> types_;
    std::size_t stride_ = 1;  // words per slot: the cells, the sequence, the mask
    std::size_t maskWords_ = 0;
    std::size_t slots_ = 0;
    std::vector<std::uint64_t> words_;
    std::vector<Slot> free_;
    std::string arena_;
    std::vector<std::uint64_t> textEnds_;  // text i is arena_[ends[i - 1], ends[i])

    // Lookup tables of a file being read.
    struct Column {
        TextId last = ~TextId{0};
        std::uint32_t lookups = 0;
        std::uint32_t hits = 0;
        bool sharing = true;
    };
    std::vector<Column> columns_;
    std::vector<std::uint32_t> table_;  // open addressing: text id + 1, 0 when free
    std::size_t shared_ = 0;
};

}  // namespace kalvenor
