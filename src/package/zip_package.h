// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "io/block_device.h"
#include "package/package_reader.h"
#include "package/zip_directory.h"

namespace quorvel::package {

// Where an entry's stored bytes lie, from its local header.
struct LocalEntry {
    std::uint64_t dataOffset = 0;
    std::string extra;  // local extra fields, the ZIP64 one taken out
};

// A ZIP package on a device: only the central directory is read when opening; an entry's
// bytes are read when asked for.
class ZipPackage final : public PackageReader {
  public:
    // NotZip: no ZIP signature at the start; Damaged: no usable central directory.
    static ZipStatus open(io::BlockDevice& device, std::unique_ptr<ZipPackage>& out);

    const std::vector<std::string>& entryNames() const override { return m_names; }
    EntryRead read(std::string_view name, std::string& out, std::size_t maxBytes) const override;

    const ZipDirectory& directory() const { return m_directory; }
    io::BlockDevice& device() const { return m_device; }
    // Checks the entry's local header against its central record and places its data.
    bool locate(const ZipEntry& entry, LocalEntry& local) const;

  private:
    ZipPackage(io::BlockDevice& device, ZipDirectory directory);

    io::BlockDevice& m_device;
    ZipDirectory m_directory;
    std::vector<std::string> m_names;
};

}  // namespace quorvel::package
