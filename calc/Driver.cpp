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
      format_(format),
      state_(window.State()) {}

double CalculationDriver::Number(Control control) const {
    return StrToFloat(window_.Text(control), format_);
}

bool CalculationDriver::Stop(const std::string& message) {
    user_.MessageBox(message, "Kalvenor", kMbOkWarning);
    return false;
}

// The short-circuit current is computed with the material the table itself
// declares; the main window shows the same name.
std::string CalculationDriver::Material() const {
    const Dataset& table = tables_.currentTable;
    if (table.FieldDefs().size() > kMaterialPosition) {
        return table.FieldDefAt(kMaterialPosition).name;
    }
    return window_.Text(Control::Label8);
}

void CalculationDriver::Reset() {
    state_.ReducedSection = 0;
    state_.VoltageDrop = 0;
    state_.CalcAborted = false;
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
    if (window_.ItemIndex(Combo::ComboBox1) < 0) {
        return;
    }
    OpenCurrentTable(tables_.currentTable, tables_.directory, window_.ComboText(Combo::ComboBox1),
                     TableReading::UnlessUnchanged);
}

// Inputs and rows that pass the checks of the form but would make a formula
// divide by zero: a length such as "00", a row of no cross-section.
bool CalculationDriver::CheckData() {
    length_ = Number(Control::Edit6);
    cosPhi_ = Number(Control::Edit11);
    if (const auto problem = LengthProblem(length_)) {
        return Stop(*problem);
    }
    if (const auto problem = SectionTableProblem(tables_.currentTable, format_)) {
        return Stop(*problem);
    }
    return true;
}

bool CalculationDriver::ComputeNominalCurrent() {
    option_ = FindVoltageOption(window_.ItemIndex(Combo::ComboBox3));
    if (option_ == nullptr) {
        // Without a voltage there is no poles count and no current to size
        // anything by; the catalogue reminds the user the same way.
        user_.MessageBox("Выберите необходимое напряжение сети", "Kalvenor", kMbOk);
        return false;
    }
    window_.SetText(Control::Label21, std::string(option_->voltageLine));
    const double current = NominalCurrent(Number(Control::Edit3), cosPhi_, *option_);
    if (!std::isfinite(current)) {
        return Stop(kOutOfRange);
    }
    window_.SetText(Control::Edit5, FloatToStr(RoundTo(current, -3), format_));
    // Every later step works with the rounded value the user sees.
    nominalCurrent_ = Number(Control::Edit5);
    return true;
}

bool CalculationDriver::ChooseBreakerAndTransformer() {
    const std::vector<std::string> series =
        ListBreakers(tables_.breakers, tables_.directory, option_->poles, nominalCurrent_);
    if (series.empty()) {
        if (user_.MessageBox(MissingBreakerQuestion(option_->poles), "Предупреждение", kMbYesNo) ==
            kIdYes) {
            user_.ShowBreakerDatabaseModal();
        }
        SetResults(window_, "");
        return false;
    }
    if (state_.UseTransformer) {
        const std::string currentName = window_.ComboText(Combo::ComboBox2);
        const int index = ChooseTransformer(tables_.transformers,
                                            {.option = *option_,
                                             .currentName = currentName,
                                             .currentIndex = window_.ItemIndex(Combo::ComboBox2),
                                             .loadPowerKw = Number(Control::Edit3)},
                                            user_, state_);
        if (state_.CalcAborted) {
            state_.CalcAborted = false;
            return false;
        }
        window_.SetItemIndex(Combo::ComboBox2, index);
    }
    chosenSeries_ = user_.ChooseBreakerSeries(series);
    return true;
}

bool CalculationDriver::SelectByContinuousCurrent() {
    const SectionRequest request{
        .temperature = static_cast<int>(std::trunc(Number(Control::Edit4))),
        .grouping = Number(Control::Edit12),
        .required = nominalCurrent_,
    };
    permissibleCurrent_ = SelectSection(tables_.currentTable, request, corrected_, user_, state_);
    if (permissibleCurrent_ == 0) {
        return false;
    }
    ratedCurrent_ = RatedCurrent(nominalCurrent_);
    if (ratedCurrent_ > permissibleCurrent_) {
        // A 0 here has shown its message and keeps the first selection's
        // cross-section; the calculation goes on.
        SectionRequest byRating = request;
        byRating.required = ratedCurrent_;
        permissibleCurrent_ =
            SelectSection(tables_.currentTable, byRating, corrected_, user_, state_);
    }
    return true;
}

bool CalculationDriver::ReadTransformer() {
    if (!state_.UseTransformer) {
        return true;
    }
    const std::string name = window_.ComboText(Combo::ComboBox2);
    const auto power = TransformerPower(tables_.transformers, name);
    const auto uk = TransformerUk(tables_.transformers, name);
    if (const auto problem = TransformerDataProblem(name, power, uk)) {
        return Stop(*problem);
    }
    transformerPower_ = *power;
    transformerUk_ = *uk;
    return true;
}

bool CalculationDriver::CheckShortCircuitTrip() {
    const auto multiple = ReleaseMultiple(tables_.breakers, tables_.directory, chosenSeries_);
    if (!multiple) {
        // The database was edited since the series was chosen: a trip
        // current of 0 would pass every line.
        return Stop(MissingSeriesMessage(chosenSeries_));
    }
    shortCircuitSection_ = CheckShortCircuit(tables_.currentTable,
                                             {.material = window_.Text(Control::Label8),
                                              .length = length_,
                                              .selectedSection = state_.SelectedSection,
                                              .uk = transformerUk_,
                                              .powerKva = transformerPower_,
                                              .ratedCurrent = ratedCurrent_,
                                              .releaseMultiple = *multiple,
                                              .useTransformer = state_.UseTransformer},
                                             user_, state_);
    if (state_.CalcAborted) {
        state_.CalcAborted = false;
        return false;
    }
    return true;
}

bool CalculationDriver::LimitVoltageDrop() {
    const std::string material = window_.Text(Control::Label8);
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
            return Stop(kOutOfRange);
        }
    }
    if (!EnforceHardDropLimit(table, line, state_, user_, format_)) {
        return false;
    }
    workingSection_ =
        std::max({state_.SelectedSection, shortCircuitSection_, state_.ReducedSection});
    state_.VoltageDrop = RoundTo(VoltageDropPercent(line, workingSection_), -2);
    if (state_.VoltageDrop > kAdvisoryDrop &&
        user_.MessageBox(DropQuestion(state_.VoltageDrop, format_), "Предупреждение",
                         kMbYesNoWarning) == kIdYes) {
        if (const auto permitted = user_.AskPermittedDrop(state_.VoltageDrop)) {
            ApplyPermittedDrop(tables_.currentTable, line, *permitted, state_, user_, format_);
        }
    }
    workingSection_ = std::max(workingSection_, state_.ReducedSection);
    return true;
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
            if (const auto rowCurrent = NumberAt(table, row, permissible)) {
                permissibleCurrent_ = *rowCurrent;
            }
            break;
        }
    }
    window_.SetText(Control::Edit2, FloatToStr(permissibleCurrent_, format_));
    window_.SetText(Control::Edit1, FloatToStr(workingSection_, format_));

    const std::vector<std::string> lines = ReportLines(
        {
            .power = window_.Text(Control::Edit3),
            .cosPhi = window_.Text(Control::Edit11),
            .voltageLine = window_.Text(Control::Label21),
            .length = window_.Text(Control::Edit6),
            .temperature = window_.Text(Control::Edit4),
            .nominalCurrent = Number(Control::Edit5),
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
    if (window_.Text(Control::Edit1) == "0" || window_.Text(Control::Edit2) == "0") {
        window_.ClearReport();
    }
}

void CalculationDriver::Run() {
    Reset();
    ReloadCurrentTable();
    if (!InputChecksPass(window_, user_, format_) || !CheckData()) {
        return;
    }
    conductivity_ = kalvenor::Conductivity(window_.Text(Control::Label8));
    if (!ComputeNominalCurrent() || !ChooseBreakerAndTransformer() ||
        !SelectByContinuousCurrent() || !ReadTransformer() || !CheckShortCircuitTrip() ||
        !LimitVoltageDrop()) {
        return;
    }
    ShowResults();
}

}  // namespace kalvenor
