// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/document_access.h"

#include <memory>
#include <utility>

#include "compound/compound_properties.h"
#include "io/file_device.h"
#include "package/package_access.h"
#ifdef QUORVEL_HAVE_PDF
#include "pdf/pdf_properties.h"
#include "pdf/pdf_update.h"
#endif

namespace quorvel::document {

using props::DocProperties;
using props::MessageCode;
using props::PropertyWriteRequest;
using storage::CompoundFile;

bool ForceGenerationProperty = false;

namespace {

// Opens the document at path under its lock, read-only to read it, and runs the operation
// of its container: a ZIP package or a PDF (both found from the first bytes), or a compound
// file. A build without PDF support reads a PDF as a file of no known kind.
template <typename CompoundOperation, typename PackageOperation, typename PdfOperation>
MessageCode withDocument(const std::string& path, io::Access access, CompoundOperation onCompound,
                         PackageOperation onPackage, [[maybe_unused]] PdfOperation onPdf) {
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
#ifdef QUORVEL_HAVE_PDF
    if (pdf::startsAsPdf(*device)) {
        return onPdf(*device);
    }
#endif
    std::unique_ptr<CompoundFile> file;
    const MessageCode opened = compound::openCompoundFile(*device, file);
    return opened == props::kSuccess ? onCompound(*file) : opened;
}

}  // namespace

MessageCode ReadDocProperties(const std::string& path, DocProperties& props,
                              props::CustomProperties* custom, props::DocumentFacts* facts) {
    props.clear();
    if (custom != nullptr) {
        *custom = {};
    }
    props::DocumentFacts learnt;
    const MessageCode code = withDocument(
        path, io::Access::Read,
        [&](CompoundFile& file) {
            learnt.kind = props::DocumentKind::Compound;
            return compound::readDocProperties(file, props, custom);
        },
        [&](io::BlockDevice& device) {
            learnt.kind = props::DocumentKind::Package;
            return package::readPackageDocument(device, props, custom);
        },
        [&]([[maybe_unused]] io::BlockDevice& device) {
#ifdef QUORVEL_HAVE_PDF
            learnt.kind = props::DocumentKind::Pdf;
            return pdf::readPdfDocument(device, props, custom, &learnt.producer);
#else
            return props::kNotCompoundFile;
#endif
        });
    if (facts != nullptr) {
        *facts = std::move(learnt);
    }
    return code;
}

MessageCode WriteDocProperties(const std::string& path, const PropertyWriteRequest& request) {
    return withDocument(
        path, io::Access::ReadWrite,
        [&](CompoundFile& file) {
            return compound::writeDocProperties(file, request, ForceGenerationProperty);
        },
        [&](io::BlockDevice& device) {
            return package::writePackageDocument(path, device, request, ForceGenerationProperty);
        },
        [&]([[maybe_unused]] io::BlockDevice& device) {
#ifdef QUORVEL_HAVE_PDF
            return pdf::writePdfDocument(device, request);
#else
            return props::kNotCompoundFile;
#endif
        });
}

}  // namespace quorvel::document
