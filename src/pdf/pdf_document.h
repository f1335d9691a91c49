// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <qpdf/QPDF.hh>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/block_device.h"
#include "pdf/xmp_packet.h"
#include "props/property_record.h"

// What reading and writing a PDF share: the fields' places and the parser's set-up.
namespace quorvel::pdf {

inline constexpr std::string_view kPdfHeader = "%PDF-";

// Where a field comes from: an Info key, and the XMP property that mirrors it, if any.
struct FieldSource {
    std::size_t row;
    std::string_view infoKey;
    std::optional<std::string> XmpFields::*xmp;
    bool isDate;
};

inline constexpr std::array<FieldSource, 8> kFieldSources = {{
    {0, "/Title", &XmpFields::title, false},
    {1, "/Subject", &XmpFields::description, false},
    {2, "/Author", &XmpFields::creators, false},
    {3, "/Keywords", &XmpFields::keywords, false},
    {10, "/CreationDate", &XmpFields::createDate, true},
    {11, "/ModDate", &XmpFields::modifyDate, true},
    {16, "/Creator", &XmpFields::creatorTool, false},
    {props::kSummaryBlockSize + 13, "/Company", nullptr, false},
}};

// Info keys that are not the document's user-defined properties: those of the fields, and
// those the PDF format defines for itself.
bool isFieldOrFormatKey(std::string_view key);

// Parses the structure of the document in the first length bytes of device. A file whose
// cross-reference data is broken is rebuilt by scanning it (with a warning), so that it still
// reads. False when it cannot be parsed at all.
bool openPdf(QPDF& pdf, io::BlockDevice& device, std::uint64_t length);

// The XMP packet the catalog's /Metadata stream holds; empty when there is none or it
// cannot be decoded.
std::string metadataPacket(QPDF& pdf);

// A text string in UTF-8, decoded from UTF-16BE or UTF-8 (each with its byte order mark)
// or from PDFDocEncoding; nullopt for a missing key or another kind of object.
std::optional<std::string> infoText(QPDFObjectHandle info, std::string_view key);

}  // namespace quorvel::pdf
