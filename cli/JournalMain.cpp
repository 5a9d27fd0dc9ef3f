// kalvenor-journal: a journal's lines sized without the windows, for
// scripts and for checking a journal against the tables of another folder.

#include "base/Files.h"
#include "base/UserError.h"
#include "journal/JournalCsv.h"
#include "journal/JournalFile.h"
#include "journal/JournalXlsx.h"
#include "journal/LineCalculation.h"

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace kalvenor;

namespace {

constexpr int kLineStopped = 1;
constexpr int kCannotRun = 2;

constexpr std::string_view kUsage =
    "Использование: kalvenor-journal [--tables ПАПКА] ЛИНИИ -o РЕЗУЛЬТАТ\n"
    "\n"
    "Рассчитывает каждую линию журнала так же, как окно «Журнал линий» программы\n"
    "Kalvenor, и записывает журнал с результатами.\n"
    "\n"
    "  ЛИНИИ            журнал линий: .csv (точка с запятой и десятичная запятая\n"
    "                   или запятая и десятичная точка, столбцы по русским\n"
    "                   заголовкам) или файл журнала .kvj\n"
    "  -o РЕЗУЛЬТАТ     .csv, .xlsx или .kvj\n"
    "  --tables ПАПКА   папка таблиц (допустимых токов, автоматов, трансформаторов);\n"
    "                   по умолчанию та же, что у программы Kalvenor\n"
    "  --help           эта справка\n"
    "\n"
    "Код выхода: 0 - все линии рассчитаны, 1 - расчёт хотя бы одной линии\n"
    "остановлен (причины в stderr), 2 - неверные аргументы или файл не прочитан.\n";

struct Arguments {
    std::filesystem::path lines;
    std::filesystem::path output;
    std::optional<std::filesystem::path> tables;
};

std::string Lowercase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string Extension(const std::filesystem::path& path) {
    return Lowercase(path.extension().string());
}

// What the main program takes for its tables folder, found without Qt: the
// executable's folder when it can be written, else the user's data folder.
std::filesystem::path ProgramTablesFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        data = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr) {
        data = std::filesystem::path(home) / ".local" / "share";
    }
    return ChooseApplicationDirectory(executable.parent_path(), data / "Kalvenor");
}

// The decimal separator the user's locale writes, as the program takes it.
NumberFormat UserFormat() {
    std::setlocale(LC_NUMERIC, "");
    const std::string_view point = std::localeconv()->decimal_point;
    const NumberFormat format{point.size() == 1 ? point.front() : '.'};
    std::setlocale(LC_NUMERIC, "C");
    return format;
}

std::optional<Arguments> Parse(const std::vector<std::string_view>& words, bool& help) {
    Arguments arguments;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        const bool hasValue = i + 1 < words.size();
        if (word == "--help" || word == "-h") {
            help = true;
            return std::nullopt;
        }
        if ((word == "-o" || word == "--output") && hasValue) {
            arguments.output = words[++i];
        } else if (word == "--tables" && hasValue) {
            arguments.tables = words[++i];
        } else if (!word.starts_with('-') && arguments.lines.empty()) {
            arguments.lines = word;
        } else {
            std::cerr << "kalvenor-journal: непонятный аргумент «" << word << "».\n";
            return std::nullopt;
        }
    }
    if (arguments.lines.empty() || arguments.output.empty()) {
        std::cerr << "kalvenor-journal: укажите файл линий и файл результата (-o).\n";
        return std::nullopt;
    }
    for (const auto& [path, kinds] :
         {std::pair{arguments.lines, std::vector<std::string>{".csv", ".kvj"}},
          std::pair{arguments.output, std::vector<std::string>{".csv", ".xlsx", ".kvj"}}}) {
        if (std::find(kinds.begin(), kinds.end(), Extension(path)) == kinds.end()) {
            std::cerr << "kalvenor-journal: файл «" << path.string()
                      << "» не того вида: нужен один из";
            for (const std::string& kind : kinds) {
                std::cerr << ' ' << kind;
            }
            std::cerr << ".\n";
            return std::nullopt;
        }
    }
    return arguments;
}

std::vector<JournalLine> ReadLines(const std::filesystem::path& path, NumberFormat format) {
    if (Extension(path) == ".kvj") {
        return ReadJournalFile(path, format);
    }
    CsvImport imported = ImportJournalCsv(path, format);
    for (const RefusedCell& cell : imported.refused) {
        std::cerr << RefusedCellMessage(cell) << '\n';
    }
    return std::move(imported.lines);
}

void Write(const std::filesystem::path& path, const std::vector<JournalLine>& lines,
           NumberFormat format) {
    const std::string kind = Extension(path);
    if (kind == ".xlsx") {
        ExportJournalXlsx(path, lines, format);
    } else if (kind == ".kvj") {
        if (const auto aside = WriteJournalFile(path, lines, format)) {
            std::cerr << "Файл, бывший под этим именем, не журнал: он сохранён как «"
                      << aside->string() << "».\n";
        }
    } else {
        ExportJournalCsv(path, lines, format);
    }
}

int Run(const Arguments& arguments) {
    const NumberFormat format = UserFormat();
    Journal journal;
    journal.Assign(ReadLines(arguments.lines, format));
    BatchTables tables(arguments.tables.value_or(ProgramTablesFolder()));
    CalculateJournal(journal, tables, format);
    std::size_t stopped = 0;
    for (std::size_t line = 0; line < journal.LineCount(); ++line) {
        const JournalLine& each = journal.Line(line);
        if (const auto* stop = std::get_if<LineStop>(&each.outcome)) {
            ++stopped;
            std::cerr << "Линия " << line + 1;
            if (const std::string& name = each.inputs[LineInput::Designation]; !name.empty()) {
                std::cerr << " («" << name << "»)";
            }
            std::cerr << ": " << stop->message << '\n';
        }
    }
    Write(arguments.output, journal.Lines(), format);
    std::cerr << "Линий: " << journal.LineCount()
              << ", рассчитано: " << journal.LineCount() - stopped << ", остановлено: " << stopped
              << ".\n";
    return stopped == 0 ? EXIT_SUCCESS : kLineStopped;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string_view> words(argv + 1, argv + argc);
    bool help = false;
    const std::optional<Arguments> arguments = Parse(words, help);
    if (help) {
        std::cout << kUsage;
        return EXIT_SUCCESS;
    }
    if (!arguments) {
        std::cerr << "Справка: kalvenor-journal --help\n";
        return kCannotRun;
    }
    try {
        return Run(*arguments);
    } catch (const UserError& error) {
        std::cerr << "kalvenor-journal: " << error.what() << '\n';
    } catch (const std::exception& fault) {
        std::cerr << "kalvenor-journal: ошибка программы: " << fault.what() << '\n';
    }
    return kCannotRun;
}
