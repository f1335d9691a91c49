#pragma once

#include "package/package_reader.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::package {

props::MessageCode readOdfProperties(const PackageReader& package, props::DocProperties& props);
props::MessageCode planOdfWrite(const PackageReader& package,
                                const props::PropertyWriteRequest& request, bool createMissing,
                                PackageChanges& changes);

}  // namespace quorvel::package
