#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <functional>
#include <string>

namespace kalvenor::test {

// Runs a check in a child process and returns what it found wrong, empty
// when nothing: for what must not touch the test process (a file-size limit)
// and for rights, which root does not need. With `asOrdinaryUser` the child
// drops root's rights first, so the folder and file modes a test sets apply
// whoever runs the tests.
inline std::string InChildProcess(const std::function<std::string()>& check,
                                  bool asOrdinaryUser = false) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return "no fork";
    }
    if (child == 0) {
        ::close(channel[0]);
        std::string found;
        constexpr gid_t kNobody = 65534;
        if (asOrdinaryUser && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            found = "the child could not give up root's rights";
        } else {
            try {
                found = check();
            } catch (const std::exception& error) {
                found = std::string("thrown: ") + error.what();
            }
        }
        for (std::size_t done = 0; done < found.size();) {
            const ssize_t written = ::write(channel[1], found.data() + done, found.size() - done);
            if (written <= 0) {
                break;
            }
            done += static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string found;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        found.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        found += " (the child ended abnormally, status " + std::to_string(status) + ")";
    }
    return found;
}

}  // namespace kalvenor::test
