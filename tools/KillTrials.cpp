// Kill trials: a child process edits a large table, which the dataset then
// writes back whole, and is killed (SIGKILL) at a random moment of that. After each
// trial the file must be the old version or the new one, never anything
// else; a temporary file a kill leaves is counted and must be removed by the
// start-up clean-up.
//
//   kill_trials [--trials N] [--rows N] [--seed S] [--dir PATH]
//
// Exits with 1 when a file was broken or a temporary file survived the
// clean-up; prints the seed, so that a run can be repeated.

#include "base/Files.h"
#include "tables/DataPacket.h"
#include "tables/Dataset.h"
#include "tables/TableFiles.h"
#include "tools/TrialOptions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kalvenor::Dataset;
using kalvenor::Row;
using Clock = std::chrono::steady_clock;

constexpr auto kPoll = std::chrono::microseconds(100);

struct Options {
    int trials = 50;
    int rows = 100'000;
    unsigned long long seed = std::random_device{}();
    fs::path directory;
};

[[noreturn]] void Usage() {
    std::fprintf(stderr, "usage: kill_trials [--trials N] [--rows N] [--seed S] [--dir PATH]\n");
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    const bool read = kalvenor::tools::ReadOptions(
        argc, argv,
        {{"--trials", [&options](const char* value) { options.trials = std::atoi(value); }},
         {"--rows", [&options](const char* value) { options.rows = std::atoi(value); }},
         {"--seed",
          [&options](const char* value) { options.seed = std::strtoull(value, nullptr, 10); }},
         {"--dir", [&options](const char* value) { options.directory = value; }}});
    if (!read || options.trials < 1 || options.rows < 1) {
        Usage();
    }
    return options;
}

Row TableRow(double section, double current) {
    Row row(7);
    row[0] = section;
    row[1] = current;
    return row;
}

// What the user does to the bound table: one value changed. The dataset
// writes the whole file for it, at once or when the table is closed.
void Edit(Dataset& table) {
    Row first = table.RowAt(0);
    first[1] = std::get<double>(first[1]) + 1;
    table.UpdateRow(0, first);
}

std::string ReadBytes(const fs::path& path) {
    try {
        return kalvenor::ReadFileBytes(path);
    } catch (const kalvenor::FileError&) {
        return {};
    }
}

ino_t Inode(const fs::path& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

std::vector<std::string> TemporaryFiles(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (kalvenor::IsTemporaryFileName(name)) {
            names.push_back(name);
        }
    }
    return names;
}

// The child: load, say so through the pipe, edit and close.
[[noreturn]] void RunChild(const fs::path& target, int ready) {
    try {
        Dataset table;
        table.OpenFile(target);
        const char byte = 'r';
        if (::write(ready, &byte, 1) != 1) {
            ::_exit(3);
        }
        Edit(table);
        table.Close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "child: %s\n", error.what());
        ::_exit(2);
    }
    ::_exit(0);
}

struct Child {
    pid_t pid = -1;
    int ready = -1;  // read end: one byte when the table is loaded and the edit begins
};

Child StartChild(const fs::path& target) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        std::perror("pipe");
        std::exit(2);
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        ::close(pipeEnds[0]);
        RunChild(target, pipeEnds[1]);
    }
    ::close(pipeEnds[1]);
    return Child{pid, pipeEnds[0]};
}

bool WaitReady(const Child& child) {
    char byte = 0;
    const bool ready = ::read(child.ready, &byte, 1) == 1;
    ::close(child.ready);
    return ready;
}

// Whether the child has ended, leaving it to be reaped.
bool Exited(const Child& child) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid != 0;
}

// True when the child ended by itself with success.
bool Reap(const Child& child) {
    int status = 0;
    while (::waitpid(child.pid, &status, 0) < 0) {
        if (errno != EINTR) {
            std::perror("waitpid");
            std::exit(2);
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "The child failed with status %d.\n", WEXITSTATUS(status));
        std::exit(2);
    }
    return WIFEXITED(status);
}

int Run(int argc, char** argv) {
    Options options = ParseOptions(argc, argv);
    const bool ownDirectory = options.directory.empty();
    if (ownDirectory) {
        options.directory =
            fs::temp_directory_path() / ("kalvenor-kill-" + std::to_string(::getpid()));
    }
    const fs::path work = options.directory / "trial";
    const fs::path references = options.directory / "references";
    fs::create_directories(work);
    fs::create_directories(references);
    const fs::path target = work / "table.xml";

    // The old version, and the new one written from it as the child will.
    {
        Dataset table;
        table.Create(kalvenor::CurrentTableFieldDefs("ВВГ", "В земле", "3", "Кабель", "Медь"),
                     kalvenor::CurrentTableIndexDefs());
        for (int r = 0; r < options.rows; ++r) {
            table.InsertRow(TableRow(1 + r * 0.5, 10 + r * 1.25));
        }
        table.Write(references / "old.xml");
        table.Bind({});
        table.Close();
        kalvenor::WriteFileAtomically(references / "new.xml", ReadBytes(references / "old.xml"));
        table.OpenFile(references / "new.xml");
        Edit(table);
        table.Close();
    }
    const std::string oldBytes = ReadBytes(references / "old.xml");
    const std::string newBytes = ReadBytes(references / "new.xml");
    if (oldBytes.empty() || newBytes.empty() || oldBytes == newBytes) {
        std::fprintf(stderr, "The reference versions could not be made.\n");
        return 2;
    }

    // How long the child's edit and close take from the moment it says so,
    // and how long its temporary file stands before it replaces the table. Before
    // that a kill can only leave the old file and after it only the new one,
    // so every other kill aims at that window.
    Clock::duration closing{};
    Clock::duration writing{};
    for (int i = 0; i < 3; ++i) {
        kalvenor::WriteFileAtomically(target, oldBytes);
        const ino_t oldInode = Inode(target);
        const Child child = StartChild(target);
        WaitReady(child);
        const Clock::time_point start = Clock::now();
        std::optional<Clock::time_point> created;
        std::optional<Clock::time_point> renamed;
        int status = 0;
        while (::waitpid(child.pid, &status, WNOHANG) == 0) {
            if (!created && !TemporaryFiles(work).empty()) {
                created = Clock::now();
            }
            if (!renamed && Inode(target) != oldInode) {
                renamed = Clock::now();
            }
            std::this_thread::sleep_for(kPoll);
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "The child failed while being timed.\n");
            return 2;
        }
        closing = std::max(closing, Clock::now() - start);
        if (created && renamed) {
            writing = std::max(writing, *renamed - *created);
        }
    }
    const auto us = [](Clock::duration d) -> long long {
        return std::chrono::duration_cast<std::chrono::microseconds>(d).count();
    };

    std::printf(
        "Kill trials: %d, table of %d rows (%zu bytes); the child's edit and close take %lld ms, "
        "its "
        "temporary file stands %lld ms; seed %llu\n",
        options.trials, options.rows, oldBytes.size(), us(closing) / 1000, us(writing) / 1000,
        options.seed);
    std::fflush(stdout);

    // Odd trials: a kill anywhere in the edit and the close and a little
    // after, so that some children finish. Even trials: a kill once the
    // temporary file is there, within its lifetime and a little after.
    std::mt19937_64 random(options.seed);
    std::uniform_int_distribution<long long> anywhere(0, us(closing) * 5 / 4);
    std::uniform_int_distribution<long long> whileWriting(0, us(writing) * 5 / 4);
    int oldFiles = 0;
    int newFiles = 0;
    int broken = 0;
    int finished = 0;
    int leftTemporaries = 0;
    int removedTemporaries = 0;
    int cleanupFailures = 0;
    for (int trial = 1; trial <= options.trials; ++trial) {
        kalvenor::WriteFileAtomically(target, oldBytes);
        const Child child = StartChild(target);
        const bool ready = WaitReady(child);
        if (ready && trial % 2 == 1) {
            std::this_thread::sleep_for(std::chrono::microseconds(anywhere(random)));
        } else if (ready) {
            while (TemporaryFiles(work).empty() && !Exited(child)) {
                std::this_thread::sleep_for(kPoll);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(whileWriting(random)));
        }
        ::kill(child.pid, SIGKILL);
        if (Reap(child)) {
            ++finished;
        }

        const std::string bytes = ReadBytes(target);
        if (bytes == oldBytes) {
            ++oldFiles;
        } else if (bytes == newBytes) {
            ++newFiles;
        } else {
            ++broken;
            std::printf("trial %d: the file is broken (%zu bytes, %s)\n", trial, bytes.size(),
                        fs::exists(target) ? "present" : "missing");
        }
        const std::vector<std::string> temporaries = TemporaryFiles(work);
        leftTemporaries += static_cast<int>(temporaries.size());
        const int removed = kalvenor::RemoveStaleTemporaryFiles(work);
        removedTemporaries += removed;
        if (removed != static_cast<int>(temporaries.size()) || !TemporaryFiles(work).empty()) {
            ++cleanupFailures;
            std::printf("trial %d: %zu temporary files left, %d removed by the clean-up\n", trial,
                        temporaries.size(), removed);
        }
    }

    std::printf(
        "old version %d, new version %d, broken %d; children that finished before the kill %d\n"
        "temporary files left by a kill %d, removed by the clean-up %d, clean-up failures %d\n",
        oldFiles, newFiles, broken, finished, leftTemporaries, removedTemporaries, cleanupFailures);
    if (ownDirectory) {
        fs::remove_all(options.directory);
    }
    return broken == 0 && cleanupFailures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kill_trials: %s\n", error.what());
        return 2;
    }
}
