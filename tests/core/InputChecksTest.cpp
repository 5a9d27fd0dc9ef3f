#include "calc/InputChecks.h"
#include "calc/InputEvents.h"
#include "calc/Stop.h"
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
    window.choices[Choice::Transformer] = {{"TM-25/10"}, 0, ""};
    window.choices[Choice::CurrentTable] = {{"ВВГ3.xml"}, 0, ""};
    window.inputs[Input::Power] = "10";
    window.inputs[Input::Length] = "100";
    window.inputs[Input::Temperature] = "25";
    window.inputs[Input::CosPhi] = "1";
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
    try {
        CheckInputs(window, kComma);
        ADD_FAILURE() << "no stop";
    } catch (const CalculationStop& stop) {
        ShowStop(stop, window, window);
    }
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
    std::vector<std::string> log{set, "set Section=0", "set PermissibleCurrent=0",
                                 "set NominalCurrent=0", "clear report"};
    if (then != nullptr) {
        log.emplace_back(then);
    }
    return log;
}

template <Input input>
std::function<void(FakeMainWindow&)> Type(const char* text) {
    return [text](FakeMainWindow& window) { window.inputs[input] = text; };
}

INSTANTIATE_TEST_SUITE_P(
    InOrder, InputCheck,
    ::testing::Values(
        CheckCase{"TransformerModeWithoutTransformerEvenWithoutTable",
                  [](FakeMainWindow& w) {
                      w.choices[Choice::Transformer].index = -1;
                      w.choices[Choice::CurrentTable].index = -1;
                  },
                  kNoTransformer,
                  {}},
        CheckCase{"NoTable",
                  [](FakeMainWindow& w) { w.choices[Choice::CurrentTable].index = -1; },
                  kNoTable,
                  {}},
        CheckCase{"EmptyPower", Type<Input::Power>(""), kNoPower, {}},
        CheckCase{"NegativePower", Type<Input::Power>("-5"), kNoPower, {}},
        CheckCase{"PowerStartingWithComma", Type<Input::Power>(",5"), kNoPower, {}},
        CheckCase{"PowerZeroWithDecimals", Type<Input::Power>("0,0"), kNoPower, {}},
        CheckCase{"PowerZeroWithExponent", Type<Input::Power>("0e0"), kNoPower, {}},
        CheckCase{"PowerZeroWithLeadingZero", Type<Input::Power>("00"), kNoPower, {}},
        CheckCase{
            "ZeroLengthClearsTheReport", Type<Input::Length>("0"), kNoLength, {"clear report"}},
        CheckCase{"TemperatureLettersInGround",
                  [](FakeMainWindow& w) {
                      w.inputs[Input::Temperature] = "тепло";
                      w.parameters[TableParameter::LayingMethod] = "В земле";
                  },
                  kTemperatureText, SetAndClear("set Temperature=15")},
        CheckCase{"TemperatureLettersInAir",
                  [](FakeMainWindow& w) {
                      w.inputs[Input::Temperature] = "тепло";
                      w.parameters[TableParameter::LayingMethod] = "В воздухе";
                  },
                  kTemperatureText, SetAndClear("set Temperature=25")},
        CheckCase{"TemperatureCaseMattersForGround",
                  [](FakeMainWindow& w) {
                      w.inputs[Input::Temperature] = "";
                      w.parameters[TableParameter::LayingMethod] = "в земле";
                  },
                  kTemperatureText, SetAndClear("set Temperature=25")},
        CheckCase{"TemperatureAboveFifty", Type<Input::Temperature>("50,1"), kTemperatureRange, {}},
        CheckCase{
            "TemperatureBelowMinusFive", Type<Input::Temperature>("-6"), kTemperatureRange, {}},
        CheckCase{"PowerFactorLetters", Type<Input::CosPhi>("один"), kNotANumber, {"focus CosPhi"}},
        CheckCase{"PowerFactorZero", Type<Input::CosPhi>("0"), kCosRange,
                  SetAndClear("set CosPhi=1", "focus CosPhi")},
        CheckCase{"PowerFactorAboveOne", Type<Input::CosPhi>("1,01"), kCosRange,
                  SetAndClear("set CosPhi=1", "focus CosPhi")},
        CheckCase{"PowerFactorNegative", Type<Input::CosPhi>("-1"), kCosRange,
                  SetAndClear("set CosPhi=1", "focus CosPhi")},
        CheckCase{"LengthLettersPassTheTextRuleButNotTheConversion",
                  Type<Input::Length>("abc"),
                  kNotANumber,
                  {"focus Length"}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST(InputChecks, PassAtTheLimitsAndWithoutTransformerMode) {
    for (const auto& [temperature, cosPhi, power] :
         std::vector<std::tuple<const char*, const char*, const char*>>{
             {"50", "1", "0,5"}, {"-5", "0,01", "01"}, {" 25 ", "1", "abc"}}) {
        FakeMainWindow window;
        FillValidInputs(window);
        window.inputs[Input::Temperature] = temperature;
        window.inputs[Input::CosPhi] = cosPhi;
        window.inputs[Input::Power] = power;
        EXPECT_NO_THROW(CheckInputs(window, kComma)) << temperature << ' ' << cosPhi;
    }
    FakeMainWindow window;
    FillValidInputs(window);
    window.state.UseTransformer = false;
    window.choices[Choice::Transformer].index = -1;
    EXPECT_NO_THROW(CheckInputs(window, kComma));
}

TEST(InputEvents, PowerResetsResultsAndPowerFactorOnlyWhenItConverts) {
    FakeMainWindow window;
    window.inputs[Input::CosPhi] = "0,8";
    window.SetText(Input::Power, "12,5");
    // The power factor's own handler runs when it goes back to 1.
    EXPECT_EQ(window.log,
              (std::vector<std::string>{"set Power=12,5", "clear report", "set Section=0",
                                        "set PermissibleCurrent=0", "set NominalCurrent=0",
                                        "set CosPhi=1", "set Section=0", "set PermissibleCurrent=0",
                                        "set NominalCurrent=0", "clear report"}));

    window.log.clear();
    window.inputs[Input::CosPhi] = "0,8";
    window.results[Result::NominalCurrent] = "45,455";
    window.SetText(Input::Power, "");
    EXPECT_EQ(window.log, (std::vector<std::string>{"set Power=", "clear report",
                                                    "box Введите число", "focus Power"}));
    EXPECT_EQ(window.messages.shown.back(), (ShownMessage{"Введите число", "Ошибка.", 16}));
    EXPECT_EQ(window.inputs[Input::CosPhi], "0,8");
    EXPECT_EQ(window.results[Result::NominalCurrent], "45,455");
}

TEST(InputEvents, LengthKeepsTheNominalCurrentTheOthersDoNot) {
    FakeMainWindow window;
    window.results[Result::NominalCurrent] = "45,455";
    window.SetText(Input::Length, "120");
    EXPECT_EQ(window.results[Result::NominalCurrent], "45,455");
    EXPECT_TRUE(window.report.empty());
    ClearResults(window);
    EXPECT_EQ(window.results[Result::NominalCurrent], "0");
    EXPECT_EQ(window.results[Result::Section], "0");
    EXPECT_EQ(window.results[Result::PermissibleCurrent], "0");
}

}  // namespace
}  // namespace kalvenor
