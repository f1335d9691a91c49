// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "package/package_reader.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::package {

enum class PackageKind { None, Ooxml, Odf };

// The kind of document package from its entries (ODF: a "mimetype" entry naming an
// OpenDocument type; OOXML: "[Content_Types].xml" and "_rels/.rels").
PackageKind packageKind(const PackageReader& package);

// Reads the properties into props (emptied first): 18 entries (first part only) or 33, as
// for compound documents; codes 106/107 when the core/meta part is missing/unreadable.
// custom, when given, receives the user-defined properties (OOXML custom part, ODF
// meta:user-defined fields).
props::MessageCode readPackageProperties(const PackageReader& package, props::DocProperties& props,
                                         props::CustomProperties* custom = nullptr);

// The parts a write request changes (new content, or new parts with their content
// type/relationship when createMissing), empty when nothing changes; codes 106/109 missing
// part, 108/111 text that cannot be stored or part that cannot be rewritten.
// As for compound documents, a failure of the first set (106 to 108) leaves changes
// empty, while one of the second set (109 to 111) keeps the first set's changes.
props::MessageCode planPackageWrite(const PackageReader& package,
                                    const props::PropertyWriteRequest& request, bool createMissing,
                                    PackageChanges& changes);

}  // namespace quorvel::package
