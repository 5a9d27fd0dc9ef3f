// Every figure here is printed beside its floor, measured in the same run and
// interleaved with it, so that the ratio holds on a busy machine: the time of
// what the program does (manual time), the floor's median ("floor_ms") and
// the ratio of the two medians. Memory is counted by the allocator itself.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/TableMemory.h"
#include "tables/Catalogue.h"
#include "tables/DataPacket.h"
#include "tables/Dataset.h"
#include "tables/TableFiles.h"

// ---- Counting every allocation, the XML library's included -----------------

namespace {

std::size_t liveBytes = 0;
std::size_t peakBytes = 0;

void* Counted(void* pointer) {
    if (pointer != nullptr) {
        liveBytes += malloc_usable_size(pointer);
        peakBytes = std::max(peakBytes, liveBytes);
    }
    return pointer;
}

void Uncount(void* pointer) {
    if (pointer != nullptr) {
        liveBytes -= malloc_usable_size(pointer);
    }
    std::free(pointer);
}

void* XmlAllocate(std::size_t size) {
    return Counted(std::malloc(size));
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* pointer = Counted(std::malloc(size == 0 ? 1 : size))) {
        return pointer;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* pointer) noexcept {
    Uncount(pointer);
}
void operator delete[](void* pointer) noexcept {
    Uncount(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    Uncount(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    Uncount(pointer);
}

namespace kalvenor {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

template <typename F>
double Seconds(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> samples) {
    if (samples.empty()) {
        return 0;
    }
    const auto middle = samples.begin() + static_cast<std::ptrdiff_t>(samples.size() / 2);
    std::nth_element(samples.begin(), middle, samples.end());
    return *middle;
}

// Runs the floors and the subject in turn, times the subject as the
// benchmark's time and prints each floor's median and the ratio to it.
struct Floor {
    const char* name;
    std::function<void()> run;
};

template <typename Subject>
void Compare(benchmark::State& state, Subject subject, const std::vector<Floor>& floors,
             double rows = 0) {
    std::vector<double> mine;
    std::vector<std::vector<double>> theirs(floors.size());
    for (auto _ : state) {
        for (std::size_t f = 0; f < floors.size(); ++f) {
            theirs[f].push_back(Seconds(floors[f].run));
        }
        const double seconds = Seconds(subject);
        mine.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    const double median = Median(mine);
    for (std::size_t f = 0; f < floors.size(); ++f) {
        const double floor = Median(theirs[f]);
        state.counters[std::string(floors[f].name) + "_ms"] = floor * 1e3;
        state.counters[std::string("x_") + floors[f].name] = median / floor;
    }
    if (rows > 0) {
        state.counters["ns_per_row"] = median * 1e9 / rows;
    }
}

// ---- Files, made once and removed at the end --------------------------------

Row CableRow(int i) {
    return {1.5 + i * 0.25, 19.0 + i * 1.75, "ВВГнг-LS", "в земле", "3", "звезда", "медь"};
}

class Fixtures {
public:
    Fixtures()
        : root_(fs::temp_directory_path() / ("kalvenor-bench-" + std::to_string(::getpid()))) {
        fs::create_directories(root_);
        // Measured as the program runs.
        KeepTableMemoryBetweenLoads();
        pugi::set_memory_management_functions(XmlAllocate, Uncount);
    }
    Fixtures(const Fixtures&) = delete;
    Fixtures& operator=(const Fixtures&) = delete;
    ~Fixtures() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    const fs::path& Root() const { return root_; }

    // A current table of `rows` rows, in the order the program writes it.
    const fs::path& Table(int rows) {
        return Made("table-" + std::to_string(rows), [rows](const fs::path& path) {
            WriteDataPacket(path, CurrentTable(rows, false));
        });
    }

    // The same rows in no order.
    const fs::path& ShuffledTable(int rows) {
        return Made("shuffled-" + std::to_string(rows), [rows](const fs::path& path) {
            WriteDataPacket(path, CurrentTable(rows, true));
        });
    }

    // 1 000 rows whose brand is a text of 10 000 characters, each different.
    const fs::path& LongTexts() {
        return Made("long", [](const fs::path& path) {
            DataPacket packet = CurrentTable(1000, false);
            for (std::size_t i = 0; i < packet.rows.size(); ++i) {
                // 39 characters (52 bytes) a piece, escapes included.
                constexpr std::string_view kPiece = "Кабель силовой, lead sheath & <armour> ";
                std::string text = std::to_string(i) + " ";
                for (std::size_t characters = text.size(); characters < 10000; characters += 39) {
                    text += kPiece;
                }
                packet.rows[i][kBrandPosition] = text;
            }
            WriteDataPacket(path, packet);
        });
    }

    // A breaker database of `rows` rows ordered by the highest current, as
    // the program writes it.
    const fs::path& Breakers(int rows) {
        return Made("breakers-" + std::to_string(rows), [rows](const fs::path& path) {
            DataPacket packet{BreakerFieldDefs(), {}, {}};
            for (int i = 0; i < rows; ++i) {
                packet.rows.push_back({"ВА47-" + std::to_string(29 + i % 61), 0.5 + i % 7,
                                       6.0 + i * 0.125, std::int64_t{1 + i % 4}, 5.0 + i % 3});
            }
            WriteDataPacket(path, packet);
        });
    }

    // A directory of `count` current tables of 30 rows each: one written as
    // the program writes, the others copies of it (a flush for each of ten
    // thousand files would take minutes and measure nothing).
    const fs::path& Directory(int count) {
        auto [entry, made] = directories_.try_emplace(count);
        if (made) {
            entry->second = root_ / ("dir-" + std::to_string(count));
            fs::create_directories(entry->second);
            const fs::path first = entry->second / "Кабель 0.xml";
            WriteDataPacket(first, CurrentTable(30, false));
            for (int i = 1; i < count; ++i) {
                fs::copy_file(first, entry->second / ("Кабель " + std::to_string(i) + ".xml"));
            }
        }
        return entry->second;
    }

private:
    template <typename Make>
    const fs::path& Made(const std::string& name, Make make) {
        auto [entry, made] = files_.try_emplace(name);
        if (made) {
            entry->second = root_ / (name + ".xml");
            make(entry->second);
        }
        return entry->second;
    }

    static DataPacket CurrentTable(int rows, bool shuffled) {
        DataPacket packet{CurrentTableFieldDefs("ВВГнг", "В земле", "3", "Кабель", "Медь"),
                          CurrentTableIndexDefs(),
                          {}};
        packet.rows.reserve(static_cast<std::size_t>(rows));
        for (int i = 0; i < rows; ++i) {
            packet.rows.push_back(CableRow(i));
        }
        if (shuffled) {
            std::shuffle(packet.rows.begin(), packet.rows.end(), std::mt19937(7));
        }
        return packet;
    }

    fs::path root_;
    std::map<std::string, fs::path> files_;
    std::map<int, fs::path> directories_;
};

Fixtures& Files() {
    static Fixtures files;
    return files;
}

// ---- The floors, written here with plain system calls, so that they stay
// what they are whatever the program's own file functions become ----------

struct RawBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

// The file's bytes in one read into memory that is not cleared first.
RawBytes ReadRaw(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd < 0 || ::fstat(fd, &status) != 0) {
        throw std::runtime_error("cannot read " + path.string());
    }
    RawBytes bytes{std::unique_ptr<char[]>(new char[static_cast<std::size_t>(status.st_size) + 1]),
                   0};
    for (;;) {
        const ssize_t got = ::read(fd, bytes.data.get() + bytes.size,
                                   static_cast<std::size_t>(status.st_size) + 1 - bytes.size);
        if (got <= 0) {
            break;
        }
        bytes.size += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return bytes;
}

void ReadBytes(const fs::path& path) {
    benchmark::DoNotOptimize(ReadRaw(path).size);
}

void ParseWithXmlLibrary(const fs::path& path) {
    RawBytes bytes = ReadRaw(path);
    pugi::xml_document document;
    benchmark::DoNotOptimize(static_cast<bool>(document.load_buffer_inplace(
        bytes.data.get(), bytes.size, pugi::parse_escapes, pugi::encoding_auto)));
}

// The same bytes through a temporary file, flushed to the disk and renamed
// over the target, the directory flushed after.
void WriteAtomically(const fs::path& path, const std::string& bytes) {
    const fs::path temporary = path.string() + ".floor";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
        throw std::runtime_error("cannot write " + path.string());
    }
    const int directory = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(directory);
    ::close(directory);
}

std::string FileText(const fs::path& path) {
    const RawBytes bytes = ReadRaw(path);
    return {bytes.data.get(), bytes.size};
}

// A table loaded the way the program loads one: with its order.
void LoadInOrder(Dataset& dataset, const fs::path& path, std::string_view order) {
    dataset.OpenFile(path, order);
}

// ---- Load -------------------------------------------------------------------

void Load(benchmark::State& state, const fs::path& path, double rows) {
    Dataset dataset;
    dataset.SetOrder("");
    LoadInOrder(dataset, path, kSectionField);
    Compare(
        state, [&] { LoadInOrder(dataset, path, kSectionField); },
        {{"read", [&] { ReadBytes(path); }}, {"parse", [&] { ParseWithXmlLibrary(path); }}}, rows);
}

void LoadTable(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Load(state, Files().Table(rows), rows);
}
BENCHMARK(LoadTable)->Arg(1000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

void LoadLongTexts(benchmark::State& state) {
    Load(state, Files().LongTexts(), 1000);
}
BENCHMARK(LoadLongTexts)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Order ------------------------------------------------------------------

// Ordering a loaded table whose file is in no order, beside sorting its keys
// with their positions.
void OrderTable(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Dataset dataset;
    dataset.Load(Files().ShuffledTable(rows));
    const std::size_t section = dataset.FieldByName(kSectionField);
    std::vector<std::pair<double, std::uint32_t>> keys;
    for (std::size_t row = 0; row < dataset.RowCount(); ++row) {
        keys.emplace_back(std::get<double>(dataset.At(row, section)),
                          static_cast<std::uint32_t>(row));
    }
    std::vector<std::pair<double, std::uint32_t>> sorted;
    Compare(
        state,
        [&] {
            dataset.SetOrder("");
            dataset.SetOrder(kSectionField);
        },
        {{"sort",
          [&] {
              sorted = keys;
              std::sort(sorted.begin(), sorted.end());
          }}},
        rows);
}
BENCHMARK(OrderTable)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Write-back -------------------------------------------------------------

void WriteTable(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    Dataset dataset;
    dataset.Load(Files().Table(rows));
    const fs::path target = Files().Root() / "written.xml";
    const fs::path same = Files().Root() / "same-bytes.xml";
    dataset.Write(target);
    const std::string bytes = FileText(target);
    Compare(
        state, [&] { dataset.Write(target); },
        {{"atomic_write", [&] { WriteAtomically(same, bytes); }}}, rows);
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(WriteTable)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- A post on the breaker database ----------------------------------------

// A new row posted as the breaker window posts it, through to the file,
// beside writing the database's bytes once. The row is taken out again
// outside the timing.
void PostBreaker(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const fs::path original = Files().Breakers(rows);
    const fs::path path = Files().Root() / "Avtomat.xml";
    fs::copy_file(original, path, fs::copy_options::overwrite_existing);
    const std::string bytes = FileText(path);
    const fs::path same = Files().Root() / "same-breakers.xml";
    Dataset breakers;
    breakers.OpenFile(path);
    breakers.SetOrder(kMaxCurrentField);
    const Row posted = {std::string("ВА57-35"), 16.0, 250.0625, std::int64_t{3}, 10.0};
    const PostRules rules{true, true};
    std::vector<double> mine;
    std::vector<double> floor;
    for (auto _ : state) {
        floor.push_back(Seconds([&] { WriteAtomically(same, bytes); }));
        std::size_t at = 0;
        const double seconds = Seconds([&] {
            if (breakers.PostError(posted, std::nullopt, rules)) {
                state.SkipWithError("refused");
            }
            at = breakers.InsertRow(posted);
            if (breakers.Modified()) {
                breakers.Write(breakers.BoundFile());  // a dataset that does not write through
            }
        });
        mine.push_back(seconds);
        state.SetIterationTime(seconds);
        breakers.DeleteRow(at);
        if (breakers.Modified()) {
            breakers.Write(breakers.BoundFile());
        }
    }
    state.counters["atomic_write_ms"] = Median(floor) * 1e3;
    state.counters["x_atomic_write"] = Median(mine) / Median(floor);
}
BENCHMARK(PostBreaker)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Catalogue --------------------------------------------------------------

// The file names of a directory, read with plain system calls.
std::vector<fs::path> FilesOf(const fs::path& directory) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        files.push_back(entry.path());
    }
    return files;
}

// The bytes a reader of the field definitions needs: a file's first page,
// which holds them.
void ReadHeader(const fs::path& path) {
    char page[4096];
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::read(fd, page, sizeof page) <= 0) {
        throw std::runtime_error("cannot read " + path.string());
    }
    ::close(fd);
    benchmark::DoNotOptimize(page[0]);
}

// The catalogue refresh a change of the voltage option runs, beside reading
// every byte of the same files and beside reading only their headers.
void RefreshCatalogue(benchmark::State& state) {
    const fs::path& directory = Files().Directory(static_cast<int>(state.range(0)));
    const std::vector<fs::path> files = FilesOf(directory);
    Compare(state,
            [&] {
                const CatalogueScan scan = ScanCatalogue(directory, 1, NumberFormat{','});
                benchmark::DoNotOptimize(scan.tables.size());
            },
            {{"read",
              [&] {
                  for (const fs::path& file : files) {
                      ReadBytes(file);
                  }
              }},
             {"read_headers", [&] {
                  for (const fs::path& file : files) {
                      ReadHeader(file);
                  }
              }}});
}
BENCHMARK(RefreshCatalogue)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The names of a folder's files with plain system calls, in no order.
std::vector<std::string> ReadNames(const fs::path& directory) {
    std::vector<std::string> names;
    DIR* folder = ::opendir(directory.c_str());
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (name.ends_with(".xml")) {
            names.emplace_back(name);
        }
    }
    ::closedir(folder);
    return names;
}

// The names' sort keys made beforehand, in one block as the program keeps
// them, and views of them to sort.
struct SortKeys {
    explicit SortKeys(const std::vector<std::string>& names) {
        std::vector<std::size_t> ends;
        for (const std::string& name : names) {
            keys += NaturalSortKey(std::string_view(name).substr(0, name.size() - 4));
            ends.push_back(keys.size());
        }
        std::size_t begin = 0;
        for (const std::size_t end : ends) {
            views.emplace_back(keys.data() + begin, end - begin);
            begin = end;
        }
    }
    void Sort() {
        sorted = views;
        std::sort(sorted.begin(), sorted.end());
        benchmark::DoNotOptimize(sorted.data());
    }
    std::string keys;
    std::vector<std::string_view> views;
    std::vector<std::string_view> sorted;
};

// Putting the names of a folder of tables in the order the lists show
// them, beside sorting the same names' sort keys made beforehand.
void OrderTableNames(benchmark::State& state) {
    const std::vector<std::string> names =
        ReadNames(Files().Directory(static_cast<int>(state.range(0))));
    SortKeys keys(names);
    std::vector<double> mine;
    std::vector<double> floor;
    for (auto _ : state) {
        std::vector<std::string> ordered = names;
        const double seconds = Seconds([&] { SortTableFileNames(ordered); });
        mine.push_back(seconds);
        state.SetIterationTime(seconds);
        floor.push_back(Seconds([&] { keys.Sort(); }));
    }
    state.counters["sort_keys_ms"] = Median(floor) * 1e3;
    state.counters["x_sort_keys"] = Median(mine) / Median(floor);
}
BENCHMARK(OrderTableNames)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The whole listing, the folder read by the system included, beside reading
// the same folder's names and sorting their keys made beforehand.
void ListTableNames(benchmark::State& state) {
    const fs::path& directory = Files().Directory(static_cast<int>(state.range(0)));
    SortKeys keys(ReadNames(directory));
    Compare(state,
            [&] {
                const std::vector<std::string> names = ListCurrentTableFiles(directory);
                benchmark::DoNotOptimize(names.data());
            },
            {{"read_names", [&] { benchmark::DoNotOptimize(ReadNames(directory).data()); }},
             {"sort_keys", [&] { keys.Sort(); }},
             {"read_names_sort_keys", [&] {
                  benchmark::DoNotOptimize(ReadNames(directory).data());
                  keys.Sort();
              }}});
}
BENCHMARK(ListTableNames)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- Memory -----------------------------------------------------------------

// Bytes a loaded table keeps (counted by the C library) and the most the load
// held at once (counted here), each per byte of the file.
void TableMemory(benchmark::State& state, const fs::path& path) {
    const auto fileBytes = static_cast<double>(fs::file_size(path));
    double kept = 0;
    double peak = 0;
    for (auto _ : state) {
        auto dataset = std::make_unique<Dataset>();
        dataset->SetOrder("");
        const std::size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
        const std::size_t liveBefore = liveBytes;
        peakBytes = liveBytes;
        LoadInOrder(*dataset, path, kSectionField);
        kept = static_cast<double>(mallinfo2().uordblks + mallinfo2().hblkhd - before);
        peak = static_cast<double>(peakBytes - liveBefore);
        state.counters["rows"] = static_cast<double>(dataset->RowCount());
        state.counters["bytes_per_row"] = kept / static_cast<double>(dataset->RowCount());
        dataset.reset();
    }
    state.counters["file_MB"] = fileBytes / 1e6;
    state.counters["x_file_kept"] = kept / fileBytes;
    state.counters["x_file_peak"] = peak / fileBytes;
}

void MemoryPerRow(benchmark::State& state) {
    TableMemory(state, Files().Table(static_cast<int>(state.range(0))));
}
BENCHMARK(MemoryPerRow)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);

void MemoryLongTexts(benchmark::State& state) {
    TableMemory(state, Files().LongTexts());
}
BENCHMARK(MemoryLongTexts)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kalvenor
