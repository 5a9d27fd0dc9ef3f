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

void ReportCommands::Save(const std::string& plainText) {
    const auto chosen = context_.saveFiles.ChooseSaveFile({kFilter, kSuffix, lastSaved_});
    if (!chosen) {
        return;
    }
    std::filesystem::path file = *chosen;
    // Not every desktop's dialog adds the suffix itself.
    if (!file.has_extension()) {
        file += std::string(".") + kSuffix;
    }
    lastSaved_ = file;
    SaveReport(file, plainText);
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
