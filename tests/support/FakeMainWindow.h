#pragma once

#include "calc/InputEvents.h"
#include "calc/Ports.h"
#include "tests/support/ScriptedMessageBox.h"

#include <map>
#include <string>
#include <vector>

namespace kalvenor::testing {

inline std::string Name(Input input) {
    switch (input) {
        case Input::Power:
            return "Power";
        case Input::CosPhi:
            return "CosPhi";
        case Input::Length:
            return "Length";
        case Input::Temperature:
            return "Temperature";
        case Input::Grouping:
            return "Grouping";
    }
    return {};
}

inline std::string Name(Result result) {
    switch (result) {
        case Result::Section:
            return "Section";
        case Result::PermissibleCurrent:
            return "PermissibleCurrent";
        case Result::NominalCurrent:
            return "NominalCurrent";
        case Result::VoltageLine:
            return "VoltageLine";
    }
    return {};
}

// The main window as the calculation sees it: the inputs, results and table
// parameters as texts, the lists, the report, and a log of every effect in
// order, so tests can pin what happened before and after a message. Setting
// an input's text runs its change handler, as in the real window.
class FakeMainWindow : public MainWindowPort, public UserPort {
public:
    FakeMainWindow() {
        inputs = {{Input::Power, "0"},
                  {Input::CosPhi, "1"},
                  {Input::Length, "0"},
                  {Input::Temperature, "25"},
                  {Input::Grouping, "1"}};
        results = {{Result::Section, "0"},
                   {Result::PermissibleCurrent, "0"},
                   {Result::NominalCurrent, "0"},
                   {Result::VoltageLine, ""}};
        parameters = {{TableParameter::LayingMethod, ""}, {TableParameter::Material, ""}};
        choices[Choice::Voltage] = {{"380 + 0", "2 x 380+0", "3 x 380+0"}, -1, ""};
        choices[Choice::CurrentTable] = {{""}, -1, ""};
        choices[Choice::Transformer] = {{}, -1, ""};
        messages.onShow = [this](const ShownMessage& message) {
            log.push_back("box " + message.text);
        };
    }

    std::string Text(Input input) const override { return inputs.at(input); }
    void SetText(Input input, const std::string& text) override {
        const bool changed = inputs.at(input) != text;
        inputs[input] = text;
        log.push_back("set " + Name(input) + "=" + text);
        if (changed) {
            InputChanged(input, *this, *this, format);
        }
    }
    void SelectAndFocus(Input input) override { log.push_back("focus " + Name(input)); }
    std::string Text(Result result) const override { return results.at(result); }
    void SetText(Result result, const std::string& text) override {
        results[result] = text;
        log.push_back("set " + Name(result) + "=" + text);
    }
    std::string Text(TableParameter parameter) const override { return parameters.at(parameter); }
    int ItemIndex(Choice choice) const override { return choices.at(choice).index; }
    void SetItemIndex(Choice choice, int index) override {
        choices[choice].index = index;
        log.push_back("select " + std::to_string(index));
    }
    std::string ChoiceText(Choice choice) const override {
        const auto& box = choices.at(choice);
        return box.index >= 0 ? box.items[static_cast<std::size_t>(box.index)] : box.typed;
    }
    void ClearReport() override {
        report.clear();
        log.push_back("clear report");
    }
    void AddReportLine(const std::string& line) override { report.push_back(line); }
    MainWindowState& State() override { return state; }

    Answer MessageBox(const Message& message) override { return messages.MessageBox(message); }
    void ShowBreakerDatabaseModal() override { log.push_back("breaker database"); }
    std::string ChooseBreakerSeries(const std::vector<std::string>& series) override {
        offeredSeries = series;
        log.push_back("chooser");
        return series.empty() ? std::string() : series[chosenItem];
    }
    // The dialog answers with the planned drop, or is closed by its title
    // bar when nothing is planned.
    std::optional<double> AskPermittedDrop(double voltageDrop) override {
        askedDrops.push_back(voltageDrop);
        log.push_back("drop dialog");
        return permittedDrop;
    }

    struct Box {
        std::vector<std::string> items;
        int index = -1;
        std::string typed;
    };

    std::map<Input, std::string> inputs;
    std::map<Result, std::string> results;
    std::map<TableParameter, std::string> parameters;
    std::map<Choice, Box> choices;
    std::vector<std::string> report{"old report"};
    MainWindowState state;
    NumberFormat format{','};
    ScriptedMessageBox messages;
    std::vector<std::string> log;
    std::vector<std::string> offeredSeries;
    std::size_t chosenItem = 0;
    std::vector<double> askedDrops;
    std::optional<double> permittedDrop;
};

}  // namespace kalvenor::testing
