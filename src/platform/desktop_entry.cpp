// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/desktop_entry.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;

// A .desktop file is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxDesktopFileSize = 1 << 20;

std::string environmentOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

// $XDG_DATA_HOME first, then $XDG_DATA_DIRS, each with its applications folder.
std::vector<fs::path> applicationFolders() {
    const std::string home = environmentOr("HOME", "");
    std::vector<fs::path> folders{fs::path(environmentOr("XDG_DATA_HOME", home + "/.local/share")) /
                                  "applications"};
    std::stringstream dataDirs(environmentOr("XDG_DATA_DIRS", "/usr/local/share:/usr/share"));
    for (std::string dir; std::getline(dataDirs, dir, ':');) {
        if (!dir.empty()) {
            folders.push_back(fs::path(dir) / "applications");
        }
    }
    return folders;
}

// The desktop file id of a file below an applications folder: its relative path with "-"
// for each "/".
std::string desktopIdOf(const fs::path& file, const fs::path& folder) {
    std::string id = file.lexically_relative(folder).generic_string();
    for (char& c : id) {
        if (c == '/') {
            c = '-';
        }
    }
    return id;
}

std::optional<std::string> findInFolder(const fs::path& folder, std::string_view desktopId) {
    std::error_code error;
    const fs::path direct = folder / desktopId;
    if (fs::is_regular_file(direct, error)) {
        return direct.string();
    }
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                        error);
    for (; !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && desktopIdOf(it->path(), folder) == desktopId) {
            return it->path().string();
        }
    }
    return std::nullopt;
}

// Resolves the general escapes of a value; any other backslash pair is kept for the Exec
// quoting rules.
std::string unescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.push_back(value[i]);
            continue;
        }
        switch (value[++i]) {
            case 's':
                out.push_back(' ');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case '\\':
                out.push_back('\\');
                break;
            default:
                out.push_back('\\');
                out.push_back(value[i]);
        }
    }
    return out;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Splits an Exec value at unquoted blanks; inside double quotes a backslash escapes
// '"', '`', '$' and '\'.
std::optional<std::vector<std::string>> splitExec(std::string_view exec) {
    std::vector<std::string> tokens;
    std::string current;
    bool inToken = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == ' ' || c == '\t') {
            if (inToken) {
                tokens.push_back(std::move(current));
                current.clear();
            }
            inToken = false;
            continue;
        }
        inToken = true;
        if (c != '"') {
            current.push_back(c);
            continue;
        }
        for (++i;; ++i) {
            if (i >= exec.size()) {
                return std::nullopt;
            }
            if (exec[i] == '"') {
                break;
            }
            if (exec[i] == '\\') {
                if (++i >= exec.size()) {
                    return std::nullopt;
                }
            }
            current.push_back(exec[i]);
        }
    }
    if (inToken) {
        tokens.push_back(std::move(current));
    }
    return tokens;
}

}  // namespace

std::optional<std::string> findDesktopFile(std::string_view desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string_view::npos) {
        return std::nullopt;
    }
    for (const fs::path& folder : applicationFolders()) {
        if (auto found = findInFolder(folder, desktopId)) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<DesktopEntry> readDesktopEntry(const std::string& file) {
    std::error_code error;
    const auto size = fs::file_size(file, error);
    if (error || size > kMaxDesktopFileSize) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    DesktopEntry entry;
    entry.location = file;
    bool inMainGroup = false;
    for (std::string line; std::getline(in, line);) {
        const std::string_view text = trimmed(line);
        if (text.starts_with('[')) {
            inMainGroup = text == "[Desktop Entry]";
            continue;
        }
        const auto equals = text.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(text.substr(0, equals));
        const std::string value = unescapeValue(trimmed(text.substr(equals + 1)));
        if (key == "Exec") {
            entry.exec = value;
        } else if (key == "Name") {
            entry.name = value;
        } else if (key == "Icon") {
            entry.icon = value;
        }
    }
    if (entry.exec.empty()) {
        return std::nullopt;
    }
    return entry;
}

std::optional<std::vector<std::string>> execArguments(const DesktopEntry& entry,
                                                      const std::string& file) {
    const auto tokens = splitExec(entry.exec);
    if (!tokens || tokens->empty()) {
        return std::nullopt;
    }
    std::vector<std::string> arguments;
    bool fileGiven = false;
    for (const std::string& token : *tokens) {
        if (token == "%i") {
            if (!entry.icon.empty()) {
                arguments.insert(arguments.end(), {"--icon", entry.icon});
            }
            continue;
        }
        std::string expanded;
        for (std::size_t i = 0; i < token.size(); ++i) {
            if (token[i] != '%' || i + 1 == token.size()) {
                expanded.push_back(token[i]);
                continue;
            }
            switch (token[++i]) {
                case 'f':
                case 'F':
                case 'u':
                case 'U':
                    expanded += file;
                    fileGiven = true;
                    break;
                case 'c':
                    expanded += entry.name;
                    break;
                case 'k':
                    expanded += entry.location;
                    break;
                case '%':
                    expanded.push_back('%');
                    break;
                default:  // deprecated codes (%d %D %n %N %v %m) expand to nothing
                    break;
            }
        }
        if (!expanded.empty() || token.empty()) {
            arguments.push_back(std::move(expanded));
        }
    }
    if (arguments.empty()) {
        return std::nullopt;
    }
    if (!fileGiven) {
        arguments.push_back(file);
    }
    return arguments;
}

}  // namespace quorvel::platform
