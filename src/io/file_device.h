// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "io/block_device.h"

namespace quorvel::io {

enum class OpenStatus : std::uint8_t {
    Ok,
    NotFound,  // the path names no file
    Locked,    // another program holds the file open (conflicting lock or office lock file)
    IoError,   // e.g. no permission, not a regular file
};

// What the opener does with the file.
enum class Access : std::uint8_t {
    Read,       // opened read-only under a shared lock: needs no write permission
    ReadWrite,  // opened read-write under an exclusive lock
};

// A document on disk, held under an advisory lock for the object's lifetime: shared for
// reading, so that a program writing the file is still detected, exclusive for writing.
// Reads come from a BlockCache over the file, so that parsing costs the file system a read
// or two; writes go through as they are made.
class FileDevice final : public BlockDevice {
  public:
    static OpenStatus open(const std::string& path, Access access,
                           std::unique_ptr<FileDevice>& out);
    ~FileDevice() override;
    FileDevice(const FileDevice&) = delete;
    FileDevice& operator=(const FileDevice&) = delete;

    bool readAt(std::uint64_t offset, std::span<std::byte> out) override;
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override;
    bool sync() override;
    std::uint64_t size() const override;
    bool truncate(std::uint64_t size) override;

  private:
    struct Impl;
    explicit FileDevice(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvel::io
