// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/replacement_file.h"
#include "io/replacement_leftovers.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace quorvel::io {
namespace {

std::string folderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/') + 1);
}

// Copies the original's extended attributes, which include an access-control list.
void keepExtendedAttributes(int fd, const std::string& original) {
    const ssize_t listSize = ::listxattr(original.c_str(), nullptr, 0);
    std::vector<char> names(listSize > 0 ? static_cast<std::size_t>(listSize) : 0);
    if (names.empty() || ::listxattr(original.c_str(), names.data(), names.size()) < 0) {
        return;
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
}

// The original's owner first (a change of owner clears set-id bits), then its mode, then its
// extended attributes.
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
    keepExtendedAttributes(fd, original);
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

}  // namespace

ReplacementFile::Status ReplacementFile::begin(const std::string& path,
                                               std::unique_ptr<ReplacementFile>& out) {
    char resolved[PATH_MAX];
    struct stat status {};
    if (::realpath(path.c_str(), resolved) == nullptr || ::stat(resolved, &status) != 0) {
        return Status::Failed;
    }
    if (status.st_nlink > 1) {
        return Status::Refused;
    }
    const std::string target = resolved;
    const std::string name = target.substr(target.find_last_of('/') + 1);
    removeReplacementLeftovers(target);
    std::string temporary = folderOf(target) + replacementPrefix(name) + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Status::Failed;
    }
    // From here on the destructor closes and removes the temporary file.
    out.reset(new ReplacementFile(target, std::move(temporary), fd));
    if (!keepIdentity(fd, target, status)) {
        out.reset();
        return Status::Failed;
    }
    return Status::Ok;
}

ReplacementFile::ReplacementFile(std::string target, std::string temporary, std::intptr_t handle)
    : m_target(std::move(target)), m_temporary(std::move(temporary)), m_handle(handle) {}

ReplacementFile::~ReplacementFile() {
    if (m_handle >= 0) {
        ::close(static_cast<int>(m_handle));
    }
    if (!m_committed) {
        ::unlink(m_temporary.c_str());
    }
}

bool ReplacementFile::append(std::span<const std::byte> data) {
    while (!data.empty()) {
        const ssize_t n = ::write(static_cast<int>(m_handle), data.data(), data.size());
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

bool ReplacementFile::sync() {
    return ::fsync(static_cast<int>(m_handle)) == 0;
}

bool ReplacementFile::commit() {
    const bool closed = ::close(static_cast<int>(m_handle)) == 0;
    m_handle = -1;
    if (!closed || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return false;
    }
    m_committed = true;
    // The rename is done; a failed folder sync only weakens durability, not the content.
    syncFolder(folderOf(m_target));
    return true;
}

}  // namespace quorvel::io
