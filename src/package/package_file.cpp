#include "package/package_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace quorvel::package {
namespace {

// The temporary file: appended to with write(2), made durable with fsync.
class FileSink final : public PackageSink {
  public:
    explicit FileSink(int fd) : m_fd(fd) {}
    bool append(std::span<const std::byte> data) override {
        while (!data.empty()) {
            const ssize_t n = ::write(m_fd, data.data(), data.size());
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            data = data.subspan(static_cast<std::size_t>(n));
        }
        return true;
    }
    bool sync() override { return ::fsync(m_fd) == 0; }

  private:
    int m_fd;
};

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

// The original's owner first (a change of owner clears set-id bits), then its mode, then its
// extended attributes, which include an access-control list.
bool keepIdentity(int fd, const std::string& original, const struct stat& status) {
    struct stat created {};
    if (::fstat(fd, &created) != 0) {
        return false;
    }
    const bool sameOwner = created.st_uid == status.st_uid && created.st_gid == status.st_gid;
    if ((!sameOwner && ::fchown(fd, status.st_uid, status.st_gid) != 0) ||
        ::fchmod(fd, status.st_mode & 07777) != 0) {
        return false;
    }
    const ssize_t listSize = ::listxattr(original.c_str(), nullptr, 0);
    std::vector<char> names(listSize > 0 ? static_cast<std::size_t>(listSize) : 0);
    if (names.empty() || ::listxattr(original.c_str(), names.data(), names.size()) < 0) {
        return true;
    }
    for (std::size_t at = 0; at < names.size(); at += std::strlen(names.data() + at) + 1) {
        const char* name = names.data() + at;
        const ssize_t size = ::getxattr(original.c_str(), name, nullptr, 0);
        std::vector<char> value(size > 0 ? static_cast<std::size_t>(size) : 0);
        if (size >= 0 && ::getxattr(original.c_str(), name, value.data(), value.size()) == size) {
            // Attributes the file system or our rights refuse (trusted.*, some security.*)
            // are left behind: the document itself is what must survive.
            ::fsetxattr(fd, name, value.data(), value.size(), 0);
        }
    }
    return true;
}

bool syncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

constexpr std::string_view kTemporaryInfix = ".quorvel-";
// mkostemp's six random characters.
constexpr std::size_t kRandomLength = 6;

std::string temporaryPattern(const std::string& name) {
    return "." + name + std::string(kTemporaryInfix) + std::string(kRandomLength, 'X');
}

bool isRandomCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Whether entry is a temporary file of the document called name: ".NAME.quorvel-" and the
// six characters mkostemp chose.
bool isTemporaryOf(std::string_view entry, const std::string& name) {
    const std::size_t prefixLength = 1 + name.size() + kTemporaryInfix.size();
    if (entry.size() != prefixLength + kRandomLength || !entry.starts_with('.') ||
        entry.substr(1, name.size()) != name ||
        entry.substr(1 + name.size(), kTemporaryInfix.size()) != kTemporaryInfix) {
        return false;
    }
    const std::string_view random = entry.substr(prefixLength);
    return std::all_of(random.begin(), random.end(), isRandomCharacter);
}

// Removes the temporary files an earlier write of the document left when it died before its
// rename. Only the caller, holding the document's lock, can be writing one now, and it has
// not made its own yet. Links, folders and other names stay.
void removeLeftoverTemporaries(const std::string& folder, const std::string& name) {
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) {
        return;
    }
    const int folderFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        struct stat status {};
        if (isTemporaryOf(entry->d_name, name) &&
            ::fstatat(folderFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode)) {
            ::unlinkat(folderFd, entry->d_name, 0);
        }
    }
    ::closedir(listing);
}

bool writeTemporary(int fd, const std::string& original, const struct stat& status,
                    const ContentWriter& write, const SinkWrapper& wrap) {
    if (!keepIdentity(fd, original, status)) {
        return false;
    }
    FileSink file(fd);
    if (!wrap) {
        return write(file);
    }
    const std::unique_ptr<PackageSink> wrapped = wrap(file);
    return write(*wrapped);
}

}  // namespace

ReplaceStatus replaceFile(const std::string& path, const ContentWriter& write,
                          const SinkWrapper& wrap) {
    char resolved[PATH_MAX];
    struct stat status {};
    if (::realpath(path.c_str(), resolved) == nullptr || ::stat(resolved, &status) != 0) {
        return ReplaceStatus::Failed;
    }
    // A rename would part the other links from the new content.
    if (status.st_nlink > 1) {
        return ReplaceStatus::Refused;
    }
    const std::string target = resolved;
    const std::string name = target.substr(target.find_last_of('/') + 1);
    removeLeftoverTemporaries(folderOf(target), name);
    std::string temporary = folderOf(target) + temporaryPattern(name);
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return ReplaceStatus::Failed;
    }
    const bool written = writeTemporary(fd, target, status, write, wrap);
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return ReplaceStatus::Failed;
    }
    // The rename is done; a failed folder sync only weakens durability, not the content.
    syncFolder(folderOf(target));
    return ReplaceStatus::Ok;
}

}  // namespace quorvel::package
