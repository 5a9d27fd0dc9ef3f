#include <benchmark/benchmark.h>
#include <unistd.h>

#include "base/Files.h"
#include "examples/ExampleJournal.h"
#include "examples/ExampleTables.h"
#include "journal/CableJournal.h"
#include "journal/JournalCsv.h"
#include "journal/JournalFile.h"
#include "journal/JournalXlsx.h"
#include "journal/LineCalculation.h"
#include "tests/support/JournalLines.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

constexpr NumberFormat kComma{','};
constexpr std::size_t kLines = 1000;

// A journal of 1 000 calculated lines (the example switchboard over and
// over, every line with its figures), and its files, in a folder removed
// when the benchmark ends.
class Folder {
public:
    Folder()
        : path_(fs::temp_directory_path() /
                ("kalvenor-journal-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
        const std::vector<JournalLine> examples = examples::ExampleJournalLines();
        for (std::size_t i = 0; i < kLines; ++i) {
            JournalLine line = examples[i % examples.size()];
            line.inputs[LineInput::Designation] += " / " + std::to_string(i + 1);
            LineResults results = testing::CompressorResults();
            results.nominalCurrent += static_cast<double>(i) / 1000;
            line.outcome = results;
            lines_.push_back(std::move(line));
        }
        WriteJournalFile(Journal(), lines_, kComma);
        ExportJournalCsv(Csv(), lines_, kComma);
        examples::WriteExampleTables(path_);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }

    const std::vector<JournalLine>& Lines() const { return lines_; }
    const fs::path& Path() const { return path_; }
    fs::path Journal() const { return path_ / "journal.kvj"; }
    fs::path Csv() const { return path_ / "journal.csv"; }
    fs::path File(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
    std::vector<JournalLine> lines_;
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

void CheckLines(benchmark::State& state, std::size_t count) {
    if (count != kLines) {
        state.SkipWithError("lines were lost");
    }
}

// Opening a journal: read, checked, every line built.
void OpenJournal(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        count = ReadJournalFile(TheFolder().Journal(), kComma).size();
        benchmark::DoNotOptimize(count);
    }
    CheckLines(state, count);
}
BENCHMARK(OpenJournal)->Unit(benchmark::kMillisecond);

// Its floor: the bytes of the same file.
void ReadJournalBytes(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadFileBytes(TheFolder().Journal()).size());
    }
}
BENCHMARK(ReadJournalBytes)->Unit(benchmark::kMillisecond);

// Saving over the journal as "Сохранить" does: the old file is read first,
// to keep it aside should it be no journal.
void SaveJournal(benchmark::State& state) {
    for (auto _ : state) {
        WriteJournalFile(TheFolder().Journal(), TheFolder().Lines(), kComma);
    }
}
BENCHMARK(SaveJournal)->Unit(benchmark::kMillisecond);

// Its floor: the same bytes written atomically (flushed to the disk).
void WriteJournalBytes(benchmark::State& state) {
    const std::string bytes = ReadFileBytes(TheFolder().Journal());
    for (auto _ : state) {
        WriteFileAtomically(TheFolder().File("bytes.kvj"), bytes);
    }
}
BENCHMARK(WriteJournalBytes)->Unit(benchmark::kMillisecond);

void ImportCsv(benchmark::State& state) {
    std::size_t count = 0;
    for (auto _ : state) {
        count = ImportJournalCsv(TheFolder().Csv(), kComma).lines.size();
        benchmark::DoNotOptimize(count);
    }
    CheckLines(state, count);
}
BENCHMARK(ImportCsv)->Unit(benchmark::kMillisecond);

void ReadCsvBytes(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadFileBytes(TheFolder().Csv()).size());
    }
}
BENCHMARK(ReadCsvBytes)->Unit(benchmark::kMillisecond);

// The exports, each beside WriteJournalBytes: every one ends in an atomic
// write of a file of about that size.
void ExportCsv(benchmark::State& state) {
    for (auto _ : state) {
        ExportJournalCsv(TheFolder().File("export.csv"), TheFolder().Lines(), kComma);
    }
}
BENCHMARK(ExportCsv)->Unit(benchmark::kMillisecond);

void ExportXlsx(benchmark::State& state) {
    for (auto _ : state) {
        ExportJournalXlsx(TheFolder().File("export.xlsx"), TheFolder().Lines(), kComma);
    }
}
BENCHMARK(ExportXlsx)->Unit(benchmark::kMillisecond);

void ExportCableJournal(benchmark::State& state) {
    for (auto _ : state) {
        SaveCableJournal(TheFolder().File("export.rtf"), TheFolder().Lines(), {"Цех", "12.05.2025"},
                         kComma);
    }
}
BENCHMARK(ExportCableJournal)->Unit(benchmark::kMillisecond);

// The 1 000 lines' inputs, as a journal not yet calculated.
std::vector<JournalLine> Uncalculated() {
    std::vector<JournalLine> lines = TheFolder().Lines();
    for (JournalLine& line : lines) {
        line.outcome = {};
    }
    return lines;
}

void CheckSized(benchmark::State& state, const Journal& journal) {
    for (const JournalLine& line : journal.Lines()) {
        if (!std::holds_alternative<LineResults>(line.outcome)) {
            state.SkipWithError("a line was not sized");
            return;
        }
    }
}

// "Рассчитать" over 1 000 lines of the example tables: every table file read
// once for the batch.
void CalculateThousandLines(benchmark::State& state) {
    Journal journal;
    for (auto _ : state) {
        state.PauseTiming();
        journal.Assign(Uncalculated());
        state.ResumeTiming();
        BatchTables tables(TheFolder().Path());
        CalculateJournal(journal, tables, kComma);
    }
    CheckSized(state, journal);
}
BENCHMARK(CalculateThousandLines)->Unit(benchmark::kMillisecond);

// Beside it, the same 1 000 lines calculated one by one as the main window
// calculates, the tables read for each.
void ThousandSingleCalculations(benchmark::State& state) {
    Journal journal;
    for (auto _ : state) {
        state.PauseTiming();
        journal.Assign(Uncalculated());
        state.ResumeTiming();
        for (std::size_t line = 0; line < journal.LineCount(); ++line) {
            BatchTables tables(TheFolder().Path());
            const LineInputs inputs = journal.Line(line).inputs;
            journal.SetOutcome(line, inputs, CalculateLine(inputs, tables, kComma));
        }
    }
    CheckSized(state, journal);
}
BENCHMARK(ThousandSingleCalculations)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvenor
