// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/ooxml_custom.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace quorvel::package {
namespace {

using props::CustomType;

// The format identifier Office gives every user-defined property.
constexpr const char* kUserDefinedFmtid = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

struct VtType {
    std::string_view local;
    CustomType type;
};

constexpr std::array<VtType, 19> kVtTypes = {{
    {"lpwstr", CustomType::Text},  {"lpstr", CustomType::Text},    {"bstr", CustomType::Text},
    {"i1", CustomType::Integer},   {"i2", CustomType::Integer},    {"i4", CustomType::Integer},
    {"i8", CustomType::Integer},   {"int", CustomType::Integer},   {"ui1", CustomType::Integer},
    {"ui2", CustomType::Integer},  {"ui4", CustomType::Integer},   {"ui8", CustomType::Integer},
    {"uint", CustomType::Integer}, {"r4", CustomType::Real},       {"r8", CustomType::Real},
    {"decimal", CustomType::Real}, {"filetime", CustomType::Date}, {"date", CustomType::Date},
    {"bool", CustomType::Bool},
}};

// The element each type is written as, in the order of CustomType (Other is never written).
constexpr std::array<std::string_view, 5> kWrittenAs = {"lpwstr", "i4", "r8", "filetime", "bool"};

// The type a value element is read as; Other for elements outside the value types.
CustomType typeOf(std::string_view local) {
    const auto found = std::find_if(kVtTypes.begin(), kVtTypes.end(),
                                    [&](const VtType& vt) { return vt.local == local; });
    return found == kVtTypes.end() ? CustomType::Other : found->type;
}

std::optional<std::string> canonicalOf(CustomType type, const std::string& text) {
    switch (type) {
        case CustomType::Text:
            return text;
        case CustomType::Date:
            return customDateOf(text, ZonelessAs::Utc);
        default:
            return props::canonicalCustomValue(type, trimXmlSpace(text));
    }
}

// A property element holds one value element; one outside the value types, or none, is
// shown by its name.
props::CustomProperty readProperty(pugi::xml_node property, pugi::xml_node root,
                                   const NamespaceScope& scope) {
    const pugi::xml_node value = property.find_child(
        [](pugi::xml_node child) { return child.type() == pugi::node_element; });
    const std::string_view local = localName(value.name());
    const std::string_view ns = value ? scope.namespaceBelow(value, root) : std::string_view{};
    const CustomType type = ns == kVtNs || ns == kStrictVtNs ? typeOf(local) : CustomType::Other;
    std::string name = property.attribute("name").value();
    props::CustomProperty read;
    if (type != CustomType::Other) {
        const std::string text = textOf(value);
        read = customPropertyOf(std::move(name), type, canonicalOf(type, text), text);
    } else {
        read = customPropertyOf(std::move(name), CustomType::Other, std::nullopt, local);
    }
    // A linked property's value comes from the document's content.
    read.readOnly |= static_cast<bool>(property.attribute("linkTarget"));
    return read;
}

std::int64_t pidOf(pugi::xml_node property) {
    const std::string_view text = property.attribute("pid").value();
    std::int32_t pid = 0;
    std::from_chars(text.data(), text.data() + text.size(), pid);
    return pid;
}

}  // namespace

OoxmlCustomProperties::OoxmlCustomProperties(XmlPart& part) : m_part(part) {
    const pugi::xml_node root = part.doc.document_element();
    const bool strict = namespaceOf(root) == kStrictCustomNs;
    m_ns = strict ? kStrictCustomNs : kCustomNs;
    m_vtNs = strict ? kStrictVtNs : kVtNs;
    const NamespaceScope scope(root);
    for (const pugi::xml_node property : childrenNamed(root, m_ns, "property")) {
        m_entries.push_back({readProperty(property, root, scope), property});
        m_nextPid = std::max(m_nextPid, pidOf(property) + 1);
    }
}

pugi::xml_node OoxmlCustomProperties::newElement(std::string_view name) {
    pugi::xml_node property = appendElement(m_part.doc.document_element(), m_ns, "property", "op");
    property.append_attribute("fmtid").set_value(kUserDefinedFmtid);
    property.append_attribute("pid").set_value(std::to_string(m_nextPid++).c_str());
    property.append_attribute("name").set_value(std::string(name).c_str());
    return property;
}

void OoxmlCustomProperties::storeValue(pugi::xml_node element, CustomType type,
                                       std::string_view value) {
    replaceText(element, {});  // drops the old value element
    replaceText(appendElement(element, m_vtNs, kWrittenAs[static_cast<std::size_t>(type)], "vt"),
                value);
}

}  // namespace quorvel::package
