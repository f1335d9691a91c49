// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/creation_time.h"

#include <sys/statfs.h>
#include <sys/xattr.h>

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

const char* creationAttributeFor(const struct statfs& info) {
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

// Interprets the result of a set-attribute call; a file system that refuses the attribute
// cannot store a creation time, which is not an error.
bool finishWrite(int status, CreationTimeWrite& result, SystemError& error) {
    if (status == 0) {
        result = CreationTimeWrite::Written;
        return true;
    }
    if (errno == ENOTSUP) {
        return true;
    }
    error = systemError(errno);
    return false;
}

}  // namespace

bool writeCreationTime(int fd, std::int64_t creation, CreationTimeWrite& result,
                       SystemError& error) {
    result = CreationTimeWrite::NotStorable;
    struct statfs info {};
    const char* attribute = ::fstatfs(fd, &info) == 0 ? creationAttributeFor(info) : nullptr;
    if (attribute == nullptr) {
        return true;
    }
    const auto value = littleEndian(unixSecondsToFileTime(creation));
    return finishWrite(::fsetxattr(fd, attribute, value.data(), value.size(), 0), result, error);
}

bool setCreationTime(const std::string& path, std::int64_t creation, CreationTimeWrite& result,
                     SystemError& error) {
    result = CreationTimeWrite::NotStorable;
    struct statfs info {};
    const char* attribute =
        ::statfs(path.c_str(), &info) == 0 ? creationAttributeFor(info) : nullptr;
    if (attribute == nullptr) {
        return true;
    }
    const auto value = littleEndian(unixSecondsToFileTime(creation));
    return finishWrite(::setxattr(path.c_str(), attribute, value.data(), value.size(), 0), result,
                       error);
}

}  // namespace quorvel::platform
