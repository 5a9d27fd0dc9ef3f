#include "calc/InputChecks.h"
#include "calc/InputEvents.h"
#include "tests/support/FakeMainWindow.h"

#include <gtest/gtest.h>

#include <functional>

namespace kalvenor {
namespace {

using testing::FakeMainWindow;
using testing::ShownMessage;

constexpr NumberFormat kComma{','};

// A window whose inputs pass every check.
void FillValidInputs(FakeMainWindow& window) {
    window.combos[Combo::ComboBox2] = {{"TM-25/10"}, 0, ""};
    window.combos[Combo::ComboBox1] = {{"ВВГ3.xml"}, 0, ""};
    window.texts[Control::Edit3] = "10";
    window.texts[Control::Edit6] = "100";
    window.texts[Control::Edit4] = "25";
    window.texts[Control::Edit11] = "1";
}

TEST(TextRule, RefusesWhatOrdersBeforeZero) {
    for (const char* text : {"", "0", "-5", "+5", ",5", " 1", ".5"}) {
        EXPECT_TRUE(FailsTextRule(text)) << '"' << text << '"';
    }
    for (const char* text : {"0,5", "00", "1", "abc", "Мощность", "9"}) {
        EXPECT_FALSE(FailsTextRule(text)) << '"' << text << '"';
    }
}

struct CheckCase {
    const char* name;
    std::function<void(FakeMainWindow&)> change;
    ShownMessage box;
    // What the check did after its box, in order.
    std::vector<std::string> after;
};

class InputCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(InputCheck, ShowsItsBoxThenItsSideEffectsAndStops) {
    const CheckCase& check = GetParam();
    FakeMainWindow window;
    FillValidInputs(window);
    check.change(window);
    EXPECT_FALSE(InputChecksPass(window, window, kComma));
    ASSERT_EQ(window.messages.shown.size(), 1U);
    EXPECT_EQ(window.messages.shown[0], check.box);
    std::vector<std::string> expected{"box " + check.box.text};
    expected.insert(expected.end(), check.after.begin(), check.after.end());
    EXPECT_EQ(window.log, expected);
}

const ShownMessage kNoTransformer{
    "В базе данных <Трансформаторы> нет данных.\nВы можете использовать пункт меню "
    "<Трансформатор> <Не использовать трансформатор>",
    "Kalvenor", 0};
const ShownMessage kNoTable{"В раскрывающиемся списке откройте таблицу.", "Предупреждение.", 48};
const ShownMessage kNoPower{"Введите мощность", "Предупреждение", 48};
const ShownMessage kNoLength{"Введите длину провода или кабеля", "Расчет электрической сети", 48};
const ShownMessage kTemperatureText{"В текстовое поле 'Температура' введите число", "Ошибка", 16};
const ShownMessage kTemperatureRange{"Температура среды от -5 до +50.", "Предупреждение.", 48};
const ShownMessage kNotANumber{"Введите число.", "Ошибка.", 16};
const ShownMessage kCosRange{"Козфициент мощности должен быть \n больше 0 и меньше 1.",
                             "Предупреждение.", 48};

// An input set by a check runs its change handler, which clears the results.
std::vector<std::string> SetAndClear(const std::string& set, const char* then = nullptr) {
    std::vector<std::string> log{set, "set Edit1=0", "set Edit2=0", "set Edit5=0", "clear report"};
    if (then != nullptr) {
        log.emplace_back(then);
    }
    return log;
}

template <Control control>
std::function<void(FakeMainWindow&)> Type(const char* text) {
    return [text](FakeMainWindow& window) { window.texts[control] = text; };
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, InputCheck,
    ::testing::Values(
        CheckCase{"TransformerModeWithoutTransformerEvenWithoutTable",
                  [](FakeMainWindow& w) {
                      w.combos[Combo::ComboBox2].index = -1;
                      w.combos[Combo::ComboBox1].index = -1;
                  },
                  kNoTransformer,
                  {}},
        CheckCase{"NoTable",
                  [](FakeMainWindow& w) { w.combos[Combo::ComboBox1].index = -1; },
                  kNoTable,
                  {}},
        CheckCase{"EmptyPower", Type<Control::Edit3>(""), kNoPower, {}},
        CheckCase{"NegativePower", Type<Control::Edit3>("-5"), kNoPower, {}},
        CheckCase{"PowerStartingWithComma", Type<Control::Edit3>(",5"), kNoPower, {}},
        CheckCase{"PowerZeroWithDecimals", Type<Control::Edit3>("0,0"), kNoPower, {}},
        CheckCase{"PowerZeroWithExponent", Type<Control::Edit3>("0e0"), kNoPower, {}},
        CheckCase{"PowerZeroWithLeadingZero", Type<Control::Edit3>("00"), kNoPower, {}},
        CheckCase{
            "ZeroLengthClearsTheReport", Type<Control::Edit6>("0"), kNoLength, {"clear report"}},
        CheckCase{"TemperatureLettersInGround",
                  [](FakeMainWindow& w) {
                      w.texts[Control::Edit4] = "тепло";
                      w.texts[Control::Label6] = "В земле";
                  },
                  kTemperatureText, SetAndClear("set Edit4=15")},
        CheckCase{"TemperatureLettersInAir",
                  [](FakeMainWindow& w) {
                      w.texts[Control::Edit4] = "тепло";
                      w.texts[Control::Label6] = "В воздухе";
                  },
                  kTemperatureText, SetAndClear("set Edit4=25")},
        CheckCase{"TemperatureCaseMattersForGround",
                  [](FakeMainWindow& w) {
                      w.texts[Control::Edit4] = "";
                      w.texts[Control::Label6] = "в земле";
                  },
                  kTemperatureText, SetAndClear("set Edit4=25")},
        CheckCase{"TemperatureAboveFifty", Type<Control::Edit4>("50,1"), kTemperatureRange, {}},
        CheckCase{"TemperatureBelowMinusFive", Type<Control::Edit4>("-6"), kTemperatureRange, {}},
        CheckCase{
            "PowerFactorLetters", Type<Control::Edit11>("один"), kNotANumber, {"focus Edit11"}},
        CheckCase{"PowerFactorZero", Type<Control::Edit11>("0"), kCosRange,
                  SetAndClear("set Edit11=1", "focus Edit11")},
        CheckCase{"PowerFactorAboveOne", Type<Control::Edit11>("1,01"), kCosRange,
                  SetAndClear("set Edit11=1", "focus Edit11")},
        CheckCase{"PowerFactorNegative", Type<Control::Edit11>("-1"), kCosRange,
                  SetAndClear("set Edit11=1", "focus Edit11")},
        CheckCase{"LengthLettersPassTheTextRuleButNotTheConversion",
                  Type<Control::Edit6>("abc"),
                  kNotANumber,
                  {"focus Edit6"}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST(InputChecks, PassAtTheLimitsAndWithoutTransformerMode) {
    for (const auto& [temperature, cosPhi, power] :
         std::vector<std::tuple<const char*, const char*, const char*>>{
             {"50", "1", "0,5"}, {"-5", "0,01", "01"}, {" 25 ", "1", "abc"}}) {
        FakeMainWindow window;
        FillValidInputs(window);
        window.texts[Control::Edit4] = temperature;
        window.texts[Control::Edit11] = cosPhi;
        window.texts[Control::Edit3] = power;
        EXPECT_TRUE(InputChecksPass(window, window, kComma)) << temperature << ' ' << cosPhi;
        EXPECT_TRUE(window.messages.shown.empty());
    }
    FakeMainWindow window;
    FillValidInputs(window);
    window.state.UseTransformer = false;
    window.combos[Combo::ComboBox2].index = -1;
    EXPECT_TRUE(InputChecksPass(window, window, kComma));
}

TEST(InputEvents, PowerResetsResultsAndPowerFactorOnlyWhenItConverts) {
    FakeMainWindow window;
    window.texts[Control::Edit11] = "0,8";
    window.SetText(Control::Edit3, "12,5");
    // The power factor's own handler runs when it goes back to 1.
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"set Edit3=12,5", "clear report", "set Edit1=0",
                                        "set Edit2=0", "set Edit5=0", "set Edit11=1", "set Edit1=0",
                                        "set Edit2=0", "set Edit5=0", "clear report"}));

    window.log.clear();
    window.texts[Control::Edit11] = "0,8";
    window.texts[Control::Edit5] = "45,455";
    window.SetText(Control::Edit3, "");
    EXPECT_EQ(window.log, (std::vector<std::string>{"set Edit3=", "clear report",
                                                    "box Введите число", "focus Edit3"}));
    EXPECT_EQ(window.messages.shown.back(), (ShownMessage{"Введите число", "Ошибка.", 16}));
    EXPECT_EQ(window.texts[Control::Edit11], "0,8");
    EXPECT_EQ(window.texts[Control::Edit5], "45,455");
}

TEST(InputEvents, LengthKeepsTheNominalCurrentTheOthersDoNot) {
    FakeMainWindow window;
    window.texts[Control::Edit5] = "45,455";
    window.SetText(Control::Edit6, "120");
    EXPECT_EQ(window.texts[Control::Edit5], "45,455");
    EXPECT_TRUE(window.report.empty());
    ClearResults(window);
    EXPECT_EQ(window.texts[Control::Edit5], "0");
    EXPECT_EQ(window.texts[Control::Edit1], "0");
    EXPECT_EQ(window.texts[Control::Edit2], "0");
}

}  // namespace
}  // namespace kalvenor
