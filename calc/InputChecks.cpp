#include "calc/InputChecks.h"

namespace kalvenor {

bool FailsTextRule(std::string_view text) {
    return text.compare("0") <= 0;
}

bool InputChecksPass(MainWindowPort& window, MessageBoxPort& messages, NumberFormat format) {
    if (window.State().UseTransformer && window.ItemIndex(Combo::ComboBox2) < 0) {
        messages.MessageBox(
            {"В базе данных <Трансформаторы> нет данных.\nВы можете использовать пункт меню "
             "<Трансформатор> <Не использовать трансформатор>",
             "Kalvenor"});
        return false;
    }
    if (window.ItemIndex(Combo::ComboBox1) < 0) {
        messages.MessageBox({"В раскрывающиемся списке откройте таблицу.", "Предупреждение.",
                             Buttons::Ok, Icon::Warning});
        return false;
    }
    if (FailsTextRule(window.Text(Control::Edit3))) {
        messages.MessageBox({"Введите мощность", "Предупреждение", Buttons::Ok, Icon::Warning});
        return false;
    }
    if (FailsTextRule(window.Text(Control::Edit6))) {
        messages.MessageBox({"Введите длину провода или кабеля", "Расчет электрической сети",
                             Buttons::Ok, Icon::Warning});
        window.ClearReport();
        return false;
    }
    double temperature = 0;
    if (!TryStrToFloat(window.Text(Control::Edit4), format, temperature)) {
        messages.MessageBox(
            {"В текстовое поле 'Температура' введите число", "Ошибка", Buttons::Ok, Icon::Stop});
        window.SetText(Control::Edit4, window.Text(Control::Label6) == "В земле" ? "15" : "25");
        return false;
    }
    if (temperature > 50 || temperature < -5) {
        messages.MessageBox(
            {"Температура среды от -5 до +50.", "Предупреждение.", Buttons::Ok, Icon::Warning});
        return false;
    }
    double cosPhi = 0;
    if (!TryStrToFloat(window.Text(Control::Edit11), format, cosPhi)) {
        messages.MessageBox({"Введите число.", "Ошибка.", Buttons::Ok, Icon::Stop});
        window.SelectAndFocus(Control::Edit11);
        return false;
    }
    if (cosPhi <= 0 || cosPhi > 1) {
        messages.MessageBox({"Козфициент мощности должен быть \n больше 0 и меньше 1.",
                             "Предупреждение.", Buttons::Ok, Icon::Warning});
        window.SetText(Control::Edit11, "1");
        window.SelectAndFocus(Control::Edit11);
        return false;
    }
    double length = 0;
    if (!TryStrToFloat(window.Text(Control::Edit6), format, length)) {
        messages.MessageBox({"Введите число.", "Ошибка.", Buttons::Ok, Icon::Stop});
        window.SelectAndFocus(Control::Edit6);
        return false;
    }
    return true;
}

}  // namespace kalvenor
