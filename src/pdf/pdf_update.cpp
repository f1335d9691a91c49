// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/pdf_update.h"

#include <zlib.h>
#include <qpdf/QPDF.hh>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/object_text.h"
#include "pdf/pdf_date.h"
#include "pdf/pdf_document.h"
#include "pdf/update_tail.h"
#include "pdf/xmp_packet.h"

namespace quorvel::pdf {
namespace {

using props::MessageCode;

// The Info key of each editable text field, empty for those PDF has no place for.
constexpr std::array<std::string_view, props::kTextFieldCount> kTextFieldKeys = {
    "/Title", "/Subject", "/Author", "/Keywords", "", "", "", "", "/Creator", "", "/Company"};
// The Info key of each date of a request: edit time, last printed, created, last saved.
constexpr std::array<std::string_view, props::kDateCount> kDateKeys = {"", "", "/CreationDate",
                                                                       "/ModDate"};
// Fields of a signature dictionary tree walked at most; real forms hold far fewer.
constexpr std::size_t kMostFormFields = 10000;
constexpr int kDeepestFieldTree = 32;
constexpr std::size_t kLongestPacket = 4 * 1024 * 1024;
// Readers keep object numbers below 2^23.
constexpr long long kHighestObjectNumber = 8388607;
// "8388607 65535 obj", with room for the spaces and line ends some writers put before it.
constexpr std::uint64_t kLongestObjectHeader = 48;

// The Info keys a request sets (to the UTF-8 text) or removes (nullopt), dates already in
// PDF form, and whether it ticks a field PDF has no place for.
struct InfoEdits {
    std::map<std::string, std::optional<std::string>> texts;
    std::map<std::string, std::string> dates;
    bool fieldWithoutPlace = false;
    bool customRefused = false;
};

std::string pdfDate(std::uint64_t fileTime) {
    std::string date = "D:";
    for (const char c : props::customDateText(fileTime)) {
        if (c >= '0' && c <= '9') {
            date += c;
        }
    }
    return date + 'Z';
}

void addTextEdits(const props::PropertyWriteRequest& request, InfoEdits& edits) {
    const std::size_t count = std::min<std::size_t>(request.fieldCount, props::kTextFieldCount);
    for (std::size_t field = 0; field < count; ++field) {
        const props::TextFieldEdit& edit = request.fields[field];
        if (edit.change != 1 || (field >= request.summaryFieldCount && !request.writeDocSummary)) {
            continue;
        }
        if (kTextFieldKeys[field].empty()) {
            edits.fieldWithoutPlace = true;
        } else {
            edits.texts[std::string(kTextFieldKeys[field])] =
                edit.text.empty() ? std::nullopt : std::optional(edit.text);
        }
    }
}

void addDateEdits(const props::PropertyWriteRequest& request, InfoEdits& edits) {
    if (!request.dates) {
        return;
    }
    const std::size_t count = std::min<std::size_t>(request.dateCount, props::kDateCount);
    for (std::size_t date = 0; date < count; ++date) {
        const std::uint64_t time = (*request.dates)[date];
        if (time == 0) {
            continue;
        }
        if (kDateKeys[date].empty()) {
            edits.fieldWithoutPlace = true;
        } else {
            edits.dates[std::string(kDateKeys[date])] = pdfDate(time);
        }
    }
}

// User-defined properties are the other Info keys, as text; a key of the fields or of the
// format, or one holding no text, is not theirs to change.
void addCustomEdits(const props::PropertyWriteRequest& request, QPDFObjectHandle info,
                    InfoEdits& edits) {
    for (const props::CustomEdit& edit : request.customEdits) {
        const std::string key = "/" + edit.name;
        QPDFObjectHandle old = info.getKey(key);
        if (edit.name.empty() || namesFieldOrFormatKey(edit.name) ||
            props::isReservedCustomName(edit.name) || !(old.isNull() || old.isString())) {
            edits.customRefused = true;
            return;
        }
        edits.texts[key] = edit.remove ? std::nullopt : std::optional(edit.value);
    }
}

// A form field tree holds a signature when a /Sig field carries a value.
bool holdsSignature(QPDFObjectHandle fields) {
    std::vector<std::pair<QPDFObjectHandle, int>> pending{{fields, 0}};
    std::set<QPDFObjGen> seen;
    std::size_t visited = 0;
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (++visited > kMostFormFields || depth > kDeepestFieldTree) {
            throw std::runtime_error("form field tree too large");
        }
        if (node.isIndirect() && !seen.insert(node.getObjGen()).second) {
            continue;
        }
        if (node.isArray()) {
            for (QPDFObjectHandle item : node.aitems()) {
                pending.emplace_back(item, depth + 1);
            }
        } else if (node.isDictionary()) {
            if (node.getKey("/FT").isNameAndEquals("/Sig") && node.getKey("/V").isDictionary()) {
                return true;
            }
            pending.emplace_back(node.getKey("/Kids"), depth + 1);
        }
    }
    return false;
}

bool isSigned(QPDF& pdf) {
    QPDFObjectHandle root = pdf.getRoot();
    QPDFObjectHandle permissions = root.getKey("/Perms");
    if (permissions.isDictionary() &&
        (permissions.hasKey("/DocMDP") || permissions.hasKey("/UR3"))) {
        return true;
    }
    QPDFObjectHandle form = root.getKey("/AcroForm");
    if (!form.isDictionary()) {
        return false;
    }
    QPDFObjectHandle flags = form.getKey("/SigFlags");
    return (flags.isInteger() && (flags.getIntValue() & 1) != 0) ||
           holdsSignature(form.getKey("/Fields"));
}

// The Info dictionary after the edits (a copy: the parsed file stays as it was).
QPDFObjectHandle editedInfo(QPDFObjectHandle info, const InfoEdits& edits) {
    QPDFObjectHandle edited =
        info.isDictionary() ? info.shallowCopy() : QPDFObjectHandle::newDictionary();
    for (const auto& [key, text] : edits.texts) {
        if (text) {
            edited.replaceKey(key, QPDFObjectHandle::newUnicodeString(*text));
        } else {
            edited.removeKey(key);
        }
    }
    for (const auto& [key, date] : edits.dates) {
        edited.replaceKey(key, QPDFObjectHandle::newString(date));
    }
    return edited;
}

bool isEdited(const InfoEdits& edits, const std::string& key) {
    return edits.texts.contains(key) || edits.dates.contains(key);
}

// The packet's value for a date Info holds: the packet's own text where it names the same
// moment, else the moment in XMP form; the packet's text where Info's does not parse.
std::optional<std::string> agreedDate(const std::string& infoDate,
                                      const std::optional<std::string>& packetDate) {
    const std::optional<std::uint64_t> moment = pdfDateFileTime(infoDate);
    if (!moment) {
        return packetDate;
    }
    if (packetDate && pdfDateFileTime(*packetDate) == moment) {
        return packetDate;
    }
    return props::customDateText(*moment);
}

// Makes Info and the packet agree on every field both hold: what Info holds wins, and a field
// only the packet holds, and no edit touched, is copied into Info. Returns the packet's values.
XmpFields agreeInfoAndPacket(QPDFObjectHandle info, const XmpFields& packet,
                             const InfoEdits& edits) {
    constexpr std::array<FieldSource, 1> kProducer = {
        {{0, "/Producer", &XmpFields::producer, false}}};
    XmpFields agreed;
    auto agree = [&](const FieldSource& source) {
        if (source.xmp == nullptr) {
            return;
        }
        const std::string key(source.infoKey);
        const std::optional<std::string>& fromPacket = packet.*source.xmp;
        std::optional<std::string> fromInfo = infoText(info, key);
        const bool edited = isEdited(edits, key);
        if (fromInfo && fromInfo->empty() && !edited && fromPacket) {
            fromInfo.reset();  // shown from the packet, as a read shows it: copied into Info
        }
        if (!fromInfo && !info.getKey(key).isNull() && !info.getKey(key).isString()) {
            agreed.*source.xmp = fromPacket;  // no text: not Info's to say
        } else if (fromInfo || edited) {
            agreed.*source.xmp =
                fromInfo && source.isDate ? agreedDate(*fromInfo, fromPacket) : fromInfo;
        } else if (fromPacket) {
            const std::optional<std::uint64_t> moment =
                source.isDate ? pdfDateFileTime(*fromPacket) : std::nullopt;
            if (!source.isDate || moment) {
                info.replaceKey(key, source.isDate
                                         ? QPDFObjectHandle::newString(pdfDate(*moment))
                                         : QPDFObjectHandle::newUnicodeString(*fromPacket));
                agreed.*source.xmp = fromPacket;
            }
        }
    };
    std::for_each(kFieldSources.begin(), kFieldSources.end(), agree);
    std::for_each(kProducer.begin(), kProducer.end(), agree);
    return agreed;
}

std::string nowInXmp() {
    // 100 ns steps from 1601 to 1970.
    constexpr std::uint64_t kUnixEpoch = 116444736000000000ULL;
    const auto since1970 = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return props::customDateText(kUnixEpoch +
                                 static_cast<std::uint64_t>(since1970.count()) * 10000000ULL);
}

std::string randomIdentifier() {
    std::random_device random;
    std::string bytes(16, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

std::string deflated(std::string_view bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                  Z_BEST_COMPRESSION) != Z_OK) {
        throw std::runtime_error("cross-reference data not compressed");
    }
    out.resize(size);
    return out;
}

enum class XrefKind : std::uint8_t { Table, Stream };

// The kind of the file's last cross-reference section, from the bytes startxref names.
std::optional<XrefKind> lastXrefKind(io::BlockDevice& device, std::uint64_t length) {
    const std::optional<std::uint64_t> offset = lastStartxref(device, length);
    if (!offset) {
        return std::nullopt;
    }
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(length - *offset, 64)), '\0');
    if (!device.readAt(*offset, std::as_writable_bytes(std::span(head)))) {
        return std::nullopt;
    }
    head.erase(0, std::min(head.find_first_not_of(" \t\r\n\f"), head.size()));
    return head.starts_with("xref") ? XrefKind::Table : XrefKind::Stream;
}

// The bytes of one update: objects as they are added, then the cross-reference section.
class UpdateText {
  public:
    UpdateText(std::uint64_t start, bool startsLine) : m_start(start) {
        m_text = startsLine ? "" : "\n";
        m_text += kUpdateMarker;
        m_text += std::to_string(start) + "\n";
    }

    void addObject(QPDFObjGen id, std::string_view body) {
        m_entries.push_back({id, m_start + m_text.size()});
        m_text += std::to_string(id.getObj()) + ' ' + std::to_string(id.getGen()) + " obj\n";
        m_text += body;
        m_text += "\nendobj\n";
    }

    // Ends the update with a table section and its trailer.
    std::string finishWithTable(std::string_view trailer) {
        const std::uint64_t xref = m_start + m_text.size();
        m_text += "xref\n";
        std::sort(m_entries.begin(), m_entries.end());
        for (const Entry& entry : m_entries) {
            m_text += std::to_string(entry.id.getObj()) + " 1\n";
            m_text += padded(entry.offset, 10) + ' ' + padded(entry.id.getGen(), 5) + " n\r\n";
        }
        m_text += "trailer\n";
        m_text += trailer;
        return finish(xref);
    }

    // Ends the update with a cross-reference stream (object id) that lists itself too,
    // compressed as readers expect it.
    std::string finishWithStream(QPDFObjGen id, std::string_view trailerKeys) {
        const std::uint64_t xref = m_start + m_text.size();
        m_entries.push_back({id, xref});
        std::sort(m_entries.begin(), m_entries.end());
        int offsetWidth = 1;
        while (offsetWidth < 8 && (xref >> (8 * offsetWidth)) != 0) {
            ++offsetWidth;
        }
        std::string index;
        std::string rows;
        for (const Entry& entry : m_entries) {
            index += std::to_string(entry.id.getObj()) + " 1 ";
            rows += '\1';
            for (int byte = offsetWidth - 1; byte >= 0; --byte) {
                rows += static_cast<char>((entry.offset >> (8 * byte)) & 0xFF);
            }
            rows += static_cast<char>((entry.id.getGen() >> 8) & 0xFF);
            rows += static_cast<char>(entry.id.getGen() & 0xFF);
        }
        const std::string data = deflated(rows);
        std::string dictionary = "<</Type/XRef/W[1 " + std::to_string(offsetWidth) + " 2]";
        dictionary += "/Index[" + index + "]";
        dictionary += trailerKeys;
        dictionary += "/Filter/FlateDecode/Length " + std::to_string(data.size()) + ">>";
        addObject(id, dictionary + "\nstream\n" + data + "\nendstream");
        m_entries.pop_back();
        return finish(xref);
    }

  private:
    struct Entry {
        QPDFObjGen id;
        std::uint64_t offset;
        friend bool operator<(const Entry& a, const Entry& b) { return a.id < b.id; }
    };

    static std::string padded(std::uint64_t number, std::size_t width) {
        std::string digits = std::to_string(number);
        return std::string(width - std::min(width, digits.size()), '0') + digits;
    }

    std::string finish(std::uint64_t xref) {
        m_text += "\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return std::move(m_text);
    }

    std::uint64_t m_start;
    std::string m_text;
    std::vector<Entry> m_entries;
};

// What an update puts in place: numbers for the new objects and the trailer's keys.
struct UpdatePlan {
    QPDFObjGen infoId;
    QPDFObjGen metadataId;
    bool catalogChanges = false;
    int nextNumber = 0;
};

UpdatePlan planObjects(QPDF& pdf) {
    QPDFObjectHandle trailer = pdf.getTrailer();
    UpdatePlan plan;
    // Past /Size and past every object the cross-reference data lists, should /Size be short.
    QPDFObjectHandle size = trailer.getKey("/Size");
    const std::map<QPDFObjGen, QPDFXRefEntry> listed = pdf.getXRefTable();
    const long long highest = listed.empty() ? 0 : listed.rbegin()->first.getObj();
    const long long next = std::max(size.isInteger() ? size.getIntValue() : 1, highest + 1);
    if (next > kHighestObjectNumber - 3) {
        throw std::range_error("no object numbers left");
    }
    plan.nextNumber = static_cast<int>(next);
    QPDFObjectHandle info = trailer.getKey("/Info");
    plan.infoId = info.isIndirect() && info.isDictionary() ? info.getObjGen()
                                                           : QPDFObjGen(plan.nextNumber++, 0);
    QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
    plan.catalogChanges = !(metadata.isIndirect() && metadata.isStream());
    plan.metadataId = plan.catalogChanges ? QPDFObjGen(plan.nextNumber++, 0) : metadata.getObjGen();
    return plan;
}

std::string metadataStream(std::string_view packet) {
    std::string body = "<</Type/Metadata/Subtype/XML/Length " + std::to_string(packet.size());
    body += ">>\nstream\n";
    body += packet;
    body += "\nendstream";
    return body;
}

// The trailer's keys an update carries: the old first /ID (or a new one) and a new second.
std::string trailerKeys(QPDF& pdf, const UpdatePlan& plan, std::uint64_t previous) {
    QPDFObjectHandle trailer = pdf.getTrailer();
    QPDFObjectHandle id = trailer.getKey("/ID");
    const std::string second = randomIdentifier();
    const std::string first =
        id.isArray() && id.getArrayNItems() == 2 && id.getArrayItem(0).isString()
            ? id.getArrayItem(0).getStringValue()
            : second;
    std::string keys = "/Size " + std::to_string(plan.nextNumber);
    keys += "/Root " + referenceText(pdf.getRoot().getObjGen());
    keys += "/Info " + referenceText(plan.infoId);
    keys += "/Prev " + std::to_string(previous);
    keys += "/ID[" + hexString(first) + hexString(second) + "]";
    return keys;
}

// The update's bytes for a file whose first start bytes are the document.
std::string buildUpdate(QPDF& pdf, const InfoEdits& edits, XrefKind kind, std::uint64_t start,
                        bool startsLine, std::uint64_t previous) {
    QPDFObjectHandle info = editedInfo(pdf.getTrailer().getKey("/Info"), edits);
    const XmpFields agreed = agreeInfoAndPacket(info, readXmpFields(metadataPacket(pdf)), edits);
    const std::string packet = rewriteXmpPacket(metadataPacket(pdf), agreed, nowInXmp());
    if (packet.size() > kLongestPacket) {
        throw std::length_error("metadata packet too large");
    }
    UpdatePlan plan = planObjects(pdf);
    const int xrefNumber = kind == XrefKind::Stream ? plan.nextNumber++ : 0;
    UpdateText update(start, startsLine);
    update.addObject(plan.infoId, objectText(info));
    update.addObject(plan.metadataId, metadataStream(packet));
    if (plan.catalogChanges) {
        QPDFObjectHandle catalog = pdf.getRoot().shallowCopy();
        catalog.removeKey("/Metadata");
        std::string text = objectText(catalog);
        text.insert(2, "/Metadata " + referenceText(plan.metadataId) + ' ');
        update.addObject(pdf.getRoot().getObjGen(), text);
    }
    const std::string keys = trailerKeys(pdf, plan, previous);
    return kind == XrefKind::Stream ? update.finishWithStream(QPDFObjGen(xrefNumber, 0), keys)
                                    : update.finishWithTable("<<" + keys + ">>");
}

bool startsWithHeader(io::BlockDevice& device) {
    std::string head(std::min<std::uint64_t>(device.size(), kPdfHeader.size()), '\0');
    return device.readAt(0, std::as_writable_bytes(std::span(head))) && head == kPdfHeader;
}

bool endsLine(io::BlockDevice& device, std::uint64_t length) {
    std::byte last{};
    return length > 0 && device.readAt(length - 1, std::span(&last, 1)) &&
           (last == std::byte{'\n'} || last == std::byte{'\r'});
}

InfoEdits editsOf(const props::PropertyWriteRequest& request, QPDFObjectHandle info) {
    InfoEdits edits;
    addTextEdits(request, edits);
    addDateEdits(request, edits);
    addCustomEdits(request, info.isDictionary() ? info : QPDFObjectHandle::newDictionary(), edits);
    return edits;
}

// The object number a header "12 0 obj" at offset names; nullopt for anything else.
std::optional<QPDFObjGen> objectAt(io::BlockDevice& device, std::uint64_t length,
                                   std::uint64_t offset) {
    if (offset >= length) {
        return std::nullopt;
    }
    std::string head(
        static_cast<std::size_t>(std::min<std::uint64_t>(length - offset, kLongestObjectHeader)),
        '\0');
    if (!device.readAt(offset, std::as_writable_bytes(std::span(head)))) {
        return std::nullopt;
    }
    int number = 0;
    int generation = 0;
    char keyword[4] = {};
    if (std::sscanf(head.c_str(), " %d %d %3s", &number, &generation, keyword) != 3 ||
        std::string_view(keyword) != "obj") {
        return std::nullopt;
    }
    return QPDFObjGen(number, generation);
}

// Whether the object is a cross-reference stream, asked of a parser of its own (which may
// rebuild the table to find it, and must not mark the one that writes as repaired).
bool isCrossReferenceStream(io::BlockDevice& device, std::uint64_t length, QPDFObjGen id) {
    QPDF pdf;
    if (!openPdf(pdf, device, length)) {
        return false;
    }
    try {
        QPDFObjectHandle object = pdf.getObjectByObjGen(id);
        return object.isStream() && object.getDict().getKey("/Type").isNameAndEquals("/XRef");
    } catch (...) {
        return false;
    }
}

// Every object the cross-reference data places directly in the file begins where it says:
// "12 0 obj". The parser repairs a wrong entry only when it reads that object, which a write
// never does; such a file is damaged all the same. Left out: a cross-reference stream's entry
// for itself, which readers never follow (they find the stream by its offset) and some
// writers get wrong.
bool entriesPointAtTheirObjects(QPDF& pdf, io::BlockDevice& device, std::uint64_t length) {
    for (const auto& [id, entry] : pdf.getXRefTable()) {
        if (entry.getType() == 1 &&
            objectAt(device, length, static_cast<std::uint64_t>(entry.getOffset())) != id &&
            !isCrossReferenceStream(device, length, id)) {
            return false;
        }
    }
    return true;
}

// The checks a file must pass before anything is appended; kSuccess when it may be written.
MessageCode refusalOf(QPDF& pdf, io::BlockDevice& device, std::uint64_t length) {
    if (pdf.isEncrypted()) {
        return props::kPdfEncrypted;
    }
    if (isSigned(pdf)) {
        return props::kPdfSigned;
    }
    const bool damaged = pdf.anyWarnings() || !lastXrefKind(device, length) ||
                         !entriesPointAtTheirObjects(pdf, device, length);
    return damaged ? props::kPdfNotWritable : props::kSuccess;
}

// The new end of the file reads as a whole PDF again, without repairs.
bool readsCleanly(io::BlockDevice& device) {
    QPDF pdf;
    if (!openPdf(pdf, device, device.size())) {
        return false;
    }
    try {
        const bool holdsInfo = pdf.getTrailer().getKey("/Info").isDictionary();
        const bool holdsPacket = !metadataPacket(pdf).empty();
        return holdsInfo && holdsPacket && !pdf.anyWarnings();
    } catch (...) {
        return false;
    }
}

// Appends the update after length bytes (cutting a torn one off first) and checks it; on
// any failure the file is cut back to length.
MessageCode appendUpdate(io::BlockDevice& device, std::uint64_t length, std::string_view update) {
    if (device.size() > length && (!device.truncate(length) || !device.sync())) {
        return props::kSummaryWriteFailed;
    }
    const bool written = device.writeAt(length, std::as_bytes(std::span(update))) &&
                         device.sync() && readsCleanly(device);
    if (!written) {
        device.truncate(length);
        device.sync();
        return props::kSummaryWriteFailed;
    }
    return props::kSuccess;
}

}  // namespace

MessageCode writePdfDocument(io::BlockDevice& device, const props::PropertyWriteRequest& request) {
    if (!startsWithHeader(device)) {
        return props::kPdfNotWritable;
    }
    const std::uint64_t length = intactLength(device);
    QPDF pdf;
    if (!openPdf(pdf, device, length)) {
        return props::kPdfNotWritable;
    }
    std::string update;
    bool fieldWithoutPlace = false;
    try {
        const InfoEdits edits = editsOf(request, pdf.getTrailer().getKey("/Info"));
        fieldWithoutPlace = edits.fieldWithoutPlace;
        if (edits.customRefused) {
            return props::kDocSummaryWriteFailed;
        }
        if (edits.texts.empty() && edits.dates.empty()) {
            return fieldWithoutPlace ? props::kPdfFieldWithoutPlace : props::kSuccess;
        }
        if (const MessageCode refused = refusalOf(pdf, device, length)) {
            return refused;
        }
        const XrefKind kind = *lastXrefKind(device, length);
        update = buildUpdate(pdf, edits, kind, length, endsLine(device, length),
                             *lastStartxref(device, length));
        if (pdf.anyWarnings()) {
            return props::kPdfNotWritable;
        }
    } catch (...) {
        return props::kPdfNotWritable;
    }
    const MessageCode appended = appendUpdate(device, length, update);
    return appended == props::kSuccess && fieldWithoutPlace ? props::kPdfFieldWithoutPlace
                                                            : appended;
}

}  // namespace quorvel::pdf
