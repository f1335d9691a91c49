// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/xmp_packet.h"

#include <pugixml.hpp>

#include <vector>

namespace quorvel::pdf {
namespace {

constexpr std::string_view kRdfNs = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::string_view kDcNs = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kXmpNs = "http://ns.adobe.com/xap/1.0/";
constexpr std::string_view kPdfNs = "http://ns.adobe.com/pdf/1.3/";

struct QualifiedName {
    std::string_view prefix;
    std::string_view local;
};

QualifiedName splitName(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos
               ? QualifiedName{{}, name}
               : QualifiedName{name.substr(0, colon), name.substr(colon + 1)};
}

// The URI a prefix stands for at node, from the declarations on it and around it.
std::string_view namespaceOf(pugi::xml_node node, std::string_view prefix) {
    const std::string declaration = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    for (; node; node = node.parent()) {
        if (const pugi::xml_attribute found = node.attribute(declaration.c_str())) {
            return found.value();
        }
    }
    return {};
}

bool isElement(pugi::xml_node node, std::string_view ns, std::string_view local) {
    const QualifiedName name = splitName(node.name());
    return node.type() == pugi::node_element && name.local == local &&
           namespaceOf(node, name.prefix) == ns;
}

// Unprefixed attributes belong to no namespace.
bool isAttribute(pugi::xml_attribute attribute, pugi::xml_node owner, std::string_view ns,
                 std::string_view local) {
    const QualifiedName name = splitName(attribute.name());
    return !name.prefix.empty() && name.local == local && namespaceOf(owner, name.prefix) == ns;
}

// Every rdf:Description, found without recursion however deep the packet nests.
class DescriptionCollector final : public pugi::xml_tree_walker {
  public:
    bool for_each(pugi::xml_node& node) override {
        if (isElement(node, kRdfNs, "Description")) {
            found.push_back(node);
        }
        return true;
    }
    std::vector<pugi::xml_node> found;
};

// The items of an array property (an alternative gives its x-default item, else its first),
// or the text of a simple one.
std::vector<std::string> itemsOf(pugi::xml_node property) {
    for (const pugi::xml_node array : property.children()) {
        const bool alternative = isElement(array, kRdfNs, "Alt");
        if (!alternative && !isElement(array, kRdfNs, "Seq") && !isElement(array, kRdfNs, "Bag")) {
            continue;
        }
        std::vector<std::string> items;
        for (const pugi::xml_node item : array.children()) {
            if (!isElement(item, kRdfNs, "li")) {
                continue;
            }
            if (alternative &&
                std::string_view(item.attribute("xml:lang").value()) == "x-default") {
                return {item.text().get()};
            }
            items.emplace_back(item.text().get());
        }
        if (alternative && items.size() > 1) {
            items.resize(1);
        }
        return items;
    }
    return {property.text().get()};
}

// A property's items, written as an element or an attribute of any description.
std::optional<std::vector<std::string>> findProperty(
    const std::vector<pugi::xml_node>& descriptions, std::string_view ns, std::string_view local) {
    for (const pugi::xml_node description : descriptions) {
        for (const pugi::xml_attribute attribute : description.attributes()) {
            if (isAttribute(attribute, description, ns, local)) {
                return std::vector<std::string>{attribute.value()};
            }
        }
        for (const pugi::xml_node child : description.children()) {
            if (isElement(child, ns, local)) {
                return itemsOf(child);
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> joined(const std::optional<std::vector<std::string>>& items,
                                  std::string_view separator) {
    if (!items) {
        return std::nullopt;
    }
    std::string text;
    for (const std::string& item : *items) {
        text += (text.empty() ? "" : separator);
        text += item;
    }
    return text;
}

}  // namespace

XmpFields readXmpFields(std::string_view packet) {
    pugi::xml_document document;
    if (!document.load_buffer(packet.data(), packet.size(), pugi::parse_default)) {
        return {};
    }
    DescriptionCollector collector;
    document.traverse(collector);
    const auto& found = collector.found;
    XmpFields fields;
    fields.title = joined(findProperty(found, kDcNs, "title"), "");
    fields.description = joined(findProperty(found, kDcNs, "description"), "");
    fields.creators = joined(findProperty(found, kDcNs, "creator"), "; ");
    fields.keywords = joined(findProperty(found, kPdfNs, "Keywords"), "");
    if (!fields.keywords) {
        fields.keywords = joined(findProperty(found, kDcNs, "subject"), ", ");
    }
    fields.creatorTool = joined(findProperty(found, kXmpNs, "CreatorTool"), "");
    fields.createDate = joined(findProperty(found, kXmpNs, "CreateDate"), "");
    fields.modifyDate = joined(findProperty(found, kXmpNs, "ModifyDate"), "");
    fields.producer = joined(findProperty(found, kPdfNs, "Producer"), "");
    return fields;
}

}  // namespace quorvel::pdf
