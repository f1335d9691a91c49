// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/document_access.h"

#include <memory>

#include "compound/compound_properties.h"
#include "io/file_device.h"
#include "package/package_access.h"

namespace quorvel::document {

using props::DocProperties;
using props::MessageCode;
using props::PropertyWriteRequest;
using storage::CompoundFile;

bool ForceGenerationProperty = false;

namespace {

// Opens the document at path under its lock, read-only to read it, and runs the operation
// of its container: a ZIP package (found from the first bytes) or a compound file.
template <typename CompoundOperation, typename PackageOperation>
MessageCode withDocument(const std::string& path, io::Access access, CompoundOperation onCompound,
                         PackageOperation onPackage) {
    std::unique_ptr<io::FileDevice> device;
    switch (io::FileDevice::open(path, access, device)) {
        case io::OpenStatus::Ok:
            break;
        case io::OpenStatus::NotFound:
            return props::kFileNotFound;
        default:
            return props::kCannotOpenDocument;
    }
    if (package::startsAsPackage(*device)) {
        return onPackage(*device);
    }
    std::unique_ptr<CompoundFile> file;
    const MessageCode opened = compound::openCompoundFile(*device, file);
    return opened == props::kSuccess ? onCompound(*file) : opened;
}

}  // namespace

MessageCode ReadDocProperties(const std::string& path, DocProperties& props,
                              props::CustomProperties* custom) {
    props.clear();
    if (custom != nullptr) {
        *custom = {};
    }
    return withDocument(
        path, io::Access::Read,
        [&](CompoundFile& file) { return compound::readDocProperties(file, props, custom); },
        [&](io::BlockDevice& device) {
            return package::readPackageDocument(device, props, custom);
        });
}

MessageCode WriteDocProperties(const std::string& path, const PropertyWriteRequest& request) {
    return withDocument(
        path, io::Access::ReadWrite,
        [&](CompoundFile& file) {
            return compound::writeDocProperties(file, request, ForceGenerationProperty);
        },
        [&](io::BlockDevice& device) {
            return package::writePackageDocument(path, device, request, ForceGenerationProperty);
        });
}

}  // namespace quorvel::document
