// The main window's side of the line journal: its inputs as a line, and a
// line put into it.

#include "app/Elect.h"
#include "calc/VoltageOptions.h"
#include "journal/Journal.h"
#include "journal/LineCalculation.h"
#include "widgets/Text.h"

#include <QComboBox>

using namespace kalvenor;

LineInputs TForm1::CurrentLine() const {
    LineInputs line;
    line[LineInput::Power] = Text(Input::Power);
    line[LineInput::CosPhi] = Text(Input::CosPhi);
    if (const VoltageOption* option = FindVoltageOption(ItemIndex(Choice::Voltage))) {
        line[LineInput::Voltage] = option->item;
    }
    line[LineInput::Length] = Text(Input::Length);
    line[LineInput::Temperature] = Text(Input::Temperature);
    if (ItemIndex(Choice::CurrentTable) >= 0) {
        line[LineInput::Table] = ChoiceText(Choice::CurrentTable);
    }
    line[LineInput::Grouping] = Text(Input::Grouping);
    line[LineInput::Transformer] =
        state_.UseTransformer ? ChoiceText(Choice::Transformer) : std::string(kWithoutTransformer);
    return line;
}

// In the order the user works: the voltage lists its tables, the table
// opens and presets the temperature and the grouping, the transformer mode
// and the transformer; then the typed inputs, each through its change rule,
// the power first since its rule resets the power factor.
void TForm1::ShowLine(const LineInputs& line) {
    if (const int option = VoltageOptionOf(line);
        option >= 0 && option != ComboBox3->currentIndex()) {
        ComboBox3->setCurrentIndex(option);
        ComboBox3Change();
    }
    if (const int table = ComboBox1->findText(ToQString(line[LineInput::Table]), Qt::MatchExactly);
        table >= 0) {
        ComboBox1->setCurrentIndex(table);
        ComboBox1Change();
    }
    if (line[LineInput::Transformer] == kWithoutTransformer) {
        if (state_.UseTransformer) {
            N20Click();
        }
    } else {
        if (!state_.UseTransformer) {
            N19Click();
        }
        if (const int transformer =
                ComboBox2->findText(ToQString(line[LineInput::Transformer]), Qt::MatchExactly);
            transformer >= 0) {
            ComboBox2->setCurrentIndex(transformer);
            ComboBox2Change();
        }
    }
    for (const auto& [input, lineInput] :
         {std::pair{Input::Power, LineInput::Power}, std::pair{Input::CosPhi, LineInput::CosPhi},
          std::pair{Input::Length, LineInput::Length},
          std::pair{Input::Temperature, LineInput::Temperature},
          std::pair{Input::Grouping, LineInput::Grouping}}) {
        SetText(input, line[lineInput]);
    }
    show();
    raise();
    activateWindow();
}
