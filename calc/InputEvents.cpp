#include "calc/InputEvents.h"

namespace kalvenor {

void SetResults(MainWindowPort& window, const std::string& text) {
    window.SetText(Control::Edit1, text);
    window.SetText(Control::Edit2, text);
    window.SetText(Control::Edit5, text);
}

void ClearResults(MainWindowPort& window) {
    SetResults(window, "0");
    window.ClearReport();
}

void PowerChanged(MainWindowPort& window, MessageBoxPort& messages, NumberFormat format) {
    window.ClearReport();
    double power = 0;
    if (!TryStrToFloat(window.Text(Control::Edit3), format, power)) {
        messages.MessageBox("Введите число", "Ошибка.", kMbOkStop);
        window.SelectAndFocus(Control::Edit3);
        return;
    }
    SetResults(window, "0");
    window.SetText(Control::Edit11, "1");
}

void LengthChanged(MainWindowPort& window) {
    window.SetText(Control::Edit1, "0");
    window.SetText(Control::Edit2, "0");
    window.ClearReport();
}

}  // namespace kalvenor
