#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "storage/storage_status.h"

namespace quorvel::storage {

// Positioned byte I/O under the container. Tests substitute devices that fail or
// stop after a number of writes.
class BlockDevice {
  public:
    virtual ~BlockDevice() = default;
    // Reads exactly out.size() bytes at offset; false on error or short read.
    virtual bool readAt(std::uint64_t offset, std::span<std::byte> out) = 0;
    // Writes all of data at offset (may extend the file); false on error.
    virtual bool writeAt(std::uint64_t offset, std::span<const std::byte> data) = 0;
    // Orders the writes before this call ahead of the writes after it.
    virtual bool sync() = 0;
    virtual std::uint64_t size() const = 0;
};

// A document on disk, opened read-write and held under an advisory write lock for the
// object's lifetime. Reads come from a BlockCache over the file, so that parsing costs
// the file system a read or two; writes go through with pwrite as they are made.
class FileDevice final : public BlockDevice {
  public:
    // NotFound, Locked, IoError (e.g. no write permission, not a regular file) or Ok.
    static Status open(const std::string& path, std::unique_ptr<FileDevice>& out);
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

}  // namespace quorvel::storage
