// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/package_properties.h"

#include <algorithm>

#include "package/odf_properties.h"
#include "package/ooxml_properties.h"

namespace quorvel::package {
namespace {

constexpr std::string_view kOdfMediaTypePrefix = "application/vnd.oasis.opendocument.";
// The mimetype entry holds one short media type.
constexpr std::size_t kMaxMimetypeBytes = 256;

bool hasEntry(const PackageReader& package, std::string_view name) {
    const auto& names = package.entryNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

PackageKind packageKind(const PackageReader& package) {
    std::string mimetype;
    if (package.read("mimetype", mimetype, kMaxMimetypeBytes) == EntryRead::Ok &&
        mimetype.starts_with(kOdfMediaTypePrefix)) {
        return PackageKind::Odf;
    }
    return hasEntry(package, "[Content_Types].xml") && hasEntry(package, "_rels/.rels")
               ? PackageKind::Ooxml
               : PackageKind::None;
}

props::MessageCode readPackageProperties(const PackageReader& package, props::DocProperties& props,
                                         props::CustomProperties* custom) {
    props.clear();
    switch (packageKind(package)) {
        case PackageKind::Ooxml:
            return readOoxmlProperties(package, props, custom);
        case PackageKind::Odf:
            return readOdfProperties(package, props, custom);
        default:
            return props::kNoSummary;
    }
}

props::MessageCode planPackageWrite(const PackageReader& package,
                                    const props::PropertyWriteRequest& request, bool createMissing,
                                    PackageChanges& changes) {
    changes.clear();
    switch (packageKind(package)) {
        case PackageKind::Ooxml:
            return planOoxmlWrite(package, request, createMissing, changes);
        case PackageKind::Odf:
            return planOdfWrite(package, request, createMissing, changes);
        default:
            return props::kNoSummary;
    }
}

}  // namespace quorvel::package
