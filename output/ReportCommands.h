#pragma once

#include "widgets/Context.h"

#include <filesystem>
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

    // Writes the report's plain text as an RTF document under a name the
    // user picks; throws FileError when the file cannot be written.
    void Save(const std::string& plainText);
    void Print(QTextDocument& report);
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
    const Context& context_;
    std::filesystem::path lastSaved_;
};

}  // namespace kalvenor
