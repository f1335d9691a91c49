// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/zip_writer.h"

#include <zlib.h>

#include <algorithm>

#include "package/zip_bytes.h"
#include "package/zip_format.h"

namespace quorvel::package {
namespace {

using namespace zip;

constexpr std::size_t kOutputBuffer = 1u << 20;
constexpr std::uint16_t kVersionMadeBy = 20;  // MS-DOS host, format 2.0

// Gathers small records into large appends; big raw data passes straight through.
class PackageOutput {
  public:
    explicit PackageOutput(PackageSink& sink) : m_sink(sink) { m_buffer.reserve(kOutputBuffer); }

    bool put(std::string_view bytes) {
        if (m_buffer.size() + bytes.size() > kOutputBuffer && !flush()) {
            return false;
        }
        if (bytes.size() >= kOutputBuffer) {
            m_position += bytes.size();
            return m_sink.append(asBytes(bytes));
        }
        m_buffer += bytes;
        m_position += bytes.size();
        return true;
    }
    bool flush() {
        const bool ok = m_buffer.empty() || m_sink.append(asBytes(m_buffer));
        m_buffer.clear();
        return ok;
    }
    std::uint64_t position() const { return m_position; }

  private:
    PackageSink& m_sink;
    std::string m_buffer;
    std::uint64_t m_position = 0;
};

bool fits32(std::uint64_t value) {
    return value < kMax32;
}

// The fields a local and a central header share, from "version needed" to the sizes.
void putSharedFields(std::string& record, const ZipEntry& entry) {
    putU16(record, entry.versionNeeded);
    putU16(record, entry.flags);
    putU16(record, entry.method);
    putU16(record, entry.modTime);
    putU16(record, entry.modDate);
    putU32(record, entry.crc32);
    putU32(record, static_cast<std::uint32_t>(entry.compressedSize));
    putU32(record, static_cast<std::uint32_t>(entry.uncompressedSize));
}

std::string localRecord(const ZipEntry& entry, std::string_view extra) {
    std::string record;
    putU32(record, kLocalHeaderSignature);
    putSharedFields(record, entry);
    putU16(record, static_cast<std::uint16_t>(entry.name.size()));
    putU16(record, static_cast<std::uint16_t>(extra.size()));
    return record + entry.name + std::string(extra);
}

std::string centralRecord(const ZipEntry& entry) {
    std::string record;
    putU32(record, kCentralHeaderSignature);
    putU16(record, entry.versionMadeBy);
    putSharedFields(record, entry);
    putU16(record, static_cast<std::uint16_t>(entry.name.size()));
    putU16(record, static_cast<std::uint16_t>(entry.extra.size()));
    putU16(record, static_cast<std::uint16_t>(entry.comment.size()));
    putU16(record, 0);  // disk
    putU16(record, entry.internalAttributes);
    putU32(record, entry.externalAttributes);
    putU32(record, static_cast<std::uint32_t>(entry.localHeaderOffset));
    return record + entry.name + entry.extra + entry.comment;
}

std::string endRecord(const ZipDirectory& written) {
    std::string record;
    putU32(record, kEndRecordSignature);
    putU16(record, 0);  // this disk
    putU16(record, 0);  // disk of the central directory
    putU16(record, static_cast<std::uint16_t>(written.entries.size()));
    putU16(record, static_cast<std::uint16_t>(written.entries.size()));
    putU32(record, static_cast<std::uint32_t>(written.centralSize));
    putU32(record, static_cast<std::uint32_t>(written.centralOffset));
    putU16(record, static_cast<std::uint16_t>(written.comment.size()));
    return record + written.comment;
}

bool deflateContent(std::string_view content, std::string& out) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    out.assign(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return done;
}

// A part written fresh: the old entry's attributes when it replaces one.
bool writeFreshEntry(PackageOutput& output, ZipEntry entry, std::string_view content,
                     ZipDirectory& written) {
    std::string compressed;
    if (content.size() >= kMax32 || !deflateContent(content, compressed)) {
        return false;
    }
    entry.versionNeeded = kVersionDeflate;
    entry.flags &= kFlagUtf8Name;
    entry.method = kMethodDeflated;
    entry.crc32 = static_cast<std::uint32_t>(crc32_z(
        crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(content.data()), content.size()));
    entry.compressedSize = compressed.size();
    entry.uncompressedSize = content.size();
    entry.localHeaderOffset = output.position();
    written.entries.push_back(entry);
    return output.put(localRecord(entry, {})) && output.put(compressed);
}

// An unchanged entry: a local header rebuilt from the central record (sizes in the header,
// no data descriptor), then the stored bytes as they are.
bool copyEntry(const ZipPackage& source, PackageOutput& output, ZipEntry entry,
               ZipDirectory& written) {
    LocalEntry local;
    const bool encryptedWithDescriptor =
        (entry.flags & kFlagEncrypted) != 0 && (entry.flags & kFlagDataDescriptor) != 0;
    if (encryptedWithDescriptor || !fits32(entry.compressedSize) ||
        !fits32(entry.uncompressedSize) || !source.locate(entry, local)) {
        return false;
    }
    const std::uint64_t dataOffset = local.dataOffset;
    entry.flags &= static_cast<std::uint16_t>(~kFlagDataDescriptor);
    if (entry.versionNeeded == kVersionZip64) {
        entry.versionNeeded = kVersionDeflate;
    }
    entry.localHeaderOffset = output.position();
    written.entries.push_back(entry);
    if (!output.put(localRecord(entry, local.extra))) {
        return false;
    }
    std::string chunk;
    for (std::uint64_t done = 0; done < entry.compressedSize;) {
        chunk.resize(std::min<std::uint64_t>(entry.compressedSize - done, kOutputBuffer));
        if (!source.device().readAt(
                dataOffset + done, std::as_writable_bytes(std::span(chunk.data(), chunk.size()))) ||
            !output.put(chunk)) {
            return false;
        }
        done += chunk.size();
    }
    return true;
}

const PartChange* findChange(const PackageChanges& changes, std::string_view name) {
    const auto found = std::find_if(changes.begin(), changes.end(),
                                    [&](const PartChange& change) { return change.name == name; });
    return found == changes.end() ? nullptr : &*found;
}

ZipEntry newEntry(const std::string& name) {
    ZipEntry entry;
    entry.name = name;
    entry.versionMadeBy = kVersionMadeBy;
    entry.modDate = kDosDate1980;
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    entry.flags = ascii ? 0 : kFlagUtf8Name;
    return entry;
}

bool writeEntries(const ZipPackage& source, const PackageChanges& changes, PackageOutput& output,
                  ZipDirectory& written) {
    for (const ZipEntry& entry : source.directory().entries) {
        const PartChange* change = findChange(changes, entry.name);
        const bool ok = change ? writeFreshEntry(output, entry, change->content, written)
                               : copyEntry(source, output, entry, written);
        if (!ok || !fits32(output.position())) {
            return false;
        }
    }
    for (const PartChange& change : changes) {
        const auto& names = source.entryNames();
        if (std::find(names.begin(), names.end(), change.name) == names.end() &&
            (change.name.size() > kMax16 ||
             !writeFreshEntry(output, newEntry(change.name), change.content, written) ||
             !fits32(output.position()))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool writeZipPackage(const ZipPackage& source, const PackageChanges& changes, PackageSink& sink) {
    PackageOutput output(sink);
    ZipDirectory written;
    written.comment = source.directory().comment;
    if (!writeEntries(source, changes, output, written) || written.entries.size() >= kMax16) {
        return false;
    }
    written.centralOffset = output.position();
    for (const ZipEntry& entry : written.entries) {
        if (!output.put(centralRecord(entry))) {
            return false;
        }
    }
    written.centralSize = output.position() - written.centralOffset;
    return fits32(output.position()) && output.put(endRecord(written)) && output.flush() &&
           sink.sync();
}

}  // namespace quorvel::package
