// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/xml_part.h"

#include <cstdint>
#include <map>
#include <sstream>

namespace quorvel::package {
namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Comments, processing instructions and the declaration kept; white space kept so that
// untouched content is written back as it was; a DTD parsed only to be refused.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_pi |
                                   pugi::parse_comments | pugi::parse_ws_pcdata |
                                   pugi::parse_doctype;

// XML 1.0 section 2.2 Char.
bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Decodes one UTF-8 sequence at text[at]; false for a malformed, overlong or surrogate one.
bool decodeUtf8(std::string_view text, std::size_t& at, std::uint32_t& c) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        c = lead;
        ++at;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at < length) {
        return false;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) {
            return false;
        }
        c = (c << 6) | (next & 0x3F);
    }
    at += length;
    return c >= minimum && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

bool isDigit(char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// A reference at text[at] ('&'): one of the five predefined entities or a character
// reference to an XML character. Everything else would need a DTD.
bool isPlainReference(std::string_view text, std::size_t at) {
    const std::size_t end = text.find(';', at);
    if (end == std::string_view::npos) {
        return false;
    }
    const std::string_view name = text.substr(at + 1, end - at - 1);
    if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") {
        return true;
    }
    if (!name.starts_with('#')) {
        return false;
    }
    const bool hex = name.starts_with("#x");
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
        return false;
    }
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (!isDigit(c, hex)) {
            return false;
        }
        const std::uint32_t digit = c <= '9' ? static_cast<std::uint32_t>(c - '0')
                                             : static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
        value = value * (hex ? 16 : 10) + digit;
    }
    return isXmlChar(value);
}

// Every '&' outside comments, CDATA sections and processing instructions is a plain
// reference (pugixml would leave an unknown one as text, and write it back escaped).
bool hasOnlyPlainReferences(std::string_view text) {
    static constexpr std::pair<std::string_view, std::string_view> kSkipped[] = {
        {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
    std::size_t at = 0;
    while ((at = text.find_first_of("<&", at)) != std::string_view::npos) {
        if (text[at] == '&') {
            if (!isPlainReference(text, at)) {
                return false;
            }
            ++at;
            continue;
        }
        std::size_t next = at + 1;
        for (const auto& [open, close] : kSkipped) {
            if (text.substr(at).starts_with(open)) {
                const std::size_t end = text.find(close, at + open.size());
                if (end == std::string_view::npos) {
                    return false;
                }
                next = end + close.size();
                break;
            }
        }
        at = next;
    }
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if ((a[i] | 0x20) != (b[i] | 0x20)) {
            return false;
        }
    }
    return true;
}

// Real properties parts declare a handful of namespaces; a cap keeps every name lookup
// cheap however many elements a hostile part holds.
constexpr std::size_t kMaxNamespaceDeclarations = 1000;

bool hasFewDeclarations(const pugi::xml_document& doc) {
    std::size_t declarations = 0;
    pugi::xml_node node = doc.first_child();
    while (node) {
        for (const pugi::xml_attribute attribute : node.attributes()) {
            const std::string_view name = attribute.name();
            if ((name == "xmlns" || name.starts_with("xmlns:")) &&
                ++declarations > kMaxNamespaceDeclarations) {
                return false;
            }
        }
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) {
            node = node.parent();
        }
        node = node.next_sibling();
    }
    return true;
}

// The document holds an element and no DTD, and declares no encoding but UTF-8.
bool hasSafeProlog(const pugi::xml_document& doc) {
    for (const pugi::xml_node node : doc.children()) {
        if (node.type() == pugi::node_doctype) {
            return false;
        }
        if (node.type() == pugi::node_declaration) {
            const pugi::xml_attribute encoding = node.attribute("encoding");
            if (encoding && !equalsIgnoringCase(encoding.value(), "UTF-8")) {
                return false;
            }
        }
    }
    return static_cast<bool>(doc.document_element());
}

std::string_view prefixOf(std::string_view qualifiedName) {
    const std::size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? std::string_view{} : qualifiedName.substr(0, colon);
}

std::string xmlnsAttributeName(std::string_view prefix) {
    return prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
}

// A prefix bound to ns at scope, declaring preferredPrefix (or a numbered variant that is
// still free) on the document element when none is.
std::string prefixFor(pugi::xml_node scope, std::string_view ns, std::string_view preferredPrefix) {
    const NamespaceScope bindings(scope);
    std::string prefix = bindings.prefixBoundTo(ns, preferredPrefix);
    if (!prefix.empty()) {
        return prefix;
    }
    prefix = preferredPrefix;
    for (int n = 1; !bindings.resolve(prefix).empty(); ++n) {
        prefix = std::string(preferredPrefix) + std::to_string(n);
    }
    pugi::xml_node root = scope;
    while (root.parent().type() == pugi::node_element) {
        root = root.parent();
    }
    root.append_attribute(xmlnsAttributeName(prefix).c_str()).set_value(std::string(ns).c_str());
    return prefix;
}

struct StringWriter final : pugi::xml_writer {
    std::string out;
    void write(const void* data, std::size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

}  // namespace

NamespaceScope::NamespaceScope(pugi::xml_node scope) {
    for (pugi::xml_node node = scope; node.type() == pugi::node_element; node = node.parent()) {
        for (const pugi::xml_attribute attribute : node.attributes()) {
            const std::string_view name = attribute.name();
            if (name == "xmlns") {
                m_bound.try_emplace(std::string_view{}, attribute.value());
            } else if (name.starts_with("xmlns:")) {
                m_bound.try_emplace(name.substr(6), attribute.value());
            }
        }
    }
}

std::string_view NamespaceScope::resolve(std::string_view prefix) const {
    if (prefix == "xml") {
        return kXmlNamespace;
    }
    const auto found = m_bound.find(prefix);
    return found == m_bound.end() ? std::string_view{} : found->second;
}

std::string_view NamespaceScope::resolveAt(pugi::xml_node child, std::string_view prefix) const {
    const std::string attribute = xmlnsAttributeName(prefix);
    const pugi::xml_attribute own = child.attribute(attribute.c_str());
    return own ? std::string_view(own.value()) : resolve(prefix);
}

std::string_view NamespaceScope::namespaceBelow(pugi::xml_node element,
                                                pugi::xml_node scopeElement) const {
    const std::string_view prefix = prefixOf(element.name());
    const std::string attribute = xmlnsAttributeName(prefix);
    for (pugi::xml_node node = element; node && node != scopeElement; node = node.parent()) {
        if (const pugi::xml_attribute own = node.attribute(attribute.c_str())) {
            return own.value();
        }
    }
    return resolve(prefix);
}

std::string NamespaceScope::prefixBoundTo(std::string_view ns,
                                          std::string_view preferredPrefix) const {
    if (!preferredPrefix.empty() && resolve(preferredPrefix) == ns) {
        return std::string(preferredPrefix);
    }
    for (const auto& [prefix, bound] : m_bound) {
        if (!prefix.empty() && bound == ns) {
            return std::string(prefix);
        }
    }
    return {};
}

PartLoad loadXmlPart(const PackageReader& package, std::string_view name, XmlPart& part) {
    std::string bytes;
    switch (package.read(name, bytes, kMaxPartBytes)) {
        case EntryRead::Ok:
            break;
        case EntryRead::Missing:
            return PartLoad::Missing;
        default:
            return PartLoad::Unreadable;
    }
    part.name = name;
    return parseXmlPart(bytes, part) ? PartLoad::Ok : PartLoad::Unreadable;
}

bool parseXmlPart(std::string_view bytes, XmlPart& part) {
    part.bom.clear();
    if (bytes.starts_with(kUtf8Bom)) {
        part.bom = kUtf8Bom;
        bytes.remove_prefix(kUtf8Bom.size());
    }
    for (std::size_t at = 0; at < bytes.size();) {
        std::uint32_t c = 0;
        if (!decodeUtf8(bytes, at, c) || !isXmlChar(c)) {
            return false;
        }
    }
    if (!hasOnlyPlainReferences(bytes)) {
        return false;
    }
    const pugi::xml_parse_result parsed =
        part.doc.load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_utf8);
    if (!parsed || !hasSafeProlog(part.doc) || !hasFewDeclarations(part.doc)) {
        return false;
    }
    part.afterProlog.clear();
    if (part.doc.first_child().type() == pugi::node_declaration) {
        const std::size_t end = bytes.find("?>");
        const std::size_t content = bytes.find_first_not_of(" \t\r\n", end + 2);
        part.afterProlog = bytes.substr(end + 2, content - end - 2);
    }
    return true;
}

std::string serializeXmlPart(const XmlPart& part) {
    StringWriter writer;
    writer.out = part.bom;
    for (const pugi::xml_node node : part.doc.children()) {
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        if (node.type() == pugi::node_declaration) {
            writer.out += part.afterProlog;
        }
    }
    return writer.out;
}

bool isStorableText(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        std::uint32_t c = 0;
        if (!decodeUtf8(text, at, c) || !isXmlChar(c)) {
            return false;
        }
    }
    return true;
}

std::string_view namespaceOf(pugi::xml_node element) {
    return NamespaceScope(element).resolve(prefixOf(element.name()));
}

std::string_view localName(std::string_view qualifiedName) {
    const std::size_t colon = qualifiedName.find(':');
    return colon == std::string_view::npos ? qualifiedName : qualifiedName.substr(colon + 1);
}

bool hasName(pugi::xml_node element, std::string_view ns, std::string_view local) {
    return element.type() == pugi::node_element && localName(element.name()) == local &&
           namespaceOf(element) == ns;
}

std::vector<pugi::xml_node> childrenNamed(pugi::xml_node parent, std::string_view ns,
                                          std::string_view local) {
    std::vector<pugi::xml_node> found;
    const NamespaceScope bindings(parent);
    for (const pugi::xml_node child : parent.children()) {
        const std::string_view name = child.name();
        if (child.type() == pugi::node_element && localName(name) == local &&
            bindings.resolveAt(child, prefixOf(name)) == ns) {
            found.push_back(child);
        }
    }
    return found;
}

pugi::xml_node findChild(pugi::xml_node parent, std::string_view ns, std::string_view local) {
    const std::vector<pugi::xml_node> found = childrenNamed(parent, ns, local);
    return found.empty() ? pugi::xml_node{} : found.front();
}

pugi::xml_attribute findAttribute(pugi::xml_node element, std::string_view ns,
                                  std::string_view local) {
    return findAttribute(element, ns, local, NamespaceScope(element.parent()));
}

pugi::xml_attribute findAttribute(pugi::xml_node element, std::string_view ns,
                                  std::string_view local, const NamespaceScope& parentScope) {
    for (const pugi::xml_attribute attribute : element.attributes()) {
        const std::string_view name = attribute.name();
        const std::string_view prefix = prefixOf(name);
        // Unprefixed attributes are in no namespace.
        if (!prefix.empty() && prefix != "xmlns" && localName(name) == local &&
            parentScope.resolveAt(element, prefix) == ns) {
            return attribute;
        }
    }
    return {};
}

std::string_view trimXmlSpace(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string textOf(pugi::xml_node element) {
    std::string text;
    for (const pugi::xml_node child : element.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            text += child.value();
        }
    }
    return text;
}

bool replaceText(pugi::xml_node element, std::string_view text) {
    const bool onlyText = element.first_child() == element.last_child() &&
                          (element.first_child().type() == pugi::node_pcdata ||
                           (text.empty() && !element.first_child()));
    if (onlyText && textOf(element) == text) {
        return false;
    }
    while (element.first_child()) {
        element.remove_child(element.first_child());
    }
    if (!text.empty()) {
        element.append_child(pugi::node_pcdata).set_value(std::string(text).c_str());
    }
    return true;
}

pugi::xml_node appendElement(pugi::xml_node parent, std::string_view ns, std::string_view local,
                             std::string_view preferredPrefix) {
    std::string name(local);
    if (NamespaceScope(parent).resolve({}) != ns) {
        name = prefixFor(parent, ns, preferredPrefix) + ":" + name;
    }
    return parent.append_child(name.c_str());
}

pugi::xml_attribute appendAttribute(pugi::xml_node element, std::string_view ns,
                                    std::string_view local, std::string_view preferredPrefix) {
    const std::string name = prefixFor(element, ns, preferredPrefix) + ":" + std::string(local);
    return element.append_attribute(name.c_str());
}

}  // namespace quorvel::package
