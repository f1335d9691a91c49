// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/ooxml_properties.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <set>

#include "package/ooxml_custom.h"
#include "package/property_edit.h"
#include "package/xml_part.h"

namespace quorvel::package {
namespace {

using props::MessageCode;

// Namespaces (ECMA-376 Part 2 for the package and core properties, Part 1 for the
// extended ones; Strict writes the extended ones under purl.oclc.org).
constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::string_view kContentTypesNs =
    "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr std::string_view kCoreNs =
    "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
constexpr std::string_view kDcNs = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kDctermsNs = "http://purl.org/dc/terms/";
constexpr std::string_view kXsiNs = "http://www.w3.org/2001/XMLSchema-instance";
constexpr std::string_view kAppNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
constexpr std::string_view kStrictAppNs =
    "http://purl.oclc.org/ooxml/officeDocument/extendedProperties";

constexpr std::string_view kCoreRelationship =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
constexpr std::array<std::string_view, 3> kCoreRelationships = {
    kCoreRelationship,
    "http://schemas.openxmlformats.org/officedocument/2006/relationships/metadata/core-properties",
    "http://purl.oclc.org/ooxml/officeDocument/relationships/metadata/core-properties"};
constexpr std::string_view kAppRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
constexpr std::string_view kStrictAppRelationship =
    "http://purl.oclc.org/ooxml/officeDocument/relationships/extendedProperties";
constexpr std::array<std::string_view, 3> kAppRelationships = {
    kAppRelationship,
    "http://schemas.openxmlformats.org/officedocument/2006/relationships/extended-properties",
    kStrictAppRelationship};
constexpr std::string_view kStrictPrefix = "http://purl.oclc.org/ooxml/";

constexpr std::string_view kRelsName = "_rels/.rels";
constexpr std::string_view kContentTypesName = "[Content_Types].xml";

// Parts as Office creates them.
constexpr std::string_view kNewCore =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<cp:coreProperties "
    "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
    "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"></cp:coreProperties>";
constexpr std::string_view kNewPropertiesHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<Properties xmlns=\"";
constexpr std::string_view kNewPropertiesMiddle = "\" xmlns:vt=\"";
constexpr std::string_view kNewPropertiesTail = "\"></Properties>";

constexpr std::string_view kCoreContentType =
    "application/vnd.openxmlformats-package.core-properties+xml";
constexpr std::string_view kAppContentType =
    "application/vnd.openxmlformats-officedocument.extended-properties+xml";

enum class Part { Core, App };
enum class Kind { Text, Date, Minutes };

// Where a catalogue row lives. App elements are in the namespace of the part's root
// (transitional or Strict).
struct Place {
    std::size_t row;
    Part part;
    std::string_view ns;
    std::string_view local;
    std::string_view prefix;
    Kind kind;
};

constexpr std::array<Place, 20> kPlaces = {{
    {0, Part::Core, kDcNs, "title", "dc", Kind::Text},
    {1, Part::Core, kDcNs, "subject", "dc", Kind::Text},
    {2, Part::Core, kDcNs, "creator", "dc", Kind::Text},
    {3, Part::Core, kCoreNs, "keywords", "cp", Kind::Text},
    {4, Part::Core, kDcNs, "description", "dc", Kind::Text},
    {5, Part::App, {}, "Template", {}, Kind::Text},
    {6, Part::Core, kCoreNs, "lastModifiedBy", "cp", Kind::Text},
    {7, Part::Core, kCoreNs, "revision", "cp", Kind::Text},
    {8, Part::App, {}, "TotalTime", {}, Kind::Minutes},
    {9, Part::Core, kCoreNs, "lastPrinted", "cp", Kind::Date},
    {10, Part::Core, kDctermsNs, "created", "dcterms", Kind::Date},
    {11, Part::Core, kDctermsNs, "modified", "dcterms", Kind::Date},
    {12, Part::App, {}, "Pages", {}, Kind::Text},
    {13, Part::App, {}, "Words", {}, Kind::Text},
    {14, Part::App, {}, "Characters", {}, Kind::Text},
    {16, Part::App, {}, "Application", {}, Kind::Text},
    {18, Part::Core, kCoreNs, "category", "cp", Kind::Text},
    {21, Part::App, {}, "Lines", {}, Kind::Text},
    {22, Part::App, {}, "Paragraphs", {}, Kind::Text},
    {31, Part::App, {}, "Company", {}, Kind::Text},
}};

const Place* placeOf(std::size_t row) {
    for (const Place& place : kPlaces) {
        if (place.row == row) {
            return &place;
        }
    }
    return nullptr;
}

constexpr std::uint64_t kUnitsPerMinute = 600'000'000;

// A whole number of minutes, small enough to be held as a duration in file-time units.
std::optional<std::uint64_t> parseMinutes(std::string_view text) {
    text = trimXmlSpace(text);
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    std::uint64_t minutes = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        minutes = minutes * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return minutes <= std::numeric_limits<std::uint64_t>::max() / kUnitsPerMinute
               ? std::optional(minutes)
               : std::nullopt;
}

std::optional<FileTime> w3cdtfMoment(std::string_view text) {
    const std::optional<DateTimeText> parsed = parseDateTime(trimXmlSpace(text));
    // A date without a zone breaks W3CDTF's rule; Office writes UTC, so read it as UTC.
    return parsed ? momentOf(*parsed, ZonelessAs::Utc) : std::nullopt;
}

// --- Finding the parts -------------------------------------------------------------------

// OPC part names compare without regard to ASCII case.
bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The entry name of a relationship target relative to the package root.
std::string resolveTarget(std::string_view target) {
    std::vector<std::string_view> segments;
    while (!target.empty()) {
        const std::size_t slash = target.find('/');
        const std::string_view segment = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view{} : target.substr(slash + 1);
        if (segment == "..") {
            if (!segments.empty()) {
                segments.pop_back();
            }
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
    }
    std::string name;
    for (const std::string_view segment : segments) {
        if (!name.empty()) {
            name += '/';
        }
        name += segment;
    }
    return name;
}

std::optional<std::string> existingEntry(const PackageReader& package, std::string_view name) {
    for (const std::string& entry : package.entryNames()) {
        if (sameName(entry, name)) {
            return entry;
        }
    }
    return std::nullopt;
}

// A properties part as the package relationships name it.
struct PartLocation {
    bool related = false;  // a relationship of the part's type exists
    std::string name;      // its target; for an unrelated part, the name to create it under
    bool exists = false;
};

template <std::size_t N>
PartLocation locate(const PackageReader& package, const XmlPart& rels,
                    const std::array<std::string_view, N>& types, std::string_view defaultName) {
    PartLocation location;
    const pugi::xml_node root = rels.doc.document_element();
    for (const pugi::xml_node relationship :
         childrenNamed(root, kRelationshipsNs, "Relationship")) {
        const std::string_view type = relationship.attribute("Type").value();
        if (std::string_view(relationship.attribute("TargetMode").value()) == "External" ||
            std::find(types.begin(), types.end(), type) == types.end()) {
            continue;
        }
        location.related = true;
        location.name = resolveTarget(relationship.attribute("Target").value());
        if (const auto entry = existingEntry(package, location.name)) {
            location.name = *entry;
            location.exists = true;
        }
        return location;
    }
    location.name = defaultName;
    for (int n = 1; existingEntry(package, location.name); ++n) {
        const std::size_t dot = defaultName.rfind('.');
        location.name = std::string(defaultName.substr(0, dot)) + std::to_string(n) +
                        std::string(defaultName.substr(dot));
    }
    return location;
}

// An empty app or custom part: a Properties root in ns, the value types bound to vt.
std::string newPropertiesPart(std::string_view ns, bool strict) {
    return std::string(kNewPropertiesHead) + std::string(ns) + std::string(kNewPropertiesMiddle) +
           std::string(strict ? kStrictVtNs : kVtNs) + std::string(kNewPropertiesTail);
}

bool isStrict(const XmlPart& rels) {
    for (const pugi::xml_node relationship : rels.doc.document_element().children()) {
        if (std::string_view(relationship.attribute("Type").value()).starts_with(kStrictPrefix)) {
            return true;
        }
    }
    return false;
}

// --- The parts of one package --------------------------------------------------------------

class OoxmlParts final : public PropertyEditor {
  public:
    explicit OoxmlParts(const PackageReader& package) : m_package(package) {}

    // False when the package relationships cannot be read.
    bool locateParts() {
        if (loadXmlPart(m_package, kRelsName, m_rels) != PartLoad::Ok ||
            !hasName(m_rels.doc.document_element(), kRelationshipsNs, "Relationships")) {
            return false;
        }
        m_core.location = locate(m_package, m_rels, kCoreRelationships, "docProps/core.xml");
        m_app.location = locate(m_package, m_rels, kAppRelationships, "docProps/app.xml");
        m_custom.location = locate(m_package, m_rels, kCustomRelationships, "docProps/custom.xml");
        return true;
    }

    PartLoad loadCore() { return load(m_core, kCoreNs, "coreProperties"); }
    PartLoad loadApp() { return loadProperties(m_app, kAppNs, kStrictAppNs); }

    bool createCore() {
        return create(m_core, std::string(kNewCore), kCoreRelationship, kCoreContentType);
    }
    bool createApp() {
        const bool strict = isStrict(m_rels);
        return create(m_app, newPropertiesPart(strict ? kStrictAppNs : kAppNs, strict),
                      strict ? kStrictAppRelationship : kAppRelationship, kAppContentType);
    }

    // The user-defined properties; a damaged custom part leaves the list empty (110).
    props::CustomProperties readCustom() {
        props::CustomProperties custom;
        switch (loadCustom()) {
            case PartLoad::Ok:
                custom.items = m_customProperties->properties();
                break;
            case PartLoad::Missing:
                break;
            default:
                custom.status = props::kDocSummaryReadFailed;
        }
        return custom;
    }

    // A missing custom part is created when an edit adds a property.
    MessageCode applyCustomEdits(const std::vector<props::CustomEdit>& edits) override {
        const PartLoad loaded = loadCustom();
        if (loaded == PartLoad::Unreadable) {
            return props::kDocSummaryReadFailed;
        }
        const bool strict = isStrict(m_rels);
        if (loaded == PartLoad::Missing &&
            !startCustom(newPropertiesPart(strict ? kStrictCustomNs : kCustomNs, strict))) {
            return props::kNoDocSummary;
        }
        if (!m_customProperties->applyEdits(edits)) {
            return props::kDocSummaryWriteFailed;
        }
        if (loaded == PartLoad::Missing && m_custom.xml.changed &&
            !announce(m_custom, strict ? kStrictCustomRelationship : kCustomRelationship,
                      kCustomContentType)) {
            m_custom.xml.changed = false;
            return props::kNoDocSummary;
        }
        return props::kSuccess;
    }

    void readInto(props::DocProperties& props) const {
        props.assign(m_app.loaded ? props::kCatalogueSize : props::kSummaryBlockSize, {});
        for (const Place& place : kPlaces) {
            if (place.row < props.size()) {
                if (const pugi::xml_node element = find(place)) {
                    props[place.row] = entryOf(place, textOf(element));
                }
            }
        }
    }

    void setText(std::size_t row, std::string_view text) override {
        const Place* place = placeOf(row);
        PartState& part = stateOf(*place);
        pugi::xml_node element = find(*place);
        if (!part.loaded || (!element && text.empty())) {
            return;
        }
        if (!element) {
            element = appendElement(part.xml.doc.document_element(), nsOf(*place), place->local,
                                    place->prefix);
        }
        part.xml.changed |= replaceText(element, text);
    }

    void replaceTime(std::size_t row, FileTime time) override {
        const Place* place = placeOf(row);
        const pugi::xml_node element = find(*place);
        if (!element) {
            return;
        }
        const std::string current = textOf(element);
        std::optional<std::string> text;
        if (place->kind == Kind::Minutes) {
            const auto minutes = parseMinutes(current);
            if (minutes && *minutes != time / kUnitsPerMinute) {
                text = std::to_string(time / kUnitsPerMinute);
            }
        } else {
            const auto moment = w3cdtfMoment(current);
            if (moment && *moment != time) {
                text = w3cdtfText(time);
                markW3cdtf(*place, element);
            }
        }
        if (text) {
            stateOf(*place).xml.changed |= replaceText(element, *text);
        }
    }

    void collectChanges(PackageChanges& changes) const {
        for (const XmlPart* part :
             {&m_core.xml, &m_app.xml, &m_custom.xml, &m_contentTypes, &m_rels}) {
            if (part->changed) {
                changes.push_back({part->name, serializeXmlPart(*part)});
            }
        }
    }

  private:
    struct PartState {
        PartLocation location;
        XmlPart xml;
        bool loaded = false;
    };

    PartLoad load(PartState& part, std::string_view ns, std::string_view rootName) {
        if (!part.location.exists) {
            return PartLoad::Missing;
        }
        if (loadXmlPart(m_package, part.location.name, part.xml) != PartLoad::Ok ||
            !hasName(part.xml.doc.document_element(), ns, rootName)) {
            return PartLoad::Unreadable;
        }
        part.loaded = true;
        return PartLoad::Ok;
    }

    // An app or custom part, transitional or Strict.
    PartLoad loadProperties(PartState& part, std::string_view ns, std::string_view strictNs) {
        const PartLoad loaded = load(part, ns, "Properties");
        return loaded != PartLoad::Unreadable ? loaded : load(part, strictNs, "Properties");
    }

    PartLoad loadCustom() {
        if (m_customProperties) {
            return PartLoad::Ok;
        }
        const PartLoad loaded = loadProperties(m_custom, kCustomNs, kStrictCustomNs);
        if (loaded == PartLoad::Ok) {
            m_customProperties.emplace(m_custom.xml);
        }
        return loaded;
    }

    // A new part with its content-type override and, unless one names it already, its
    // package relationship.
    bool create(PartState& part, const std::string& content, std::string_view relationshipType,
                std::string_view contentType) {
        if (!parseNew(part, content) || !announce(part, relationshipType, contentType)) {
            return false;
        }
        part.xml.changed = true;
        part.loaded = true;
        return true;
    }

    // The custom part, new and not announced yet: only an edit that adds a property makes it.
    bool startCustom(const std::string& content) {
        if (!parseNew(m_custom, content)) {
            return false;
        }
        m_customProperties.emplace(m_custom.xml);
        return true;
    }

    static bool parseNew(PartState& part, const std::string& content) {
        if (!parseXmlPart(content, part.xml)) {
            return false;
        }
        part.xml.name = part.location.name;
        return true;
    }

    bool announce(const PartState& part, std::string_view relationshipType,
                  std::string_view contentType) {
        return addOverride(part.location.name, contentType) &&
               (part.location.related || addRelationship(part.location.name, relationshipType));
    }

    bool addOverride(std::string_view name, std::string_view contentType) {
        if (m_contentTypes.name.empty() &&
            (loadXmlPart(m_package, kContentTypesName, m_contentTypes) != PartLoad::Ok ||
             !hasName(m_contentTypes.doc.document_element(), kContentTypesNs, "Types"))) {
            return false;
        }
        std::string partName = "/";
        partName += name;
        const pugi::xml_node types = m_contentTypes.doc.document_element();
        pugi::xml_node override;
        for (const pugi::xml_node child : childrenNamed(types, kContentTypesNs, "Override")) {
            if (sameName(child.attribute("PartName").value(), partName)) {
                override = child;
            }
        }
        if (!override) {
            override = appendElement(types, kContentTypesNs, "Override", {});
            override.append_attribute("PartName").set_value(partName.c_str());
        }
        const std::string type(contentType);
        (override.attribute("ContentType") ? override.attribute("ContentType")
                                           : override.append_attribute("ContentType"))
            .set_value(type.c_str());
        m_contentTypes.changed = true;
        return true;
    }

    bool addRelationship(std::string_view name, std::string_view type) {
        const pugi::xml_node root = m_rels.doc.document_element();
        std::set<std::string_view> used;
        for (const pugi::xml_node child : root.children()) {
            used.insert(child.attribute("Id").value());
        }
        std::string id = "rId1";
        for (int n = 2; used.contains(id); ++n) {
            id = "rId" + std::to_string(n);
        }
        pugi::xml_node relationship = appendElement(root, kRelationshipsNs, "Relationship", {});
        relationship.append_attribute("Id").set_value(id.c_str());
        relationship.append_attribute("Type").set_value(std::string(type).c_str());
        relationship.append_attribute("Target").set_value(std::string(name).c_str());
        m_rels.changed = true;
        return true;
    }

    // Office types the dcterms dates as W3CDTF; a date without the type is given it.
    static void markW3cdtf(const Place& place, pugi::xml_node element) {
        if (place.ns != kDctermsNs || findAttribute(element, kXsiNs, "type")) {
            return;
        }
        // The value is a qualified name: its prefix must be the one bound to dcterms.
        const std::string_view name = element.name();
        const std::size_t colon = name.find(':');
        if (colon != std::string_view::npos) {
            appendAttribute(element, kXsiNs, "type", "xsi")
                .set_value((std::string(name.substr(0, colon)) + ":W3CDTF").c_str());
        }
    }

    static props::PropertyEntry entryOf(const Place& place, std::string text) {
        switch (place.kind) {
            case Kind::Date: {
                const std::optional<FileTime> moment = w3cdtfMoment(text);
                return timeOrTextEntry(moment, std::move(text));
            }
            case Kind::Minutes: {
                const auto minutes = parseMinutes(text);
                const auto duration =
                    minutes ? std::optional<FileTime>(*minutes * kUnitsPerMinute) : std::nullopt;
                return timeOrTextEntry(duration, std::move(text));
            }
            default:
                return textEntry(std::move(text));
        }
    }

    const PartState& stateOf(const Place& place) const {
        return place.part == Part::Core ? m_core : m_app;
    }
    PartState& stateOf(const Place& place) { return place.part == Part::Core ? m_core : m_app; }

    std::string_view nsOf(const Place& place) const {
        return place.part == Part::Core ? place.ns : namespaceOf(m_app.xml.doc.document_element());
    }

    pugi::xml_node find(const Place& place) const {
        const PartState& part = stateOf(place);
        return part.loaded ? findChild(part.xml.doc.document_element(), nsOf(place), place.local)
                           : pugi::xml_node{};
    }

    const PackageReader& m_package;
    XmlPart m_rels;
    XmlPart m_contentTypes;
    PartState m_core;
    PartState m_app;
    PartState m_custom;
    std::optional<OoxmlCustomProperties> m_customProperties;
};

// Which app-part rows the first set of a request writes to.
bool ticksAppFields(const props::PropertyWriteRequest& request) {
    const FieldRange first = summaryFields(request);
    return ticksRow(request, first, 5) || ticksRow(request, first, 16);
}

bool writesEditTime(const props::PropertyWriteRequest& request) {
    return request.dates && request.dateCount > 0 && (*request.dates)[0] != 0;
}

}  // namespace

MessageCode readOoxmlProperties(const PackageReader& package, props::DocProperties& props,
                                props::CustomProperties* custom) {
    props.clear();
    OoxmlParts parts(package);
    if (!parts.locateParts()) {
        if (custom != nullptr) {
            *custom = {{}, props::kDocSummaryReadFailed};
        }
        return props::kSummaryReadFailed;
    }
    // The custom part stands on its own: read even without a readable core part.
    if (custom != nullptr) {
        *custom = parts.readCustom();
    }
    switch (parts.loadCore()) {
        case PartLoad::Ok:
            break;
        case PartLoad::Missing:
            return props::kNoSummary;
        default:
            return props::kSummaryReadFailed;
    }
    // A missing or unreadable app part is not an error: the record keeps 18 entries.
    parts.loadApp();
    parts.readInto(props);
    return props::kSuccess;
}

MessageCode planOoxmlWrite(const PackageReader& package, const props::PropertyWriteRequest& request,
                           bool createMissing, PackageChanges& changes) {
    changes.clear();
    OoxmlParts parts(package);
    if (!parts.locateParts()) {
        return props::kNoSummary;
    }
    switch (parts.loadCore()) {
        case PartLoad::Ok:
            break;
        case PartLoad::Missing:
            if (!createMissing || !parts.createCore()) {
                return props::kNoSummary;
            }
            break;
        default:
            return props::kSummaryReadFailed;
    }
    const FieldRange first = summaryFields(request);
    if (!storableFields(request, first) || !storableDates(request, w3cdtfText)) {
        return props::kSummaryWriteFailed;
    }
    // Template, application name and edit time of the first set live in the app part; it
    // is needed for them only when they are written.
    MessageCode result = props::kSuccess;
    const bool needsApp = ticksAppFields(request) || request.writeDocSummary;
    if (needsApp || writesEditTime(request)) {
        switch (parts.loadApp()) {
            case PartLoad::Ok:
                break;
            case PartLoad::Missing:
                if (needsApp && (!createMissing || !parts.createApp())) {
                    result = props::kNoDocSummary;
                }
                break;
            default:
                result = props::kDocSummaryReadFailed;
        }
    }
    // Without the app part its fields are left out; the core part is still written.
    applyFields(request, first, parts);
    // The second set: Category in the core part, Company in the app part, the user-defined
    // properties in the custom part. A missing app part leaves out only what it would hold
    // (109); an unreadable one the whole set (110).
    if (result != props::kDocSummaryReadFailed) {
        const MessageCode second = applySecondSet(request, parts);
        result = result == props::kSuccess ? second : result;
    }
    parts.collectChanges(changes);
    return result;
}

}  // namespace quorvel::package
