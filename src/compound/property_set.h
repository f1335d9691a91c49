// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "props/property_value.h"

namespace quorvel::compound {

// Format identifier of a property set, in its stored (little-endian GUID) byte order.
using Fmtid = std::array<std::byte, 16>;

extern const Fmtid FMTID_SummaryInformation;     // {F29F85E0-4FF9-1068-AB91-08002B27B3D9}
extern const Fmtid FMTID_DocSummaryInformation;  // {D5CDD502-2E9C-101B-9397-08002B2CF9AE}
// The second section of DocumentSummaryInformation: properties named by the user.
extern const Fmtid FMTID_UserDefinedProperties;  // {D5CDD505-2E9C-101B-9397-08002B2CF9AE}

inline constexpr std::uint32_t PID_DICTIONARY = 0;

inline constexpr std::uint32_t PID_CODEPAGE = 1;
inline constexpr std::uint16_t CP_WINUNICODE = 1200;
// The code page of a section that names none (or names 0, the system's own): the
// users' system code page.
inline constexpr std::uint16_t kDefaultCodePage = 932;

// A CodePageString's characters up to its terminator, as UTF-8 (code page 1200: UTF-16LE);
// exact is false when the bytes did not decode (ASCII kept, the rest shown as '?').
std::string decodeSetText(std::span<const std::byte> stored, std::uint16_t codePage,
                          bool* exact = nullptr);

enum class SetParseStatus : std::uint8_t {
    Ok,
    BadHeader,      // not a property-set stream, or its section list runs past its end
    NoSuchSection,  // the stream holds sections, none of them of the set's format identifier
    BadSection,     // the section's header or property list is unreadable
    ReadFailed,     // the stream's bytes could not be read
};

// Reads a stream's bytes [offset, offset + out.size()); false when they cannot be read.
using StreamReader = std::function<bool(std::uint64_t offset, std::span<std::byte> out)>;

// Bytes as read: a range of one buffer that a stream and its parsed section share instead of
// each keeping a copy. Never changed once made.
class StoredBytes {
  public:
    StoredBytes() = default;
    explicit StoredBytes(std::vector<std::byte> bytes);

    std::span<const std::byte> span() const;
    std::size_t size() const { return m_length; }
    // The bytes [offset, offset + length) of these; both must lie inside them.
    StoredBytes sub(std::size_t offset, std::size_t length) const;

  private:
    std::shared_ptr<const std::vector<std::byte>> m_buffer;
    std::size_t m_offset = 0;
    std::size_t m_length = 0;
};

// One section of a property set (MS-OLEPS 2.21). Each property is kept as the stored
// bytes of its value, so that what is not changed is written back as it was.
class PropertySection {
  public:
    // bytes: from the section's start to the start of the next section or the stream end.
    static SetParseStatus parse(const StoredBytes& bytes, PropertySection& out);
    // A section holding only its code page.
    static PropertySection create(std::uint16_t codePage);

    std::uint16_t codePage() const { return m_codePage; }
    // Every structure was in bounds and consistent: the section may be rewritten.
    bool complete() const { return m_complete; }
    // A value differs from what was parsed (or the section is new).
    bool changed() const { return m_changed; }

    // The value of a property; VT_EMPTY when absent or unreadable.
    props::PropertyValue value(std::uint32_t id) const;
    // Stores text as VT_LPSTR in the section's code page, replacing any type. False, and
    // nothing changed, when the code page cannot hold the text.
    // wide: as VT_LPWSTR (UTF-16, counted in characters) in a Unicode section instead, the form
    // office programs write user-defined text in, which every reader counts alike.
    bool setText(std::uint32_t id, std::string_view utf8, bool wide = false);
    // Replaces the time of a property that is stored as VT_FILETIME; others stay as they are.
    void replaceFileTime(std::uint32_t id, std::uint64_t fileTime);
    // Stores a value's bytes (type word on, padded) as they are, replacing any type.
    void setRawValue(std::uint32_t id, std::vector<std::byte> bytes);
    void remove(std::uint32_t id);

    // The ids of the section, in the order of its property list.
    std::vector<std::uint32_t> ids() const;
    // The stored bytes of a value from its type word on; empty when absent.
    std::span<const std::byte> rawValue(std::uint32_t id) const;

    std::vector<std::byte> serialize() const;

  private:
    // A value: a range of the stored section, or new bytes once replaced or added.
    struct Property {
        std::uint32_t id;
        std::size_t offset = 0;
        std::size_t length = 0;
        std::optional<std::vector<std::byte>> fresh;
    };
    static std::vector<std::byte> codePageValue(std::uint16_t codePage);
    // Readers disagree on a section that names no code page; once text is written into
    // it, the code page it was written in is declared, so that every reader decodes alike.
    void declareCodePage();
    const Property* find(std::uint32_t id) const;
    std::span<const std::byte> bytesOf(const Property& property) const;
    void store(std::uint32_t id, std::vector<std::byte> bytes);

    StoredBytes m_stored;                // the section as read
    std::vector<Property> m_properties;  // in the order of the property list
    std::uint16_t m_codePage = kDefaultCodePage;
    bool m_complete = true;
    bool m_changed = false;
};

// For showing a set: parses the set's own section of a property-set stream of `size` bytes
// from only the bytes that the stream's header, the section's property list and the values of
// the ids [firstId, firstId + idCount) need (the code page's too), fetched through `read`.
// Nothing else is read: a thumbnail, which is never shown, is most of some streams, and on a
// network share every byte costs. The section is for reading only.
// userDefined, when given, receives the stream's whole user-defined section as well (empty when
// there is none), and userStatus its parse.
struct UserDefinedRead {
    PropertySection section;
    SetParseStatus status = SetParseStatus::Ok;
};
SetParseStatus readShownSection(const StreamReader& read, std::uint64_t size, const Fmtid& fmtid,
                                std::uint32_t firstId, std::size_t idCount, PropertySection& out,
                                UserDefinedRead* userDefined = nullptr);

// A property-set stream (MS-OLEPS 2.20): the header and section list, the set's own
// section parsed, every other section kept as raw bytes unless the user-defined section is
// asked for (parseUserDefined) and then changed.
class PropertySetStream {
  public:
    static SetParseStatus parse(std::vector<std::byte> bytes, const Fmtid& fmtid,
                                PropertySetStream& out);
    // A new stream with one section of fmtid that holds only its code page.
    static PropertySetStream create(const Fmtid& fmtid, std::uint16_t codePage);

    PropertySection& section() { return m_section; }
    const PropertySection& section() const { return m_section; }
    // The stream may be rewritten without losing anything.
    bool writable() const;
    // Either section differs from what was parsed.
    bool changed() const;

    // Parses the user-defined section when the stream lists one; BadSection when unreadable.
    SetParseStatus parseUserDefined();
    // The parsed user-defined section; nullptr when the stream has none (or it is unparsed).
    PropertySection* userDefined() { return m_user ? &*m_user : nullptr; }
    // The user-defined section, added (in the own section's code page) when there is none.
    PropertySection& addUserDefined();

    std::vector<std::byte> serialize() const;

  private:
    struct ListEntry {
        Fmtid fmtid;
        std::size_t offset = 0;  // the section's stored bytes in m_stored
        std::size_t length = 0;
    };
    StoredBytes m_stored;             // the stream as read
    std::vector<std::byte> m_header;  // byte order, version, system identifier, CLSID
    std::vector<ListEntry> m_list;    // in the order of the section list
    std::size_t m_own = 0;            // index of the set's own section in m_list
    PropertySection m_section;
    std::size_t m_userIndex = 0;  // index of the user-defined section in m_list, when m_user
    std::optional<PropertySection> m_user;
    bool m_layoutIntact = true;
};

}  // namespace quorvel::compound
