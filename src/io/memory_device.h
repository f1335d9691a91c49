// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "io/block_device.h"

namespace quorvel::io {

// A document held in memory: what parsers, tests and the fuzz targets run on.
class MemoryDevice : public BlockDevice {
  public:
    MemoryDevice() = default;
    explicit MemoryDevice(std::vector<std::byte> bytes) : m_bytes(std::move(bytes)) {}

    bool readAt(std::uint64_t offset, std::span<std::byte> out) override {
        if (offset > m_bytes.size() || out.size() > m_bytes.size() - offset) {
            return false;
        }
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
        return true;
    }
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        if (offset + data.size() > m_bytes.size()) {
            m_bytes.resize(offset + data.size());
        }
        std::copy(data.begin(), data.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        return true;
    }
    bool sync() override { return true; }
    std::uint64_t size() const override { return m_bytes.size(); }
    bool truncate(std::uint64_t size) override {
        if (size > m_bytes.size()) {
            return false;
        }
        m_bytes.resize(static_cast<std::size_t>(size));
        return true;
    }

    const std::vector<std::byte>& bytes() const { return m_bytes; }

  private:
    std::vector<std::byte> m_bytes;
};

}  // namespace quorvel::io
