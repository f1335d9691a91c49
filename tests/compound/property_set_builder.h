// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "compound/property_set.h"
#include "props/property_value.h"

// Hand-built property-set streams for tests.
namespace quorvel::compound::testing {

// The values and codes under test are the shared property record's.
using namespace quorvel::props;

using Bytes = std::vector<std::byte>;

inline void put(Bytes& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        out.push_back(static_cast<std::byte>(value >> (8 * i)));
    }
}

inline Bytes bytesOf(std::string_view text) {
    Bytes out(text.size());
    std::memcpy(out.data(), text.data(), text.size());
    return out;
}

inline std::string_view textOf(std::span<const std::byte> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

inline bool contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// A value: type word, payload; no padding (sections pad when asked).
inline Bytes scalar(std::uint16_t type, std::uint64_t payload, int size) {
    Bytes out;
    put(out, type, 4);
    put(out, payload, size);
    return out;
}
inline Bytes i2(std::int16_t v) {
    return scalar(VT_I2, static_cast<std::uint16_t>(v), 2);
}
inline Bytes i4(std::int32_t v) {
    return scalar(VT_I4, static_cast<std::uint32_t>(v), 4);
}
inline Bytes fileTime(std::uint64_t v) {
    return scalar(VT_FILETIME, v, 8);
}
// A CodePageString of already encoded bytes; the terminator is added.
inline Bytes string(std::string_view encoded, std::uint16_t type = VT_LPSTR, int terminator = 1) {
    Bytes out;
    put(out, type, 4);
    put(out, encoded.size() + static_cast<std::size_t>(terminator), 4);
    const Bytes chars = bytesOf(encoded);
    out.insert(out.end(), chars.begin(), chars.end());
    out.insert(out.end(), static_cast<std::size_t>(terminator), std::byte{0});
    return out;
}

struct Prop {
    std::uint32_t id;
    Bytes value;
};

// A section; padded puts every value on a 4-byte boundary, as the format asks.
inline Bytes section(const std::vector<Prop>& props, bool padded = true) {
    Bytes out;
    put(out, 0, 4);
    put(out, props.size(), 4);
    const std::size_t table = out.size();
    out.resize(table + 8 * props.size());
    for (std::size_t i = 0; i < props.size(); ++i) {
        Bytes entry;
        put(entry, props[i].id, 4);
        put(entry, out.size(), 4);
        std::copy(entry.begin(), entry.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(table + 8 * i));
        out.insert(out.end(), props[i].value.begin(), props[i].value.end());
        if (padded) {
            out.resize((out.size() + 3) / 4 * 4);
        }
    }
    Bytes size;
    put(size, out.size(), 4);
    std::copy(size.begin(), size.end(), out.begin());
    return out;
}

// A stream of sections, each given with its format identifier.
inline Bytes stream(const std::vector<std::pair<Fmtid, Bytes>>& sections) {
    Bytes out;
    put(out, 0xFFFE, 2);
    put(out, 0, 2);
    put(out, 0x00020005, 4);
    out.resize(24);
    put(out, sections.size(), 4);
    std::size_t offset = out.size() + 20 * sections.size();
    for (const auto& [fmtid, body] : sections) {
        out.insert(out.end(), fmtid.begin(), fmtid.end());
        put(out, offset, 4);
        offset += body.size();
    }
    for (const auto& entry : sections) {
        out.insert(out.end(), entry.second.begin(), entry.second.end());
    }
    return out;
}

inline Bytes summaryStream(const std::vector<Prop>& props, bool padded = true) {
    return stream({{FMTID_SummaryInformation, section(props, padded)}});
}

}  // namespace quorvel::compound::testing
