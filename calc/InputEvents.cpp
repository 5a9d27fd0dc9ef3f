#include "calc/InputEvents.h"

namespace kalvenor {

namespace {

void PowerChanged(MainWindowPort& window, MessageBoxPort& messages, NumberFormat format) {
    window.ClearReport();
    double power = 0;
    if (!TryStrToFloat(window.Text(Input::Power), format, power)) {
        messages.MessageBox({"Введите число", "Ошибка.", Buttons::Ok, Icon::Stop});
        window.SelectAndFocus(Input::Power);
        return;
    }
    SetResults(window, "0");
    window.SetText(Input::CosPhi, "1");
}

// The nominal current does not depend on the length and stays.
void LengthChanged(MainWindowPort& window) {
    window.SetText(Result::Section, "0");
    window.SetText(Result::PermissibleCurrent, "0");
    window.ClearReport();
}

}  // namespace

void SetResults(MainWindowPort& window, const std::string& text) {
    window.SetText(Result::Section, text);
    window.SetText(Result::PermissibleCurrent, text);
    window.SetText(Result::NominalCurrent, text);
}

void ClearResults(MainWindowPort& window) {
    SetResults(window, "0");
    window.ClearReport();
}

void InputChanged(Input input, MainWindowPort& window, MessageBoxPort& messages,
                  NumberFormat format) {
    switch (input) {
        case Input::Power:
            PowerChanged(window, messages, format);
            break;
        case Input::Length:
            LengthChanged(window);
            break;
        case Input::Temperature:
        case Input::CosPhi:
            ClearResults(window);
            break;
        case Input::Grouping:
            break;
    }
}

}  // namespace kalvenor
