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
}

void CalculationDriver::SelectByContinuousCurrent() {
    const SectionRequest request{
        .temperature = static_cast<int>(std::trunc(Number(Input::Temperature))),
        .grouping = Number(Input::Grouping),
        .required = nominalCurrent_,
    };
    const auto selected = SelectSection(tables_.currentTable, request, corrected_, state_);
    if (!selected) {
        throw CalculationStop(kNoSectionForLoad);
    }
    permissibleCurrent_ = *selected;
    heatingSection_ = state_.SelectedSection;
    ratedCurrent_ = RatedCurrent(nominalCurrent_);
    if (ratedCurrent_ > permissibleCurrent_) {
        // No row for the rating is told, and the first selection's
        // cross-section stands: the calculation goes on.
        SectionRequest byRating = request;
        byRating.required = ratedCurrent_;
        const auto byRatedCurrent =
            SelectSection(tables_.currentTable, byRating, corrected_, state_);
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
    shortCircuitSection_ =
        CheckShortCircuit(tables_.currentTable, {.material = window_.Text(TableParameter::Material),
                                                 .length = length_,
                                                 .selectedSection = state_.SelectedSection,
                                                 .uk = transformerUk_,
                                                 .powerKva = transformerPower_,
                                                 .ratedCurrent = ratedCurrent_,
                                                 .releaseMultiple = *multiple,
                                                 .useTransformer = state_.UseTransformer});
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
    EnforceHardDropLimit(table, line, state_, format_);
    workingSection_ =
        std::max({state_.SelectedSection, shortCircuitSection_, state_.ReducedSection});
    state_.VoltageDrop = RoundTo(VoltageDropPercent(line, workingSection_), -2);
    if (state_.VoltageDrop > kAdvisoryDrop &&
        user_.ConfirmsDropReduction({DropQuestion(state_.VoltageDrop, format_), "Предупреждение",
                                     Buttons::YesNo, Icon::Warning})) {
        if (const auto permitted = user_.AskPermittedDrop(state_.VoltageDrop)) {
            ApplyPermittedDrop(tables_.currentTable, line, *permitted, state_, user_, format_);
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

void CalculationDriver::Steps() {
    Reset();
    ReloadCurrentTable();
    CheckInputs(window_, format_);
    CheckData();
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
    try {
        Steps();
    } catch (const CalculationStop& stop) {
        return stop;
    } catch (const UserError& error) {
        return CalculationStop(ErrorMessage(error.what()));
    }
    return std::nullopt;
}

void CalculationDriver::Run() {
    if (const auto stop = Calculate()) {
        ShowStop(*stop, window_, user_);
    }
}

}  // namespace kalvenor
