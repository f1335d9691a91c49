// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/zip_package.h"

#include <zlib.h>

#include <algorithm>
#include <span>

#include "package/zip_bytes.h"
#include "package/zip_format.h"

namespace quorvel::package {
namespace {

using namespace zip;

constexpr std::size_t kInflateChunk = 64u << 10;

std::span<std::byte> writable(std::string& text) {
    return std::as_writable_bytes(std::span<char>(text.data(), text.size()));
}

bool readStored(io::BlockDevice& device, const ZipEntry& entry, std::uint64_t dataOffset,
                std::string& out) {
    if (entry.compressedSize != entry.uncompressedSize) {
        return false;
    }
    out.assign(entry.uncompressedSize, '\0');
    return device.readAt(dataOffset, writable(out));
}

// Inflates the entry's raw deflate data into exactly its declared size: more or less output,
// or input that ends before the stream does, is damage.
bool readDeflated(io::BlockDevice& device, const ZipEntry& entry, std::uint64_t dataOffset,
                  std::string& out) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return false;
    }
    out.assign(entry.uncompressedSize + 1, '\0');  // one spare byte shows an overrun
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    std::string input(std::min<std::uint64_t>(entry.compressedSize, kInflateChunk), '\0');
    std::uint64_t at = dataOffset;
    std::uint64_t left = entry.compressedSize;
    int result = Z_OK;
    while (result == Z_OK && stream.avail_out > 0) {
        if (stream.avail_in == 0) {
            if (left == 0) {
                break;
            }
            const std::size_t size =
                static_cast<std::size_t>(std::min<std::uint64_t>(left, kInflateChunk));
            if (!device.readAt(at, writable(input).first(size))) {
                break;
            }
            at += size;
            left -= size;
            stream.next_in = reinterpret_cast<Bytef*>(input.data());
            stream.avail_in = static_cast<uInt>(size);
        }
        result = inflate(&stream, Z_NO_FLUSH);
    }
    const bool whole = result == Z_STREAM_END && stream.total_out == entry.uncompressedSize;
    inflateEnd(&stream);
    out.resize(entry.uncompressedSize);
    return whole;
}

bool crcMatches(const ZipEntry& entry, const std::string& data) {
    const uLong crc =
        crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), data.size());
    return crc == entry.crc32;
}

}  // namespace

ZipPackage::ZipPackage(io::BlockDevice& device, ZipDirectory directory)
    : m_device(device), m_directory(std::move(directory)) {
    for (const ZipEntry& entry : m_directory.entries) {
        m_names.push_back(entry.name);
    }
}

ZipStatus ZipPackage::open(io::BlockDevice& device, std::unique_ptr<ZipPackage>& out) {
    ZipDirectory directory;
    const ZipStatus status = readZipDirectory(device, directory);
    if (status == ZipStatus::Ok) {
        out.reset(new ZipPackage(device, std::move(directory)));
    }
    return status;
}

bool ZipPackage::locate(const ZipEntry& entry, LocalEntry& local) const {
    std::string header(kLocalHeaderSize, '\0');
    if (!m_device.readAt(entry.localHeaderOffset, writable(header))) {
        return false;
    }
    ByteCursor cursor(asBytes(header));
    const bool signedHeader = cursor.u32() == kLocalHeaderSignature;
    cursor.skip(2);  // version needed
    const std::uint16_t flags = cursor.u16();
    const std::uint16_t method = cursor.u16();
    cursor.skip(4);  // time, date
    const std::uint32_t crc = cursor.u32();
    const std::uint32_t compressedSize = cursor.u32();
    const std::uint32_t uncompressedSize = cursor.u32();
    const std::uint64_t nameSize = cursor.u16();
    const std::uint64_t extraSize = cursor.u16();
    const std::uint64_t room = entry.limit - entry.localHeaderOffset - kLocalHeaderSize;
    if (!signedHeader || method != entry.method ||
        (flags & kFlagEncrypted) != (entry.flags & kFlagEncrypted) || nameSize + extraSize > room ||
        entry.compressedSize > room - nameSize - extraSize) {
        return false;
    }
    // Without a data descriptor the local header repeats the central values.
    const auto agrees = [](std::uint32_t inHeader, std::uint64_t central) {
        return inHeader == central || inHeader == kMax32;
    };
    if ((flags & kFlagDataDescriptor) == 0 &&
        (crc != entry.crc32 || !agrees(compressedSize, entry.compressedSize) ||
         !agrees(uncompressedSize, entry.uncompressedSize))) {
        return false;
    }
    std::string nameAndExtra(nameSize + extraSize, '\0');
    if (!m_device.readAt(entry.localHeaderOffset + kLocalHeaderSize, writable(nameAndExtra)) ||
        nameAndExtra.compare(0, nameSize, entry.name) != 0) {
        return false;
    }
    local.dataOffset = entry.localHeaderOffset + kLocalHeaderSize + nameSize + extraSize;
    local.extra = withoutExtraBlock(std::string_view(nameAndExtra).substr(nameSize), kZip64ExtraId);
    return true;
}

EntryRead ZipPackage::read(std::string_view name, std::string& out, std::size_t maxBytes) const {
    const auto found = std::find_if(m_directory.entries.begin(), m_directory.entries.end(),
                                    [&](const ZipEntry& entry) { return entry.name == name; });
    if (found == m_directory.entries.end()) {
        return EntryRead::Missing;
    }
    const ZipEntry& entry = *found;
    // Beyond the caller's cap, or beyond what one inflate call can count.
    if (entry.uncompressedSize > maxBytes || entry.uncompressedSize >= kMax32) {
        return EntryRead::TooLarge;
    }
    LocalEntry local;
    if ((entry.flags & kFlagEncrypted) != 0 || !locate(entry, local)) {
        return EntryRead::Damaged;
    }
    bool whole = false;
    if (entry.method == kMethodStored) {
        whole = readStored(m_device, entry, local.dataOffset, out);
    } else if (entry.method == kMethodDeflated) {
        whole = readDeflated(m_device, entry, local.dataOffset, out);
    }
    if (!whole || !crcMatches(entry, out)) {
        out.clear();
        return EntryRead::Damaged;
    }
    return EntryRead::Ok;
}

}  // namespace quorvel::package
