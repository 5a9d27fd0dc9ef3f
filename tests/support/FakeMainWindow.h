#pragma once

#include "calc/InputEvents.h"
#include "calc/Ports.h"
#include "tests/support/ScriptedMessageBox.h"

#include <map>
#include <string>
#include <vector>

namespace kalvenor::testing {

// The main window as the calculation sees it: control texts, combo boxes,
// the report, and a log of every effect in order, so tests can pin what
// happened before and after a message. Setting an input's text runs its
// change handler, as in the real window.
class FakeMainWindow : public MainWindowPort, public UserPort {
public:
    FakeMainWindow() {
        texts = {{Control::Edit1, "0"},  {Control::Edit2, "0"},  {Control::Edit3, "0"},
                 {Control::Edit4, "25"}, {Control::Edit5, "0"},  {Control::Edit6, "0"},
                 {Control::Edit11, "1"}, {Control::Edit12, "1"}, {Control::Label6, ""},
                 {Control::Label8, ""},  {Control::Label21, ""}};
        combos[Combo::ComboBox3] = {{"380 + 0", "2 x 380+0", "3 x 380+0"}, -1, ""};
        combos[Combo::ComboBox1] = {{""}, -1, ""};
        combos[Combo::ComboBox2] = {{}, -1, ""};
        messages.onShow = [this](const ShownMessage& message) {
            log.push_back("box " + message.text);
        };
    }

    std::string Text(Control control) const override { return texts.at(control); }
    void SetText(Control control, const std::string& text) override {
        const bool changed = texts.at(control) != text;
        texts[control] = text;
        log.push_back("set " + Name(control) + "=" + text);
        if (changed) {
            InputChanged(control, *this, *this, format);
        }
    }
    void SelectAndFocus(Control control) override { log.push_back("focus " + Name(control)); }
    int ItemIndex(Combo combo) const override { return combos.at(combo).index; }
    void SetItemIndex(Combo combo, int index) override {
        combos[combo].index = index;
        log.push_back("select " + std::to_string(index));
    }
    std::string ComboText(Combo combo) const override {
        const auto& box = combos.at(combo);
        return box.index >= 0 ? box.items[static_cast<std::size_t>(box.index)] : box.typed;
    }
    std::vector<std::string> Items(Combo combo) const override { return combos.at(combo).items; }
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

    static std::string Name(Control control) { return std::string(ControlName(control)); }

    struct Box {
        std::vector<std::string> items;
        int index = -1;
        std::string typed;
    };

    std::map<Control, std::string> texts;
    std::map<Combo, Box> combos;
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
