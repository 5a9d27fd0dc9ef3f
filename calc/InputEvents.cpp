#include "calc/InputEvents.h"

namespace kalvenor {

namespace {

void PowerChanged(MainWindowPort& window, MessageBoxPort& messages, NumberFormat format) {
    window.ClearReport();
    double power = 0;
    if (!TryStrToFloat(window.Text(Control::Edit3), format, power)) {
        messages.MessageBox({"Введите число", "Ошибка.", Buttons::Ok, Icon::Stop});
        window.SelectAndFocus(Control::Edit3);
        return;
    }
    SetResults(window, "0");
    window.SetText(Control::Edit11, "1");
}

// The nominal current does not depend on the length, so Edit5 keeps it.
void LengthChanged(MainWindowPort& window) {
    window.SetText(Control::Edit1, "0");
    window.SetText(Control::Edit2, "0");
    window.ClearReport();
}

}  // namespace

void SetResults(MainWindowPort& window, const std::string& text) {
    window.SetText(Control::Edit1, text);
    window.SetText(Control::Edit2, text);
    window.SetText(Control::Edit5, text);
}

void ClearResults(MainWindowPort& window) {
    SetResults(window, "0");
    window.ClearReport();
}

void InputChanged(Control control, MainWindowPort& window, MessageBoxPort& messages,
                  NumberFormat format) {
    switch (control) {
        case Control::Edit3:
            PowerChanged(window, messages, format);
            break;
        case Control::Edit6:
            LengthChanged(window);
            break;
        case Control::Edit4:
        case Control::Edit11:
            ClearResults(window);
            break;
        case Control::Edit1:
        case Control::Edit2:
        case Control::Edit5:
        case Control::Edit12:
        case Control::Label6:
        case Control::Label8:
        case Control::Label21:
            break;
    }
}

}  // namespace kalvenor
