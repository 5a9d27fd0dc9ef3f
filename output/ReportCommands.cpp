#include "output/ReportCommands.h"

#include "output/RtfWriter.h"

namespace kalvenor {

const std::vector<ReportCommands::Command>& ReportCommands::WordProcessors() {
    // LibreOffice's own launchers first, as its packages install them, then
    // the lighter word processors of other desktops.
    static const std::vector<Command> commands{
        {"lowriter", {}},
        {"soffice", {"--writer"}},
        {"libreoffice", {"--writer"}},
        {"abiword", {}},
    };
    return commands;
}

const std::vector<std::string>& ReportCommands::Calculators() {
    static const std::vector<std::string> programs{
        "gnome-calculator", "kcalc", "galculator", "mate-calc", "qalculate-gtk", "xcalc",
    };
    return programs;
}

std::optional<std::filesystem::path> ReportCommands::ChooseFile(
    const SaveFileChooser::Request& request) {
    auto chosen = context_.saveFiles.ChooseSaveFile(request);
    // Not every desktop's dialog adds the suffix itself.
    if (chosen && !chosen->has_extension()) {
        *chosen += "." + request.defaultSuffix;
    }
    return chosen;
}

void ReportCommands::Save(const std::string& plainText) {
    if (const auto file = ChooseFile({kFilter, kSuffix, lastSaved_})) {
        lastSaved_ = *file;
        SaveReport(*file, plainText);
    }
}

void ReportCommands::SaveTrail(const std::string& plainText, const std::string& name) {
    if (const auto file = ChooseFile({kRtfFilter, "rtf", trailFolder_ / name})) {
        trailFolder_ = file->parent_path();
        SaveReport(*file, plainText);
    }
}

void ReportCommands::PrintTrail(QTextDocument& trail, const std::string& title) {
    context_.printer.Print(trail, title, PageOrientation::Portrait);
}

void ReportCommands::Print(QTextDocument& report) {
    // The job's title in the printer queue is a single blank.
    context_.printer.Print(report, " ", PageOrientation::Portrait);
}

void ReportCommands::StartWordProcessor() {
    for (const auto& [program, arguments] : WordProcessors()) {
        if (context_.launcher.Exists(program) && context_.launcher.Start(program, arguments)) {
            return;
        }
    }
    context_.messages.MessageBox({"Не удается запустить Word", "Error", Buttons::Ok, Icon::Stop});
}

void ReportCommands::StartCalculator() {
    std::string tried;
    for (const std::string& program : Calculators()) {
        if (context_.launcher.Exists(program) && context_.launcher.Start(program, {})) {
            return;
        }
        tried += (tried.empty() ? "" : ", ") + program;
    }
    // A command that silently does nothing looks broken; the user can
    // install one of these.
    context_.messages.MessageBox({"Не удается запустить калькулятор (пробовали: " + tried + ").",
                                  "Kalvenor", Buttons::Ok, Icon::Warning});
}

}  // namespace kalvenor
