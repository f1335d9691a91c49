// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell_open.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/desktop_entry.h"

extern char** environ;

namespace quorvel::platform {
namespace {

// xdg-mime is a small shell script; a query still running after this is stuck.
constexpr auto kQueryTimeout = std::chrono::seconds(10);

// Null-terminated argv view of a vector; the strings must outlive it.
std::vector<char*> argvOf(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    return argv;
}

void waitForExit(pid_t pid, int& status) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Reads a child's output until it closes it or the deadline passes. False on timeout.
bool readUntilClosed(int fd, std::string& output) {
    const auto deadline = std::chrono::steady_clock::now() + kQueryTimeout;
    char buffer[4096];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd waitFor{fd, POLLIN, 0};
        const int ready = poll(&waitFor, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return true;
        }
        output.append(buffer, static_cast<std::size_t>(got));
    }
}

// Runs a program found on PATH and returns its first output line when it exits with 0.
std::optional<std::string> queryLine(const std::vector<std::string>& arguments) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const std::vector<char*> argv = argvOf(arguments);
    const int spawnError = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawnError != 0) {
        close(out[0]);
        return std::nullopt;
    }
    std::string output;
    const bool finished = readUntilClosed(out[0], output);
    close(out[0]);
    if (!finished) {
        kill(pid, SIGKILL);
    }
    int status = 0;
    waitForExit(pid, status);
    if (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    std::string line = output.substr(0, output.find('\n'));
    if (line.empty()) {
        return std::nullopt;
    }
    return line;
}

// The full path of a program named by an Exec line: as given when it holds a slash, else the
// first executable of that name on PATH.
std::optional<std::string> resolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return access(program.c_str(), X_OK) == 0 ? std::optional(program) : std::nullopt;
    }
    const char* pathVariable = std::getenv("PATH");
    std::stringstream dirs(pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

// Starts a program detached from this process: an intermediate child starts it in a new
// session and exits at once, so nothing is left to reap. A close-on-exec pipe tells whether
// the exec succeeded. Only async-signal-safe calls run between fork and exec.
bool startDetached(const std::string& program, const std::vector<std::string>& arguments) {
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return false;
    }
    const std::vector<char*> argv = argvOf(arguments);
    const pid_t child = fork();
    if (child == 0) {
        const pid_t grandchild = fork();
        if (grandchild != 0) {
            _exit(grandchild > 0 ? 0 : 1);
        }
        setsid();
        execve(program.c_str(), argv.data(), environ);
        const int error = errno;
        [[maybe_unused]] const ssize_t written = write(report[1], &error, sizeof error);
        _exit(127);
    }
    close(report[1]);
    if (child < 0) {
        close(report[0]);
        return false;
    }
    int status = 0;
    waitForExit(child, status);
    int execError = 0;
    ssize_t got = 0;
    do {
        got = read(report[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

// The argument vector that opens the file with the default application of one type, or
// nullopt when the type has none.
std::optional<std::vector<std::string>> defaultApplicationOf(const std::string& mimeType,
                                                             const std::string& file) {
    const auto desktopId = queryLine({"xdg-mime", "query", "default", mimeType});
    if (!desktopId) {
        return std::nullopt;
    }
    const auto desktopFile = findDesktopFile(*desktopId);
    if (!desktopFile) {
        return std::nullopt;
    }
    const auto entry = readDesktopEntry(*desktopFile);
    if (!entry) {
        return std::nullopt;
    }
    return execArguments(*entry, file);
}

// The argument vector of the file's default application, or nullopt when none of its types
// has one. The type is never asked of xdg-mime: without a desktop session it would ask file(1),
// which need not be installed and calls many CSV files text/plain.
std::optional<std::vector<std::string>> defaultApplicationFor(
    const std::string& file, const std::vector<std::string>& mimeTypes) {
    for (const std::string& mimeType : mimeTypes) {
        if (auto arguments = defaultApplicationOf(mimeType, file)) {
            return arguments;
        }
    }
    return std::nullopt;
}

}  // namespace

ShellOpenResult openWithAssociatedApplication(const std::string& path,
                                              const std::vector<std::string>& mimeTypes) {
    std::error_code error;
    const std::string file = std::filesystem::absolute(path, error).string();
    const auto arguments = defaultApplicationFor(error ? path : file, mimeTypes);
    if (!arguments) {
        return {ShellOpenStatus::NoApplication, {}};
    }
    const auto program = resolveProgram(arguments->front());
    if (!program) {
        return {ShellOpenStatus::StartFailed, arguments->front()};
    }
    const bool started = startDetached(*program, *arguments);
    return {started ? ShellOpenStatus::Started : ShellOpenStatus::StartFailed, *program};
}

}  // namespace quorvel::platform
