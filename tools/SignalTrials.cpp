// Signal trials: the real program, started offscreen in a folder of its own,
// meets what the desktop sends it at awkward moments, and the outcome of
// each run is counted.
//
//   signal_trials --program PATH [--scenario NAME] [--trials N] [--seed S] [--dir PATH]
//
// Scenarios (all by default):
//   startup-box   a damaged "Avtomat.xml" makes start-up show a box; SIGTERM,
//                 SIGHUP or SIGINT comes at a random moment of the first
//                 600 ms. Sound: exit status 0 within 10 s.
//   hangup-twice  the terminal closes: a SIGHUP from the kernel, and a few
//                 milliseconds later the one the shell resends. Sound: exit
//                 status 0.
//   interrupt-twice  Ctrl+C pressed twice, a few milliseconds apart: the
//                 second insists, but the tables come first. Sound: exit
//                 status 0.
//   second-copy   a second copy starts on the folder while the first has a
//                 table's temporary file open. Sound: the file is still there.
//
// Exits with 1 when any run was not sound; prints the seed, so that a run
// can be repeated.

#include "tools/TrialOptions.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Options {
    fs::path program;
    std::string scenario = "all";
    int trials = 20;
    unsigned long long seed = std::random_device{}();
    fs::path directory;
};

[[noreturn]] void Usage() {
    std::fprintf(stderr,
                 "usage: signal_trials --program PATH [--scenario startup-box|hangup-twice|"
                 "interrupt-twice|second-copy|all] [--trials N] [--seed S] [--dir PATH]\n");
    std::exit(2);
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    const bool read = kalvenor::tools::ReadOptions(
        argc, argv,
        {{"--program", [&options](const char* value) { options.program = value; }},
         {"--scenario", [&options](const char* value) { options.scenario = value; }},
         {"--trials", [&options](const char* value) { options.trials = std::atoi(value); }},
         {"--seed",
          [&options](const char* value) { options.seed = std::strtoull(value, nullptr, 10); }},
         {"--dir", [&options](const char* value) { options.directory = value; }}});
    if (!read || options.program.empty() || options.trials < 1) {
        Usage();
    }
    return options;
}

// The program, copied into the folder it then keeps its tables in.
class Folder {
public:
    Folder(fs::path path, const fs::path& program) : path_(std::move(path)) {
        fs::create_directories(path_);
        fs::copy_file(program, Program(), fs::copy_options::overwrite_existing);
    }
    fs::path Program() const { return path_ / "kalvenor"; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    // Everything but the program goes before a run.
    void Clear() const {
        for (const auto& entry : fs::directory_iterator(path_)) {
            if (entry.path() != Program()) {
                fs::remove_all(entry.path());
            }
        }
    }

private:
    fs::path path_;
};

pid_t Start(const Folder& folder) {
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // Whatever the program says goes to a log beside it, for a look
        // after a failed run.
        const int log = ::open((folder / "run.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) {
            ::dup2(log, STDOUT_FILENO);
            ::dup2(log, STDERR_FILENO);
        }
        const std::string program = folder.Program().string();
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// How a run ended: "exit 0", "exit 3", "killed by signal 11", "hung".
std::string Wait(pid_t pid, milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return "hung";
        }
        std::this_thread::sleep_for(milliseconds(5));
    }
    if (WIFSIGNALED(status)) {
        return "killed by signal " + std::to_string(WTERMSIG(status));
    }
    return "exit " + std::to_string(WEXITSTATUS(status));
}

bool WaitFor(const fs::path& path, milliseconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    while (!fs::exists(path)) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    return true;
}

using Outcomes = std::map<std::string, int>;

void Print(const std::string& scenario, const Outcomes& outcomes, const std::string& sound) {
    std::printf("%s:", scenario.c_str());
    for (const auto& [outcome, count] : outcomes) {
        std::printf(" %s %d;", outcome.c_str(), count);
    }
    std::printf(" (sound: %s)\n", sound.c_str());
    std::fflush(stdout);
}

int Unsound(const Outcomes& outcomes, const std::string& sound) {
    int unsound = 0;
    for (const auto& [outcome, count] : outcomes) {
        unsound += outcome == sound ? 0 : count;
    }
    return unsound;
}

int StartupBox(const Folder& folder, int trials, std::mt19937_64& random) {
    static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
    std::uniform_int_distribution<int> delay(0, 600);
    std::uniform_int_distribution<int> which(0, 2);
    Outcomes outcomes;
    for (int trial = 0; trial < trials; ++trial) {
        folder.Clear();
        std::ofstream(folder / "Avtomat.xml") << "not a table";
        const pid_t pid = Start(folder);
        std::this_thread::sleep_for(milliseconds(delay(random)));
        ::kill(pid, kSignals[which(random)]);
        ++outcomes[Wait(pid, milliseconds(10'000))];
    }
    Print("startup-box", outcomes, "exit 0");
    return Unsound(outcomes, "exit 0");
}

// Two signals of a kind a few milliseconds apart, at a random moment of a
// running program.
int Twice(const Folder& folder, int trials, std::mt19937_64& random, int signal,
          const std::string& scenario) {
    std::uniform_int_distribution<int> delay(0, 400);
    // Two signals sent at once are one: the second must find the first handled.
    std::uniform_int_distribution<int> gap(1, 20);
    Outcomes outcomes;
    for (int trial = 0; trial < trials; ++trial) {
        folder.Clear();
        const pid_t pid = Start(folder);
        // Running: the databases are made once every window is there.
        WaitFor(folder / "tranform.xml", milliseconds(10'000));
        std::this_thread::sleep_for(milliseconds(delay(random)));
        ::kill(pid, signal);
        std::this_thread::sleep_for(milliseconds(gap(random)));
        ::kill(pid, signal);
        ++outcomes[Wait(pid, milliseconds(10'000))];
    }
    Print(scenario, outcomes, "exit 0");
    return Unsound(outcomes, "exit 0");
}

int SecondCopy(const Folder& folder, int trials) {
    Outcomes outcomes;
    const std::string temporary = ".kalvenor-tmp-00";
    for (int trial = 0; trial < trials; ++trial) {
        folder.Clear();
        const pid_t first = Start(folder);
        WaitFor(folder / "tranform.xml", milliseconds(10'000));
        // What the first copy's write of a table holds open at this moment.
        std::ofstream(folder / temporary) << "half a table";
        const pid_t second = Start(folder);
        // The second copy's start-up is over once it has read the databases.
        std::this_thread::sleep_for(milliseconds(1500));
        ++outcomes[fs::exists(folder / temporary) ? "kept" : "removed under the first copy"];
        ::kill(second, SIGTERM);
        ::kill(first, SIGTERM);
        Wait(second, milliseconds(10'000));
        Wait(first, milliseconds(10'000));
    }
    Print("second-copy", outcomes, "kept");
    return Unsound(outcomes, "kept");
}

int Run(int argc, char** argv) {
    Options options = ParseOptions(argc, argv);
    const bool ownDirectory = options.directory.empty();
    if (ownDirectory) {
        options.directory =
            fs::temp_directory_path() / ("kalvenor-signals-" + std::to_string(::getpid()));
    }
    const Folder folder(options.directory, options.program);
    std::mt19937_64 random(options.seed);
    std::printf("Signal trials: %d runs a scenario; seed %llu\n", options.trials, options.seed);
    std::fflush(stdout);
    const bool all = options.scenario == "all";
    int unsound = 0;
    bool known = all;
    if (all || options.scenario == "startup-box") {
        unsound += StartupBox(folder, options.trials, random);
        known = true;
    }
    if (all || options.scenario == "hangup-twice") {
        unsound += Twice(folder, options.trials, random, SIGHUP, "hangup-twice");
        known = true;
    }
    if (all || options.scenario == "interrupt-twice") {
        unsound += Twice(folder, options.trials, random, SIGINT, "interrupt-twice");
        known = true;
    }
    if (all || options.scenario == "second-copy") {
        unsound += SecondCopy(folder, options.trials);
        known = true;
    }
    if (!known) {
        Usage();
    }
    if (ownDirectory && unsound == 0) {
        fs::remove_all(options.directory);
    } else if (unsound > 0) {
        std::printf("The program's output: %s\n", (folder / "run.log").c_str());
    }
    return unsound == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "signal_trials: %s\n", error.what());
        return 2;
    }
}
