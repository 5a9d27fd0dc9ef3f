#include "calc/InputChecks.h"

namespace kalvenor {

bool FailsTextRule(std::string_view text) {
    return text.compare("0") <= 0;
}

bool InputChecksPass(MainWindowPort& window, MessageBoxPort& messages, NumberFormat format) {
    if (window.State().UseTransformer && window.ItemIndex(Choice::Transformer) < 0) {
        messages.MessageBox(
            {"В базе данных <Трансформаторы> нет данных.\nВы можете использовать пункт меню "
             "<Трансформатор> <Не использовать трансформатор>",
             "Kalvenor"});
        return false;
    }
    if (window.ItemIndex(Choice::CurrentTable) < 0) {
        messages.MessageBox({"В раскрывающиемся списке откройте таблицу.", "Предупреждение.",
                             Buttons::Ok, Icon::Warning});
        return false;
    }
    if (FailsTextRule(window.Text(Input::Power))) {
        messages.MessageBox({"Введите мощность", "Предупреждение", Buttons::Ok, Icon::Warning});
        return false;
    }
    if (FailsTextRule(window.Text(Input::Length))) {
        messages.MessageBox({"Введите длину провода или кабеля", "Расчет электрической сети",
                             Buttons::Ok, Icon::Warning});
        window.ClearReport();
        return false;
    }
    double temperature = 0;
    if (!TryStrToFloat(window.Text(Input::Temperature), format, temperature)) {
        messages.MessageBox(
            {"В текстовое поле 'Температура' введите число", "Ошибка", Buttons::Ok, Icon::Stop});
        window.SetText(Input::Temperature,
                       window.Text(TableParameter::LayingMethod) == "В земле" ? "15" : "25");
        return false;
    }
    if (temperature > 50 || temperature < -5) {
        messages.MessageBox(
            {"Температура среды от -5 до +50.", "Предупреждение.", Buttons::Ok, Icon::Warning});
        return false;
    }
    double cosPhi = 0;
    if (!TryStrToFloat(window.Text(Input::CosPhi), format, cosPhi)) {
        messages.MessageBox({"Введите число.", "Ошибка.", Buttons::Ok, Icon::Stop});
        window.SelectAndFocus(Input::CosPhi);
        return false;
    }
    if (cosPhi <= 0 || cosPhi > 1) {
        messages.MessageBox({"Козфициент мощности должен быть \n больше 0 и меньше 1.",
                             "Предупреждение.", Buttons::Ok, Icon::Warning});
        window.SetText(Input::CosPhi, "1");
        window.SelectAndFocus(Input::CosPhi);
        return false;
    }
    double length = 0;
    if (!TryStrToFloat(window.Text(Input::Length), format, length)) {
        messages.MessageBox({"Введите число.", "Ошибка.", Buttons::Ok, Icon::Stop});
        window.SelectAndFocus(Input::Length);
        return false;
    }
    return true;
}

}  // namespace kalvenor
