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
    IoError,   // e.g. no write permission, not a regular file
};

// A document on disk, opened read-write and held under an advisory write lock for the
// object's lifetime. Reads come from a BlockCache over the file, so that parsing costs
// the file system a read or two; writes go through with pwrite as they are made.
class FileDevice final : public BlockDevice {
  public:
    static OpenStatus open(const std::string& path, std::unique_ptr<FileDevice>& out);
    ~FileDevice() override;
    FileDevice(const FileDevice&) = delete;
    FileDevice& operator=(const FileDevice&) = delete;

    bool readAt(std::uint64_t offset, std::span<std::byte> out) override;
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override;
    bool sync() override;
    std::uint64_t size() const override;

  private:
    struct Impl;
    explicit FileDevice(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvel::io
