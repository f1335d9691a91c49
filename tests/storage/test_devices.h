// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "io/block_device.h"
#include "io/memory_device.h"

namespace quorvel::storage::test {

// Passes everything to another device and counts the reads and the bytes moved.
class CountingDevice : public io::BlockDevice {
  public:
    explicit CountingDevice(io::BlockDevice& inner) : m_inner(inner) {}
    bool readAt(std::uint64_t offset, std::span<std::byte> out) override {
        ++m_reads;
        m_read += out.size();
        return m_inner.readAt(offset, out);
    }
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        m_written += data.size();
        return m_inner.writeAt(offset, data);
    }
    bool sync() override { return m_inner.sync(); }
    std::uint64_t size() const override { return m_inner.size(); }

    std::uint64_t reads() const { return m_reads; }
    std::uint64_t bytesRead() const { return m_read; }
    std::uint64_t bytesWritten() const { return m_written; }
    void reset() { m_reads = m_read = m_written = 0; }

  private:
    io::BlockDevice& m_inner;
    std::uint64_t m_reads = 0;
    std::uint64_t m_read = 0;
    std::uint64_t m_written = 0;
};

// A document in memory whose writes fail from the (k+1)-th on, as if the process
// had been killed there: what it holds afterwards is the file left on disk.
class StoppingDevice : public io::MemoryDevice {
  public:
    StoppingDevice(std::vector<std::byte> bytes, int writesAllowed)
        : io::MemoryDevice(std::move(bytes)), m_left(writesAllowed) {}
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        if (m_left <= 0) {
            m_stopped = true;
            return false;
        }
        --m_left;
        return io::MemoryDevice::writeAt(offset, data);
    }
    bool sync() override { return !m_stopped; }
    bool stopped() const { return m_stopped; }

  private:
    int m_left;
    bool m_stopped = false;
};

}  // namespace quorvel::storage::test
