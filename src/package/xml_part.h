// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <map>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "package/package_reader.h"

namespace quorvel::package {

// Largest properties part we inflate; real ones hold a few kilobytes.
inline constexpr std::size_t kMaxPartBytes = 16u << 20;

enum class PartLoad { Ok, Missing, Unreadable };

// One XML part of a package, parsed for reading or editing.
struct XmlPart {
    std::string name;
    pugi::xml_document doc;
    std::string bom;          // a UTF-8 byte-order mark the part started with, written back
    std::string afterProlog;  // white space between the XML declaration and the rest, kept
    bool changed = false;     // edited, or created
};

// Reads and parses the named entry of package.
PartLoad loadXmlPart(const PackageReader& package, std::string_view name, XmlPart& part);
// Parses bytes into part. Refuses (false) what could be unsafe or read wrongly: a document
// type declaration (and so every entity), references other than the predefined and
// character ones, invalid UTF-8, characters XML 1.0 forbids, encodings other than UTF-8,
// and more namespace declarations than any real part needs.
bool parseXmlPart(std::string_view bytes, XmlPart& part);
// The part as bytes, keeping its declaration, namespaces and untouched nodes.
std::string serializeXmlPart(const XmlPart& part);

// Whether text can be stored as XML 1.0 character data: valid UTF-8 of allowed characters.
bool isStorableText(std::string_view text);

// pugixml keeps qualified names; these resolve prefixes through the xmlns declarations in
// scope, so that a part with other prefixes (or a default namespace) reads the same.

// The namespace bindings in scope at an element, gathered once, so that looking up many
// names costs no more than the declarations (a hostile part may hold very many of both).
class NamespaceScope {
  public:
    explicit NamespaceScope(pugi::xml_node scope);
    // The namespace of prefix; empty when unbound.
    std::string_view resolve(std::string_view prefix) const;
    // The same at a child of the scope, which may declare the prefix itself.
    std::string_view resolveAt(pugi::xml_node child, std::string_view prefix) const;
    // The namespace of an element below scopeElement (the scope's own element), which it or
    // the elements between may declare themselves.
    std::string_view namespaceBelow(pugi::xml_node element, pugi::xml_node scopeElement) const;
    // A prefix bound to ns, preferredPrefix first; empty when none is.
    std::string prefixBoundTo(std::string_view ns, std::string_view preferredPrefix) const;

  private:
    std::map<std::string_view, std::string_view> m_bound;
};

std::string_view namespaceOf(pugi::xml_node element);
std::string_view localName(std::string_view qualifiedName);
bool hasName(pugi::xml_node element, std::string_view ns, std::string_view local);
// The element children of parent with that name, in document order; the first of them.
std::vector<pugi::xml_node> childrenNamed(pugi::xml_node parent, std::string_view ns,
                                          std::string_view local);
pugi::xml_node findChild(pugi::xml_node parent, std::string_view ns, std::string_view local);
pugi::xml_attribute findAttribute(pugi::xml_node element, std::string_view ns,
                                  std::string_view local);
// The same for one of many children of the scope's element.
pugi::xml_attribute findAttribute(pugi::xml_node element, std::string_view ns,
                                  std::string_view local, const NamespaceScope& parentScope);
// text without the XML white space around it.
std::string_view trimXmlSpace(std::string_view text);
// The character data of an element's direct children (text and CDATA), joined.
std::string textOf(pugi::xml_node element);
// Makes text the only content of element; false when it already was.
bool replaceText(pugi::xml_node element, std::string_view text);
// A new last child (or attribute) in namespace ns, reusing a prefix in scope for ns or
// declaring preferredPrefix.
pugi::xml_node appendElement(pugi::xml_node parent, std::string_view ns, std::string_view local,
                             std::string_view preferredPrefix);
pugi::xml_attribute appendAttribute(pugi::xml_node element, std::string_view ns,
                                    std::string_view local, std::string_view preferredPrefix);

}  // namespace quorvel::package
