// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel::pdf {

// The properties of an XMP packet that have a place among the document's fields, as texts
// (UTF-8); a property the packet lacks is nullopt. Dates keep their XMP form.
struct XmpFields {
    std::optional<std::string> title;        // dc:title, the x-default entry
    std::optional<std::string> description;  // dc:description, the x-default entry
    std::optional<std::string> creators;     // dc:creator, the items joined by "; "
    std::optional<std::string> keywords;     // pdf:Keywords, else dc:subject joined by ", "
    std::optional<std::string> creatorTool;  // xmp:CreatorTool
    std::optional<std::string> createDate;   // xmp:CreateDate
    std::optional<std::string> modifyDate;   // xmp:ModifyDate
    std::optional<std::string> producer;     // pdf:Producer
};

// Reads the fields of a packet, found by namespace URI whatever the prefixes, written as
// elements or as attributes of rdf:Description. A packet that is no XML gives no fields.
XmpFields readXmpFields(std::string_view packet);

// The packet with each field set to the value given (nullopt removes it) and xmp:MetadataDate
// set: a property that already reads as its value is left as it is, everything else in the
// packet is kept. Authors become dc:creator's items (split at ";"), keywords pdf:Keywords and
// dc:subject's items (split at "," or ";"). A packet that is no XML is replaced by a new one.
// The result holds no "%" (written as a character reference), so that an update can be told
// from its own bytes.
std::string rewriteXmpPacket(std::string_view packet, const XmpFields& values,
                             std::string_view metadataDate);

}  // namespace quorvel::pdf
