// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "io/block_device.h"

namespace quorvel::io {

// Keeps what was read of the device beneath in memory, so that the many small reads of a
// parse cost the device few reads (each a round trip on a network share). A read that misses
// fetches a window around the bytes asked for, sized by what a round trip is worth against
// the bytes it moves: on a link of 100 Mbit/s with reads of many documents in flight, one
// round trip costs about as much as 1 KB. Writes go through at once, in the caller's order,
// and update the kept bytes, so reads never see stale data.
class BlockCache final : public BlockDevice {
  public:
    // Bytes on either side of a missed read that a fetch takes as well.
    struct FetchWindow {
        std::uint64_t before = 0;
        std::uint64_t after = 0;
    };
    // A document this small is fetched whole by its first read: one round trip.
    static constexpr std::uint64_t kWholeDeviceUpTo = 16 * 1024;
    // The first read (a header) takes the sectors after it, where many writers put the
    // allocation table and the directory.
    static constexpr FetchWindow kFirstFetch{0, 4 * 1024};
    // The second (most often the directory) takes more before it than after: writers keep the
    // property streams, the allocation table and the mini stream beside the directory.
    static constexpr FetchWindow kSecondFetch{8 * 1024, 4 * 1024};
    // Later reads are scattered sectors of tables and chains.
    static constexpr FetchWindow kLaterFetch{0, 2 * 1024};
    // Fetches start and end on sector boundaries.
    static constexpr std::uint64_t kAlignment = 512;
    // Bytes kept at most; the least recently used extents go first.
    static constexpr std::uint64_t kCapacity = 512 * 1024;
    // Longer reads go straight to the device: they would only push out what is kept.
    static constexpr std::uint64_t kLongestCachedRead = 128 * 1024;

    explicit BlockCache(BlockDevice& device) : m_device(device) {}
    ~BlockCache() override;
    BlockCache(const BlockCache&) = delete;
    BlockCache& operator=(const BlockCache&) = delete;

    bool readAt(std::uint64_t offset, std::span<std::byte> out) override;
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override;
    bool sync() override { return m_device.sync(); }
    std::uint64_t size() const override { return m_device.size(); }
    bool truncate(std::uint64_t size) override;

  private:
    // Memory of whole blocks for an extent.
    struct Buffer {
        std::unique_ptr<std::byte[]> bytes;
        std::uint64_t capacity = 0;
    };
    // Bytes [offset, offset + length) of the device, as read or since written.
    struct Extent {
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
        Buffer buffer;
        std::uint64_t lastUse = 0;
        std::uint64_t end() const { return offset + length; }
        std::byte* at(std::uint64_t position) { return buffer.bytes.get() + (position - offset); }
    };
    class SpareBuffers;
    static SpareBuffers& spareBuffers();

    // The window to fetch for a read of [at, end) that misses, between the kept extents or
    // device ends `lower` and `upper`.
    std::pair<std::uint64_t, std::uint64_t> fetchRange(std::uint64_t at, std::uint64_t end,
                                                       std::uint64_t lower,
                                                       std::uint64_t upper) const;
    // Reads [from, to), a range no kept extent overlaps, into a new extent.
    bool fetch(std::uint64_t from, std::uint64_t to);
    void evictLeastRecentlyUsed();
    void dropAll();

    BlockDevice& m_device;
    std::vector<Extent> m_extents;  // by offset, disjoint
    std::uint64_t m_kept = 0;
    std::uint64_t m_clock = 0;
    std::uint64_t m_fetches = 0;
};

}  // namespace quorvel::io
