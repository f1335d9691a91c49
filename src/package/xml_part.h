#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string>
#include <string_view>

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
// character ones, invalid UTF-8, characters XML 1.0 forbids, encodings other than UTF-8.
bool parseXmlPart(std::string_view bytes, XmlPart& part);
// The part as bytes, keeping its declaration, namespaces and untouched nodes.
std::string serializeXmlPart(const XmlPart& part);

// Whether text can be stored as XML 1.0 character data: valid UTF-8 of allowed characters.
bool isStorableText(std::string_view text);

// pugixml keeps qualified names; these resolve prefixes through the xmlns declarations in
// scope, so that a part with other prefixes (or a default namespace) reads the same.
std::string_view namespaceOf(pugi::xml_node element);
std::string_view localName(std::string_view qualifiedName);
bool hasName(pugi::xml_node element, std::string_view ns, std::string_view local);
pugi::xml_node findChild(pugi::xml_node parent, std::string_view ns, std::string_view local);
pugi::xml_attribute findAttribute(pugi::xml_node element, std::string_view ns,
                                  std::string_view local);
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
