// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "package/package_reader.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::package {

// Office Open XML keeps the properties in the core part (Dublin Core: title ... dates,
// category) and the extended "app" part (template, application, edit time in minutes,
// counts, company), both found through the package relationships. The record has 33
// entries when the app part is readable, else 18; category then goes with the app part.
// Writing follows the two sets: the core part is the first (106/107/108), the app part
// the second (109/110/111), which writeDocSummary turns on. Template and application
// name belong to the first set but live in the app part: ticked, they need it as well.
// Without the app part (109) the core part is still written, the second set's category too.
// Dates are written in UTC, whole seconds; the edit time in whole minutes.
// User-defined properties live in the custom part, also found through the relationships;
// they are written with the second set, and the part is created for the first one added.
// A damaged custom part gives the list status 110 and leaves the fixed fields alone.
props::MessageCode readOoxmlProperties(const PackageReader& package, props::DocProperties& props,
                                       props::CustomProperties* custom = nullptr);
props::MessageCode planOoxmlWrite(const PackageReader& package,
                                  const props::PropertyWriteRequest& request, bool createMissing,
                                  PackageChanges& changes);

}  // namespace quorvel::package
