#include "journal/JournalColumns.h"

#include <array>
#include <stdexcept>

namespace kalvenor {

namespace {

// clang-format off
constexpr std::array<JournalColumnLayout, kJournalColumnCount> kColumns{{
    {"Обозначение линии",       "Обозначение линии", false, 16},
    {"Мощность, кВт",           "P, кВт",            true,   6},
    {"cos φ",                   "cos φ",             true,   5},
    {"Напряжение сети",         "Напряжение сети",   false, 13},
    {"Длина, м",                "L, м",              true,   5},
    {"Температура среды, °C",   "t, °C",             true,   5},
    {"Таблица токов",           "Таблица токов",     false, 15},
    {"Коэф. кол. кабелей",      "Kгр",               true,   5},
    {"Серия автомата",          "Серия автомата",    false, 12},
    {"Трансформатор",           "Трансформатор",     false, 17},
    {"Допустимое падение, %",   "ΔUдоп, %",          true,   8},
    {"Номинальный ток, А",      "Iном, А",           true,   7},
    {"Сечение, мм²",            "S, мм²",            true,   5},
    {"Длительный ток, А",       "Iдл, А",            true,   6},
    {"Ток автомата, А",         "Iавт, А",           true,   6},
    {"Падение напряжения, %",   "ΔU, %",             true,   5},
    {"Ток КЗ, А",               "Iкз, А",            true,   7},
    {"Трансформатор в расчёте", "Трансформатор",     false, 17},
    {"Сечение выбрано по",      "Сечение выбрано по", false, 13},
    {"Состояние",               "Состояние",         false, 15},
}};
// clang-format on

constexpr std::array<std::string_view, 4> kCriteria{
    "длительному нагреву",
    "току автомата",
    "срабатыванию автомата при КЗ",
    "падению напряжения",
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The figure of a result column; nothing for the text columns.
std::optional<double> ResultFigure(const LineResults& results, JournalColumn column) {
    switch (column) {
        case JournalColumn::NominalCurrent:
            return results.nominalCurrent;
        case JournalColumn::Section:
            return results.section;
        case JournalColumn::ContinuousCurrent:
            return results.continuousCurrent;
        case JournalColumn::BreakerCurrent:
            return results.breakerCurrent;
        case JournalColumn::VoltageDrop:
            return results.voltageDrop;
        case JournalColumn::ShortCircuitCurrent:
            return results.shortCircuitCurrent;
        default:
            return std::nullopt;
    }
}

}  // namespace

const JournalColumnLayout& ColumnLayout(JournalColumn column) {
    return kColumns.at(static_cast<std::size_t>(column));
}

std::optional<LineInput> InputOf(JournalColumn column) {
    const auto position = static_cast<std::size_t>(column);
    if (position >= kLineInputCount) {
        return std::nullopt;
    }
    return static_cast<LineInput>(position);
}

std::string StatusText(const LineOutcome& outcome) {
    if (std::holds_alternative<LineResults>(outcome)) {
        return "OK";
    }
    const LineStop* stop = std::get_if<LineStop>(&outcome);
    if (stop == nullptr) {
        return {};
    }
    // Messages are written for a box ("Козфициент мощности должен быть \n
    // больше 0 и меньше 1."); a cell shows them on one line.
    std::string text;
    for (const char c : stop->message) {
        if (!IsBlank(c)) {
            text += c;
        } else if (!text.empty() && text.back() != ' ') {
            text += ' ';
        }
    }
    if (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

std::string_view CriterionText(Criterion criterion) {
    return kCriteria.at(static_cast<std::size_t>(criterion));
}

std::optional<Criterion> CriterionFromText(std::string_view text) {
    for (std::size_t i = 0; i < kCriteria.size(); ++i) {
        if (kCriteria[i] == text) {
            return static_cast<Criterion>(i);
        }
    }
    return std::nullopt;
}

std::string CellText(const JournalLine& line, JournalColumn column, NumberFormat format) {
    if (const std::optional<LineInput> input = InputOf(column)) {
        return line.inputs[*input];
    }
    if (column == JournalColumn::Status) {
        return StatusText(line.outcome);
    }
    const LineResults* results = std::get_if<LineResults>(&line.outcome);
    if (results == nullptr) {
        return {};
    }
    if (column == JournalColumn::TransformerUsed) {
        return results->transformer;
    }
    if (column == JournalColumn::Criterion) {
        return std::string(CriterionText(results->criterion));
    }
    const std::optional<double> figure = ResultFigure(*results, column);
    if (!figure) {
        throw std::logic_error("У столбца журнала нет значения.");
    }
    return FloatToStr(*figure, format);
}

std::optional<double> CellNumber(const JournalLine& line, JournalColumn column,
                                 NumberFormat format) {
    if (!ColumnLayout(column).numeric) {
        return std::nullopt;
    }
    if (const std::optional<LineInput> input = InputOf(column)) {
        double value = 0;
        if (!TryStrToFloat(line.inputs[*input], format, value)) {
            return std::nullopt;
        }
        return value;
    }
    const LineResults* results = std::get_if<LineResults>(&line.outcome);
    return results == nullptr ? std::nullopt : ResultFigure(*results, column);
}

std::string ChangeSeparator(std::string_view text, NumberFormat from, NumberFormat to) {
    std::string changed(text);
    double ignored = 0;
    if (from.decimalSeparator != to.decimalSeparator && TryStrToFloat(text, from, ignored)) {
        for (char& c : changed) {
            if (c == from.decimalSeparator) {
                c = to.decimalSeparator;
            }
        }
    }
    return changed;
}

}  // namespace kalvenor
