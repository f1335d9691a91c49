// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>

#include "package/package_reader.h"
#include "package/zip_package.h"

namespace quorvel::package {

// Sequential output of a package being written. Tests substitute sinks that stop part-way.
class PackageSink {
  public:
    virtual ~PackageSink() = default;
    virtual bool append(std::span<const std::byte> data) = 0;
    // Makes what was appended durable.
    virtual bool sync() = 0;
};

// Writes source with changes applied, in the source's entry order: a changed entry gets its
// new content, deflated; every other entry keeps its stored bytes, name and attributes; new
// entries follow at the end. False when a read or write fails, an entry cannot be copied
// (encrypted with a data descriptor) or the result would need ZIP64.
bool writeZipPackage(const ZipPackage& source, const PackageChanges& changes, PackageSink& sink);

}  // namespace quorvel::package
