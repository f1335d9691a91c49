// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace quorvel::package::zip {

// Reads little-endian fields in order from a byte range; a read past the end yields zero
// and marks the cursor failed, so a parser checks once after a record.
class ByteCursor {
  public:
    explicit ByteCursor(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::string text(std::size_t size) {
        if (!fits(size)) {
            return {};
        }
        std::string out(reinterpret_cast<const char*>(m_bytes.data() + m_at), size);
        m_at += size;
        return out;
    }
    void skip(std::size_t size) {
        if (fits(size)) {
            m_at += size;
        }
    }

    bool failed() const { return m_failed; }
    std::size_t position() const { return m_at; }
    std::size_t remaining() const { return m_bytes.size() - m_at; }

  private:
    bool fits(std::size_t size) {
        if (size > remaining()) {
            m_failed = true;
            m_at = m_bytes.size();
        }
        return !m_failed;
    }
    std::uint64_t take(std::size_t size) {
        if (!fits(size)) {
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            value |= static_cast<std::uint64_t>(m_bytes[m_at + i]) << (8 * i);
        }
        m_at += size;
        return value;
    }

    std::span<const std::byte> m_bytes;
    std::size_t m_at = 0;
    bool m_failed = false;
};

// Appends little-endian fields to a byte string.
inline void putU16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}
inline void putU32(std::string& out, std::uint32_t value) {
    putU16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    putU16(out, static_cast<std::uint16_t>(value >> 16));
}

inline std::span<const std::byte> asBytes(std::string_view text) {
    return std::as_bytes(std::span<const char>(text.data(), text.size()));
}

}  // namespace quorvel::package::zip
