#include "tables/Dataset.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <compare>
#include <numeric>
#include <type_traits>
#include <utility>

#include "base/Utf8.h"
#include "tables/DataPacket.h"

namespace kalvenor {

FileChangedError::FileChangedError(const std::filesystem::path& path)
    : FileError("Файл " + Quoted(path.string()) +
                " изменён другой программой после того, как был прочитан: таблица не записана "
                "поверх него, её изменения остались только в памяти.") {}

namespace {

// Why rows read from the file could not be written back to it.
std::optional<std::string> WriteRefusal(const std::filesystem::path& path,
                                        const std::optional<std::string>& unkept) {
    std::string why;
    if (unkept) {
        why = "в нём есть " + *unkept + ", а записать это на место программа не может";
    } else if (::access(path.c_str(), W_OK) != 0) {
        why = SystemErrorText(errno);
    } else if (const std::filesystem::path target = WriteTarget(path); target != path) {
        // The file is replaced in the target's folder, not in the link's.
        if (const int code = FolderWriteError(target.parent_path()); code != 0) {
            why = "это ссылка на " + Quoted(target.string()) +
                  ", а в папку этого файла нельзя записывать (" + SystemErrorText(code) + ")";
        }
    }
    if (why.empty()) {
        return std::nullopt;
    }
    return "Файл " + Quoted(path.string()) + " нельзя изменять: " + why +
           ".\nТаблица открыта только для просмотра.";
}

}  // namespace

std::string PlainText(const Value& value) {
    return std::visit(
        [](const auto& x) -> std::string {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return {};
            } else if constexpr (std::is_same_v<T, std::string>) {
                return x;
            } else {
                char buffer[32];
                const auto result = std::to_chars(std::begin(buffer), std::end(buffer), x);
                return std::string(buffer, result.ptr);
            }
        },
        value);
}

const FieldDef& Dataset::FieldDefAt(std::size_t position) const {
    return fields_.at(position);
}

std::optional<std::size_t> Dataset::FindField(std::string_view name) const {
    const auto found = std::find_if(fields_.begin(), fields_.end(),
                                    [name](const FieldDef& field) { return field.name == name; });
    if (found == fields_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - fields_.begin());
}

std::size_t Dataset::FieldByName(std::string_view name) const {
    if (std::optional<std::size_t> position = FindField(name)) {
        return *position;
    }
    throw std::logic_error("В таблице нет поля " + Quoted(name) + ".");
}

namespace {

bool IsBlank(const Value& value) {
    const std::string* text = std::get_if<std::string>(&value);
    if (text == nullptr) {
        return std::holds_alternative<std::monostate>(value);
    }
    return text->find_first_not_of(" \t\n\r\v\f") == std::string::npos;
}

bool IsNotPositive(const Value& value) {
    if (const double* number = std::get_if<double>(&value)) {
        return !(*number > 0);
    }
    if (const std::int64_t* integer = std::get_if<std::int64_t>(&value)) {
        return *integer <= 0;
    }
    return false;
}

// Marks a slot whose row shows its stored value: a NaN that no arithmetic
// makes, compared by its bits.
constexpr std::uint64_t kUncorrected = 0x7FF4'0000'0000'0001;

bool IsUncorrected(double value) {
    return std::bit_cast<std::uint64_t>(value) == kUncorrected;
}

// Bits that sort as the numbers do: IEEE total order, -0 before +0.
std::uint64_t OrderedBits(double number) {
    const auto bits = std::bit_cast<std::uint64_t>(number);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

std::uint64_t OrderedBits(std::int64_t number) {
    return static_cast<std::uint64_t>(number) ^ (std::uint64_t{1} << 63);
}

// One row's key while the rows are sorted: empty keys first, then by key,
// then by sequence, so that a plain sort keeps equal keys in file and
// insertion order.
template <typename Key>
struct SortItem {
    Key key{};
    std::uint64_t sequence = 0;
    RowStore::Slot slot = 0;
    bool present = false;
    bool operator<(const SortItem& other) const {
        if (present != other.present) {
            return !present;
        }
        if (present && key != other.key) {
            return key < other.key;
        }
        return sequence < other.sequence;
    }
};

// Files are written in their order, so a load usually finds its rows in
// order already: one look at each row instead of a sort.
template <typename Key, typename KeyOf>
void SortSlots(std::vector<RowStore::Slot>& rows, const RowStore& store, KeyOf keyOf) {
    SortItem<Key> previous;
    std::size_t ordered = 0;
    for (; ordered < rows.size(); ++ordered) {
        SortItem<Key> item;
        item.slot = rows[ordered];
        item.sequence = store.Sequence(item.slot);
        item.present = keyOf(item.slot, item.key);
        if (ordered > 0 && item < previous) {
            break;
        }
        previous = item;
    }
    if (ordered == rows.size()) {
        return;
    }
    std::vector<SortItem<Key>> items(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SortItem<Key>& item = items[i];
        item.slot = rows[i];
        item.sequence = store.Sequence(item.slot);
        item.present = keyOf(item.slot, item.key);
    }
    std::sort(items.begin(), items.end());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i] = items[i].slot;
    }
}

}  // namespace

void Dataset::Load(const std::filesystem::path& path, std::optional<std::string_view> order) {
    ReadReplacing(path, order, false);
}

void Dataset::Load(const TableFile& file, std::optional<std::string_view> order) {
    Discard();
    // A copy of rows read before belongs to no file of its own.
    readOnlyReason_.reset();
    stampPath_.clear();
    TakeRows(file, order);
    Notify();
}

void Dataset::OpenFile(const std::filesystem::path& path, std::optional<std::string_view> order) {
    ReadReplacing(path, order, true);
}

void Dataset::ReadReplacing(const std::filesystem::path& path,
                            std::optional<std::string_view> order, bool bind) {
    const bool wasActive = active_;
    Discard();
    const bool ofBound = bind || (!bound_.empty() && path == bound_);
    if (bind) {
        bound_.clear();
    }
    try {
        ReadRows(path, order, ofBound);
    } catch (...) {
        if (wasActive) {
            Notify();
        }
        throw;
    }
    if (readOnlyReason_) {
        bound_.clear();
    } else if (bind) {
        bound_ = path;
    }
    Notify();
}

void Dataset::Bind(std::filesystem::path path) {
    bound_ = std::move(path);
}

void Dataset::Open() {
    if (active_) {
        return;
    }
    if (bound_.empty()) {
        OpenEmpty();
    } else {
        ReadRows(bound_, std::nullopt, true);
        if (readOnlyReason_) {
            bound_.clear();
        }
        Notify();
    }
}

bool Dataset::RevertToFile(const std::filesystem::path& path) {
    if (!active_ || modified_ || bound_ != path || stampPath_ != path || StampOf(path) != stamp_) {
        return false;
    }
    corrections_.clear();
    corrected_ = false;
    // The sequences are the rows' places in the file (a read numbers them
    // so, a write renumbers them so): this is the order a read would give.
    Sort();
    Notify();
    return true;
}

void Dataset::Discard() {
    if (!active_) {
        return;
    }
    if (modified_ && !bound_.empty()) {
        WriteBound(true);
    }
    stampPath_.clear();
    rows_ = {};
    store_ = RowStore();
    corrections_.clear();
    kept_.reset();
    readOnlyReason_.reset();
    active_ = false;
    modified_ = false;
    unsavedEdits_ = 0;
    corrected_ = false;
}

void Dataset::Close() {
    if (!active_) {
        return;
    }
    Discard();
    Notify();
}

void Dataset::Create(std::vector<FieldDef> fields, std::vector<IndexDef> indexes) {
    if (active_) {
        throw std::logic_error("Таблица открыта: новые поля к её строкам не подходят.");
    }
    fields_ = std::move(fields);
    indexes_ = std::move(indexes);
    order_.clear();
    OpenEmpty();
}

void Dataset::Write(const std::filesystem::path& path) {
    const FileStamp stamp = WriteTableFile(path, fields_, indexes_, store_, rows_, kept_.get());
    if (bound_.empty() || path == bound_) {
        stampPath_ = path;
        stamp_ = stamp;
    }
    modified_ = false;
    unsavedEdits_ = 0;
    // The file holds the rows in this order: numbered by it, equal keys keep
    // it in every order as they would after reading the file back.
    for (std::size_t position = 0; position < rows_.size(); ++position) {
        store_.SetSequence(rows_[position], position);
    }
    nextSequence_ = rows_.size();
}

void Dataset::WriteBack() {
    if (active_ && modified_ && !bound_.empty()) {
        WriteBound(false);
    }
}

bool Dataset::ChangedSinceRead() const {
    const std::optional<FileStamp> now = StampOf(bound_);
    // A file that is gone has no change of another to lose; a folder or a
    // device in its place takes no write anyway, which says so.
    return now && (stampPath_ != bound_ || *now != stamp_);
}

void Dataset::WriteBound(bool closing) {
    if (ChangedSinceRead()) {
        const ChangedFileChoice choice =
            changedFilePolicy_ ? changedFilePolicy_(bound_) : ChangedFileChoice::Keep;
        if (choice == ChangedFileChoice::Keep) {
            throw FileChangedError(bound_);
        }
        if (choice == ChangedFileChoice::Reload) {
            modified_ = false;
            unsavedEdits_ = 0;
            if (!closing) {
                const std::filesystem::path path = bound_;
                const std::string order = order_;
                ReadReplacing(path, order, true);
            }
            return;
        }
    }
    Write(bound_);
}

void Dataset::WriteThrough() {
    if (!bound_.empty()) {
        WriteBound(false);
    }
}

void Dataset::ReadRows(const std::filesystem::path& path, std::optional<std::string_view> order,
                       bool ofBound) {
    // A read that fails leaves the rows in no file.
    stampPath_.clear();
    TableFile file = ReadTableFile(path);
    readOnlyReason_ = ofBound ? WriteRefusal(path, file.unkept) : std::nullopt;
    stampPath_ = path;
    TakeRows(std::move(file), order);
}

void Dataset::TakeRows(TableFile file, std::optional<std::string_view> order) {
    kept_ = std::move(file.kept);
    stamp_ = file.stamp;
    fields_ = std::move(file.fields);
    indexes_ = std::move(file.indexes);
    store_ = std::move(file.rows);
    // The reader numbers the slots in file order and gives each its number
    // as its sequence.
    rows_.resize(store_.SlotCount());
    std::iota(rows_.begin(), rows_.end(), Slot{0});
    nextSequence_ = store_.SlotCount();
    corrections_.clear();
    active_ = true;
    modified_ = false;
    unsavedEdits_ = 0;
    corrected_ = false;
    if (order) {
        order_ = *order;
    }
    if (!FindField(order_)) {
        order_.clear();
    }
    Sort();
}

void Dataset::OpenEmpty() {
    stampPath_.clear();
    std::vector<FieldType> types;
    for (const FieldDef& field : fields_) {
        types.push_back(field.type);
    }
    store_ = RowStore(std::move(types));
    rows_ = {};
    corrections_.clear();
    active_ = true;
    modified_ = false;
    corrected_ = false;
    Notify();
}

void Dataset::SetOrder(std::string_view fieldName) {
    if (!fieldName.empty()) {
        FieldByName(fieldName);
    }
    if (order_ == fieldName) {
        return;  // kept in this order since it was set
    }
    order_ = fieldName;
    Sort();
    Notify();
}

const double* Dataset::CorrectedAt(Slot slot, std::size_t field) const {
    for (const Correction& correction : corrections_) {
        if (correction.field == field && slot < correction.values.size() &&
            !IsUncorrected(correction.values[slot])) {
            return &correction.values[slot];
        }
    }
    return nullptr;
}

Value Dataset::Working(Slot slot, std::size_t field) const {
    if (const double* corrected = CorrectedAt(slot, field)) {
        return *corrected;
    }
    return store_.Get(slot, field);
}

std::strong_ordering Dataset::CompareKeys(Slot a, Slot b, std::size_t key) const {
    const bool emptyA = store_.IsEmpty(a, key);
    const bool emptyB = store_.IsEmpty(b, key);
    if (emptyA || emptyB) {
        return emptyB <=> emptyA;
    }
    switch (store_.Types()[key]) {
        case FieldType::Float: {
            const double* correctedA = CorrectedAt(a, key);
            const double* correctedB = CorrectedAt(b, key);
            return std::strong_order(correctedA ? *correctedA : store_.Number(a, key),
                                     correctedB ? *correctedB : store_.Number(b, key));
        }
        case FieldType::Integer:
            return store_.Integer(a, key) <=> store_.Integer(b, key);
        case FieldType::String:
            return store_.Text(a, key) <=> store_.Text(b, key);
    }
    return std::strong_ordering::equal;
}

bool Dataset::Before(Slot a, Slot b, std::optional<std::size_t> key) const {
    if (key) {
        const std::strong_ordering order = CompareKeys(a, b, *key);
        if (std::is_neq(order)) {
            return std::is_lt(order);
        }
    }
    return store_.Sequence(a) < store_.Sequence(b);
}

void Dataset::Sort() {
    // The keys are copied out beside their slots and sorted as plain
    // numbers or texts; the sequence breaks ties.
    const std::optional<std::size_t> key = FindField(order_);
    if (!key) {
        SortSlots<char>(rows_, store_, [](Slot, char&) { return false; });
        return;
    }
    const std::size_t field = *key;
    const auto correction =
        std::find_if(corrections_.begin(), corrections_.end(),
                     [field](const Correction& existing) { return existing.field == field; });
    const std::vector<double>* corrected =
        correction == corrections_.end() ? nullptr : &correction->values;
    switch (store_.Types()[field]) {
        case FieldType::Float:
            SortSlots<std::uint64_t>(
                rows_, store_, [this, field, corrected](Slot slot, std::uint64_t& bits) {
                    if (store_.IsEmpty(slot, field)) {
                        return false;
                    }
                    const bool working = corrected != nullptr && slot < corrected->size() &&
                                         !IsUncorrected((*corrected)[slot]);
                    bits = OrderedBits(working ? (*corrected)[slot] : store_.Number(slot, field));
                    return true;
                });
            break;
        case FieldType::Integer:
            SortSlots<std::uint64_t>(rows_, store_, [this, field](Slot slot, std::uint64_t& bits) {
                if (store_.IsEmpty(slot, field)) {
                    return false;
                }
                bits = OrderedBits(store_.Integer(slot, field));
                return true;
            });
            break;
        case FieldType::String:
            SortSlots<std::string_view>(rows_, store_,
                                        [this, field](Slot slot, std::string_view& text) {
                                            if (store_.IsEmpty(slot, field)) {
                                                return false;
                                            }
                                            text = store_.Text(slot, field);
                                            return true;
                                        });
            break;
    }
}

std::size_t Dataset::Reposition(std::size_t row) {
    // Only the rows between the old place and the new one move, each by one.
    const std::optional<std::size_t> key = FindField(order_);
    const Slot moved = rows_[row];
    const auto before = [this, key](Slot a, Slot b) { return Before(a, b, key); };
    const auto at = rows_.begin() + static_cast<std::ptrdiff_t>(row);
    if (row > 0 && before(moved, rows_[row - 1])) {
        const auto place = std::upper_bound(rows_.begin(), at, moved, before);
        std::rotate(place, at, at + 1);
        return static_cast<std::size_t>(place - rows_.begin());
    }
    if (row + 1 < rows_.size() && before(rows_[row + 1], moved)) {
        const auto place = std::upper_bound(at + 1, rows_.end(), moved, before);
        std::rotate(at, at + 1, place);
        return static_cast<std::size_t>(place - rows_.begin()) - 1;
    }
    return row;
}

Value Dataset::At(std::size_t row, std::size_t field) const {
    CheckCellIndex(row, field);
    return Working(rows_[row], field);
}

Row Dataset::RowAt(std::size_t row) const {
    CheckRowIndex(row);
    Row values;
    values.reserve(fields_.size());
    for (std::size_t field = 0; field < fields_.size(); ++field) {
        values.push_back(Working(rows_[row], field));
    }
    return values;
}

Value Dataset::StoredAt(std::size_t row, std::size_t field) const {
    CheckCellIndex(row, field);
    return store_.Get(rows_[row], field);
}

std::optional<std::size_t> Dataset::FindDuplicate(const std::vector<std::size_t>& key,
                                                  const Row& values,
                                                  std::optional<std::size_t> replacing) const {
    const std::optional<std::size_t> order = FindField(order_);
    const bool correctedKey = std::any_of(
        corrections_.begin(), corrections_.end(),
        [&key](const Correction& correction) { return correction.field == key.front(); });
    if (key.size() == 1 && key.front() == order && !correctedKey) {
        // The rows stand in the order of this very field: the equal ones are
        // neighbours. Equal as == says, so -0 finds 0, though -0 sorts first.
        const std::size_t field = key.front();
        const Value& value = values[field];
        const auto below = [this, field, &value](Slot slot) {
            if (store_.IsEmpty(slot, field) || std::holds_alternative<std::monostate>(value)) {
                return store_.IsEmpty(slot, field) &&
                       !std::holds_alternative<std::monostate>(value);
            }
            switch (store_.Types()[field]) {
                case FieldType::Float:
                    return store_.Number(slot, field) < std::get<double>(value);
                case FieldType::Integer:
                    return store_.Integer(slot, field) < std::get<std::int64_t>(value);
                case FieldType::String:
                    return store_.Text(slot, field) < std::get<std::string>(value);
            }
            return false;
        };
        auto at = std::partition_point(rows_.begin(), rows_.end(), below);
        for (; at != rows_.end() && store_.Equals(*at, field, value); ++at) {
            const auto position = static_cast<std::size_t>(at - rows_.begin());
            if (position != replacing) {
                return position;
            }
        }
        return std::nullopt;
    }
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (r != replacing && std::all_of(key.begin(), key.end(), [&](std::size_t f) {
                return store_.Equals(rows_[r], f, values[f]);
            })) {
            return r;
        }
    }
    return std::nullopt;
}

std::optional<std::string> Dataset::PostError(const Row& values,
                                              std::optional<std::size_t> replacing,
                                              const PostRules& rules) const {
    if (values.size() != fields_.size()) {
        return "Число значений (" + std::to_string(values.size()) +
               ") не совпадает с числом полей (" + std::to_string(fields_.size()) + ").";
    }
    for (std::size_t f = 0; f < fields_.size(); ++f) {
        const FieldDef& field = fields_[f];
        const Value& value = values[f];
        if ((field.required || rules.everyFieldRequired) &&
            (field.type == FieldType::String ? IsBlank(value)
                                             : std::holds_alternative<std::monostate>(value))) {
            return "Поле " + Quoted(field.name) + " должно быть заполнено.";
        }
        const std::string* text = std::get_if<std::string>(&value);
        if (text != nullptr && field.type == FieldType::String && field.size > 0 &&
            Utf8Length(*text) > static_cast<std::size_t>(field.size)) {
            return "Поле " + Quoted(field.name) + " не длиннее " + std::to_string(field.size) +
                   " символов.";
        }
        if (!FitsField(value, field.type)) {
            return "Поле " + Quoted(field.name) + ": неверное значение.";
        }
        if (std::find(rules.positiveFields.begin(), rules.positiveFields.end(), field.name) !=
                rules.positiveFields.end() &&
            IsNotPositive(value)) {
            return "Поле " + Quoted(field.name) + " должно быть больше нуля.";
        }
    }
    std::vector<std::vector<std::size_t>> keys;
    if (const auto field =
            rules.uniqueField.empty() ? std::nullopt : FindField(rules.uniqueField)) {
        keys.push_back({*field});
    }
    for (const IndexDef& index : indexes_) {
        if (!rules.enforceUniqueIndexes || !index.unique || index.fields.empty()) {
            continue;
        }
        std::vector<std::size_t> key;
        for (const std::string& name : index.fields) {
            if (std::optional<std::size_t> position = FindField(name)) {
                key.push_back(*position);
            }
        }
        // An index on a field that is gone enforces nothing.
        if (key.size() == index.fields.size()) {
            keys.push_back(std::move(key));
        }
    }
    for (const std::vector<std::size_t>& key : keys) {
        if (!FindDuplicate(key, values, replacing)) {
            continue;
        }
        std::string message =
            key.size() == 1 ? "Запись со значением поля " : "Запись со значениями полей ";
        for (std::size_t k = 0; k < key.size(); ++k) {
            message += (k == 0 ? "" : ", ") + Quoted(fields_[key[k]].name) + " = " +
                       PlainText(values[key[k]]);
        }
        return message + " уже есть.";
    }
    return std::nullopt;
}

void Dataset::RequireActive() const {
    if (!active_) {
        throw std::logic_error("Таблица не открыта.");
    }
}

void Dataset::CheckRowIndex(std::size_t row) const {
    if (row >= rows_.size()) {
        throw std::out_of_range("Нет строки " + std::to_string(row) + " в таблице из " +
                                std::to_string(rows_.size()) + " строк.");
    }
}

void Dataset::CheckCellIndex(std::size_t row, std::size_t field) const {
    CheckRowIndex(row);
    if (field >= fields_.size()) {
        throw std::out_of_range("Нет поля " + std::to_string(field) + " в таблице из " +
                                std::to_string(fields_.size()) + " полей.");
    }
}

void Dataset::CheckValues(const Row& values) const {
    if (values.size() != fields_.size()) {
        throw std::invalid_argument("Число значений (" + std::to_string(values.size()) +
                                    ") не совпадает с числом полей (" +
                                    std::to_string(fields_.size()) + ").");
    }
    for (std::size_t f = 0; f < fields_.size(); ++f) {
        if (!FitsField(values[f], fields_[f].type)) {
            throw std::invalid_argument("Поле " + Quoted(fields_[f].name) + ": неверное значение.");
        }
    }
}

void Dataset::Store(Slot slot, Row& values) {
    for (std::size_t field = 0; field < values.size(); ++field) {
        store_.Set(slot, field, values[field]);
    }
    for (Correction& correction : corrections_) {
        if (slot >= correction.values.size()) {
            correction.values.resize(slot + 1, std::bit_cast<double>(kUncorrected));
        }
        correction.values[slot] = std::bit_cast<double>(kUncorrected);
    }
}

std::size_t Dataset::InsertRow(Row values) {
    RequireActive();
    CheckValues(values);
    const Slot slot = store_.Add(nextSequence_++);
    Store(slot, values);
    const std::optional<std::size_t> key = FindField(order_);
    const auto place = std::upper_bound(rows_.begin(), rows_.end(), slot,
                                        [this, key](Slot a, Slot b) { return Before(a, b, key); });
    const auto position = static_cast<std::size_t>(place - rows_.begin());
    rows_.insert(place, slot);
    modified_ = true;
    ++unsavedEdits_;
    Notify({DatasetChange::Kind::Inserted, 0, position});
    WriteThrough();
    return position;
}

std::size_t Dataset::UpdateRow(std::size_t row, Row values) {
    CheckRowIndex(row);
    CheckValues(values);
    Store(rows_[row], values);
    const std::size_t position = Reposition(row);
    modified_ = true;
    ++unsavedEdits_;
    Notify({DatasetChange::Kind::Updated, row, position});
    WriteThrough();
    return position;
}

void Dataset::DeleteRow(std::size_t row) {
    CheckRowIndex(row);
    store_.Free(rows_[row]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    modified_ = true;
    ++unsavedEdits_;
    Notify({DatasetChange::Kind::Removed, row, 0});
    WriteThrough();
}

void Dataset::ApplyCorrection(std::string_view fieldName, double k1, double k2) {
    const std::size_t field = FieldByName(fieldName);
    if (fields_[field].type != FieldType::Float) {
        throw std::invalid_argument("Поле " + Quoted(fieldName) + " не числовое.");
    }
    auto correction =
        std::find_if(corrections_.begin(), corrections_.end(),
                     [field](const Correction& existing) { return existing.field == field; });
    if (correction == corrections_.end()) {
        correction = corrections_.insert(corrections_.end(), Correction{field, {}});
    }
    // A second correction starts again from the stored values.
    correction->values.assign(store_.SlotCount(), std::bit_cast<double>(kUncorrected));
    for (const Slot slot : rows_) {
        if (!store_.IsEmpty(slot, field)) {
            correction->values[slot] =
                static_cast<double>(static_cast<long double>(store_.Number(slot, field)) * k1 * k2);
        }
    }
    corrected_ = true;
    if (order_ == fieldName) {
        Sort();
    }
    Notify();
}

int Dataset::AddObserver(std::function<void(const DatasetChange&)> observer) {
    return observers_.Add(std::move(observer));
}

void Dataset::RemoveObserver(int id) {
    observers_.Remove(id);
}

void Dataset::Notify(const DatasetChange& change) {
    observers_.Notify(change);
}

}  // namespace kalvenor
