#pragma once

#include "widgets/Context.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QTextDocument;

namespace kalvenor {

// The main window's commands around the report: saving it, printing it, and
// starting the word processor or the calculator beside it. None of them
// changes the report.
class ReportCommands {
public:
    explicit ReportCommands(const Context& context) : context_(context) {}

    static constexpr const char* kFilter = "word (*doc)|*.doc";
    static constexpr const char* kSuffix = "doc";
    static constexpr const char* kRtfFilter = "Документ RTF (*.rtf)|*.rtf";

    // Writes the report's plain text as an RTF document under a name the
    // user picks; throws FileError when the file cannot be written.
    void Save(const std::string& plainText);
    void Print(QTextDocument& report);
    // The calculation's trail, by the report's writer and printer: offered
    // under `name` in the folder the last trail was saved to.
    void SaveTrail(const std::string& plainText, const std::string& name);
    void PrintTrail(QTextDocument& trail, const std::string& title);
    // Shows "Не удается запустить Word" when no word processor starts.
    void StartWordProcessor();
    // The first calculator that starts; when none does, says so and names
    // those tried.
    void StartCalculator();

    // The name offered by the next save: the last one chosen in this run.
    const std::filesystem::path& LastSaved() const { return lastSaved_; }

    using Command = std::pair<std::string, std::vector<std::string>>;
    // Each starts its program with one new empty text document.
    static const std::vector<Command>& WordProcessors();
    static const std::vector<std::string>& Calculators();

private:
    std::optional<std::filesystem::path> ChooseFile(const SaveFileChooser::Request& request);

    const Context& context_;
    std::filesystem::path lastSaved_;
    std::filesystem::path trailFolder_;
};

}  // namespace kalvenor
