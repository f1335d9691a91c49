// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/block_cache.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace quorvel::io {
namespace {

std::uint64_t alignDown(std::uint64_t offset) {
    return offset - offset % BlockCache::kAlignment;
}

std::uint64_t alignUp(std::uint64_t offset) {
    return alignDown(offset + BlockCache::kAlignment - 1);
}

}  // namespace

// Buffers of extents that went, for the next cache: fresh memory for every document costs
// more in page faults than reading the document does. One store for all threads, under a
// lock taken once per extent: a store per thread would be freed at thread exit, which
// MinGW's emulated thread-local storage does after releasing the store's own memory.
class BlockCache::SpareBuffers {
  public:
    Buffer take(std::uint64_t length) {
        {
            const std::lock_guard lock(m_mutex);
            const auto fits =
                std::find_if(m_spare.begin(), m_spare.end(),
                             [&](const Buffer& spare) { return spare.capacity >= length; });
            if (fits != m_spare.end()) {
                Buffer buffer = std::move(*fits);
                m_spare.erase(fits);
                m_bytes -= buffer.capacity;
                return buffer;
            }
        }
        const std::uint64_t capacity = alignUp(length);
        return {std::make_unique_for_overwrite<std::byte[]>(capacity), capacity};
    }
    void giveBack(Buffer buffer) {
        const std::lock_guard lock(m_mutex);
        if (m_bytes + buffer.capacity <= kSpareCapacity) {
            m_bytes += buffer.capacity;
            m_spare.push_back(std::move(buffer));
        }
    }

  private:
    // As much as the caches of the threads that read at once hold.
    static constexpr std::uint64_t kSpareCapacity = 16 * kCapacity;

    std::mutex m_mutex;
    std::vector<Buffer> m_spare;
    std::uint64_t m_bytes = 0;
};

BlockCache::SpareBuffers& BlockCache::spareBuffers() {
    static SpareBuffers spares;
    return spares;
}

BlockCache::~BlockCache() {
    dropAll();
}

bool BlockCache::readAt(std::uint64_t offset, std::span<std::byte> out) {
    const std::uint64_t fileSize = m_device.size();
    if (offset > fileSize || out.size() > fileSize - offset) {
        return false;
    }
    if (out.size() > kLongestCachedRead) {
        return m_device.readAt(offset, out);
    }
    const std::uint64_t end = offset + out.size();
    std::uint64_t at = offset;
    while (at < end) {
        const auto next = std::upper_bound(
            m_extents.begin(), m_extents.end(), at,
            [](std::uint64_t position, const Extent& extent) { return position < extent.offset; });
        Extent* held = next == m_extents.begin() ? nullptr : &*std::prev(next);
        if (held != nullptr && held->end() > at) {
            held->lastUse = ++m_clock;
            const std::uint64_t length = std::min(end, held->end()) - at;
            std::memcpy(out.data() + (at - offset), held->at(at), static_cast<std::size_t>(length));
            at += length;
            continue;
        }
        const auto [from, to] = fetchRange(at, end, held != nullptr ? held->end() : 0,
                                           next != m_extents.end() ? next->offset : fileSize);
        if (!fetch(from, to)) {
            return false;
        }
    }
    return true;
}

std::pair<std::uint64_t, std::uint64_t> BlockCache::fetchRange(std::uint64_t at, std::uint64_t end,
                                                               std::uint64_t lower,
                                                               std::uint64_t upper) const {
    if (m_fetches == 0 && m_device.size() <= kWholeDeviceUpTo) {
        return {0, m_device.size()};
    }
    const FetchWindow window =
        m_fetches == 0 ? kFirstFetch : (m_fetches == 1 ? kSecondFetch : kLaterFetch);
    const std::uint64_t wanted = window.before + std::max(end - at, window.after);
    std::uint64_t from = std::max(lower, alignDown(at > window.before ? at - window.before : 0));
    const std::uint64_t to = std::min(upper, alignUp(std::max(end, at + window.after)));
    // Against the end of the device or a kept extent, the window slides back.
    if (to - from < wanted) {
        from = std::max(lower, std::min(alignDown(at), alignDown(to > wanted ? to - wanted : 0)));
    }
    return {from, to};
}

bool BlockCache::fetch(std::uint64_t from, std::uint64_t to) {
    while (!m_extents.empty() && m_kept + (to - from) > kCapacity) {
        evictLeastRecentlyUsed();
    }
    ++m_fetches;
    Extent extent{from, to - from, spareBuffers().take(to - from), ++m_clock};
    if (!m_device.readAt(from, {extent.at(from), static_cast<std::size_t>(extent.length)})) {
        spareBuffers().giveBack(std::move(extent.buffer));
        return false;
    }
    m_kept += extent.length;
    const auto place = std::lower_bound(
        m_extents.begin(), m_extents.end(), from,
        [](const Extent& held, std::uint64_t position) { return held.offset < position; });
    m_extents.insert(place, std::move(extent));
    return true;
}

void BlockCache::evictLeastRecentlyUsed() {
    const auto oldest =
        std::min_element(m_extents.begin(), m_extents.end(),
                         [](const Extent& a, const Extent& b) { return a.lastUse < b.lastUse; });
    m_kept -= oldest->length;
    spareBuffers().giveBack(std::move(oldest->buffer));
    m_extents.erase(oldest);
}

void BlockCache::dropAll() {
    for (Extent& extent : m_extents) {
        spareBuffers().giveBack(std::move(extent.buffer));
    }
    m_extents.clear();
    m_kept = 0;
}

bool BlockCache::writeAt(std::uint64_t offset, std::span<const std::byte> data) {
    if (!m_device.writeAt(offset, data)) {
        // What the device holds now is unknown: read it again when asked.
        dropAll();
        return false;
    }
    const std::uint64_t end = offset + data.size();
    for (Extent& extent : m_extents) {
        const std::uint64_t from = std::max(offset, extent.offset);
        const std::uint64_t to = std::min(end, extent.end());
        if (from < to) {
            std::memcpy(extent.at(from), data.data() + (from - offset),
                        static_cast<std::size_t>(to - from));
        }
    }
    return true;
}

bool BlockCache::truncate(std::uint64_t size) {
    // Rare (a torn update cut off): nothing kept is worth sorting out.
    dropAll();
    return m_device.truncate(size);
}

}  // namespace quorvel::io
