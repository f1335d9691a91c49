// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/environment.h"
#include "support/utf8_path.h"

namespace quorvel::test {

// Tests of the XDG file associations (desktop files, mimeapps.list, shell scripts as
// applications) begin with this: Windows has none of them.
#ifdef _WIN32
#define QUORVEL_SKIP_WITHOUT_XDG() \
    GTEST_SKIP() << "XDG file associations and shell-script applications are Linux-only"
#else
#define QUORVEL_SKIP_WITHOUT_XDG() static_cast<void>(0)
#endif

// A scratch folder with its own XDG data and configuration folders, so that the desktop's
// real file associations play no part. It keeps the system's shared MIME database, which the
// program reads file types from, and nothing else of the system's data folders: neither their
// applications nor a user's own (often partial) MIME folder.
class XdgSandbox : public ::testing::Test {
  protected:
    // On Windows only the scratch folder is made: there is no XDG to isolate.
    void SetUp() override {
        m_root = std::filesystem::temp_directory_path() /
                 ("quorvel-xdg-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_root);
        for (const char* folder : {"data/applications", "config", "empty"}) {
            std::filesystem::create_directories(m_root / folder);
        }
#ifndef _WIN32
        ASSERT_FALSE(systemMimeDatabases().empty())
            << "the shared MIME database (shared-mime-info) is missing";
        setEnvironment("XDG_DATA_HOME", utf8String(m_root / "data"));
        setEnvironment("XDG_DATA_DIRS", linkMimeDatabases());
        setEnvironment("XDG_CONFIG_HOME", utf8String(m_root / "config"));
        setEnvironment("XDG_CONFIG_DIRS", utf8String(m_root / "empty"));
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID"}) {
            unsetEnvironment(name);
        }
#endif
    }
    void TearDown() override {
        std::filesystem::remove_all(m_root);
    }

    // The MIME folders that hold a compiled database (mime.cache) among the system's data
    // folders, as they were before any sandbox changed them.
    static const std::vector<std::filesystem::path>& systemMimeDatabases() {
        static const std::vector<std::filesystem::path> databases = [] {
            const char* dataDirs = std::getenv("XDG_DATA_DIRS");
            std::stringstream dirs(dataDirs != nullptr && *dataDirs != '\0'
                                       ? dataDirs
                                       : "/usr/local/share:/usr/share");
            std::vector<std::filesystem::path> found;
            for (std::string dir; std::getline(dirs, dir, ':');) {
                const std::filesystem::path mime = std::filesystem::path(dir) / "mime";
                if (!dir.empty() && std::filesystem::exists(mime / "mime.cache")) {
                    found.push_back(mime);
                }
            }
            return found;
        }();
        return databases;
    }

    // Data folders of the sandbox that hold nothing but links to the system's MIME
    // databases, in the system's order; returns them as a value of XDG_DATA_DIRS.
    std::string linkMimeDatabases() const {
        std::string dataDirs;
        int index = 0;
        for (const std::filesystem::path& database : systemMimeDatabases()) {
            const std::filesystem::path dataDir = m_root / ("system-" + std::to_string(index++));
            std::filesystem::create_directories(dataDir);
            std::filesystem::create_directory_symlink(database, dataDir / "mime");
            // Appended piece by piece: GCC 12 -O3 warns falsely on "" + string.
            if (!dataDirs.empty()) {
                dataDirs += ':';
            }
            dataDirs += dataDir.string();
        }
        return dataDirs;
    }

    static void write(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

    // Makes plain-text files (CSV files among them) open with the given Exec line.
    void associateText(const std::string& exec) {
        write(m_root / "config/mimeapps.list",
              "[Default Applications]\ntext/plain=qtest.desktop\n");
        write(m_root / "data/applications/qtest.desktop",
              "[Desktop Entry]\nType=Application\nName=Q\nExec=" + exec + "\n");
    }

    // An executable script that records its arguments ("count|first") in `received`.
    std::filesystem::path recordingApplication(const std::filesystem::path& received) {
        const std::filesystem::path script = m_root / "app.sh";
        write(script, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + received.string() +
                          ".tmp'\nmv '" + received.string() + ".tmp' '" + received.string() +
                          "'\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        return script;
    }

    // What the recording application wrote, once it has run (empty after five seconds).
    static std::string awaitContents(const std::filesystem::path& received) {
        for (int i = 0; i < 500 && !std::filesystem::exists(received); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(received, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // An executable whose interpreter is missing: it is found, but cannot be started.
    std::filesystem::path unstartableApplication() {
        const std::filesystem::path script = m_root / "broken.sh";
        write(script, "#!/quorvel/no/such/shell\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        return script;
    }

    std::filesystem::path m_root;
};

}  // namespace quorvel::test
