// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "io/block_device.h"
#include "package/package_file.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::package {

// A file that starts with a ZIP local header is handled as a package.
bool startsAsPackage(io::BlockDevice& device);

// Reads the properties of the package on device: 103 when it is no office package, 104 when
// its container is damaged, otherwise the outcome of the property parts.
props::MessageCode readPackageDocument(io::BlockDevice& device, props::DocProperties& props,
                                       props::CustomProperties* custom = nullptr);

// Writes what the request marks into the package at path, which device holds open under its
// lock. The parts that change are written into a new package that replaces the file; a
// failed first set writes nothing, a failed second set still writes the first.
props::MessageCode writePackageDocument(const std::string& path, io::BlockDevice& device,
                                        const props::PropertyWriteRequest& request,
                                        bool createMissing, const SinkWrapper& wrap = {});

}  // namespace quorvel::package
