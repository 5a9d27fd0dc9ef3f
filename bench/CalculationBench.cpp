#include <benchmark/benchmark.h>
#include <unistd.h>

#include "base/Files.h"
#include "base/TableMemory.h"
#include "calc/Driver.h"
#include "calc/TrailPage.h"
#include "tables/TableFiles.h"
#include "tests/support/FakeMainWindow.h"
#include "tests/support/Tables.h"

#include <filesystem>
#include <string>

namespace kalvenor {
namespace {

namespace fs = std::filesystem;

constexpr NumberFormat kComma{','};

// A folder with a current table of `rows` rows, 1 000 breakers and the usual
// transformers, removed when the benchmark ends.
class Folder {
public:
    explicit Folder(int rows)
        : path_(fs::temp_directory_path() / ("kalvenor-calc-bench-" + std::to_string(::getpid()) +
                                             "-" + std::to_string(rows))) {
        fs::create_directories(path_);
        std::vector<std::pair<double, double>> table;
        table.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            table.emplace_back(1.5 + i * 0.25, 19.0 + i * 1.75);
        }
        testing::WriteCurrentTable(path_ / "Table.xml", "В воздухе", "2", table);
        std::vector<testing::BreakerRow> breakers;
        for (int i = 0; i < 1000; ++i) {
            const double low = 1 + (i % 50);
            breakers.push_back(
                {"ВА-" + std::to_string(i), low, low * 4, 1 + i % 3, 5.0 + i % 3 * 5});
        }
        testing::WriteBreakers(path_, breakers);
        Dataset transformers;
        testing::FillTransformers(transformers, {{"ТМ-25/10", 25, 4.5},
                                                 {"ТМ-40/10", 40, 4.5},
                                                 {"ТМ-63/10", 63, 4.5},
                                                 {"ТМ-100/10", 100, 4.5},
                                                 {"ТМ-160/10", 160, 4.5}});
        transformers.Write(path_ / kTransformerFileName);
        KeepTableMemoryBetweenLoads();
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

Folder& FolderOf(int rows) {
    static Folder small(1000);
    static Folder large(100000);
    if (rows == 1000) {
        return small;
    }
    if (rows == 100000) {
        return large;
    }
    static Folder huge(1000000);
    return huge;
}

// Steps 1 to 20 as the button runs them; the question is answered No and
// the chooser confirms the first series. With `tableChanged`, another
// program has written the table since the last calculation (its time is
// touched), so the calculation reads it again.
struct Line {
    explicit Line(const Folder& folder) : folder(folder) {
        transformers.OpenFile(folder.Path() / kTransformerFileName);
        transformers.SetOrder(kPowerField);
        window.choices[Choice::CurrentTable] = {{"Table.xml"}, 0, ""};
        window.choices[Choice::Voltage].index = 0;
        window.inputs[Input::Power] = "10";
        window.inputs[Input::Length] = "100";
        window.parameters[TableParameter::Material] = "Медь";
    }
    // The calculation, with its trail, as the button runs it.
    void Run(CalculationDriver& driver) {
        window.choices[Choice::Transformer] = {
            {"ТМ-25/10", "ТМ-40/10", "ТМ-63/10", "ТМ-100/10", "ТМ-160/10"}, 0, ""};
        window.log.clear();
        window.messages.shown.clear();
        driver.Run();
    }
    CalculationDriver Driver() {
        return {window, window, {currentTable, breakers, transformers, folder.Path()}, kComma};
    }

    const Folder& folder;
    Dataset currentTable;
    Dataset breakers;
    Dataset transformers;
    testing::FakeMainWindow window;
};

void Calculate(benchmark::State& state, bool tableChanged) {
    const Folder& folder = FolderOf(static_cast<int>(state.range(0)));
    Line line(folder);
    const fs::path table = folder.Path() / "Table.xml";
    for (auto _ : state) {
        if (tableChanged) {
            state.PauseTiming();
            fs::last_write_time(table, fs::file_time_type::clock::now());
            state.ResumeTiming();
        }
        CalculationDriver driver = line.Driver();
        line.Run(driver);
        benchmark::DoNotOptimize(line.window.report.size());
    }
    if (line.window.report.size() != 22) {
        state.SkipWithError("the calculation did not reach its report");
    }
}
void WholeCalculation(benchmark::State& state) {
    Calculate(state, false);
}
BENCHMARK(WholeCalculation)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same when the table's file changed before each calculation: what every
// calculation cost while it read its table again each time.
void WholeCalculationTableChanged(benchmark::State& state) {
    Calculate(state, true);
}
BENCHMARK(WholeCalculationTableChanged)
    ->Arg(1000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);

// What the trail adds to the calculation above (which records it): building
// the same trail from nothing, every string and list the steps record, as a
// copy does; and the page the window writes from it.
void Trail(benchmark::State& state, bool page) {
    Line line(FolderOf(static_cast<int>(state.range(0))));
    CalculationDriver driver = line.Driver();
    line.Run(driver);
    if (!driver.Recorded().result) {
        state.SkipWithError("the calculation did not reach its result");
        return;
    }
    for (auto _ : state) {
        if (page) {
            benchmark::DoNotOptimize(TrailPage(driver.Recorded(), kComma, "08.12.2026 10:00"));
        } else {
            kalvenor::Trail copy = driver.Recorded();
            benchmark::DoNotOptimize(copy);
        }
    }
    state.counters["sections examined"] =
        static_cast<double>(driver.Recorded().shortCircuit->examined.size());
}
void TrailOfTheCalculation(benchmark::State& state) {
    Trail(state, false);
}
BENCHMARK(TrailOfTheCalculation)->Arg(1000)->Unit(benchmark::kMicrosecond);
void TrailPageOfTheCalculation(benchmark::State& state) {
    Trail(state, true);
}
BENCHMARK(TrailPageOfTheCalculation)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The floor: reading the bytes of the three files the calculation reads.
void ReadTheThreeFiles(benchmark::State& state) {
    const Folder& folder = FolderOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::size_t bytes = ReadFileBytes(folder.Path() / "Table.xml").size();
        bytes += ReadFileBytes(folder.Path() / kBreakerFileName).size();
        bytes += ReadFileBytes(folder.Path() / kTransformerFileName).size();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(ReadTheThreeFiles)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvenor
