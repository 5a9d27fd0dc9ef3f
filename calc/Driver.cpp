#include "calc/Driver.h"

#include "calc/Breakers.h"
#include "calc/DataProblems.h"
#include "calc/InputChecks.h"
#include "calc/InputEvents.h"
#include "calc/Report.h"
#include "calc/SectionSelection.h"
#include "calc/ShortCircuit.h"
#include "calc/TableValues.h"
#include "calc/Transformers.h"
#include "calc/VoltageDrop.h"
#include "tables/CurrentTables.h"
#include "tables/TableFiles.h"

#include <algorithm>
#include <cmath>

namespace kalvenor {

namespace {

// Above this the user is asked whether to reduce the drop.
constexpr double kAdvisoryDrop = 2.5;

// A figure the formulas cannot give for real inputs (a power or a length
// typed with an absurd exponent): stopping beats printing "INF".
constexpr const char* kOutOfRange =
    "Расчет невозможен: исходные данные дают величину вне допустимых пределов. Проверьте "
    "мощность, длину трассы и таблицу.";

}  // namespace

CalculationDriver::CalculationDriver(MainWindowPort& window, UserPort& user,
                                     CalculationTables tables, NumberFormat format)
    : window_(window),
      user_(user),
      tables_(std::move(tables)),
      files_(tables_.directory),
      reader_(tables_.reader != nullptr ? *tables_.reader : files_),
      format_(format),
      state_(window.State()) {}

void CalculationDriver::Stop(const std::string& message) {
    throw CalculationStop({message, "Kalvenor", Buttons::Ok, Icon::Warning});
}

// The short-circuit current is computed with the material the table itself
// declares; the main window shows the same name.
std::string CalculationDriver::Material() const {
    const Dataset& table = tables_.currentTable;
    if (table.FieldDefs().size() > kMaterialPosition) {
        return table.FieldDefAt(kMaterialPosition).name;
    }
    return window_.Text(TableParameter::Material);
}

const Dataset* CalculationDriver::ReadBreakers() {
    return reader_.ReadBreakers(tables_.breakers) ? &tables_.breakers : nullptr;
}

void CalculationDriver::Reset() {
    state_.ReducedSection = 0;
    state_.VoltageDrop = 0;
    corrected_ = false;
    trail_ = {};
    SetResults(window_, "0");
    window_.ClearReport();
}

// A calculation always starts from the currents stored in the file: the
// reload drops the previous calculation's corrections and picks up edits
// made in the editor, which the close before it has written back. A table
// whose file is unchanged since it was read or written here is not read
// again: its stored currents are the file's.
void CalculationDriver::ReloadCurrentTable() {
    if (window_.ItemIndex(Choice::CurrentTable) < 0) {
        return;
    }
    reader_.ReadCurrentTable(tables_.currentTable, window_.ChoiceText(Choice::CurrentTable));
}

// Inputs and rows that pass the checks of the form but would make a formula
// divide by zero: a length such as "00", a row of no cross-section.
void CalculationDriver::CheckData() {
    length_ = Number(Input::Length);
    cosPhi_ = Number(Input::CosPhi);
    if (const auto problem = LengthProblem(length_)) {
        Stop(*problem);
    }
    if (const auto problem = SectionTableProblem(tables_.currentTable, format_)) {
        Stop(*problem);
    }
}

void CalculationDriver::ComputeNominalCurrent() {
    option_ = FindVoltageOption(window_.ItemIndex(Choice::Voltage));
    if (option_ == nullptr) {
        // Without a voltage there is no poles count and no current to size
        // anything by; the catalogue reminds the user the same way.
        throw CalculationStop(kChooseVoltage);
    }
    window_.SetText(Result::VoltageLine, std::string(option_->voltageLine));
    const double current = NominalCurrent(Number(Input::Power), cosPhi_, *option_);
    if (!std::isfinite(current)) {
        Stop(kOutOfRange);
    }
    window_.SetText(Result::NominalCurrent, FloatToStr(RoundTo(current, -3), format_));
    // Every later step works with the rounded value the user sees.
    nominalCurrent_ = Number(Result::NominalCurrent);
    trail_.inputs->voltageOption = std::string(option_->item);
    trail_.nominal = Trail::NominalCurrent{option_->divisor, nominalCurrent_};
}

void CalculationDriver::ChooseBreakerAndTransformer() {
    const Dataset* breakers = ReadBreakers();
    const std::vector<std::string> series =
        breakers != nullptr ? ListBreakers(*breakers, option_->poles, nominalCurrent_)
                            : std::vector<std::string>{};
    if (series.empty()) {
        throw CalculationStop(
            {MissingBreakerQuestion(option_->poles), "Предупреждение", Buttons::YesNo},
            {.offersBreakerDatabase = true, .emptiesResults = true});
    }
    if (state_.UseTransformer) {
        const std::string currentName = window_.ChoiceText(Choice::Transformer);
        trail_.inputs->transformer = currentName;
        trail_.transformer =
            Trail::Transformer{.factor = option_->transformerFactor,
                               .required = option_->transformerFactor * trail_.inputs->powerKw,
                               .askedPower = TransformerPower(tables_.transformers, currentName)};
        // A transformer stored with no power would be passed over for a
        // larger one without a word.
        if (const auto problem = StoredTransformerProblem(
                currentName, TransformerPower(tables_.transformers, currentName),
                TransformerUk(tables_.transformers, currentName))) {
            Stop(*problem);
        }
        const int index = ChooseTransformer(tables_.transformers,
                                            {.option = *option_,
                                             .currentName = currentName,
                                             .currentIndex = window_.ItemIndex(Choice::Transformer),
                                             .loadPowerKw = Number(Input::Power)});
        window_.SetItemIndex(Choice::Transformer, index);
    }
    chosenSeries_ = user_.ChooseBreakerSeries(series);
    trail_.breaker = Trail::Breaker{.series = chosenSeries_};
}

void CalculationDriver::SelectByContinuousCurrent() {
    const SectionRequest request{
        .temperature = static_cast<int>(std::trunc(Number(Input::Temperature))),
        .grouping = Number(Input::Grouping),
        .required = nominalCurrent_,
    };
    const auto selected = SelectSection(tables_.currentTable, request, corrected_, state_, &trail_);
    if (!selected) {
        throw CalculationStop(kNoSectionForLoad);
    }
    permissibleCurrent_ = *selected;
    heatingSection_ = state_.SelectedSection;
    ratedCurrent_ = RatedCurrent(nominalCurrent_);
    trail_.breaker->ratedCurrent = ratedCurrent_;
    if (ratedCurrent_ > permissibleCurrent_) {
        // No row for the rating is told, and the first selection's
        // cross-section stands: the calculation goes on.
        SectionRequest byRating = request;
        byRating.required = ratedCurrent_;
        const auto byRatedCurrent =
            SelectSection(tables_.currentTable, byRating, corrected_, state_, &trail_);
        trail_.selections.back().byRating = true;
        if (!byRatedCurrent) {
            user_.MessageBox(kNoSectionForLoad);
        }
        permissibleCurrent_ = byRatedCurrent.value_or(0);
    }
}

void CalculationDriver::ReadTransformer() {
    if (!state_.UseTransformer) {
        return;
    }
    const std::string name = window_.ChoiceText(Choice::Transformer);
    const auto power = TransformerPower(tables_.transformers, name);
    const auto uk = TransformerUk(tables_.transformers, name);
    if (const auto problem = TransformerDataProblem(name, power, uk)) {
        Stop(*problem);
    }
    transformerPower_ = *power;
    transformerUk_ = *uk;
    trail_.transformer->used = name;
    trail_.transformer->power = transformerPower_;
    trail_.transformer->uk = transformerUk_;
}

void CalculationDriver::CheckShortCircuitTrip() {
    const Dataset* breakers = ReadBreakers();
    const auto multiple =
        breakers != nullptr ? ReleaseMultiple(*breakers, chosenSeries_) : std::nullopt;
    if (!multiple) {
        // The database was edited since the series was chosen: a trip
        // current of 0 would pass every line.
        Stop(MissingSeriesMessage(chosenSeries_));
    }
    if (const auto problem = BreakerSeriesProblem(tables_.breakers, chosenSeries_)) {
        Stop(*problem);
    }
    shortCircuitSection_ = CheckShortCircuit(tables_.currentTable,
                                             {.material = window_.Text(TableParameter::Material),
                                              .length = length_,
                                              .selectedSection = state_.SelectedSection,
                                              .uk = transformerUk_,
                                              .powerKva = transformerPower_,
                                              .ratedCurrent = ratedCurrent_,
                                              .releaseMultiple = *multiple,
                                              .useTransformer = state_.UseTransformer},
                                             &trail_.shortCircuit.emplace(Trail::ShortCircuit{}));
}

void CalculationDriver::LimitVoltageDrop() {
    const std::string material = window_.Text(TableParameter::Material);
    const LineData line{.option = *option_,
                        .material = material,
                        .cosPhi = cosPhi_,
                        .length = length_,
                        .current = nominalCurrent_};
    const Dataset& table = tables_.currentTable;
    const std::size_t section = table.FieldByName(kSectionField);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        if (const auto rowSection = NumberAt(table, row, section);
            rowSection && !std::isfinite(VoltageDropPercent(line, *rowSection))) {
            Stop(kOutOfRange);
        }
    }
    Trail::VoltageDrop& record = trail_.voltageDrop.emplace(
        Trail::VoltageDrop{.factor = option_->dropFactor,
                           .conductivity = kalvenor::Conductivity(material),
                           .voltage = option_->dropVoltage});
    EnforceHardDropLimit(table, line, state_, format_, &record);
    workingSection_ =
        std::max({state_.SelectedSection, shortCircuitSection_, state_.ReducedSection});
    state_.VoltageDrop = RoundTo(VoltageDropPercent(line, workingSection_), -2);
    record.workingSection = workingSection_;
    record.workingDrop = state_.VoltageDrop;
    record.asked = state_.VoltageDrop > kAdvisoryDrop;
    if (record.asked &&
        user_.ConfirmsDropReduction({DropQuestion(state_.VoltageDrop, format_), "Предупреждение",
                                     Buttons::YesNo, Icon::Warning})) {
        record.answeredYes = true;
        if (const auto permitted = user_.AskPermittedDrop(state_.VoltageDrop)) {
            ApplyPermittedDrop(tables_.currentTable, line, *permitted, state_, user_, format_,
                               &record);
        }
    }
    workingSection_ = std::max(workingSection_, state_.ReducedSection);
}

void CalculationDriver::ShowResults() {
    const std::string material = Material();
    const double current = state_.UseTransformer
                               ? ShortCircuitCurrent(material, workingSection_, transformerUk_,
                                                     transformerPower_, length_)
                               : ApproxShortCircuitCurrent(material, length_, workingSection_);
    shortCircuitCurrent_ = RoundTo(current, -2);
    state_.VoltageDrop = RoundTo(state_.VoltageDrop, -2);

    const Dataset& table = tables_.currentTable;
    const std::size_t section = table.FieldByName(kSectionField);
    const std::size_t permissible = table.FieldByName(kCurrentField);
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        if (NumberAt(table, row, section) == workingSection_) {
            // A row without a current reads as 0, never as the current of
            // the section chosen before: the zero clears the report below.
            permissibleCurrent_ = NumberAt(table, row, permissible).value_or(0);
            break;
        }
    }
    window_.SetText(Result::PermissibleCurrent, FloatToStr(permissibleCurrent_, format_));
    window_.SetText(Result::Section, FloatToStr(workingSection_, format_));
    trail_.result = Trail::Result{.section = workingSection_,
                                  .permissibleCurrent = permissibleCurrent_,
                                  .shortCircuitCurrent = shortCircuitCurrent_,
                                  .voltageDrop = state_.VoltageDrop,
                                  .criterion = DecidingCriterion()};

    const std::vector<std::string> lines = ReportLines(
        {
            .power = window_.Text(Input::Power),
            .cosPhi = window_.Text(Input::CosPhi),
            .voltageLine = window_.Text(Result::VoltageLine),
            .length = window_.Text(Input::Length),
            .temperature = window_.Text(Input::Temperature),
            .nominalCurrent = Number(Result::NominalCurrent),
            .voltageDrop = state_.VoltageDrop,
            .section = workingSection_,
            .shortCircuitCurrent = shortCircuitCurrent_,
            .series = chosenSeries_,
            .ratedCurrent = ratedCurrent_,
        },
        format_);
    window_.ClearReport();
    for (const std::string& line : lines) {
        window_.AddReportLine(line);
    }
    // No report stands beside a zero result.
    if (window_.Text(Result::Section) == "0" || window_.Text(Result::PermissibleCurrent) == "0") {
        window_.ClearReport();
    }
}

// Each later step only ever keeps or raises the section of the one before:
// the short-circuit check starts from the selection, the drop from both.
Criterion CalculationDriver::DecidingCriterion() const {
    if (workingSection_ > shortCircuitSection_) {
        return Criterion::VoltageDrop;
    }
    if (shortCircuitSection_ > state_.SelectedSection) {
        return Criterion::ShortCircuit;
    }
    if (state_.SelectedSection > heatingSection_) {
        return Criterion::BreakerRating;
    }
    return Criterion::Heating;
}

// The inputs as the checks passed them, converted as the steps use them, and
// the table the calculation reads.
void CalculationDriver::RecordInputs() {
    Trail::Inputs& inputs = trail_.inputs.emplace(Trail::Inputs{});
    inputs.powerKw = Number(Input::Power);
    inputs.cosPhi = cosPhi_;
    inputs.length = length_;
    inputs.temperature = Number(Input::Temperature);
    inputs.grouping = Number(Input::Grouping);
    inputs.tableFile = window_.ChoiceText(Choice::CurrentTable);
    const auto& fields = tables_.currentTable.FieldDefs();
    for (std::size_t position = kBrandPosition; position <= kMaterialPosition; ++position) {
        if (position < fields.size()) {
            inputs.tableParameters.push_back(fields[position].name);
        }
    }
}

void CalculationDriver::Steps() {
    Reset();
    ReloadCurrentTable();
    CheckInputs(window_, format_);
    CheckData();
    RecordInputs();
    conductivity_ = kalvenor::Conductivity(window_.Text(TableParameter::Material));
    ComputeNominalCurrent();
    ChooseBreakerAndTransformer();
    SelectByContinuousCurrent();
    ReadTransformer();
    CheckShortCircuitTrip();
    LimitVoltageDrop();
    ShowResults();
}

std::optional<CalculationStop> CalculationDriver::Calculate() {
    std::optional<CalculationStop> stop;
    try {
        Steps();
    } catch (const CalculationStop& stopped) {
        stop = stopped;
    } catch (const UserError& error) {
        stop = CalculationStop(ErrorMessage(error.what()));
    }
    if (stop) {
        trail_.stop = stop->Box().text;
    }
    return stop;
}

void CalculationDriver::Run() {
    if (const auto stop = Calculate()) {
        ShowStop(*stop, window_, user_);
    }
}

}  // namespace kalvenor
