#include "journal/Journal.h"

#include <stdexcept>

namespace kalvenor {

LineInputs::LineInputs() {
    for (const LineInput input : {LineInput::CosPhi, LineInput::Grouping}) {
        (*this)[input] = std::string(1, '1');
    }
}

const JournalLine& Journal::Line(std::size_t line) const {
    CheckLine(line);
    return lines_[line];
}

void Journal::Assign(std::vector<JournalLine> lines) {
    lines_ = std::move(lines);
    modified_ = false;
    observers_.Notify({});
}

void Journal::Insert(std::size_t at, std::vector<JournalLine> lines) {
    if (at > lines_.size()) {
        throw std::out_of_range("Нет строки журнала " + std::to_string(at + 1) + ".");
    }
    if (lines.empty()) {
        return;
    }
    const std::size_t count = lines.size();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
    Changed({JournalChange::Kind::Inserted, at, count});
}

void Journal::Remove(std::size_t first, std::size_t count) {
    if (first > lines_.size() || count > lines_.size() - first) {
        throw std::out_of_range("Нет строки журнала " + std::to_string(first + count) + ".");
    }
    if (count == 0) {
        return;
    }
    const auto begin = lines_.begin() + static_cast<std::ptrdiff_t>(first);
    lines_.erase(begin, begin + static_cast<std::ptrdiff_t>(count));
    Changed({JournalChange::Kind::Removed, first, count});
}

bool Journal::SetInput(std::size_t line, LineInput input, std::string text) {
    CheckLine(line);
    JournalLine& target = lines_[line];
    if (target.inputs[input] == text) {
        return false;
    }
    target.inputs[input] = std::move(text);
    target.outcome = std::monostate{};
    Changed({JournalChange::Kind::Changed, line, 1});
    return true;
}

bool Journal::SetOutcome(std::size_t line, const LineInputs& calculated, LineOutcome outcome) {
    CheckLine(line);
    if (const LineStop* stop = std::get_if<LineStop>(&outcome); stop && stop->message.empty()) {
        throw std::invalid_argument("У остановленного расчёта строки нет сообщения.");
    }
    JournalLine& target = lines_[line];
    if (target.inputs != calculated) {
        return false;
    }
    if (target.outcome != outcome) {
        target.outcome = std::move(outcome);
        Changed({JournalChange::Kind::Changed, line, 1});
    }
    return true;
}

int Journal::AddObserver(std::function<void(const JournalChange&)> observer) {
    return observers_.Add(std::move(observer));
}

void Journal::RemoveObserver(int id) {
    observers_.Remove(id);
}

void Journal::CheckLine(std::size_t line) const {
    if (line >= lines_.size()) {
        throw std::out_of_range("Нет строки журнала " + std::to_string(line + 1) + ".");
    }
}

void Journal::Changed(const JournalChange& change) {
    modified_ = true;
    observers_.Notify(change);
}

}  // namespace kalvenor
