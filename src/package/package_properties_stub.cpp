// Temporary stand-in until the XML property parts arrive.
#include "package/package_properties.h"

#include <algorithm>

namespace quorvel::package {

PackageKind packageKind(const PackageReader& package) {
    const auto& names = package.entryNames();
    const auto has = [&](const char* name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    };
    if (has("mimetype")) {
        return PackageKind::Odf;
    }
    return has("[Content_Types].xml") && has("_rels/.rels") ? PackageKind::Ooxml
                                                            : PackageKind::None;
}

props::MessageCode readPackageProperties(const PackageReader&, props::DocProperties& props) {
    props.clear();
    return props::kNoSummary;
}

props::MessageCode planPackageWrite(const PackageReader&, const props::PropertyWriteRequest&, bool,
                                    PackageChanges& changes) {
    changes.clear();
    return props::kNoSummary;
}

}  // namespace quorvel::package
