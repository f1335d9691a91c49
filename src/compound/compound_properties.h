// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "io/block_device.h"
#include "props/message_code.h"
#include "props/property_record.h"
#include "storage/compound_file.h"

namespace quorvel::compound {

// Opens the compound file on a device; the container's refusal as a message code
// (103 not a compound file, 104 damaged or unreadable).
props::MessageCode openCompoundFile(io::BlockDevice& device,
                                    std::unique_ptr<storage::CompoundFile>& out);

// Reads both property sets of an open compound file into props (emptied first).
// custom, when given, receives the user-defined properties of the second set's stream.
props::MessageCode readDocProperties(const storage::CompoundFile& file, props::DocProperties& props,
                                     props::CustomProperties* custom = nullptr);

// Writes what the request marks; createMissing creates a missing set.
props::MessageCode writeDocProperties(storage::CompoundFile& file,
                                      const props::PropertyWriteRequest& request,
                                      bool createMissing);

}  // namespace quorvel::compound
