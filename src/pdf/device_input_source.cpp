// SPDX-License-Identifier: GPL-3.0-or-later
#include "pdf/device_input_source.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <span>
#include <stdexcept>

namespace quorvel::pdf {
namespace {

constexpr std::size_t kScanChunk = 4096;

bool isEndOfLine(char c) {
    return c == '\r' || c == '\n';
}

qpdf_offset_t documentSize(const io::BlockDevice& device, std::uint64_t length) {
    const std::uint64_t size = std::min(device.size(), length);
    const auto largest = static_cast<std::uint64_t>(std::numeric_limits<qpdf_offset_t>::max());
    if (size > largest) {
        throw std::runtime_error("document too large");
    }
    return static_cast<qpdf_offset_t>(size);
}

}  // namespace

DeviceInputSource::DeviceInputSource(io::BlockDevice& device, std::uint64_t length)
    : m_device(device), m_size(documentSize(device, length)) {}

void DeviceInputSource::seek(qpdf_offset_t offset, int whence) {
    const qpdf_offset_t base = whence == SEEK_END ? m_size : whence == SEEK_CUR ? m_position : 0;
    if ((offset < 0 && base < -offset) ||
        (offset > 0 && base > std::numeric_limits<qpdf_offset_t>::max() - offset)) {
        throw std::runtime_error("seek outside the document");
    }
    m_position = base + offset;
}

size_t DeviceInputSource::read(char* out, size_t length) {
    last_offset = m_position;
    if (m_position >= m_size || length == 0) {
        return 0;
    }
    const auto count = static_cast<size_t>(
        std::min<std::uint64_t>(length, static_cast<std::uint64_t>(m_size - m_position)));
    const std::span<std::byte> bytes(reinterpret_cast<std::byte*>(out), count);
    if (!m_device.readAt(static_cast<std::uint64_t>(m_position), bytes)) {
        throw std::runtime_error("read error");
    }
    m_position += static_cast<qpdf_offset_t>(count);
    return count;
}

void DeviceInputSource::unreadCh(char) {
    if (m_position > 0) {
        --m_position;
    }
}

// The offset of the next end-of-line mark, leaving the position after the run of CR and LF
// that starts there; the end of the document when there is none.
qpdf_offset_t DeviceInputSource::findAndSkipNextEOL() {
    std::array<char, kScanChunk> chunk{};
    while (const size_t count = read(chunk.data(), chunk.size())) {
        const auto end = chunk.begin() + static_cast<std::ptrdiff_t>(count);
        const auto found = std::find_if(chunk.begin(), end, isEndOfLine);
        if (found == end) {
            continue;
        }
        const qpdf_offset_t mark = last_offset + (found - chunk.begin());
        m_position = mark + 1;
        char next = 0;
        while (read(&next, 1) == 1) {
            if (!isEndOfLine(next)) {
                unreadCh(next);
                break;
            }
        }
        return mark;
    }
    return m_position;
}

}  // namespace quorvel::pdf
