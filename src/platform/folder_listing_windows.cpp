// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_listing.h"

#include <functional>
#include <memory>
#include <string_view>

#include "platform/folder_listing_system.h"
#include "platform/windows_api.h"

namespace quorvel::platform {
namespace {

struct FindCloser {
    void operator()(HANDLE find) const { ::FindClose(find); }
};

bool isDots(const wchar_t* name) {
    return std::wstring_view(name) == L"." || std::wstring_view(name) == L"..";
}

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

// Puts a folder's access time back as it was once its entries have been read, where the
// listing changed it (file systems that record reads of folders, Wine's among them), so that
// walking and showing the folder tree do not overwrite the times the user looks at or has
// just set. Without the right to set the folder's times, the listing goes on regardless.
class AccessTimeKeeper {
  public:
    explicit AccessTimeKeeper(const std::string& folder)
        : m_folder(openForAttributes(folder, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES)) {
        m_known = m_folder.valid() && ::GetFileTime(m_folder.get(), nullptr, &m_access, nullptr);
    }
    ~AccessTimeKeeper() {
        FILETIME now{};
        if (m_known && ::GetFileTime(m_folder.get(), nullptr, &now, nullptr) &&
            ::CompareFileTime(&now, &m_access) != 0) {
            ::SetFileTime(m_folder.get(), nullptr, &m_access, nullptr);
        }
    }
    AccessTimeKeeper(const AccessTimeKeeper&) = delete;
    AccessTimeKeeper& operator=(const AccessTimeKeeper&) = delete;

  private:
    UniqueHandle m_folder;
    FILETIME m_access{};
    bool m_known = false;
};

// Calls visit for each entry of a folder but "." and ".."; a folder that cannot be read has
// none. Wildcards are matched by the callers, so the system is asked for every name.
void forEachEntry(const std::string& folder,
                  const std::function<void(const WIN32_FIND_DATAW&)>& visit) {
    const AccessTimeKeeper keeper(folder);
    WIN32_FIND_DATAW entry{};
    const HANDLE find =
        ::FindFirstFileExW(widePath(joinPath(folder, "*")).c_str(), FindExInfoBasic, &entry,
                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::unique_ptr<void, FindCloser> closer(find);
    do {
        if (!isDots(entry.cFileName)) {
            visit(entry);
        }
    } while (::FindNextFileW(find, &entry) != 0);
}

// What a path leads to, links and junctions followed; false when it leads nowhere.
bool targetInformation(const std::string& path, BY_HANDLE_FILE_INFORMATION& information) {
    const UniqueHandle target = openForAttributes(path, 0);
    return target.valid() && ::GetFileInformationByHandle(target.get(), &information) != 0;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return {information.dwVolumeSerialNumber,
            std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
}

bool isFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::optional<FileIdentity> folderIdentity(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!targetInformation(path, information) || !isFolder(information.dwFileAttributes)) {
        return std::nullopt;
    }
    return identityOf(information);
}

namespace detail {

std::vector<Subfolder> readSubfolders(const std::string& folder) {
    std::vector<Subfolder> subfolders;
    forEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        if (!isFolder(entry.dwFileAttributes)) {
            return;
        }
        const std::string name = utf8FromWide(entry.cFileName);
        const std::string path = joinPath(folder, name);
        if (const auto identity = folderIdentity(path)) {
            subfolders.push_back({name, path, *identity});
        }
    });
    return subfolders;
}

std::vector<ListedFile> readRegularFiles(const std::string& folder) {
    std::vector<ListedFile> files;
    forEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        DWORD attributes = entry.dwFileAttributes;
        const std::string name = utf8FromWide(entry.cFileName);
        const std::string path = joinPath(folder, name);
        // A link stands for its target, which must be there.
        BY_HANDLE_FILE_INFORMATION target{};
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            attributes = targetInformation(path, target) ? target.dwFileAttributes
                                                         : FILE_ATTRIBUTE_DIRECTORY;
        }
        if (isFolder(attributes) || (attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
            return;
        }
        files.push_back({name, path, (attributes & FILE_ATTRIBUTE_READONLY) != 0,
                         isDotFile(name) || (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0});
    });
    return files;
}

}  // namespace detail

bool isFileSystemRoot(const std::string& folder) {
    const std::wstring wide = widePath(folder);
    wchar_t volume[MAX_PATH + 1] = {};
    wchar_t full[MAX_PATH + 1] = {};
    if (::GetVolumePathNameW(wide.c_str(), volume, MAX_PATH) == 0 ||
        ::GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr) == 0) {
        return false;
    }
    // Both end with a separator when they name a root ("C:\").
    std::wstring fullPath = full;
    if (!fullPath.empty() && fullPath.back() != L'\\') {
        fullPath.push_back(L'\\');
    }
    return ::lstrcmpiW(fullPath.c_str(), volume) == 0;
}

// Qt hands the program paths with '/', which Windows takes as well: joining with it keeps
// one spelling of each path, so that the file list's duplicate check sees them as equal.
std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && isSeparator(folder.back())) {
        return folder + name;
    }
    return folder + '/' + name;
}

}  // namespace quorvel::platform
