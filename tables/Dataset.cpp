#include "tables/Dataset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <compare>
#include <type_traits>
#include <utility>

#include "base/Utf8.h"
#include "tables/DataPacket.h"

namespace kalvenor {

namespace {

// Empty values first; then by value. Doubles in IEEE total order so that a
// stray NaN cannot break the sort's ordering; texts by their UTF-8 bytes.
std::strong_ordering Compare(const Value& a, const Value& b) {
    if (a.index() != b.index()) {
        return a.index() <=> b.index();
    }
    return std::visit(
        [&b](const auto& x) -> std::strong_ordering {
            using T = std::decay_t<decltype(x)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return std::strong_ordering::equal;
            } else if constexpr (std::is_same_v<T, double>) {
                return std::strong_order(x, std::get<double>(b));
            } else {
                return x <=> std::get<T>(b);
            }
        },
        a);
}

bool IsBlank(const Value& value) {
    const std::string* text = std::get_if<std::string>(&value);
    if (text == nullptr) {
        return std::holds_alternative<std::monostate>(value);
    }
    return text->find_first_not_of(" \t\n\r\v\f") == std::string::npos;
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

void Dataset::Load(const std::filesystem::path& path) {
    Close();
    ReadRows(path);
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
        ReadRows(bound_);
    }
}

void Dataset::Close() {
    if (!active_) {
        return;
    }
    if (modified_ && !bound_.empty()) {
        Write(bound_);
    }
    rows_.clear();
    active_ = false;
    modified_ = false;
    corrected_ = false;
    Notify();
}

void Dataset::OpenFile(const std::filesystem::path& path) {
    Close();
    bound_.clear();
    ReadRows(path);
    bound_ = path;
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
    WriteDataPacket(path, fields_, indexes_, rows_.size(),
                    [this](std::size_t row) -> const Row& { return rows_[row].values; });
    modified_ = false;
}

void Dataset::ReadRows(const std::filesystem::path& path) {
    DataPacket packet = ReadDataPacket(path);
    fields_ = std::move(packet.fields);
    indexes_ = std::move(packet.indexes);
    rows_.clear();
    rows_.reserve(packet.rows.size());
    for (Row& row : packet.rows) {
        rows_.push_back(StoredRow{std::move(row), {}, nextSequence_++});
    }
    active_ = true;
    modified_ = false;
    corrected_ = false;
    if (!FindField(order_)) {
        order_.clear();
    }
    if (!order_.empty()) {
        Sort();
    }
    Notify();
}

void Dataset::OpenEmpty() {
    rows_.clear();
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

const Row& Dataset::Working(const StoredRow& row) const {
    return row.working.empty() ? row.values : row.working;
}

bool Dataset::Before(const StoredRow& a, const StoredRow& b, std::optional<std::size_t> key) const {
    if (key) {
        const std::strong_ordering order = Compare(Working(a)[*key], Working(b)[*key]);
        if (order != 0) {
            return order < 0;
        }
    }
    return a.sequence < b.sequence;
}

void Dataset::Sort() {
    // The sequence breaks ties, so a plain sort is stable with respect to the
    // file order and the order of insertion.
    const std::optional<std::size_t> key = FindField(order_);
    std::sort(rows_.begin(), rows_.end(),
              [this, key](const StoredRow& a, const StoredRow& b) { return Before(a, b, key); });
}

std::size_t Dataset::Reposition(std::size_t row) {
    const std::optional<std::size_t> key = FindField(order_);
    StoredRow moved = std::move(rows_[row]);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    const auto place = std::upper_bound(
        rows_.begin(), rows_.end(), moved,
        [this, key](const StoredRow& a, const StoredRow& b) { return Before(a, b, key); });
    return static_cast<std::size_t>(rows_.insert(place, std::move(moved)) - rows_.begin());
}

const Value& Dataset::At(std::size_t row, std::size_t field) const {
    return Working(rows_.at(row)).at(field);
}

Row Dataset::RowAt(std::size_t row) const {
    return Working(rows_.at(row));
}

const Value& Dataset::StoredAt(std::size_t row, std::size_t field) const {
    return rows_.at(row).values.at(field);
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
    }
    if (!rules.enforceUniqueIndexes) {
        return std::nullopt;
    }
    for (const IndexDef& index : indexes_) {
        if (!index.unique || index.fields.empty()) {
            continue;
        }
        std::vector<std::size_t> key;
        for (const std::string& name : index.fields) {
            if (std::optional<std::size_t> position = FindField(name)) {
                key.push_back(*position);
            }
        }
        if (key.size() != index.fields.size()) {
            continue;  // an index on a field that is gone enforces nothing
        }
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            if (r == replacing || !std::all_of(key.begin(), key.end(), [&](std::size_t f) {
                    return rows_[r].values[f] == values[f];
                })) {
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

void Dataset::CheckValueCount(const Row& values) const {
    if (values.size() != fields_.size()) {
        throw std::invalid_argument("Число значений (" + std::to_string(values.size()) +
                                    ") не совпадает с числом полей (" +
                                    std::to_string(fields_.size()) + ").");
    }
}

std::size_t Dataset::InsertRow(Row values) {
    RequireActive();
    CheckValueCount(values);
    rows_.push_back(StoredRow{std::move(values), {}, nextSequence_++});
    const std::size_t position = Reposition(rows_.size() - 1);
    modified_ = true;
    Notify({DatasetChange::Kind::Inserted, 0, position});
    return position;
}

std::size_t Dataset::UpdateRow(std::size_t row, Row values) {
    CheckRowIndex(row);
    CheckValueCount(values);
    rows_[row].values = std::move(values);
    rows_[row].working.clear();
    const std::size_t position = Reposition(row);
    modified_ = true;
    Notify({DatasetChange::Kind::Updated, row, position});
    return position;
}

void Dataset::DeleteRow(std::size_t row) {
    CheckRowIndex(row);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
    modified_ = true;
    Notify({DatasetChange::Kind::Removed, row, 0});
}

void Dataset::ApplyCorrection(std::string_view fieldName, double k1, double k2) {
    const std::size_t field = FieldByName(fieldName);
    if (fields_[field].type != FieldType::Float) {
        throw std::invalid_argument("Поле " + Quoted(fieldName) + " не числовое.");
    }
    for (StoredRow& row : rows_) {
        const double* stored = std::get_if<double>(&row.values[field]);
        if (stored == nullptr) {
            continue;
        }
        if (row.working.empty()) {
            row.working = row.values;
        }
        row.working[field] = static_cast<double>(static_cast<long double>(*stored) * k1 * k2);
    }
    corrected_ = true;
    if (order_ == fieldName) {
        Sort();
    }
    Notify();
}

int Dataset::AddObserver(std::function<void(const DatasetChange&)> observer) {
    observers_.emplace_back(nextObserver_, std::move(observer));
    return nextObserver_++;
}

void Dataset::RemoveObserver(int id) {
    std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void Dataset::Notify(const DatasetChange& change) {
    // An observer may remove itself or others while it is being called: walk a
    // copy of the ids, skip those removed meanwhile, and call a copy of each
    // function so that removing it does not destroy it mid-call.
    std::vector<int> ids;
    ids.reserve(observers_.size());
    for (const auto& entry : observers_) {
        ids.push_back(entry.first);
    }
    for (int id : ids) {
        const auto found = std::find_if(observers_.begin(), observers_.end(),
                                        [id](const auto& entry) { return entry.first == id; });
        if (found != observers_.end()) {
            const std::function<void(const DatasetChange&)> observer = found->second;
            observer(change);
        }
    }
}

}  // namespace kalvenor
