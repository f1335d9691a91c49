// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/folder_listing_system.h"

namespace quorvel::platform {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

using FolderStream = std::unique_ptr<DIR, DirCloser>;

// Opens a folder for reading its entries without touching its access time where the
// system allows it (the owner, or an administrator), so that walking and showing the
// folder tree do not overwrite the access times the user looks at or has just set.
FolderStream openForListing(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOATIME);
    if (fd < 0 && errno == EPERM) {
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (fd < 0) {
        return nullptr;
    }
    FolderStream dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
    }
    return dir;
}

FileIdentity identityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool isDots(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Regular files and the like are known from the entry alone; anything that may be a
// folder (a folder, a link, an unknown type) is looked at through its target.
bool mayBeFolder(unsigned char type) {
    return type == DT_DIR || type == DT_LNK || type == DT_UNKNOWN;
}

}  // namespace

std::optional<FileIdentity> folderIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return identityOf(info);
}

namespace detail {

std::vector<Subfolder> readSubfolders(const std::string& folder) {
    std::vector<Subfolder> subfolders;
    const FolderStream dir = openForListing(folder);
    if (!dir) {
        return subfolders;
    }
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        if (isDots(entry->d_name) || !mayBeFolder(entry->d_type)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISDIR(info.st_mode)) {
            continue;
        }
        subfolders.push_back({entry->d_name, joinPath(folder, entry->d_name), identityOf(info)});
    }
    return subfolders;
}

std::vector<ListedFile> readRegularFiles(const std::string& folder) {
    std::vector<ListedFile> files;
    const FolderStream dir = openForListing(folder);
    if (!dir) {
        return files;
    }
    const int dirFd = ::dirfd(dir.get());
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_type == DT_DIR || isDots(entry->d_name)) {
            continue;
        }
        struct stat info {};
        if (::fstatat(dirFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        files.push_back({entry->d_name, joinPath(folder, entry->d_name),
                         (info.st_mode & S_IWUSR) == 0, isDotFile(entry->d_name)});
    }
    return files;
}

}  // namespace detail

bool isFileSystemRoot(const std::string& folder) {
    const auto identity = folderIdentity(folder);
    return identity && identity == folderIdentity("/");
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/') {
        return folder + name;
    }
    return folder + '/' + name;
}

}  // namespace quorvel::platform
