#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>

#include "base/TableMemory.h"
#include "tables/Catalogue.h"
#include "tables/DataPacket.h"
#include "tables/Dataset.h"
#include "tables/TableFiles.h"

namespace kalvenor {
namespace {

// The files are made once per size and removed when the program ends.
class Fixtures {
public:
    Fixtures()
        : root_(std::filesystem::temp_directory_path() /
                ("kalvenor-bench-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(root_);
        // Measured as the program runs.
        KeepTableMemoryBetweenLoads();
    }
    Fixtures(const Fixtures&) = delete;
    Fixtures& operator=(const Fixtures&) = delete;
    ~Fixtures() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    const std::filesystem::path& Root() const { return root_; }

    // One current table of `rows` rows.
    const std::filesystem::path& Table(int rows) {
        auto [entry, made] = tables_.try_emplace(rows);
        if (made) {
            entry->second = root_ / ("table-" + std::to_string(rows) + ".xml");
            WriteDataPacket(entry->second, CurrentTable(rows));
        }
        return entry->second;
    }

    // A directory of `count` current tables of 30 rows each.
    const std::filesystem::path& Directory(int count) {
        auto [entry, made] = directories_.try_emplace(count);
        if (made) {
            entry->second = root_ / ("dir-" + std::to_string(count));
            std::filesystem::create_directories(entry->second);
            const DataPacket table = CurrentTable(30);
            for (int i = 0; i < count; ++i) {
                WriteDataPacket(entry->second / ("Кабель " + std::to_string(i) + ".xml"), table);
            }
        }
        return entry->second;
    }

private:
    static DataPacket CurrentTable(int rows) {
        DataPacket packet{CurrentTableFieldDefs("ВВГнг", "В земле", "3", "Кабель", "Медь"),
                          CurrentTableIndexDefs(),
                          {}};
        packet.rows.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            packet.rows.push_back(
                {1.5 + i * 0.25, 19.0 + i * 1.75, "ВВГнг-LS", "в земле", "3", "звезда", "медь"});
        }
        return packet;
    }

    std::filesystem::path root_;
    std::map<int, std::filesystem::path> tables_;
    std::map<int, std::filesystem::path> directories_;
};

Fixtures& Files() {
    static Fixtures files;
    return files;
}

void LoadTable(benchmark::State& state) {
    const std::filesystem::path& path = Files().Table(static_cast<int>(state.range(0)));
    Dataset dataset;
    for (auto _ : state) {
        dataset.Load(path);
        benchmark::DoNotOptimize(dataset.RowCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(LoadTable)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void WriteTable(benchmark::State& state) {
    Dataset dataset;
    dataset.Load(Files().Table(static_cast<int>(state.range(0))));
    const std::filesystem::path target = Files().Root() / "written.xml";
    for (auto _ : state) {
        dataset.Write(target);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(WriteTable)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The catalogue refresh a change of the voltage option runs.
void RefreshCatalogue(benchmark::State& state) {
    const std::filesystem::path& directory = Files().Directory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const CatalogueScan scan = ScanCatalogue(directory, 1, NumberFormat{','});
        benchmark::DoNotOptimize(scan.tables.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(RefreshCatalogue)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvenor
