#pragma once

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "package/zip_package.h"
#include "package/zip_writer.h"
#include "storage/memory_device.h"

namespace quorvel::package::testing {

inline std::vector<std::byte> toBytes(const std::string& text) {
    std::vector<std::byte> bytes(text.size());
    std::memcpy(bytes.data(), text.data(), text.size());
    return bytes;
}

// A ZIP held in memory with its package opened over it.
struct OpenedZip {
    explicit OpenedZip(const std::string& bytes) : device(toBytes(bytes)) {
        status = ZipPackage::open(device, package);
    }
    storage::MemoryDevice device;
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

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace quorvel::package::testing
