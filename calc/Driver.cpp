#include "calc/Driver.h"

#include "calc/Breakers.h"
#include "calc/InputChecks.h"
#include "calc/InputEvents.h"
#include "calc/Transformers.h"
#include "calc/VoltageOptions.h"
#include "tables/CurrentTables.h"

namespace kalvenor {

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

void CalculationDriver::Reset() {
    state_.ReducedSection = 0;
    state_.VoltageDrop = 0;
    state_.CalcAborted = false;
    SetResults(window_, "0");
    window_.ClearReport();
}

// A calculation always starts from the currents stored in the file: the
// reload drops the previous calculation's corrections and picks up edits
// made in the editor, which the close before it has written back.
void CalculationDriver::ReloadCurrentTable() {
    if (window_.ItemIndex(Combo::ComboBox1) < 0) {
        return;
    }
    OpenCurrentTable(tables_.currentTable, tables_.directory, window_.ComboText(Combo::ComboBox1));
}

bool CalculationDriver::ComputeNominalCurrent() {
    const VoltageOption* option = FindVoltageOption(window_.ItemIndex(Combo::ComboBox3));
    if (option == nullptr) {
        // Without a voltage there is no poles count and no current to size
        // anything by; the catalogue reminds the user the same way.
        user_.MessageBox("Выберите необходимое напряжение сети", "Kalvenor", kMbOk);
        return false;
    }
    window_.SetText(Control::Label21, std::string(option->voltageLine));
    option_ = option;
    const double current = NominalCurrent(Number(Control::Edit3), Number(Control::Edit11), *option);
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
        const int index = ChooseTransformer(tables_.transformers, window_.Items(Combo::ComboBox2),
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

void CalculationDriver::Run() {
    Reset();
    ReloadCurrentTable();
    if (!InputChecksPass(window_, user_, format_)) {
        return;
    }
    if (!ComputeNominalCurrent()) {
        return;
    }
    ChooseBreakerAndTransformer();
}

}  // namespace kalvenor
