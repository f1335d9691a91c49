// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include "support/environment.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quorvel::test {

// True where read-only files can be written anyway: for the superuser on Linux, and under
// Wine run by the superuser, whose read-only attribute is the Linux mode.
inline bool writesIgnorePermissions() {
#ifdef _WIN32
    static const bool ignored = [] {
        wchar_t folder[MAX_PATH + 1] = {};
        wchar_t probe[MAX_PATH + 1] = {};
        if (GetTempPathW(MAX_PATH, folder) == 0 ||
            GetTempFileNameW(folder, L"qro", 0, probe) == 0) {
            return false;
        }
        SetFileAttributesW(probe, FILE_ATTRIBUTE_READONLY);
        const HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        const bool opened = file != INVALID_HANDLE_VALUE;
        if (opened) {
            CloseHandle(file);
        }
        SetFileAttributesW(probe, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(probe);
        return opened;
    }();
    return ignored;
#else
    return ::geteuid() == 0;
#endif
}

// Runs check as a user whom file modes bind, and whether it returned true. Run as the
// superuser on Linux, the check runs in a child process that has become "nobody"; otherwise
// (and on Windows) in this process.
inline bool asUnprivilegedUser(const std::function<bool()>& check) {
#ifndef _WIN32
    if (::geteuid() == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            constexpr uid_t kNobody = 65534;
            ::_exit(::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 && check() ? 0 : 1);
        }
        int status = 0;
        return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }
#endif
    return check();
}

// Creates a FIFO, which the code under test must pass over. Windows has no FIFOs in folders:
// there nothing is made, and a test expecting the FIFO to be left out holds all the same.
inline ::testing::AssertionResult makeFifo([[maybe_unused]] const std::string& path) {
#ifndef _WIN32
    if (::mkfifo(path.c_str(), 0600) != 0) {
        return ::testing::AssertionFailure() << "cannot make the FIFO " << path;
    }
#endif
    return ::testing::AssertionSuccess();
}

// Holds a file the way another program does while it edits it: on Linux a write lock of an
// open file description of its own, on Windows a handle that shares nothing.
class HeldByAnotherProgram {
  public:
    explicit HeldByAnotherProgram(const std::string& path) {
#ifdef _WIN32
        m_handle = CreateFileW(wideText(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        m_held = m_handle != INVALID_HANDLE_VALUE;
#else
        m_descriptor = ::open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        m_held = m_descriptor >= 0 && ::fcntl(m_descriptor, F_OFD_SETLK, &lock) == 0;
#endif
    }
    ~HeldByAnotherProgram() {
#ifdef _WIN32
        if (m_handle != INVALID_HANDLE_VALUE) {
            CloseHandle(m_handle);
        }
#else
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
#endif
    }
    HeldByAnotherProgram(const HeldByAnotherProgram&) = delete;
    HeldByAnotherProgram& operator=(const HeldByAnotherProgram&) = delete;

    bool held() const {
        return m_held;
    }

  private:
#ifdef _WIN32
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#else
    int m_descriptor = -1;
#endif
    bool m_held = false;
};

}  // namespace quorvel::test
