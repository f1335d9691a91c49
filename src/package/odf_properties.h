// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "package/package_reader.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::package {

// OpenDocument keeps every property in meta.xml (office:meta), so a readable part gives
// 33 entries and only 106/107/108/111 occur. Category and company are user-defined
// fields (writeDocSummary off leaves them alone). A date without a zone is local time;
// a new value is written in the style of the old one (local, Z, or the same offset).
props::MessageCode readOdfProperties(const PackageReader& package, props::DocProperties& props,
                                     props::CustomProperties* custom = nullptr);
props::MessageCode planOdfWrite(const PackageReader& package,
                                const props::PropertyWriteRequest& request, bool createMissing,
                                PackageChanges& changes);

}  // namespace quorvel::package
