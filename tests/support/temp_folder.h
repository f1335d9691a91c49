// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "support/utf8_path.h"

namespace quorvel::test {

// A fresh folder under the system's temporary folder, removed with everything in it. Its
// paths are UTF-8.
class TempFolder {
  public:
    TempFolder() {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
            const std::filesystem::path candidate =
                std::filesystem::temp_directory_path() / ("quorvel-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                m_path = utf8String(candidate);
            }
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(utf8Path(m_path), ignored);
    }

    const std::string& path() const { return m_path; }

    // The full path of a relative path inside the folder.
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

    // Creates the folder (and its parents) and returns its full path.
    std::string makeFolder(const std::string& relative) const {
        std::filesystem::create_directories(utf8Path(*this / relative));
        return *this / relative;
    }

    std::string makeFile(const std::string& relative) const {
        std::ofstream(utf8Path(*this / relative)) << "x";
        return *this / relative;
    }

    std::string makeLink(const std::string& relative, const std::string& target) const {
        std::filesystem::create_directory_symlink(utf8Path(target), utf8Path(*this / relative));
        return *this / relative;
    }

  private:
    std::string m_path;
};

}  // namespace quorvel::test
