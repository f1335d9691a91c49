#pragma once

#include <memory>

#include "props/message_code.h"
#include "props/property_record.h"
#include "storage/block_device.h"
#include "storage/compound_file.h"

namespace quorvel::props {

// Opens the compound file on a device; the container's refusal as a message code
// (103 not a compound file, 104 damaged or unreadable).
MessageCode openCompoundFile(storage::BlockDevice& device,
                             std::unique_ptr<storage::CompoundFile>& out);

// Reads both property sets of an open compound file into props (emptied first).
MessageCode readDocProperties(const storage::CompoundFile& file, DocProperties& props);

// Writes what the request marks; createMissing creates a missing set.
MessageCode writeDocProperties(storage::CompoundFile& file, const PropertyWriteRequest& request,
                               bool createMissing);

}  // namespace quorvel::props
