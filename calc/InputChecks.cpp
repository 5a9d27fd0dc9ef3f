#include "calc/InputChecks.h"

#include "calc/Stop.h"
#include "tables/CurrentTables.h"

namespace kalvenor {

namespace {

[[noreturn]] void Refuse(std::string text, std::string caption, Icon icon,
                         StopEffects effects = {}) {
    throw CalculationStop({std::move(text), std::move(caption), Buttons::Ok, icon},
                          std::move(effects));
}

// A power that converts to zero ("0,0", "0e0") is no more a load than "0":
// it would end in a question about a missing breaker instead.
bool PowerMissing(std::string_view text, NumberFormat format) {
    double power = 0;
    return FailsTextRule(text) || (TryStrToFloat(text, format, power) && power == 0);
}

}  // namespace

bool FailsTextRule(std::string_view text) {
    return text.compare("0") <= 0;
}

void CheckInputs(MainWindowPort& window, NumberFormat format) {
    if (window.State().UseTransformer && window.ItemIndex(Choice::Transformer) < 0) {
        Refuse(
            "В базе данных <Трансформаторы> нет данных.\nВы можете использовать пункт меню "
            "<Трансформатор> <Не использовать трансформатор>",
            "Kalvenor", Icon::None);
    }
    if (window.ItemIndex(Choice::CurrentTable) < 0) {
        Refuse("В раскрывающиемся списке откройте таблицу.", "Предупреждение.", Icon::Warning);
    }
    if (PowerMissing(window.Text(Input::Power), format)) {
        Refuse("Введите мощность", "Предупреждение", Icon::Warning);
    }
    if (FailsTextRule(window.Text(Input::Length))) {
        Refuse("Введите длину провода или кабеля", "Расчет электрической сети", Icon::Warning,
               {.clearsReport = true});
    }
    double temperature = 0;
    if (!TryStrToFloat(window.Text(Input::Temperature), format, temperature)) {
        Refuse("В текстовое поле 'Температура' введите число", "Ошибка", Icon::Stop,
               {.restore = {{Input::Temperature,
                             DefaultTemperatureText(window.Text(TableParameter::LayingMethod))}}});
    }
    if (temperature > 50 || temperature < -5) {
        Refuse("Температура среды от -5 до +50.", "Предупреждение.", Icon::Warning);
    }
    double cosPhi = 0;
    if (!TryStrToFloat(window.Text(Input::CosPhi), format, cosPhi)) {
        Refuse("Введите число.", "Ошибка.", Icon::Stop, {.focus = Input::CosPhi});
    }
    if (cosPhi <= 0 || cosPhi > 1) {
        Refuse("Козфициент мощности должен быть \n больше 0 и меньше 1.", "Предупреждение.",
               Icon::Warning, {.restore = {{Input::CosPhi, "1"}}, .focus = Input::CosPhi});
    }
    double length = 0;
    if (!TryStrToFloat(window.Text(Input::Length), format, length)) {
        Refuse("Введите число.", "Ошибка.", Icon::Stop, {.focus = Input::Length});
    }
}

}  // namespace kalvenor
