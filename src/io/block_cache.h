// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "io/block_device.h"

namespace quorvel::io {

// Keeps aligned blocks of the device beneath in memory, so that the many small reads of
// a parse cost the device one large read or two (each a round trip on a network share):
// a read that misses fetches the blocks it touches with one read. Writes go through at
// once, in the caller's order, and update the kept bytes, so reads never see stale data.
class BlockCache final : public BlockDevice {
  public:
    // Small enough that the kernel's copy of a document's first block (most documents need
    // little beyond its start) stays cheap, large enough that a typical document still
    // costs one read or two.
    static constexpr std::uint64_t kBlockSize = 32 * 1024;
    // Bytes kept at most; the least recently used blocks go first.
    static constexpr std::uint64_t kCapacity = 16 * kBlockSize;
    // Longer reads go straight to the device: they would only push out what is kept.
    static constexpr std::uint64_t kLongestCachedRead = 4 * kBlockSize;

    explicit BlockCache(BlockDevice& device) : m_device(device) {}
    ~BlockCache() override;
    BlockCache(const BlockCache&) = delete;
    BlockCache& operator=(const BlockCache&) = delete;

    bool readAt(std::uint64_t offset, std::span<std::byte> out) override;
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override;
    bool sync() override { return m_device.sync(); }
    std::uint64_t size() const override { return m_device.size(); }

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

    // Reads [from, to), a range no kept extent overlaps, into a new extent.
    bool fetch(std::uint64_t from, std::uint64_t to);
    void evictLeastRecentlyUsed();
    void dropAll();

    BlockDevice& m_device;
    std::vector<Extent> m_extents;  // by offset, disjoint
    std::uint64_t m_kept = 0;
    std::uint64_t m_clock = 0;
};

}  // namespace quorvel::io
