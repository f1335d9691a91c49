// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "io/memory_device.h"
#include "package/zip_package.h"
#include "package/zip_writer.h"

namespace quorvel::package::testing {

inline std::vector<std::byte> toBytes(const std::string& text) {
    const auto* begin = reinterpret_cast<const std::byte*>(text.data());
    return {begin, begin + text.size()};
}

// A ZIP held in memory with its package opened over it.
struct OpenedZip {
    explicit OpenedZip(const std::string& bytes) : device(toBytes(bytes)) {
        status = ZipPackage::open(device, package);
    }
    io::MemoryDevice device;
    std::unique_ptr<ZipPackage> package;
    ZipStatus status = ZipStatus::Damaged;
};

// Collects what a package writer appends.
class StringSink : public PackageSink {
  public:
    bool append(std::span<const std::byte> data) override {
        bytes.append(reinterpret_cast<const char*>(data.data()), data.size());
        ++appends;
        return true;
    }
    bool sync() override { return true; }
    std::string bytes;
    int appends = 0;
};

// Passes a number of appends and syncs on, then fails every later one, as a crash or a full
// disk would. Counts the calls into calls.
class StoppingSink : public PackageSink {
  public:
    StoppingSink(PackageSink& inner, int callsAllowed, int& calls)
        : m_inner(inner), m_left(callsAllowed), m_calls(calls) {}
    bool append(std::span<const std::byte> data) override { return pass() && m_inner.append(data); }
    bool sync() override { return pass() && m_inner.sync(); }

  private:
    bool pass() {
        ++m_calls;
        return m_left-- > 0;
    }
    PackageSink& m_inner;
    int m_left;
    int& m_calls;
};

// An entry's stored bytes, as they lie in the file.
inline std::string storedBytes(const ZipPackage& package, const std::string& name) {
    for (const ZipEntry& entry : package.directory().entries) {
        LocalEntry local;
        if (entry.name == name && package.locate(entry, local)) {
            std::string data(entry.compressedSize, '\0');
            package.device().readAt(local.dataOffset,
                                    std::as_writable_bytes(std::span(data.data(), data.size())));
            return data;
        }
    }
    return "(missing)";
}

// Every entry as libzip reads it, with its consistency checks on.
inline std::map<std::string, std::string> readWithLibzip(const std::string& bytes) {
    std::map<std::string, std::string> entries;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr) {
        zip_source_free(source);
        ADD_FAILURE() << "libzip: " << zip_error_strerror(&error);
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        std::string data(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        const zip_int64_t read = file ? zip_fread(file, data.data(), data.size()) : -1;
        EXPECT_EQ(read, static_cast<zip_int64_t>(stat.size)) << stat.name;
        if (file) {
            zip_fclose(file);
        }
        entries[stat.name] = data;
    }
    zip_discard(archive);
    return entries;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace quorvel::package::testing
