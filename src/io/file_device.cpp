// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/file_device.h"

#include <utility>

#include "io/file_device_impl.h"

namespace quorvel::io {

FileDevice::FileDevice(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FileDevice::~FileDevice() = default;

bool FileDevice::readAt(std::uint64_t offset, std::span<std::byte> out) {
    return m_impl->cache.readAt(offset, out);
}

bool FileDevice::writeAt(std::uint64_t offset, std::span<const std::byte> data) {
    return m_impl->cache.writeAt(offset, data);
}

bool FileDevice::sync() {
    return m_impl->cache.sync();
}

bool FileDevice::truncate(std::uint64_t size) {
    return m_impl->cache.truncate(size);
}

std::uint64_t FileDevice::size() const {
    return m_impl->cache.size();
}

}  // namespace quorvel::io
