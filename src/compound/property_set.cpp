// SPDX-License-Identifier: GPL-3.0-or-later
#include "compound/property_set.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace quorvel::compound {

using namespace props;

namespace {

constexpr std::uint16_t kByteOrderMark = 0xFFFE;
constexpr std::size_t kStreamHeaderSize = 28;  // byte order .. CLSID, then the section count
constexpr std::size_t kListEntrySize = 20;     // FMTID + offset
constexpr std::size_t kSectionHeaderSize = 8;  // size + property count
constexpr std::size_t kTableEntrySize = 8;     // property id + offset
constexpr std::uint32_t kSystemIdentifier = 0x00020006;  // Win32, version 6

// Little-endian reads over a span; callers check the bounds first.
std::uint16_t u16(std::span<const std::byte> b, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(b[at]) |
                                      std::to_integer<unsigned>(b[at + 1]) << 8);
}
std::uint32_t u32(std::span<const std::byte> b, std::size_t at) {
    return static_cast<std::uint32_t>(u16(b, at)) | static_cast<std::uint32_t>(u16(b, at + 2))
                                                        << 16;
}
std::uint64_t u64(std::span<const std::byte> b, std::size_t at) {
    return static_cast<std::uint64_t>(u32(b, at)) | static_cast<std::uint64_t>(u32(b, at + 4))
                                                        << 32;
}

void putU32(std::vector<std::byte>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::byte>(value >> shift));
    }
}
void setU32(std::vector<std::byte>& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::byte>(value >> (8 * i));
    }
}
void padToFour(std::vector<std::byte>& out) {
    out.resize((out.size() + 3) / 4 * 4, std::byte{0});
}

// Bytes a value of a decoded type needs from its type word on; nullopt for types that
// are kept without being decoded, or when even the length field is missing.
std::optional<std::size_t> decodedSize(std::span<const std::byte> value) {
    switch (u16(value, 0)) {
        case VT_I2:
        case VT_BOOL:
            return 6;
        case VT_I4:
        case VT_R4:
            return 8;
        case VT_R8:
        case VT_FILETIME:
            return 12;
        case VT_LPSTR:
        case VT_BSTR:
        case VT_LPWSTR:
            if (value.size() < 8) {
                return std::numeric_limits<std::size_t>::max();
            }
            return 8 +
                   static_cast<std::size_t>(u32(value, 4)) * (u16(value, 0) == VT_LPWSTR ? 2 : 1);
        default:
            return std::nullopt;
    }
}

// What is shown when a stored text does not decode: ASCII kept, the rest '?'.
std::string asciiOrQuestionMarks(std::string_view bytes, std::size_t unitSize) {
    std::string text;
    for (std::size_t i = 0; i + unitSize <= bytes.size(); i += unitSize) {
        bool ascii = static_cast<unsigned char>(bytes[i]) < 0x80;
        for (std::size_t k = 1; k < unitSize; ++k) {
            ascii = ascii && bytes[i + k] == '\0';
        }
        text.push_back(ascii ? bytes[i] : '?');
    }
    return text;
}

}  // namespace

std::string decodeSetText(std::span<const std::byte> stored, std::uint16_t codePage, bool* exact) {
    const std::size_t unitSize = codePage == CP_WINUNICODE ? 2 : 1;
    std::string_view bytes(reinterpret_cast<const char*>(stored.data()), stored.size());
    std::size_t end = 0;
    while (end + unitSize <= bytes.size() &&
           bytes.substr(end, unitSize).find_first_not_of('\0') != std::string_view::npos) {
        end += unitSize;
    }
    bytes = bytes.substr(0, end);
    std::string text;
    const bool decoded = platform::decodeCodePage(codePage, bytes, text);
    if (!decoded) {
        text = asciiOrQuestionMarks(bytes, unitSize);
    }
    if (exact != nullptr) {
        *exact = decoded;
    }
    return text;
}

namespace {

// Some Mac writers store the format identifier with its first three fields big-endian.
bool sameFormat(const Fmtid& stored, const Fmtid& wanted) {
    Fmtid inverted = wanted;
    std::reverse(inverted.begin(), inverted.begin() + 4);
    std::reverse(inverted.begin() + 4, inverted.begin() + 6);
    std::reverse(inverted.begin() + 6, inverted.begin() + 8);
    return stored == wanted || stored == inverted;
}

struct TableEntry {
    std::uint32_t id;
    std::uint32_t offset;
};

// Keeps the first entry of each property id; true when any was dropped.
bool dropRepeatedIds(std::vector<TableEntry>& table) {
    std::vector<std::size_t> order(table.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return table[a].id < table[b].id; });
    std::vector<bool> repeated(table.size(), false);
    bool any = false;
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (table[order[k]].id == table[order[k - 1]].id) {
            repeated[order[k]] = true;
            any = true;
        }
    }
    if (!any) {
        return false;
    }
    std::vector<TableEntry> kept;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!repeated[i]) {
            kept.push_back(table[i]);
        }
    }
    table = std::move(kept);
    return true;
}

bool sameValue(std::span<const std::byte> stored, std::span<const std::byte> fresh,
               std::size_t meaningful) {
    return stored.size() >= meaningful &&
           std::equal(fresh.begin(), fresh.begin() + meaningful, stored.begin());
}

// The parts of a stream that a parse of chosen values needs, in a buffer of the stream's size
// whose other bytes stay zero (a zero type word reads as an empty value).
class PartialStream {
  public:
    PartialStream(const StreamReader& read, std::uint64_t size)
        : m_read(read), m_bytes(static_cast<std::size_t>(size)) {}

    // Fetches [offset, offset + length), clipped to the stream; false when the read fails.
    bool fetch(std::uint64_t offset, std::uint64_t length) {
        if (offset >= m_bytes.size()) {
            return true;
        }
        length = std::min<std::uint64_t>(length, m_bytes.size() - offset);
        return m_read(offset, std::span(m_bytes).subspan(static_cast<std::size_t>(offset),
                                                         static_cast<std::size_t>(length)));
    }
    // A little-endian word at offset; 0 beyond the stream.
    std::uint32_t word(std::uint64_t offset) const {
        return offset + 4 <= m_bytes.size() ? u32(m_bytes, static_cast<std::size_t>(offset)) : 0;
    }
    std::span<const std::byte> bytes() const { return m_bytes; }
    std::vector<std::byte> take() { return std::move(m_bytes); }

  private:
    const StreamReader& m_read;
    std::vector<std::byte> m_bytes;
};

// Where the section of fmtid starts and ends in the stream, once its header and section
// list are fetched: as PropertySetStream::parse finds it. False when there is none.
bool locateSection(const PartialStream& stream, const Fmtid& fmtid, std::uint64_t& start,
                   std::uint64_t& end) {
    const std::span<const std::byte> bytes = stream.bytes();
    const std::uint64_t count = stream.word(kStreamHeaderSize - 4);
    const std::uint64_t listEnd = kStreamHeaderSize + count * kListEntrySize;
    if (bytes.size() < kStreamHeaderSize || listEnd > bytes.size()) {
        return false;
    }
    std::vector<std::uint64_t> starts;
    bool found = false;
    for (std::uint64_t at = kStreamHeaderSize; at < listEnd; at += kListEntrySize) {
        Fmtid stored;
        std::memcpy(stored.data(), bytes.data() + at, stored.size());
        starts.push_back(stream.word(at + 16));
        if (!found && sameFormat(stored, fmtid)) {
            found = true;
            start = starts.back();
        }
    }
    end = bytes.size();
    for (const std::uint64_t other : starts) {
        if (other > start) {
            end = std::min(end, other);
        }
    }
    return found && start >= listEnd && start < end;
}

// Fetches the section's header and property list, and of each value of a wanted id its type
// word, then as much more as its type needs to be decoded. False when a read fails.
bool fetchWantedValues(PartialStream& stream, std::uint64_t start, std::uint64_t end,
                       const std::function<bool(std::uint32_t)>& wanted) {
    if (!stream.fetch(start, kSectionHeaderSize)) {
        return false;
    }
    end = std::min(end, start + stream.word(start));
    const std::uint64_t tableEnd = kSectionHeaderSize + kTableEntrySize * stream.word(start + 4);
    if (start + tableEnd > end) {
        return true;  // a damaged list: the parse says so
    }
    if (!stream.fetch(start + kSectionHeaderSize, tableEnd - kSectionHeaderSize)) {
        return false;
    }
    std::vector<TableEntry> table;
    std::vector<std::uint64_t> offsets;
    for (std::uint64_t at = start + kSectionHeaderSize; at < start + tableEnd;
         at += kTableEntrySize) {
        const TableEntry entry{stream.word(at), stream.word(at + 4)};
        if (entry.offset >= tableEnd && start + entry.offset < end) {
            table.push_back(entry);
            offsets.push_back(start + entry.offset);
        }
    }
    std::sort(offsets.begin(), offsets.end());
    for (const TableEntry& entry : table) {
        if (!wanted(entry.id)) {
            continue;
        }
        const std::uint64_t from = start + entry.offset;
        const auto next = std::upper_bound(offsets.begin(), offsets.end(), from);
        const std::uint64_t extent = (next == offsets.end() ? end : *next) - from;
        if (!stream.fetch(from, std::min<std::uint64_t>(extent, 8))) {
            return false;
        }
        const std::optional<std::size_t> needed = decodedSize(stream.bytes().subspan(
            static_cast<std::size_t>(from), static_cast<std::size_t>(extent)));
        if (needed && !stream.fetch(from, std::min<std::uint64_t>(extent, *needed))) {
            return false;
        }
    }
    return true;
}

// Fetches the whole section of fmtid, when the stream lists one. False when a read fails.
bool fetchWholeSection(PartialStream& stream, const Fmtid& fmtid) {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    if (!locateSection(stream, fmtid, start, end)) {
        return true;
    }
    if (!stream.fetch(start, kSectionHeaderSize)) {
        return false;
    }
    const std::uint64_t declared = stream.word(start);
    return stream.fetch(start, std::min(end - start, std::max<std::uint64_t>(declared, 4)));
}

}  // namespace

const Fmtid FMTID_SummaryInformation = {
    std::byte{0xE0}, std::byte{0x85}, std::byte{0x9F}, std::byte{0xF2},
    std::byte{0xF9}, std::byte{0x4F}, std::byte{0x68}, std::byte{0x10},
    std::byte{0xAB}, std::byte{0x91}, std::byte{0x08}, std::byte{0x00},
    std::byte{0x2B}, std::byte{0x27}, std::byte{0xB3}, std::byte{0xD9}};
const Fmtid FMTID_UserDefinedProperties = {
    std::byte{0x05}, std::byte{0xD5}, std::byte{0xCD}, std::byte{0xD5},
    std::byte{0x9C}, std::byte{0x2E}, std::byte{0x1B}, std::byte{0x10},
    std::byte{0x93}, std::byte{0x97}, std::byte{0x08}, std::byte{0x00},
    std::byte{0x2B}, std::byte{0x2C}, std::byte{0xF9}, std::byte{0xAE}};
const Fmtid FMTID_DocSummaryInformation = {
    std::byte{0x02}, std::byte{0xD5}, std::byte{0xCD}, std::byte{0xD5},
    std::byte{0x9C}, std::byte{0x2E}, std::byte{0x1B}, std::byte{0x10},
    std::byte{0x93}, std::byte{0x97}, std::byte{0x08}, std::byte{0x00},
    std::byte{0x2B}, std::byte{0x2C}, std::byte{0xF9}, std::byte{0xAE}};

StoredBytes::StoredBytes(std::vector<std::byte> bytes)
    : m_buffer(std::make_shared<const std::vector<std::byte>>(std::move(bytes))),
      m_length(m_buffer->size()) {}

std::span<const std::byte> StoredBytes::span() const {
    if (!m_buffer) {
        return {};
    }
    return std::span<const std::byte>(*m_buffer).subspan(m_offset, m_length);
}

StoredBytes StoredBytes::sub(std::size_t offset, std::size_t length) const {
    StoredBytes part = *this;
    part.m_offset += offset;
    part.m_length = length;
    return part;
}

SetParseStatus PropertySection::parse(const StoredBytes& stored, PropertySection& out) {
    out = PropertySection();
    const std::span<const std::byte> bytes = stored.span();
    if (bytes.size() < kSectionHeaderSize) {
        return SetParseStatus::BadSection;
    }
    const std::uint32_t declaredSize = u32(bytes, 0);
    const std::uint64_t count = u32(bytes, 4);
    if (declaredSize < kSectionHeaderSize) {
        return SetParseStatus::BadSection;
    }
    out.m_stored = stored.sub(0, std::min<std::size_t>(declaredSize, bytes.size()));
    const std::span<const std::byte> section = out.m_stored.span();
    const std::uint64_t tableEnd = kSectionHeaderSize + count * kTableEntrySize;
    if (tableEnd > section.size()) {
        return SetParseStatus::BadSection;
    }

    // count is bounded by the section's size (checked above).
    std::vector<TableEntry> table;
    table.reserve(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kSectionHeaderSize + i * kTableEntrySize;
        const TableEntry entry{u32(section, at), u32(section, at + 4)};
        if (entry.offset < tableEnd || entry.offset > section.size() - 4) {
            out.m_complete = false;
            continue;
        }
        table.push_back(entry);
    }
    if (dropRepeatedIds(table)) {
        out.m_complete = false;
    }
    std::vector<std::uint32_t> offsets;
    offsets.reserve(table.size());
    out.m_properties.reserve(table.size());
    for (const TableEntry& entry : table) {
        offsets.push_back(entry.offset);
    }
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());

    // A section whose declared size runs past the stream is read as far as the stream
    // goes; it may be rewritten only when its last value is known to end inside it
    // (some writers leave out the final padding).
    if (declaredSize > bytes.size() && !offsets.empty()) {
        const std::span<const std::byte> last = section.subspan(offsets.back());
        const std::optional<std::size_t> needed = decodedSize(last);
        out.m_complete = out.m_complete && needed && *needed <= last.size();
    }
    // Each value extends to the next value's start (offsets need not be aligned, and
    // strings need not be padded) or to the section end.
    for (const TableEntry& entry : table) {
        const auto next = std::upper_bound(offsets.begin(), offsets.end(), entry.offset);
        const std::size_t end = next == offsets.end() ? section.size() : *next;
        const std::span<const std::byte> value = section.subspan(entry.offset, end - entry.offset);
        if (value.size() < 4) {
            out.m_complete = false;  // not even a type word before the next value
            continue;
        }
        const std::optional<std::size_t> needed =
            entry.id > PID_CODEPAGE ? decodedSize(value) : std::nullopt;
        if (needed && *needed > value.size()) {
            out.m_complete = false;
        }
        out.m_properties.push_back({entry.id, entry.offset, value.size(), std::nullopt});
    }

    // The code page is a signed 16-bit value: 65001 is stored as -535.
    const PropertyValue codePage = out.value(PID_CODEPAGE);
    if (codePage.type == VT_I2 && codePage.integer != 0) {
        out.m_codePage = static_cast<std::uint16_t>(codePage.integer);
    }
    return SetParseStatus::Ok;
}

std::vector<std::byte> PropertySection::codePageValue(std::uint16_t codePage) {
    std::vector<std::byte> value;
    putU32(value, VT_I2);
    putU32(value, codePage);
    return value;
}

PropertySection PropertySection::create(std::uint16_t codePage) {
    PropertySection section;
    section.m_properties.push_back({PID_CODEPAGE, 0, 0, codePageValue(codePage)});
    section.m_codePage = codePage;
    return section;
}

void PropertySection::declareCodePage() {
    const PropertyValue declared = value(PID_CODEPAGE);
    if (declared.type != VT_I2 || declared.integer == 0) {
        store(PID_CODEPAGE, codePageValue(m_codePage));
    }
}

const PropertySection::Property* PropertySection::find(std::uint32_t id) const {
    const auto it = std::find_if(m_properties.begin(), m_properties.end(),
                                 [id](const Property& p) { return p.id == id; });
    return it == m_properties.end() ? nullptr : &*it;
}

PropertyValue PropertySection::value(std::uint32_t id) const {
    PropertyValue value;
    const Property* property = find(id);
    const std::span<const std::byte> b =
        property ? bytesOf(*property) : std::span<const std::byte>();
    if (b.size() < 4) {
        return value;
    }
    const std::optional<std::size_t> needed = decodedSize(b);
    if (needed && *needed > b.size()) {
        return value;
    }
    value.type = u16(b, 0);
    switch (value.type) {
        case VT_I2:
        case VT_BOOL:
            value.integer = static_cast<std::int16_t>(u16(b, 4));
            break;
        case VT_I4:
            value.integer = static_cast<std::int32_t>(u32(b, 4));
            break;
        case VT_R4:
            value.real = std::bit_cast<float>(u32(b, 4));
            break;
        case VT_R8:
            value.real = std::bit_cast<double>(u64(b, 4));
            break;
        case VT_FILETIME:
            value.fileTime = u64(b, 4);
            break;
        case VT_LPSTR:
        case VT_BSTR:
            value.text = decodeSetText(b.subspan(8, u32(b, 4)), m_codePage);
            break;
        case VT_LPWSTR:
            value.text = decodeSetText(b.subspan(8, std::size_t{u32(b, 4)} * 2), CP_WINUNICODE);
            break;
        default:
            break;
    }
    return value;
}

std::span<const std::byte> PropertySection::bytesOf(const Property& property) const {
    if (property.fresh) {
        return *property.fresh;
    }
    return m_stored.span().subspan(property.offset, property.length);
}

void PropertySection::store(std::uint32_t id, std::vector<std::byte> bytes) {
    const auto it = std::find_if(m_properties.begin(), m_properties.end(),
                                 [id](const Property& p) { return p.id == id; });
    if (it == m_properties.end()) {
        // The dictionary goes first, where office programs put it.
        const auto at = id == PID_DICTIONARY ? m_properties.begin() : m_properties.end();
        m_properties.insert(at, {id, 0, 0, std::move(bytes)});
    } else {
        it->fresh = std::move(bytes);
    }
    m_changed = true;
}

bool PropertySection::setText(std::uint32_t id, std::string_view utf8, bool wide) {
    std::string encoded;
    if (!platform::encodeCodePage(m_codePage, utf8, encoded)) {
        return false;
    }
    const std::size_t unitSize = m_codePage == CP_WINUNICODE ? 2 : 1;
    encoded.append(unitSize, '\0');
    const bool asWide = wide && m_codePage == CP_WINUNICODE;
    std::vector<std::byte> value;
    putU32(value, asWide ? VT_LPWSTR : VT_LPSTR);
    putU32(value, static_cast<std::uint32_t>(encoded.size() / (asWide ? unitSize : 1)));
    const auto* chars = reinterpret_cast<const std::byte*>(encoded.data());
    value.insert(value.end(), chars, chars + encoded.size());
    const std::size_t meaningful = value.size();
    padToFour(value);
    const Property* old = find(id);
    if (old == nullptr || !sameValue(bytesOf(*old), value, meaningful)) {
        store(id, std::move(value));
        declareCodePage();
    }
    return true;
}

void PropertySection::replaceFileTime(std::uint32_t id, std::uint64_t fileTime) {
    const Property* old = find(id);
    if (old == nullptr || value(id).type != VT_FILETIME) {
        return;
    }
    std::vector<std::byte> value;
    putU32(value, VT_FILETIME);
    putU32(value, static_cast<std::uint32_t>(fileTime));
    putU32(value, static_cast<std::uint32_t>(fileTime >> 32));
    if (!sameValue(bytesOf(*old), value, value.size())) {
        store(id, std::move(value));
    }
}

void PropertySection::setRawValue(std::uint32_t id, std::vector<std::byte> bytes) {
    const Property* old = find(id);
    if (old == nullptr || !sameValue(bytesOf(*old), bytes, bytes.size())) {
        store(id, std::move(bytes));
    }
}

void PropertySection::remove(std::uint32_t id) {
    const auto it = std::find_if(m_properties.begin(), m_properties.end(),
                                 [id](const Property& p) { return p.id == id; });
    if (it != m_properties.end()) {
        m_properties.erase(it);
        m_changed = true;
    }
}

std::vector<std::uint32_t> PropertySection::ids() const {
    std::vector<std::uint32_t> ids;
    ids.reserve(m_properties.size());
    for (const Property& property : m_properties) {
        ids.push_back(property.id);
    }
    return ids;
}

std::span<const std::byte> PropertySection::rawValue(std::uint32_t id) const {
    const Property* property = find(id);
    return property ? bytesOf(*property) : std::span<const std::byte>();
}

std::vector<std::byte> PropertySection::serialize() const {
    std::vector<std::byte> out;
    putU32(out, 0);
    putU32(out, static_cast<std::uint32_t>(m_properties.size()));
    const std::size_t tableStart = out.size();
    out.resize(tableStart + m_properties.size() * kTableEntrySize);
    for (std::size_t i = 0; i < m_properties.size(); ++i) {
        setU32(out, tableStart + i * kTableEntrySize, m_properties[i].id);
        setU32(out, tableStart + i * kTableEntrySize + 4, static_cast<std::uint32_t>(out.size()));
        const std::span<const std::byte> value = bytesOf(m_properties[i]);
        out.insert(out.end(), value.begin(), value.end());
        padToFour(out);
    }
    setU32(out, 0, static_cast<std::uint32_t>(out.size()));
    return out;
}

SetParseStatus PropertySetStream::parse(std::vector<std::byte> read, const Fmtid& fmtid,
                                        PropertySetStream& out) {
    out = PropertySetStream();
    out.m_stored = StoredBytes(std::move(read));
    const std::span<const std::byte> bytes = out.m_stored.span();
    if (bytes.size() < kStreamHeaderSize || u16(bytes, 0) != kByteOrderMark) {
        return SetParseStatus::BadHeader;
    }
    const std::uint64_t count = u32(bytes, kStreamHeaderSize - 4);
    const std::uint64_t listEnd = kStreamHeaderSize + count * kListEntrySize;
    if (listEnd > bytes.size()) {
        return SetParseStatus::BadHeader;
    }
    out.m_header.assign(bytes.begin(), bytes.begin() + kStreamHeaderSize - 4);

    std::vector<std::uint32_t> offsets(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kStreamHeaderSize + i * kListEntrySize;
        ListEntry entry;
        std::memcpy(entry.fmtid.data(), bytes.data() + at, entry.fmtid.size());
        offsets[i] = u32(bytes, at + 16);
        out.m_list.push_back(std::move(entry));
    }
    std::vector<std::uint32_t> sorted = offsets;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        out.m_layoutIntact = false;
    }
    // Each section extends to the next section's start or the stream end.
    auto extent = [&](std::uint32_t offset) {
        const auto next = std::upper_bound(sorted.begin(), sorted.end(), offset);
        const std::size_t end =
            next == sorted.end() ? bytes.size() : std::min<std::size_t>(*next, bytes.size());
        return out.m_stored.sub(offset, end - offset);
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (offsets[i] < listEnd || offsets[i] >= bytes.size()) {
            out.m_layoutIntact = false;
            continue;
        }
        out.m_list[i].offset = offsets[i];
        out.m_list[i].length = extent(offsets[i]).size();
    }

    const auto own = std::find_if(out.m_list.begin(), out.m_list.end(),
                                  [&](const ListEntry& e) { return sameFormat(e.fmtid, fmtid); });
    if (count == 0) {
        // A stream without sections reads as an empty set; a write adds the section.
        out.m_list.push_back({fmtid});
        out.m_own = 0;
        out.m_section = PropertySection::create(CP_WINUNICODE);
        return SetParseStatus::Ok;
    }
    if (own == out.m_list.end()) {
        return SetParseStatus::NoSuchSection;
    }
    out.m_own = static_cast<std::size_t>(own - out.m_list.begin());
    if (offsets[out.m_own] < listEnd || offsets[out.m_own] >= bytes.size()) {
        return SetParseStatus::BadSection;
    }
    return PropertySection::parse(extent(offsets[out.m_own]), out.m_section);
}

bool PropertySetStream::writable() const {
    const bool userIntact = !m_user || !m_user->changed() || m_user->complete();
    return m_layoutIntact && m_section.complete() && userIntact;
}

bool PropertySetStream::changed() const {
    return m_section.changed() || (m_user && m_user->changed());
}

SetParseStatus PropertySetStream::parseUserDefined() {
    m_user.reset();
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        if (i == m_own || !sameFormat(m_list[i].fmtid, FMTID_UserDefinedProperties)) {
            continue;
        }
        PropertySection section;
        const SetParseStatus status =
            m_list[i].length == 0
                ? SetParseStatus::BadSection
                : PropertySection::parse(m_stored.sub(m_list[i].offset, m_list[i].length), section);
        if (status == SetParseStatus::Ok) {
            m_user = std::move(section);
            m_userIndex = i;
        }
        return status;
    }
    return SetParseStatus::Ok;
}

PropertySection& PropertySetStream::addUserDefined() {
    if (!m_user) {
        m_userIndex = m_list.size();
        m_list.push_back({FMTID_UserDefinedProperties});
        m_user = PropertySection::create(m_section.codePage());
    }
    return *m_user;
}

PropertySetStream PropertySetStream::create(const Fmtid& fmtid, std::uint16_t codePage) {
    PropertySetStream stream;
    putU32(stream.m_header, kByteOrderMark);  // byte order, version 0
    putU32(stream.m_header, kSystemIdentifier);
    stream.m_header.resize(kStreamHeaderSize - 4, std::byte{0});  // CLSID: none
    stream.m_list.push_back({fmtid});
    stream.m_section = PropertySection::create(codePage);
    return stream;
}

std::vector<std::byte> PropertySetStream::serialize() const {
    std::vector<std::byte> out = m_header;
    putU32(out, static_cast<std::uint32_t>(m_list.size()));
    const std::size_t listStart = out.size();
    out.resize(listStart + m_list.size() * kListEntrySize);
    for (std::size_t i = 0; i < m_list.size(); ++i) {
        const std::size_t at = listStart + i * kListEntrySize;
        std::memcpy(out.data() + at, m_list[i].fmtid.data(), m_list[i].fmtid.size());
        setU32(out, at + 16, static_cast<std::uint32_t>(out.size()));
        // A section is rebuilt only when it changed (or is new): the other stays byte for byte.
        const bool ownChanged = i == m_own && (m_section.changed() || m_list[i].length == 0);
        const bool userChanged =
            m_user && i == m_userIndex && (m_user->changed() || m_list[i].length == 0);
        if (ownChanged || userChanged) {
            const std::vector<std::byte> section =
                i == m_own ? m_section.serialize() : m_user->serialize();
            out.insert(out.end(), section.begin(), section.end());
        } else {
            const std::span<const std::byte> stored =
                m_stored.span().subspan(m_list[i].offset, m_list[i].length);
            out.insert(out.end(), stored.begin(), stored.end());
        }
    }
    return out;
}

SetParseStatus readShownSection(const StreamReader& read, std::uint64_t size, const Fmtid& fmtid,
                                std::uint32_t firstId, std::size_t idCount, PropertySection& out,
                                UserDefinedRead* userDefined) {
    PartialStream stream(read, size);
    if (!stream.fetch(0, kStreamHeaderSize) ||
        !stream.fetch(kStreamHeaderSize,
                      std::uint64_t{kListEntrySize} * stream.word(kStreamHeaderSize - 4))) {
        return SetParseStatus::ReadFailed;
    }
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    const auto wanted = [&](std::uint32_t id) {
        return id == PID_CODEPAGE || (id >= firstId && id - firstId < idCount);
    };
    if (locateSection(stream, fmtid, start, end) &&
        !fetchWantedValues(stream, start, end, wanted)) {
        return SetParseStatus::ReadFailed;
    }
    if (userDefined != nullptr && !fetchWholeSection(stream, FMTID_UserDefinedProperties)) {
        return SetParseStatus::ReadFailed;
    }
    PropertySetStream parsed;
    const SetParseStatus status = PropertySetStream::parse(stream.take(), fmtid, parsed);
    out = std::move(parsed.section());
    if (userDefined != nullptr && status == SetParseStatus::Ok) {
        userDefined->status = parsed.parseUserDefined();
        PropertySection* section = parsed.userDefined();
        userDefined->section = section ? std::move(*section) : PropertySection();
    }
    return status;
}

}  // namespace quorvel::compound
