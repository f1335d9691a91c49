// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "package/custom_edit.h"
#include "package/xml_part.h"

namespace quorvel::package {

// The custom part (docProps/custom.xml) and the value types its properties use, as
// transitional and Strict OOXML name them.
inline constexpr std::string_view kCustomNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties";
inline constexpr std::string_view kStrictCustomNs =
    "http://purl.oclc.org/ooxml/officeDocument/customProperties";
inline constexpr std::string_view kVtNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
inline constexpr std::string_view kStrictVtNs =
    "http://purl.oclc.org/ooxml/officeDocument/docPropsVTypes";
inline constexpr std::string_view kCustomRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/custom-properties";
inline constexpr std::string_view kStrictCustomRelationship =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/customProperties";
inline constexpr std::array<std::string_view, 2> kCustomRelationships = {kCustomRelationship,
                                                                         kStrictCustomRelationship};
inline constexpr std::string_view kCustomContentType =
    "application/vnd.openxmlformats-officedocument.custom-properties+xml";

// The property elements of a loaded custom part, each holding one value: texts, integers
// that fit 32 bits, reals, file times and bools are read as such; other values (vectors,
// blobs, ...) and linked properties are kept read-only. A new property gets the fmtid
// Office uses and the next free pid.
class OoxmlCustomProperties final : public CustomPropertyEditor {
  public:
    explicit OoxmlCustomProperties(XmlPart& part);

  private:
    pugi::xml_node newElement(std::string_view name) override;
    void storeValue(pugi::xml_node element, props::CustomType type,
                    std::string_view value) override;
    void markChanged() override { m_part.changed = true; }

    XmlPart& m_part;
    std::string_view m_ns;
    std::string_view m_vtNs;
    std::int64_t m_nextPid = 2;  // pids 0 and 1 are reserved
};

}  // namespace quorvel::package
