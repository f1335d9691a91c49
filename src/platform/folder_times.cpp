#include "platform/folder_times.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "platform/local_time.h"

namespace quorvel::platform {
namespace {

// File-system magic numbers (statfs f_type) of the file systems that keep a creation
// time settable through an extended attribute.
constexpr long kFuseMagic = 0x65735546;   // ntfs-3g runs under FUSE
constexpr long kNtfs3Magic = 0x7366746e;  // the kernel's ntfs3 driver
constexpr long kCifsMagic = 0xFF534D42;
constexpr long kSmb2Magic = 0xFE534D42;

// Attribute names; both take the NTFS file time as a little-endian 64-bit integer.
constexpr const char* kNtfsCreationAttribute = "system.ntfs_crtime";
constexpr const char* kCifsCreationAttribute = "user.cifs.creationtime";

const char* creationAttributeFor(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) {
        return nullptr;
    }
    const auto type = static_cast<long>(info.f_type);
    if (type == kFuseMagic || type == kNtfs3Magic) {
        return kNtfsCreationAttribute;
    }
    if (type == kCifsMagic || type == kSmb2Magic) {
        return kCifsCreationAttribute;
    }
    return nullptr;
}

std::array<unsigned char, 8> littleEndian(FileTime value) {
    std::array<unsigned char, 8> bytes{};
    for (auto& byte : bytes) {
        byte = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
    return bytes;
}

timespec wholeSeconds(std::int64_t seconds) {
    timespec time{};
    time.tv_sec = static_cast<time_t>(seconds);
    return time;
}

}  // namespace

FolderHandle::~FolderHandle() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool FolderHandle::open(const std::string& path, SystemError& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(errno);
        return false;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
    }
    m_fd = fd;
    return true;
}

bool FolderHandle::readTimes(FolderTimes& times, CreationTimeSource& source,
                             SystemError& error) const {
    struct statx info {};
    if (::statx(m_fd, "", AT_EMPTY_PATH, STATX_ATIME | STATX_MTIME | STATX_BTIME, &info) != 0) {
        error = systemError(errno);
        return false;
    }
    times.access = info.stx_atime.tv_sec;
    times.modification = info.stx_mtime.tv_sec;
    if ((info.stx_mask & STATX_BTIME) != 0) {
        times.creation = info.stx_btime.tv_sec;
        source = CreationTimeSource::Recorded;
    } else {
        times.creation = times.modification;
        source = CreationTimeSource::NotRecorded;
    }
    return true;
}

bool FolderHandle::writeTimes(const FolderTimes& times, CreationTimeWrite& creation,
                              SystemError& error) const {
    // The creation time first: on some file systems setting it touches the others.
    if (!writeCreationTime(times.creation, creation, error)) {
        return false;
    }
    const timespec accessAndModification[2] = {wholeSeconds(times.access),
                                               wholeSeconds(times.modification)};
    if (::futimens(m_fd, accessAndModification) != 0) {
        error = systemError(errno);
        return false;
    }
    return true;
}

bool FolderHandle::writeCreationTime(std::int64_t creation, CreationTimeWrite& result,
                                     SystemError& error) const {
    result = CreationTimeWrite::NotStorable;
    const char* attribute = creationAttributeFor(m_fd);
    if (attribute == nullptr) {
        return true;
    }
    const auto value = littleEndian(unixSecondsToFileTime(creation));
    if (::fsetxattr(m_fd, attribute, value.data(), value.size(), 0) != 0) {
        if (errno == ENOTSUP) {
            return true;
        }
        error = systemError(errno);
        return false;
    }
    result = CreationTimeWrite::Written;
    return true;
}

}  // namespace quorvel::platform
