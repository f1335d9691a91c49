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

#include "pdf/pdf_date.h"
#include "pdf/pdf_document.h"
#include "pdf/update_tail.h"
#include "pdf/xmp_packet.h"
#include "props/property_format.h"

namespace quorvel::pdf {
namespace {

using props::MessageCode;

constexpr std::size_t kPageCountRow = 12;

constexpr std::uint64_t kHeaderWindow = 1024;

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

}  // namespace

bool startsAsPdf(io::BlockDevice& device) {
    std::string head(std::min(device.size(), kHeaderWindow), '\0');
    return device.readAt(0, std::as_writable_bytes(std::span(head))) &&
           head.find(kPdfHeader) != std::string::npos;
}

MessageCode readPdfDocument(io::BlockDevice& device, props::DocProperties& props,
                            props::CustomProperties* custom, std::string* producer) {
    props.clear();
    if (custom != nullptr) {
        *custom = {};
    }
    QPDF pdf;
    if (!openPdf(pdf, device, intactLength(device))) {
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
