// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/odf_properties.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "package/custom_edit.h"
#include "package/property_edit.h"
#include "package/xml_part.h"

namespace quorvel::package {
namespace {

using props::MessageCode;

// Namespaces of ODF 1.2/1.3 (OASIS OpenDocument, Part 3 section 4 for meta.xml).
constexpr std::string_view kOfficeNs = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr std::string_view kMetaNs = "urn:oasis:names:tc:opendocument:xmlns:meta:1.0";
constexpr std::string_view kDcNs = "http://purl.org/dc/elements/1.1/";
constexpr std::string_view kXlinkNs = "http://www.w3.org/1999/xlink";
constexpr std::string_view kManifestNs = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";

constexpr std::string_view kMetaName = "meta.xml";
constexpr std::string_view kManifestName = "META-INF/manifest.xml";

// meta.xml as LibreOffice creates it; the version is the package's.
constexpr std::string_view kNewMetaHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-meta "
    "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
    "xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\" office:version=\"";
constexpr std::string_view kNewMetaTail = "\"><office:meta/></office:document-meta>";
constexpr std::string_view kDefaultVersion = "1.2";
constexpr std::string_view kImportedCategory = "OOXMLCorePropertyCategory";

enum class Kind { Text, Date, Duration, Keywords, TemplateTitle, Statistic, UserDefined };

// Where a catalogue row lives in office:meta. For a statistic, local names the
// attribute of meta:document-statistic; for a user-defined field, its meta:name.
struct Place {
    std::size_t row;
    std::string_view ns;
    std::string_view local;
    std::string_view prefix;
    Kind kind;
};

constexpr std::array<Place, 19> kPlaces = {{
    {0, kDcNs, "title", "dc", Kind::Text},
    {1, kDcNs, "subject", "dc", Kind::Text},
    {2, kMetaNs, "initial-creator", "meta", Kind::Text},
    {3, kMetaNs, "keyword", "meta", Kind::Keywords},
    {4, kDcNs, "description", "dc", Kind::Text},
    {5, kMetaNs, "template", "meta", Kind::TemplateTitle},
    {6, kDcNs, "creator", "dc", Kind::Text},
    {7, kMetaNs, "editing-cycles", "meta", Kind::Text},
    {8, kMetaNs, "editing-duration", "meta", Kind::Duration},
    {9, kMetaNs, "print-date", "meta", Kind::Date},
    {10, kMetaNs, "creation-date", "meta", Kind::Date},
    {11, kDcNs, "date", "dc", Kind::Date},
    {12, kMetaNs, "page-count", "meta", Kind::Statistic},
    {13, kMetaNs, "word-count", "meta", Kind::Statistic},
    {14, kMetaNs, "character-count", "meta", Kind::Statistic},
    {16, kMetaNs, "generator", "meta", Kind::Text},
    {18, kMetaNs, "Category", "meta", Kind::UserDefined},
    {22, kMetaNs, "paragraph-count", "meta", Kind::Statistic},
    {31, kMetaNs, "Company", "meta", Kind::UserDefined},
}};

const Place& placeOf(std::size_t row) {
    for (const Place& place : kPlaces) {
        if (place.row == row) {
            return place;
        }
    }
    return kPlaces.front();  // every editable row has a place
}

// "a, b ,c" -> {"a", "b", "c"}; empty pieces dropped.
std::vector<std::string> splitKeywords(std::string_view text) {
    std::vector<std::string> keywords;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view piece = trimXmlSpace(text.substr(0, comma));
        if (!piece.empty()) {
            keywords.emplace_back(piece);
        }
        if (comma == std::string_view::npos) {
            return keywords;
        }
        text.remove_prefix(comma + 1);
    }
}

// The meta:value-type each type is written as, in the order of CustomType.
constexpr std::array<std::string_view, 5> kValueTypes = {"string", "float", "float", "date",
                                                         "boolean"};

// A user-defined field's value: a float is an integer when written as one that fits 32
// bits; a time (a duration) and unknown types are kept as they are.
props::CustomProperty userDefinedProperty(std::string name, std::string_view valueType,
                                          const std::string& text) {
    using props::CustomType;
    const std::string_view trimmed = trimXmlSpace(text);
    if (valueType.empty() || valueType == "string") {
        return customPropertyOf(std::move(name), CustomType::Text, text, text);
    }
    if (valueType == "float") {
        const bool integer = props::canonicalCustomValue(CustomType::Integer, trimmed) == trimmed;
        const CustomType type = integer ? CustomType::Integer : CustomType::Real;
        return customPropertyOf(std::move(name), type, props::canonicalCustomValue(type, trimmed),
                                text);
    }
    if (valueType == "date") {
        return customPropertyOf(std::move(name), CustomType::Date,
                                customDateOf(text, ZonelessAs::LocalTime), text);
    }
    if (valueType == "boolean") {
        return customPropertyOf(std::move(name), CustomType::Bool,
                                props::canonicalCustomValue(CustomType::Bool, trimmed), text);
    }
    return customPropertyOf(std::move(name), CustomType::Other, std::nullopt, text);
}

std::optional<FileTime> odfMoment(std::string_view text) {
    const std::optional<DateTimeText> parsed = parseDateTime(trimXmlSpace(text));
    return parsed ? momentOf(*parsed, ZonelessAs::LocalTime) : std::nullopt;
}

// Whether name, compared by same, is that of a user-defined field holding a fixed field.
template <typename Same>
bool namesFixedField(std::string_view name, Same same) {
    return same(name, kImportedCategory) ||
           std::any_of(kPlaces.begin(), kPlaces.end(), [&](const Place& place) {
               return place.kind == Kind::UserDefined && same(place.local, name);
           });
}

// The other meta:user-defined fields are the document's user-defined properties.
class OdfMeta final : public PropertyEditor, public CustomPropertyEditor {
  public:
    explicit OdfMeta(const PackageReader& package) : m_package(package) {}

    PartLoad load() {
        const PartLoad loaded = loadXmlPart(m_package, kMetaName, m_meta);
        if (loaded != PartLoad::Ok) {
            return loaded;
        }
        const pugi::xml_node root = m_meta.doc.document_element();
        if (!hasName(root, kOfficeNs, "document-meta")) {
            return PartLoad::Unreadable;
        }
        m_office = findChild(root, kOfficeNs, "meta");
        readUserDefined();
        return PartLoad::Ok;
    }

    // A new meta.xml, listed in the manifest when the package has one.
    bool create() {
        XmlPart manifest;
        const PartLoad manifestLoad = loadXmlPart(m_package, kManifestName, manifest);
        const pugi::xml_node root = manifest.doc.document_element();
        if (manifestLoad == PartLoad::Unreadable ||
            (manifestLoad == PartLoad::Ok && !hasName(root, kManifestNs, "manifest"))) {
            return false;
        }
        std::string version(kDefaultVersion);
        if (const pugi::xml_attribute declared = findAttribute(root, kManifestNs, "version")) {
            version = declared.value();
        }
        if (!isStorableText(version) || version.find_first_of("\"<&") != std::string::npos ||
            !parseXmlPart(std::string(kNewMetaHead) + version + std::string(kNewMetaTail),
                          m_meta)) {
            return false;
        }
        m_meta.name = kMetaName;
        m_meta.changed = true;
        m_office = findChild(m_meta.doc.document_element(), kOfficeNs, "meta");
        if (manifestLoad == PartLoad::Ok) {
            listInManifest(manifest);
        }
        return true;
    }

    void readInto(props::DocProperties& props) const {
        props.assign(props::kCatalogueSize, {});
        for (const Place& place : kPlaces) {
            props[place.row] = entryOf(place);
        }
    }

    void setText(std::size_t row, std::string_view text) override {
        const Place& place = placeOf(row);
        switch (place.kind) {
            case Kind::Keywords:
                setKeywords(splitKeywords(text));
                return;
            case Kind::TemplateTitle:
                setTemplateTitle(text);
                return;
            default:
                setElementText(place, text);
                return;
        }
    }

    void replaceTime(std::size_t row, FileTime time) override {
        const Place& place = placeOf(row);
        const pugi::xml_node element = findChild(m_office, place.ns, place.local);
        const std::string current = textOf(element);
        std::optional<std::string> text;
        if (place.kind == Kind::Duration) {
            const auto units = parseDuration(trimXmlSpace(current));
            if (units && *units != time) {
                text = durationText(time);
            }
        } else if (const auto parsed = parseDateTime(trimXmlSpace(current))) {
            const auto moment = momentOf(*parsed, ZonelessAs::LocalTime);
            if (moment && *moment != time) {
                text = dateTimeTextLike(time, *parsed);
            }
        }
        if (text) {
            m_meta.changed |= replaceText(element, *text);
        }
    }

    MessageCode applyCustomEdits(const std::vector<props::CustomEdit>& edits) override {
        return applyEdits(edits) ? props::kSuccess : props::kDocSummaryWriteFailed;
    }

    void collectChanges(PackageChanges& changes) const {
        if (m_meta.changed) {
            changes.push_back({m_meta.name, serializeXmlPart(m_meta)});
        }
        if (!m_manifest.empty()) {
            changes.push_back({std::string(kManifestName), m_manifest});
        }
    }

  private:
    void readUserDefined() {
        const NamespaceScope scope(m_office);
        for (const pugi::xml_node field : childrenNamed(m_office, kMetaNs, "user-defined")) {
            std::string name = findAttribute(field, kMetaNs, "name", scope).value();
            if (namesFixedField(name, std::equal_to<std::string_view>())) {
                continue;
            }
            props::CustomProperty property = userDefinedProperty(
                std::move(name), findAttribute(field, kMetaNs, "value-type", scope).value(),
                textOf(field));
            // Another spelling of a fixed field's name is shown but kept as it is.
            property.readOnly |= isFixedFieldName(property.name);
            m_entries.push_back({std::move(property), field});
        }
    }

    bool isFixedFieldName(std::string_view name) const override {
        return namesFixedField(name, props::sameCustomName);
    }

    pugi::xml_node newElement(std::string_view name) override { return appendUserDefined(name); }

    void storeValue(pugi::xml_node element, props::CustomType type,
                    std::string_view value) override {
        pugi::xml_attribute valueType = findAttribute(element, kMetaNs, "value-type");
        if (!valueType) {
            valueType = appendAttribute(element, kMetaNs, "value-type", "meta");
        }
        valueType.set_value(std::string(kValueTypes[static_cast<std::size_t>(type)]).c_str());
        replaceText(element, value);
    }

    void markChanged() override { m_meta.changed = true; }

    pugi::xml_node appendUserDefined(std::string_view name) {
        pugi::xml_node element = append(kMetaNs, "user-defined", "meta");
        appendAttribute(element, kMetaNs, "name", "meta").set_value(std::string(name).c_str());
        return element;
    }

    props::PropertyEntry entryOf(const Place& place) const {
        switch (place.kind) {
            case Kind::Keywords: {
                std::string joined;
                for (const std::string& keyword : keywords()) {
                    joined += (joined.empty() ? "" : ", ") + keyword;
                }
                return textEntry(joined);
            }
            case Kind::TemplateTitle:
                return textEntry(
                    findAttribute(findChild(m_office, place.ns, place.local), kXlinkNs, "title")
                        .value());
            case Kind::Statistic:
                return textEntry(findAttribute(findChild(m_office, kMetaNs, "document-statistic"),
                                               place.ns, place.local)
                                     .value());
            case Kind::UserDefined:
                return textEntry(textOf(userDefined(place.local)));
            default:
                break;
        }
        const pugi::xml_node element = findChild(m_office, place.ns, place.local);
        std::string text = textOf(element);
        if (!element || place.kind == Kind::Text) {
            return textEntry(std::move(text));
        }
        const std::optional<FileTime> time =
            place.kind == Kind::Duration ? parseDuration(trimXmlSpace(text)) : odfMoment(text);
        return timeOrTextEntry(time, std::move(text));
    }

    std::vector<std::string> keywords() const {
        std::vector<std::string> found;
        for (const pugi::xml_node child : childrenNamed(m_office, kMetaNs, "keyword")) {
            found.push_back(textOf(child));
        }
        return found;
    }

    pugi::xml_node userDefinedNamed(std::string_view name) const {
        const NamespaceScope scope(m_office);
        for (const pugi::xml_node child : childrenNamed(m_office, kMetaNs, "user-defined")) {
            if (name == findAttribute(child, kMetaNs, "name", scope).value()) {
                return child;
            }
        }
        return {};
    }

    // LibreOffice keeps the category of an imported OOXML document under its own name.
    pugi::xml_node userDefined(std::string_view name) const {
        const pugi::xml_node found = userDefinedNamed(name);
        return found || name != "Category" ? found : userDefinedNamed(kImportedCategory);
    }

    pugi::xml_node officeMeta() {
        if (!m_office) {
            m_office = appendElement(m_meta.doc.document_element(), kOfficeNs, "meta", "office");
        }
        return m_office;
    }

    pugi::xml_node append(std::string_view ns, std::string_view local, std::string_view prefix) {
        return appendElement(officeMeta(), ns, local, prefix);
    }

    void setElementText(const Place& place, std::string_view text) {
        pugi::xml_node element = place.kind == Kind::UserDefined
                                     ? userDefined(place.local)
                                     : findChild(m_office, place.ns, place.local);
        if (!element && text.empty()) {
            return;
        }
        if (!element && place.kind == Kind::UserDefined) {
            element = appendUserDefined(place.local);
        } else if (!element) {
            element = append(place.ns, place.local, place.prefix);
        }
        if (place.kind == Kind::UserDefined) {
            // A text stored in a field of another type makes it a string field.
            pugi::xml_attribute type = findAttribute(element, kMetaNs, "value-type");
            if (type && std::string_view(type.value()) != "string" && textOf(element) != text) {
                type.set_value("string");
            }
        }
        m_meta.changed |= replaceText(element, text);
    }

    void setKeywords(const std::vector<std::string>& wanted) {
        if (wanted == keywords()) {
            return;
        }
        // The new keywords take the place of the first old one.
        const std::vector<pugi::xml_node> old = childrenNamed(m_office, kMetaNs, "keyword");
        const pugi::xml_node first = old.empty() ? pugi::xml_node{} : old.front();
        for (std::size_t i = 1; i < old.size(); ++i) {
            m_office.remove_child(old[i]);
        }
        for (const std::string& keyword : wanted) {
            pugi::xml_node element = append(kMetaNs, "keyword", "meta");
            if (first) {
                m_office.insert_move_before(element, first);
            }
            element.append_child(pugi::node_pcdata).set_value(keyword.c_str());
        }
        if (first) {
            m_office.remove_child(first);
        }
        m_meta.changed = true;
    }

    void setTemplateTitle(std::string_view title) {
        pugi::xml_node element = findChild(m_office, kMetaNs, "template");
        if (!element && title.empty()) {
            return;
        }
        if (!element) {
            // The link attributes ODF requires; no template document is named.
            element = append(kMetaNs, "template", "meta");
            appendAttribute(element, kXlinkNs, "type", "xlink").set_value("simple");
            appendAttribute(element, kXlinkNs, "actuate", "xlink").set_value("onRequest");
            appendAttribute(element, kXlinkNs, "href", "xlink").set_value("");
        }
        pugi::xml_attribute attribute = findAttribute(element, kXlinkNs, "title");
        if (attribute && title == attribute.value()) {
            return;
        }
        if (!attribute) {
            attribute = appendAttribute(element, kXlinkNs, "title", "xlink");
        }
        attribute.set_value(std::string(title).c_str());
        m_meta.changed = true;
    }

    void listInManifest(XmlPart& manifest) {
        const pugi::xml_node root = manifest.doc.document_element();
        const NamespaceScope scope(root);
        for (const pugi::xml_node entry : childrenNamed(root, kManifestNs, "file-entry")) {
            if (std::string_view(findAttribute(entry, kManifestNs, "full-path", scope).value()) ==
                kMetaName) {
                return;
            }
        }
        pugi::xml_node entry = appendElement(root, kManifestNs, "file-entry", "manifest");
        appendAttribute(entry, kManifestNs, "full-path", "manifest")
            .set_value(std::string(kMetaName).c_str());
        appendAttribute(entry, kManifestNs, "media-type", "manifest").set_value("text/xml");
        m_manifest = serializeXmlPart(manifest);
    }

    const PackageReader& m_package;
    XmlPart m_meta;
    pugi::xml_node m_office;
    std::string m_manifest;  // the manifest's new content when it changes
};

}  // namespace

MessageCode readOdfProperties(const PackageReader& package, props::DocProperties& props,
                              props::CustomProperties* custom) {
    props.clear();
    OdfMeta meta(package);
    const PartLoad loaded = meta.load();
    if (custom != nullptr) {
        *custom = {meta.properties(),
                   loaded == PartLoad::Unreadable ? props::kDocSummaryReadFailed : props::kSuccess};
    }
    switch (loaded) {
        case PartLoad::Ok:
            // One part holds both sets: the record always has 33 entries.
            meta.readInto(props);
            return props::kSuccess;
        case PartLoad::Missing:
            return props::kNoSummary;
        default:
            return props::kSummaryReadFailed;
    }
}

MessageCode planOdfWrite(const PackageReader& package, const props::PropertyWriteRequest& request,
                         bool createMissing, PackageChanges& changes) {
    changes.clear();
    OdfMeta meta(package);
    switch (meta.load()) {
        case PartLoad::Ok:
            break;
        case PartLoad::Missing:
            if (!createMissing || !meta.create()) {
                return props::kNoSummary;
            }
            break;
        default:
            return props::kSummaryReadFailed;
    }
    const FieldRange first = summaryFields(request);
    if (!storableFields(request, first) ||
        !storableDates(request, [](FileTime time) { return dateTimeTextLike(time, {}); })) {
        return props::kSummaryWriteFailed;
    }
    applyFields(request, first, meta);
    const MessageCode result = applySecondSet(request, meta);
    meta.collectChanges(changes);
    return result;
}

}  // namespace quorvel::package
