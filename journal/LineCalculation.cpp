#include "journal/LineCalculation.h"

#include "calc/Breakers.h"
#include "calc/InputEvents.h"
#include "calc/TableValues.h"
#include "calc/VoltageDrop.h"
#include "calc/VoltageOptions.h"
#include "tables/Catalogue.h"
#include "tables/CurrentTables.h"
#include "tables/TableFiles.h"

#include <algorithm>
#include <array>

namespace kalvenor {

namespace {

LineInput LineInputOf(Input input) {
    switch (input) {
        case Input::Power:
            return LineInput::Power;
        case Input::CosPhi:
            return LineInput::CosPhi;
        case Input::Length:
            return LineInput::Length;
        case Input::Temperature:
            return LineInput::Temperature;
        case Input::Grouping:
            return LineInput::Grouping;
    }
    return LineInput::Power;
}

[[noreturn]] void StopLine(std::string message) {
    throw CalculationStop({std::move(message), "Kalvenor", Buttons::Ok, Icon::Warning});
}

// The series the chooser would have offered, each once, in its order.
std::string SeriesList(const std::vector<std::string>& series) {
    std::vector<std::string> once;
    std::string list;
    for (const std::string& name : series) {
        if (std::find(once.begin(), once.end(), name) == once.end()) {
            once.push_back(name);
            list += (list.empty() ? "" : ", ") + name;
        }
    }
    return list;
}

// The main window and its user as a line of the journal: the inputs are the
// line's texts, the lists hold what the line names, and every question is
// answered from the line.
class LinePort final : public MainWindowPort, public UserPort {
public:
    LinePort(const LineInputs& line, NumberFormat format) : line_(line), format_(format) {
        for (const Input input :
             {Input::Power, Input::CosPhi, Input::Length, Input::Temperature, Input::Grouping}) {
            Field(input) = line[LineInputOf(input)];
        }
    }

    // Picks the list items the line names; a name that no list holds stops
    // the line before the calculation starts, with what is missing.
    void Choose(BatchTables& tables) {
        ChooseVoltage();
        ChooseTable(tables);
        ChooseTransformer(tables);
    }

    std::string Text(Input input) const override { return inputs_[Index(input)]; }
    void SetText(Input input, const std::string& text) override {
        const bool changed = Field(input) != text;
        Field(input) = text;
        if (changed) {
            InputChanged(input, *this, *this, format_);
        }
    }
    void SelectAndFocus(Input) override {}
    std::string Text(Result result) const override { return results_[Index(result)]; }
    void SetText(Result result, const std::string& text) override {
        results_[Index(result)] = text;
    }
    std::string Text(TableParameter parameter) const override {
        switch (parameter) {
            case TableParameter::LayingMethod:
                return laying_;
            case TableParameter::Material:
                return material_;
        }
        return {};
    }
    int ItemIndex(Choice choice) const override {
        switch (choice) {
            case Choice::CurrentTable:
                return table_.empty() ? -1 : 0;
            case Choice::Transformer:
                return transformer_;
            case Choice::Voltage:
                return voltage_;
        }
        return -1;
    }
    void SetItemIndex(Choice choice, int index) override {
        if (choice == Choice::Transformer) {
            transformer_ = index;
        }
    }
    std::string ChoiceText(Choice choice) const override {
        switch (choice) {
            case Choice::CurrentTable:
                return table_;
            case Choice::Transformer:
                return transformer_ >= 0 ? transformerNames_[static_cast<std::size_t>(transformer_)]
                                         : std::string();
            case Choice::Voltage: {
                const VoltageOption* option = FindVoltageOption(voltage_);
                return option != nullptr ? std::string(option->item) : std::string();
            }
        }
        return {};
    }
    void ClearReport() override {}
    void AddReportLine(const std::string&) override {}
    MainWindowState& State() override { return state_; }

    // The messages of steps that go on have nothing to answer but OK.
    Answer MessageBox(const Message&) override { return Answer::Ok; }
    // Only a shown stop opens the database, and a batch shows none.
    void ShowBreakerDatabaseModal() override {}
    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override {
        const std::string& wanted = line_[LineInput::Series];
        if (std::find(series.begin(), series.end(), wanted) != series.end()) {
            return wanted;
        }
        StopLine((wanted.empty() ? std::string("Не указана серия автомата.")
                                 : "Автомат серии " + Quoted(wanted) + " не подходит для линии.") +
                 " Подходят серии: " + SeriesList(series) + ".");
    }
    bool ConfirmsDropReduction(const Message&) override {
        return !line_[LineInput::PermittedDrop].empty();
    }
    std::optional<double> AskPermittedDrop(double voltageDrop) override {
        const std::string& text = line_[LineInput::PermittedDrop];
        const std::string head = "Допустимое падение напряжения " + Quoted(text) + ": ";
        double permitted = 0;
        if (!TryStrToFloat(text, format_, permitted)) {
            StopLine(head + "это не число.");
        }
        if (const auto refusal = PermittedDropRefusal(permitted, voltageDrop, format_)) {
            StopLine(head + *refusal + ".");
        }
        return permitted;
    }

private:
    static std::size_t Index(Input input) { return static_cast<std::size_t>(input); }
    static std::size_t Index(Result result) { return static_cast<std::size_t>(result); }
    std::string& Field(Input input) { return inputs_[Index(input)]; }

    void ChooseVoltage() {
        voltage_ = VoltageOptionOf(line_);
        const std::string& text = line_[LineInput::Voltage];
        // An empty one is the calculation's own reminder.
        if (voltage_ < 0 && !text.empty()) {
            std::string items;
            for (int index = 0; const VoltageOption* option = FindVoltageOption(index); ++index) {
                items += (items.empty() ? "" : "; ") + std::string(option->item);
            }
            StopLine("Напряжение сети " + Quoted(text) + " не из списка: " + items + ".");
        }
    }

    void ChooseTable(BatchTables& tables) {
        table_ = line_[LineInput::Table];
        if (table_.empty()) {
            return;
        }
        const TableFile* file = tables.Reader().CurrentTable(table_);
        if (file == nullptr) {
            StopLine("Таблица токов " + Quoted(table_) + " не найдена в папке " +
                     Quoted(tables.Directory().string()) + ".");
        }
        const std::string& cores = file->fields.at(kCoresPosition).name;
        const int option = VoltageOptionForCores(cores, format_);
        if (const VoltageOption* voltage = FindVoltageOption(voltage_);
            voltage != nullptr && option != voltage_) {
            StopLine("Таблица токов " + Quoted(table_) + " составлена для " + cores +
                     " жил, а напряжению " + Quoted(voltage->item) + " нужна таблица для " +
                     std::to_string(voltage->coresNeeded) + " жил.");
        }
        laying_ = file->fields.at(kLayingPosition).name;
        material_ = file->fields.at(kMaterialPosition).name;
        // Choosing the table presets the temperature in the main window.
        if (Field(Input::Temperature).empty()) {
            Field(Input::Temperature) = DefaultTemperatureText(laying_);
        }
    }

    void ChooseTransformer(BatchTables& tables) {
        const std::string& wanted = line_[LineInput::Transformer];
        if (wanted == kWithoutTransformer) {
            state_.UseTransformer = false;
            return;
        }
        transformerNames_ = tables.TransformerNames();
        if (wanted.empty()) {
            transformer_ = transformerNames_.empty() ? -1 : 0;
            return;
        }
        const auto found = std::find(transformerNames_.begin(), transformerNames_.end(), wanted);
        if (found == transformerNames_.end()) {
            StopLine("Трансформатор " + Quoted(wanted) +
                     " не найден в базе данных <Трансформаторы>.");
        }
        transformer_ = static_cast<int>(found - transformerNames_.begin());
    }

    const LineInputs& line_;
    NumberFormat format_;
    std::array<std::string, 5> inputs_;
    std::array<std::string, 4> results_;
    std::string laying_;
    std::string material_;
    std::string table_;
    int voltage_ = -1;
    int transformer_ = -1;
    std::vector<std::string> transformerNames_;
    MainWindowState state_;
};

}  // namespace

BatchTables::BatchTables(std::filesystem::path directory) : reader_(std::move(directory)) {}

const Dataset& BatchTables::Transformers() {
    if (!transformersRead_) {
        transformersRead_ = true;
        const std::filesystem::path path = Directory() / kTransformerFileName;
        std::error_code error;
        if (std::filesystem::exists(path, error)) {
            try {
                transformers_.Load(path, kPowerField);
                for (const FieldDef& field : TransformerFieldDefs()) {
                    if (!transformers_.FindField(field.name)) {
                        transformers_.Close();
                        transformersProblem_ = "Файл " + Quoted(path.string()) +
                                               " не является базой данных <Трансформаторы>.";
                        break;
                    }
                }
            } catch (const FileError& failure) {
                transformersProblem_ = failure.what();
            }
        }
    }
    if (transformersProblem_) {
        throw FileError(*transformersProblem_);
    }
    return transformers_;
}

std::vector<std::string> BatchTables::TransformerNames() {
    const Dataset& transformers = Transformers();
    std::vector<std::string> names;
    if (const auto name = transformers.FindField(kTransformerField)) {
        for (std::size_t row = 0; row < transformers.RowCount(); ++row) {
            const Value cell = transformers.At(row, *name);
            const auto* text = std::get_if<std::string>(&cell);
            names.push_back(text != nullptr ? *text : std::string());
        }
    }
    return names;
}

std::vector<std::string> BatchTables::SeriesNames(int poles) {
    std::vector<std::string> names;
    if (!reader_.ReadBreakers(breakers_)) {
        return names;
    }
    const std::size_t series = breakers_.FieldByName(kSeriesField);
    const std::size_t poleCount = breakers_.FieldByName(kPolesField);
    for (std::size_t row = 0; row < breakers_.RowCount(); ++row) {
        const std::string name = TextAt(breakers_, row, series);
        const auto rowPoles = NumberAt(breakers_, row, poleCount);
        if ((poles == 0 || (rowPoles && static_cast<int>(*rowPoles) == poles)) &&
            std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(name);
        }
    }
    return names;
}

CalculationTables BatchTables::ForCalculation() {
    return {currentTable_, breakers_, transformers_, Directory(), &reader_};
}

LineOutcome CalculateLine(const LineInputs& inputs, BatchTables& tables, NumberFormat format,
                          Trail* trail) {
    LinePort line(inputs, format);
    std::optional<CalculationStop> stop;
    if (trail != nullptr) {
        *trail = {};
    }
    try {
        line.Choose(tables);
        CalculationDriver driver(line, line, tables.ForCalculation(), format);
        stop = driver.Calculate();
        if (trail != nullptr) {
            *trail = driver.Recorded();
        }
        if (!stop) {
            LineResults results;
            results.nominalCurrent = StrToFloat(line.Text(Result::NominalCurrent), format);
            results.section = StrToFloat(line.Text(Result::Section), format);
            results.continuousCurrent = StrToFloat(line.Text(Result::PermissibleCurrent), format);
            results.breakerCurrent = driver.BreakerRating();
            results.voltageDrop = line.State().VoltageDrop;
            results.shortCircuitCurrent = driver.FaultCurrent();
            results.criterion = driver.DecidingCriterion();
            results.transformer = line.State().UseTransformer ? line.ChoiceText(Choice::Transformer)
                                                              : std::string(kWithoutTransformer);
            return results;
        }
    } catch (const CalculationStop& refused) {
        stop = refused;
    } catch (const UserError& error) {
        stop = CalculationStop(ErrorMessage(error.what()));
    }
    // Refused before the calculation began: its trail is the refusal alone.
    if (trail != nullptr && !trail->stop) {
        trail->stop = stop->Box().text;
    }
    return LineStop{stop->Box().text};
}

int VoltageOptionOf(const LineInputs& inputs) {
    for (int index = 0; const VoltageOption* option = FindVoltageOption(index); ++index) {
        if (option->item == inputs[LineInput::Voltage]) {
            return index;
        }
    }
    return -1;
}

std::vector<std::string> ChoicesFor(LineInput input, const LineInputs& inputs, BatchTables& tables,
                                    NumberFormat format) {
    std::vector<std::string> choices;
    const int option = VoltageOptionOf(inputs);
    switch (input) {
        case LineInput::Voltage:
            for (int index = 0; const VoltageOption* each = FindVoltageOption(index); ++index) {
                choices.emplace_back(each->item);
            }
            break;
        case LineInput::Table:
            for (int index = 0; FindVoltageOption(index) != nullptr; ++index) {
                if (option < 0 || option == index) {
                    const auto scan = ScanCatalogue(tables.Directory(), index, format);
                    choices.insert(choices.end(), scan.tables.begin(), scan.tables.end());
                }
            }
            break;
        case LineInput::Series:
            choices = tables.SeriesNames(option >= 0 ? FindVoltageOption(option)->poles : 0);
            break;
        case LineInput::Transformer:
            choices.emplace_back(kWithoutTransformer);
            try {
                const std::vector<std::string> names = tables.TransformerNames();
                choices.insert(choices.end(), names.begin(), names.end());
            } catch (const FileError&) {
                // The calculation says what is wrong with the database.
            }
            break;
        default:
            break;
    }
    return choices;
}

std::vector<LineInput> MissingNames(const LineInputs& inputs, BatchTables& tables) {
    std::vector<LineInput> missing;
    const auto named = [&inputs](LineInput input) { return !inputs[input].empty(); };
    const auto lacks = [](const std::vector<std::string>& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) == names.end();
    };
    try {
        if (named(LineInput::Table) &&
            tables.Reader().CurrentTable(inputs[LineInput::Table]) == nullptr) {
            missing.push_back(LineInput::Table);
        }
    } catch (const FileError&) {
        missing.push_back(LineInput::Table);
    }
    try {
        if (named(LineInput::Series) && lacks(tables.SeriesNames(0), inputs[LineInput::Series])) {
            missing.push_back(LineInput::Series);
        }
    } catch (const FileError&) {
        missing.push_back(LineInput::Series);
    }
    const std::string& transformer = inputs[LineInput::Transformer];
    try {
        if (named(LineInput::Transformer) && transformer != kWithoutTransformer &&
            lacks(tables.TransformerNames(), transformer)) {
            missing.push_back(LineInput::Transformer);
        }
    } catch (const FileError&) {
        missing.push_back(LineInput::Transformer);
    }
    return missing;
}

void CalculateJournal(Journal& journal, BatchTables& tables, NumberFormat format,
                      const std::function<bool(std::size_t done)>& progress) {
    for (std::size_t line = 0; line < journal.LineCount(); ++line) {
        // A copy: an observer may change the journal while it hears of the
        // outcome, and the outcome belongs to the inputs it was computed from.
        const LineInputs inputs = journal.Line(line).inputs;
        journal.SetOutcome(line, inputs, CalculateLine(inputs, tables, format));
        if (progress && !progress(line + 1)) {
            return;
        }
    }
}

}  // namespace kalvenor
