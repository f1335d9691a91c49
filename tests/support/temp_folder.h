#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace quorvel::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }

    const std::string& path() const { return m_path; }

    // The full path of a relative path inside the folder.
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

    // Creates the folder (and its parents) and returns its full path.
    std::string makeFolder(const std::string& relative) const {
        std::filesystem::create_directories(*this / relative);
        return *this / relative;
    }

    std::string makeFile(const std::string& relative) const {
        std::ofstream(*this / relative) << "x";
        return *this / relative;
    }

    std::string makeLink(const std::string& relative, const std::string& target) const {
        std::filesystem::create_directory_symlink(target, *this / relative);
        return *this / relative;
    }

  private:
    std::string m_path;
};

}  // namespace quorvel::test
