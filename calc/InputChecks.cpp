#include "calc/InputChecks.h"

namespace kalvenor {

bool FailsTextRule(std::string_view text) {
    return text.compare("0") <= 0;
}

namespace {

// A power that converts to zero ("0,0", "0e0") is no more a load than "0":
// it would end in a question about a missing breaker instead.
bool PowerMissing(std::string_view text, NumberFormat format) {
    double power = 0;
    return FailsTextRule(text) || (TryStrToFloat(text, format, power) && power == 0);
}

}  // namespace

bool InputChecksPass(MainWindowPort& window, MessageBoxPort& messages, NumberFormat format) {
    if (window.State().UseTransformer && window.ItemIndex(Combo::ComboBox2) < 0) {
        messages.MessageBox(
            "В базе данных <Трансформаторы> нет данных.\nВы можете использовать пункт меню "
            "<Трансформатор> <Не использовать трансформатор>",
            "Kalvenor", kMbOk);
        return false;
    }
    if (window.ItemIndex(Combo::ComboBox1) < 0) {
        messages.MessageBox("В раскрывающиемся списке откройте таблицу.", "Предупреждение.",
                            kMbOkWarning);
        return false;
    }
    if (PowerMissing(window.Text(Control::Edit3), format)) {
        messages.MessageBox("Введите мощность", "Предупреждение", kMbOkWarning);
        return false;
    }
    if (FailsTextRule(window.Text(Control::Edit6))) {
        messages.MessageBox("Введите длину провода или кабеля", "Расчет электрической сети",
                            kMbOkWarning);
        window.ClearReport();
        return false;
    }
    double temperature = 0;
    if (!TryStrToFloat(window.Text(Control::Edit4), format, temperature)) {
        messages.MessageBox("В текстовое поле 'Температура' введите число", "Ошибка", kMbOkStop);
        window.SetText(Control::Edit4, window.Text(Control::Label6) == "В земле" ? "15" : "25");
        return false;
    }
    if (temperature > 50 || temperature < -5) {
        messages.MessageBox("Температура среды от -5 до +50.", "Предупреждение.", kMbOkWarning);
        return false;
    }
    double cosPhi = 0;
    if (!TryStrToFloat(window.Text(Control::Edit11), format, cosPhi)) {
        messages.MessageBox("Введите число.", "Ошибка.", kMbOkStop);
        window.SelectAndFocus(Control::Edit11);
        return false;
    }
    if (cosPhi <= 0 || cosPhi > 1) {
        messages.MessageBox("Козфициент мощности должен быть \n больше 0 и меньше 1.",
                            "Предупреждение.", kMbOkWarning);
        window.SetText(Control::Edit11, "1");
        window.SelectAndFocus(Control::Edit11);
        return false;
    }
    double length = 0;
    if (!TryStrToFloat(window.Text(Control::Edit6), format, length)) {
        messages.MessageBox("Введите число.", "Ошибка.", kMbOkStop);
        window.SelectAndFocus(Control::Edit6);
        return false;
    }
    return true;
}

}  // namespace kalvenor
