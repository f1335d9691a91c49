// SPDX-License-Identifier: GPL-3.0-or-later
#include "compound/custom_section.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "platform/codepage.h"

namespace quorvel::compound {

using namespace props;

namespace {

// A linked property's source is stored under its id with this bit set (MS-OSHARED 2.3.3.2.2).
constexpr std::uint32_t kLinkBit = 0x01000000;
constexpr std::uint32_t kFirstUserId = 2;

struct DictionaryEntry {
    std::uint32_t id = 0;
    std::string name;               // UTF-8
    std::vector<std::byte> stored;  // the name as stored, its terminator included
    bool exact = true;              // the stored name decoded without loss
};

std::uint32_t u32(std::span<const std::byte> b, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value |= std::to_integer<std::uint32_t>(b[at + i]) << (8 * i);
    }
    return value;
}

void putU32(std::vector<std::byte>& out, std::uint64_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::byte>(value >> shift));
    }
}

std::size_t unitSize(std::uint16_t codePage) {
    return codePage == CP_WINUNICODE ? 2 : 1;
}

bool hasRepeats(const std::vector<DictionaryEntry>& entries) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t k = i + 1; k < entries.size(); ++k) {
            if (entries[i].id == entries[k].id ||
                sameCustomName(entries[i].name, entries[k].name)) {
                return true;
            }
        }
    }
    return false;
}

// The dictionary's entries; nullopt when it is damaged. A section without one has none.
std::optional<std::vector<DictionaryEntry>> readDictionary(const PropertySection& section) {
    const std::span<const std::byte> bytes = section.rawValue(PID_DICTIONARY);
    std::vector<DictionaryEntry> entries;
    if (bytes.empty()) {
        return entries;
    }
    const std::size_t unit = unitSize(section.codePage());
    const std::uint64_t count = bytes.size() >= 4 ? u32(bytes, 0) : 0;
    if (bytes.size() < 4 || count > bytes.size() / 8) {
        return std::nullopt;
    }
    std::uint64_t at = 4;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (at + 8 > bytes.size()) {
            return std::nullopt;
        }
        DictionaryEntry entry;
        entry.id = u32(bytes, static_cast<std::size_t>(at));
        const std::uint64_t length =
            std::uint64_t{u32(bytes, static_cast<std::size_t>(at) + 4)} * unit;
        at += 8;
        if (length > bytes.size() - at) {
            return std::nullopt;
        }
        const auto name =
            bytes.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
        entry.stored.assign(name.begin(), name.end());
        entry.name = decodeSetText(name, section.codePage(), &entry.exact);
        at += length;
        if (unit == 2) {
            at = std::min<std::uint64_t>((at + 3) / 4 * 4, bytes.size());
        }
        entries.push_back(std::move(entry));
    }
    if (hasRepeats(entries)) {
        return std::nullopt;
    }
    return entries;
}

std::vector<std::byte> dictionaryBytes(const std::vector<DictionaryEntry>& entries,
                                       std::uint16_t codePage) {
    const std::size_t unit = unitSize(codePage);
    std::vector<std::byte> out;
    putU32(out, entries.size());
    for (const DictionaryEntry& entry : entries) {
        putU32(out, entry.id);
        putU32(out, entry.stored.size() / unit);
        out.insert(out.end(), entry.stored.begin(), entry.stored.end());
        if (unit == 2) {
            out.resize((out.size() + 3) / 4 * 4, std::byte{0});
        }
    }
    out.resize((out.size() + 3) / 4 * 4, std::byte{0});
    return out;
}

std::string otherDescription(std::uint16_t type) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "VT 0x%04X", static_cast<unsigned>(type));
    return text.data();
}

// The model's view of one stored value.
CustomProperty customOf(const PropertySection& section, const DictionaryEntry& entry) {
    CustomProperty property{entry.name, CustomType::Other, {}, false};
    const PropertyValue value = section.value(entry.id);
    switch (value.type) {
        case VT_LPSTR:
        case VT_BSTR:
        case VT_LPWSTR:
            property.type = CustomType::Text;
            property.value = value.text;
            break;
        case VT_I2:
        case VT_I4:
            property.type = CustomType::Integer;
            property.value = std::to_string(value.integer);
            break;
        case VT_R4:
        case VT_R8:
            property.type = CustomType::Real;
            property.value = customRealText(value.real);
            break;
        case VT_FILETIME:
            property.type = CustomType::Date;
            property.value = customDateText(value.fileTime);
            break;
        case VT_BOOL:
            property.type = CustomType::Bool;
            property.value = value.integer != 0 ? "true" : "false";
            break;
        default: {
            const std::span<const std::byte> raw = section.rawValue(entry.id);
            const auto type = raw.size() >= 2 ? static_cast<std::uint16_t>(u32(raw, 0)) : VT_EMPTY;
            property.value = otherDescription(raw.size() >= 4 ? type : VT_EMPTY);
            break;
        }
    }
    const std::vector<std::uint32_t> ids = section.ids();
    const bool linked = std::find(ids.begin(), ids.end(), entry.id | kLinkBit) != ids.end();
    property.readOnly = property.type == CustomType::Other || linked || !entry.exact ||
                        isReservedCustomName(entry.name);
    return property;
}

std::uint32_t nextFreeId(const PropertySection& section,
                         const std::vector<DictionaryEntry>& entries) {
    std::uint32_t highest = kFirstUserId - 1;
    for (const std::uint32_t id : section.ids()) {
        if (id < kLinkBit) {
            highest = std::max(highest, id);
        }
    }
    for (const DictionaryEntry& entry : entries) {
        if (entry.id < kLinkBit) {
            highest = std::max(highest, entry.id);
        }
    }
    return highest + 1;
}

std::vector<std::byte> fixedValue(std::uint16_t type, std::uint64_t payload, std::size_t bytes) {
    std::vector<std::byte> out;
    putU32(out, type);
    for (std::size_t i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::byte>(payload >> (8 * i)));
    }
    out.resize((out.size() + 3) / 4 * 4, std::byte{0});
    return out;
}

// Stores an edit's value under id; false when it cannot be stored.
bool storeValue(PropertySection& section, std::uint32_t id, const CustomEdit& edit) {
    switch (edit.type) {
        case CustomType::Text:
            return section.setText(id, edit.value, true);
        case CustomType::Integer: {
            std::int32_t value = 0;
            const auto parsed =
                std::from_chars(edit.value.data(), edit.value.data() + edit.value.size(), value);
            if (parsed.ec != std::errc()) {
                return false;
            }
            section.setRawValue(id, fixedValue(VT_I4, static_cast<std::uint32_t>(value), 4));
            return true;
        }
        case CustomType::Real: {
            double value = 0;
            const auto parsed =
                std::from_chars(edit.value.data(), edit.value.data() + edit.value.size(), value);
            if (parsed.ec != std::errc()) {
                return false;
            }
            section.setRawValue(id, fixedValue(VT_R8, std::bit_cast<std::uint64_t>(value), 8));
            return true;
        }
        case CustomType::Date: {
            const std::optional<std::uint64_t> time = customDateFileTime(edit.value);
            if (!time) {
                return false;
            }
            section.setRawValue(id, fixedValue(VT_FILETIME, *time, 8));
            return true;
        }
        case CustomType::Bool:
            section.setRawValue(id, fixedValue(VT_BOOL, edit.value == "true" ? 0xFFFF : 0, 2));
            return true;
        case CustomType::Other:
            break;
    }
    return false;
}

// A new dictionary entry: the name with its terminator in the section's code page.
std::optional<DictionaryEntry> newEntry(std::uint32_t id, const std::string& name,
                                        std::uint16_t codePage) {
    std::string encoded;
    if (name.empty() || !platform::encodeCodePage(codePage, name, encoded)) {
        return std::nullopt;
    }
    encoded.append(unitSize(codePage), '\0');
    const auto* bytes = reinterpret_cast<const std::byte*>(encoded.data());
    return DictionaryEntry{id, name, std::vector<std::byte>(bytes, bytes + encoded.size()), true};
}

bool applyEdit(PropertySection& section, std::vector<DictionaryEntry>& entries,
               const CustomEdit& edit) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&](const DictionaryEntry& e) {
        return sameCustomName(e.name, edit.name);
    });
    if (found != entries.end() && customOf(section, *found).readOnly) {
        return false;
    }
    if (edit.remove) {
        if (found != entries.end()) {
            section.remove(found->id);
            entries.erase(found);
        }
        return true;
    }
    if (isReservedCustomName(edit.name)) {
        return false;
    }
    if (found != entries.end()) {
        return storeValue(section, found->id, edit);
    }
    std::optional<DictionaryEntry> entry =
        newEntry(nextFreeId(section, entries), edit.name, section.codePage());
    if (!entry || !storeValue(section, entry->id, edit)) {
        return false;
    }
    entries.push_back(std::move(*entry));
    return true;
}

}  // namespace

bool readCustomSection(const PropertySection& section, std::vector<CustomProperty>& out) {
    out.clear();
    const std::optional<std::vector<DictionaryEntry>> entries = readDictionary(section);
    if (!entries) {
        return false;
    }
    const std::vector<std::uint32_t> ids = section.ids();
    for (const DictionaryEntry& entry : *entries) {
        if (std::find(ids.begin(), ids.end(), entry.id) != ids.end()) {
            out.push_back(customOf(section, entry));
        }
    }
    return true;
}

CustomEditOutcome applyCustomEdits(PropertySection& section, const std::vector<CustomEdit>& edits) {
    std::optional<std::vector<DictionaryEntry>> entries = readDictionary(section);
    if (!entries) {
        return CustomEditOutcome::Damaged;
    }
    const std::size_t before = entries->size();
    const std::vector<DictionaryEntry> original = *entries;
    for (const CustomEdit& edit : edits) {
        if (!applyEdit(section, *entries, edit)) {
            return CustomEditOutcome::Refused;
        }
    }
    const bool dictionaryChanged =
        entries->size() != before ||
        !std::equal(entries->begin(), entries->end(), original.begin(),
                    [](const DictionaryEntry& a, const DictionaryEntry& b) {
                        return a.id == b.id && a.stored == b.stored;
                    });
    if (dictionaryChanged) {
        section.setRawValue(PID_DICTIONARY, dictionaryBytes(*entries, section.codePage()));
    }
    return CustomEditOutcome::Applied;
}

}  // namespace quorvel::compound
