// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_properties.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/device_input_source.h"
#include "pdf/pdf_date.h"
#include "pdf/xmp_packet.h"
#include "props/property_format.h"

namespace quorvel::pdf {
namespace {

using props::MessageCode;

constexpr std::uint64_t kHeaderWindow = 1024;
constexpr std::string_view kHeader = "%PDF-";
// XMP packets hold a few kilobytes; a stream that inflates beyond this is no packet.
constexpr std::size_t kMaxXmpBytes = 4 * 1024 * 1024;

// Where a field comes from: an Info key, and the XMP property that mirrors it, if any.
struct FieldSource {
    std::size_t row;
    std::string_view infoKey;
    std::optional<std::string> XmpFields::*xmp;
    bool isDate;
};

constexpr std::array<FieldSource, 8> kFieldSources = {{
    {0, "/Title", &XmpFields::title, false},
    {1, "/Subject", &XmpFields::description, false},
    {2, "/Author", &XmpFields::creators, false},
    {3, "/Keywords", &XmpFields::keywords, false},
    {10, "/CreationDate", &XmpFields::createDate, true},
    {11, "/ModDate", &XmpFields::modifyDate, true},
    {16, "/Creator", &XmpFields::creatorTool, false},
    {props::kSummaryBlockSize + 13, "/Company", nullptr, false},
}};
constexpr std::size_t kPageCountRow = 12;

// Info keys that are not the document's user-defined properties: those of the fields, and
// those the PDF format defines for itself.
constexpr std::array<std::string_view, 2> kFormatInfoKeys = {"/Producer", "/Trapped"};

bool isFieldOrFormatKey(std::string_view key) {
    return std::any_of(kFieldSources.begin(), kFieldSources.end(),
                       [&](const FieldSource& source) { return source.infoKey == key; }) ||
           std::find(kFormatInfoKeys.begin(), kFormatInfoKeys.end(), key) != kFormatInfoKeys.end();
}

// Collects a stream's decoded bytes, and stops a stream that would inflate beyond the limit.
class BoundedSink final : public Pipeline {
  public:
    explicit BoundedSink(std::string& out) : Pipeline("metadata", nullptr), m_out(out) {}
    void write(unsigned char const* data, size_t length) override {
        if (length > kMaxXmpBytes - m_out.size()) {
            throw std::length_error("metadata stream too large");
        }
        m_out.append(reinterpret_cast<const char*>(data), length);
    }
    void finish() override {}

  private:
    std::string& m_out;
};

// The XMP packet the catalog's /Metadata stream holds; empty when there is none or it
// cannot be decoded.
std::string metadataPacket(QPDF& pdf) {
    QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
    std::string packet;
    BoundedSink sink(packet);
    bool filtered = false;
    if (!metadata.isStream() ||
        !metadata.pipeStreamData(&sink, &filtered, 0, qpdf_dl_generalized, true)) {
        packet.clear();
    }
    return packet;
}

// A text string in UTF-8, decoded from UTF-16BE or UTF-8 (each with its byte order mark)
// or from PDFDocEncoding; nullopt for a missing key or another kind of object.
std::optional<std::string> infoText(QPDFObjectHandle info, std::string_view key) {
    QPDFObjectHandle value = info.getKey(std::string(key));
    return value.isString() ? std::optional(value.getUTF8Value()) : std::nullopt;
}

props::PropertyEntry formatted(const props::PropertyValue& value) {
    props::PropertyEntry entry;
    props::FormatPropertyValue(value, entry.text);
    return entry;
}

// A date is shown as a time when it parses, otherwise as the text it holds.
props::PropertyEntry entryOf(std::string text, bool isDate) {
    const std::optional<std::uint64_t> time = isDate ? pdfDateFileTime(text) : std::nullopt;
    if (!time) {
        props::PropertyEntry entry;
        entry.text = std::move(text);
        return entry;
    }
    props::PropertyValue value;
    value.type = props::VT_FILETIME;
    value.fileTime = *time;
    props::PropertyEntry entry = formatted(value);
    entry.isTime = true;
    entry.time = *time;
    return entry;
}

// The page tree's own count: reading it costs one object, however long the document.
std::optional<props::PropertyEntry> pageCountEntry(QPDF& pdf) {
    QPDFObjectHandle count = pdf.getRoot().getKey("/Pages").getKey("/Count");
    if (!count.isInteger() || count.getIntValue() < 0 ||
        count.getIntValue() > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    props::PropertyValue value;
    value.type = props::VT_I4;
    value.integer = static_cast<std::int32_t>(count.getIntValue());
    return formatted(value);
}

// Text values are the user's to change; other kinds are shown by what they are.
props::CustomProperty customOf(std::string_view key, QPDFObjectHandle value) {
    props::CustomProperty property;
    property.name = std::string(key.substr(1));
    if (value.isString()) {
        property.value = value.getUTF8Value();
        return property;
    }
    property.type = props::CustomType::Other;
    property.readOnly = true;
    property.value = value.isName()                        ? value.getName().substr(1)
                     : value.isInteger() || value.isReal() ? value.unparse()
                                                           : value.getTypeName();
    return property;
}

std::vector<props::CustomProperty> otherInfoKeys(QPDFObjectHandle info) {
    std::vector<props::CustomProperty> items;
    for (const std::string& key : info.getKeys()) {
        QPDFObjectHandle value = info.getKey(key);
        if (!isFieldOrFormatKey(key) && !value.isNull()) {
            items.push_back(customOf(key, value));
        }
    }
    return items;
}

void readFields(QPDF& pdf, props::DocProperties& props, props::CustomProperties* custom,
                std::string* producer) {
    QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
    if (!info.isDictionary()) {
        info = QPDFObjectHandle::newDictionary();
    }
    const XmpFields xmp = readXmpFields(metadataPacket(pdf));
    props.assign(props::kCatalogueSize, {});
    for (const FieldSource& source : kFieldSources) {
        std::optional<std::string> text = infoText(info, source.infoKey);
        if ((!text || text->empty()) && source.xmp != nullptr) {
            text = xmp.*source.xmp;
        }
        if (text) {
            props[source.row] = entryOf(std::move(*text), source.isDate);
        }
    }
    if (std::optional<props::PropertyEntry> pages = pageCountEntry(pdf)) {
        props[kPageCountRow] = std::move(*pages);
    }
    if (custom != nullptr) {
        custom->items = otherInfoKeys(info);
    }
    if (producer != nullptr) {
        *producer = infoText(info, "/Producer").value_or(xmp.producer.value_or(""));
    }
}

// Parses the file's structure. A file whose cross-reference data is broken is rebuilt by
// scanning it, so that it still reads; writing refuses such a file.
bool openPdf(QPDF& pdf, io::BlockDevice& device) {
    try {
        pdf.setSuppressWarnings(true);
        pdf.processInputSource(std::make_shared<DeviceInputSource>(device), "");
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool startsAsPdf(io::BlockDevice& device) {
    std::string head(std::min(device.size(), kHeaderWindow), '\0');
    return device.readAt(0, std::as_writable_bytes(std::span(head))) &&
           head.find(kHeader) != std::string::npos;
}

MessageCode readPdfDocument(io::BlockDevice& device, props::DocProperties& props,
                            props::CustomProperties* custom, std::string* producer) {
    props.clear();
    if (custom != nullptr) {
        *custom = {};
    }
    QPDF pdf;
    if (!openPdf(pdf, device)) {
        return props::kCannotOpenDocument;
    }
    try {
        readFields(pdf, props, custom, producer);
        return props::kSuccess;
    } catch (...) {
        props.clear();
        if (custom != nullptr) {
            *custom = {};
        }
        return props::kSummaryReadFailed;
    }
}

}  // namespace quorvel::pdf
