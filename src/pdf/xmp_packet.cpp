// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/xmp_packet.h"

#include <pugixml.hpp>

#include <utility>
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

// Where a field lives in the packet, and how its value is laid out there.
enum class Layout : std::uint8_t { Simple, Alternative, Sequence, Bag };
struct PropertyPlace {
    std::string_view ns;
    std::string_view prefix;  // the usual one, declared where the namespace is not yet
    std::string_view local;
    Layout layout;
};

constexpr PropertyPlace kTitlePlace{kDcNs, "dc", "title", Layout::Alternative};
constexpr PropertyPlace kDescriptionPlace{kDcNs, "dc", "description", Layout::Alternative};
constexpr PropertyPlace kCreatorPlace{kDcNs, "dc", "creator", Layout::Sequence};
constexpr PropertyPlace kSubjectPlace{kDcNs, "dc", "subject", Layout::Bag};
constexpr PropertyPlace kKeywordsPlace{kPdfNs, "pdf", "Keywords", Layout::Simple};
constexpr PropertyPlace kProducerPlace{kPdfNs, "pdf", "Producer", Layout::Simple};
constexpr PropertyPlace kCreatorToolPlace{kXmpNs, "xmp", "CreatorTool", Layout::Simple};
constexpr PropertyPlace kCreateDatePlace{kXmpNs, "xmp", "CreateDate", Layout::Simple};
constexpr PropertyPlace kModifyDatePlace{kXmpNs, "xmp", "ModifyDate", Layout::Simple};
constexpr PropertyPlace kMetadataDatePlace{kXmpNs, "xmp", "MetadataDate", Layout::Simple};

constexpr std::string_view kEmptyPacket =
    "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">"
    "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
    "<rdf:Description rdf:about=\"\"/></rdf:RDF></x:xmpmeta><?xpacket end=\"w\"?>";
constexpr unsigned kPacketParse =
    pugi::parse_default | pugi::parse_pi | pugi::parse_declaration | pugi::parse_comments;

std::vector<std::string> splitItems(std::string_view text, std::string_view separators) {
    std::vector<std::string> items;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of(separators), text.size());
        std::string_view item = text.substr(0, end);
        const std::size_t first = item.find_first_not_of(' ');
        if (first != std::string_view::npos) {
            item = item.substr(first, item.find_last_not_of(' ') - first + 1);
            items.emplace_back(item);
        }
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return items;
}

void removeProperty(const std::vector<pugi::xml_node>& descriptions, const PropertyPlace& place) {
    for (pugi::xml_node description : descriptions) {
        std::vector<pugi::xml_attribute> attributes;
        for (const pugi::xml_attribute attribute : description.attributes()) {
            if (isAttribute(attribute, description, place.ns, place.local)) {
                attributes.push_back(attribute);
            }
        }
        for (const pugi::xml_attribute attribute : attributes) {
            description.remove_attribute(attribute);
        }
        std::vector<pugi::xml_node> elements;
        for (const pugi::xml_node child : description.children()) {
            if (isElement(child, place.ns, place.local)) {
                elements.push_back(child);
            }
        }
        for (const pugi::xml_node element : elements) {
            description.remove_child(element);
        }
    }
}

// The prefix that stands for ns at node; declared on node under the usual prefix (made
// unique) when none does.
std::string prefixFor(pugi::xml_node node, std::string_view ns, std::string_view usual) {
    for (pugi::xml_node scope = node; scope; scope = scope.parent()) {
        for (const pugi::xml_attribute attribute : scope.attributes()) {
            const std::string_view name = attribute.name();
            if (name.starts_with("xmlns:") && attribute.value() == ns) {
                return std::string(name.substr(6));
            }
        }
    }
    std::string prefix(usual);
    while (!namespaceOf(node, prefix).empty()) {
        prefix += '1';
    }
    node.append_attribute(("xmlns:" + prefix).c_str()).set_value(std::string(ns).c_str());
    return prefix;
}

void addProperty(pugi::xml_node description, const PropertyPlace& place,
                 const std::vector<std::string>& items) {
    const std::string prefix = prefixFor(description, place.ns, place.prefix);
    pugi::xml_node property = description.append_child((prefix + ":").append(place.local).c_str());
    if (place.layout == Layout::Simple) {
        property.text().set(items.empty() ? "" : items.front().c_str());
        return;
    }
    const std::string rdf = prefixFor(description, kRdfNs, "rdf") + ":";
    const char* array = place.layout == Layout::Alternative ? "Alt"
                        : place.layout == Layout::Sequence  ? "Seq"
                                                            : "Bag";
    pugi::xml_node list = property.append_child((rdf + array).c_str());
    for (const std::string& item : items) {
        pugi::xml_node entry = list.append_child((rdf + "li").c_str());
        if (place.layout == Layout::Alternative) {
            entry.append_attribute("xml:lang").set_value("x-default");
        }
        entry.text().set(item.c_str());
    }
}

// Sets a property to its items, or removes it for nullopt; one that reads as them stays.
void setProperty(const std::vector<pugi::xml_node>& descriptions, const PropertyPlace& place,
                 const std::optional<std::vector<std::string>>& items) {
    if (findProperty(descriptions, place.ns, place.local) == items) {
        return;
    }
    removeProperty(descriptions, place);
    if (items) {
        addProperty(descriptions.front(), place, *items);
    }
}

std::optional<std::vector<std::string>> single(const std::optional<std::string>& text) {
    return text ? std::optional(std::vector<std::string>{*text}) : std::nullopt;
}

std::optional<std::vector<std::string>> split(const std::optional<std::string>& text,
                                              std::string_view separators) {
    return text ? std::optional(splitItems(*text, separators)) : std::nullopt;
}

class StringWriter final : public pugi::xml_writer {
  public:
    void write(const void* data, size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }
    std::string text;
};

// The serialised packet, each "%" written as a character reference.
std::string packetText(const pugi::xml_document& document) {
    StringWriter writer;
    document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    std::string text;
    text.reserve(writer.text.size());
    for (const char c : writer.text) {
        text += c == '%' ? std::string_view("&#37;") : std::string_view(&c, 1);
    }
    return text;
}

std::vector<pugi::xml_node> descriptionsOf(pugi::xml_document& document) {
    DescriptionCollector collector;
    document.traverse(collector);
    return collector.found;
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

std::string rewriteXmpPacket(std::string_view packet, const XmpFields& values,
                             std::string_view metadataDate) {
    pugi::xml_document document;
    std::vector<pugi::xml_node> descriptions;
    if (document.load_buffer(packet.data(), packet.size(), kPacketParse)) {
        descriptions = descriptionsOf(document);
    }
    if (descriptions.empty()) {
        document.load_buffer(kEmptyPacket.data(), kEmptyPacket.size(), kPacketParse);
        descriptions = descriptionsOf(document);
    }
    setProperty(descriptions, kTitlePlace, single(values.title));
    setProperty(descriptions, kDescriptionPlace, single(values.description));
    setProperty(descriptions, kCreatorPlace, split(values.creators, ";"));
    if (findProperty(descriptions, kPdfNs, "Keywords") != single(values.keywords)) {
        setProperty(descriptions, kKeywordsPlace, single(values.keywords));
        setProperty(descriptions, kSubjectPlace, split(values.keywords, ",;"));
    }
    setProperty(descriptions, kCreatorToolPlace, single(values.creatorTool));
    setProperty(descriptions, kCreateDatePlace, single(values.createDate));
    setProperty(descriptions, kModifyDatePlace, single(values.modifyDate));
    setProperty(descriptions, kProducerPlace, single(values.producer));
    setProperty(descriptions, kMetadataDatePlace, single(std::string(metadataDate)));
    return packetText(document);
}

}  // namespace quorvel::pdf
