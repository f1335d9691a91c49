// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/package_access.h"

#include <array>
#include <memory>

#include "package/package_properties.h"
#include "package/zip_format.h"
#include "package/zip_package.h"
#include "package/zip_writer.h"

namespace quorvel::package {
namespace {

using props::MessageCode;

MessageCode openPackage(io::BlockDevice& device, std::unique_ptr<ZipPackage>& package) {
    switch (ZipPackage::open(device, package)) {
        case ZipStatus::Ok:
            return packageKind(*package) == PackageKind::None ? props::kNotCompoundFile
                                                              : props::kSuccess;
        case ZipStatus::NotZip:
            return props::kNotCompoundFile;
        default:
            return props::kCannotOpenDocument;
    }
}

bool firstSetFailed(MessageCode code) {
    return code == props::kNoSummary || code == props::kSummaryReadFailed ||
           code == props::kSummaryWriteFailed;
}

}  // namespace

bool startsAsPackage(io::BlockDevice& device) {
    std::array<std::byte, 4> head{};
    const std::array<std::byte, 4> local{std::byte{'P'}, std::byte{'K'}, std::byte{3},
                                         std::byte{4}};
    return device.size() >= head.size() && device.readAt(0, head) && head == local;
}

MessageCode readPackageDocument(io::BlockDevice& device, props::DocProperties& props,
                                props::CustomProperties* custom) {
    props.clear();
    std::unique_ptr<ZipPackage> package;
    const MessageCode opened = openPackage(device, package);
    return opened == props::kSuccess ? readPackageProperties(*package, props, custom) : opened;
}

MessageCode writePackageDocument(const std::string& path, io::BlockDevice& device,
                                 const props::PropertyWriteRequest& request, bool createMissing,
                                 const SinkWrapper& wrap) {
    std::unique_ptr<ZipPackage> package;
    const MessageCode opened = openPackage(device, package);
    if (opened != props::kSuccess) {
        return opened;
    }
    PackageChanges changes;
    const MessageCode planned = planPackageWrite(*package, request, createMissing, changes);
    if (changes.empty() || firstSetFailed(planned)) {
        return planned;
    }
    const ReplaceStatus replaced = replaceFile(
        path, [&](PackageSink& sink) { return writeZipPackage(*package, changes, sink); }, wrap);
    return replaced == ReplaceStatus::Ok ? planned : props::kSummaryWriteFailed;
}

}  // namespace quorvel::package
