// SPDX-License-Identifier: GPL-3.0-or-later
// Opens arbitrary bytes as a ZIP package, reads every entry and rewrites the package with
// one part changed. Any crash, hang, leak or huge allocation is a finding; so is a rewrite
// that does not read back with the same entries.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "io/memory_device.h"
#include "package/zip_package.h"
#include "package/zip_writer.h"

namespace {

using namespace quorvel::package;

constexpr std::size_t kReadLimit = 1 << 20;

class StringSink final : public PackageSink {
  public:
    bool append(std::span<const std::byte> data) override {
        bytes.append(reinterpret_cast<const char*>(data.data()), data.size());
        return true;
    }
    bool sync() override { return true; }
    std::string bytes;
};

std::unique_ptr<ZipPackage> open(quorvel::io::MemoryDevice& device) {
    std::unique_ptr<ZipPackage> package;
    ZipPackage::open(device, package);
    return package;
}

std::map<std::string, std::string> readable(const ZipPackage& package) {
    std::map<std::string, std::string> entries;
    for (const std::string& name : package.entryNames()) {
        std::string data;
        if (package.read(name, data, kReadLimit) == EntryRead::Ok) {
            entries[name] = data;
        }
    }
    return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::byte> bytes(size);
    if (size > 0) {
        std::memcpy(bytes.data(), data, size);
    }
    quorvel::io::MemoryDevice device(std::move(bytes));
    const std::unique_ptr<ZipPackage> package = open(device);
    if (!package) {
        return 0;
    }
    std::map<std::string, std::string> expected = readable(*package);
    const PackageChanges changes = {{"docProps/core.xml", "<changed/>"}};
    StringSink sink;
    if (!writeZipPackage(*package, changes, sink)) {
        return 0;
    }
    expected["docProps/core.xml"] = "<changed/>";
    std::vector<std::byte> written(sink.bytes.size());
    std::memcpy(written.data(), sink.bytes.data(), sink.bytes.size());
    quorvel::io::MemoryDevice rewritten(std::move(written));
    const std::unique_ptr<ZipPackage> again = open(rewritten);
    // Entries that could not be read before may be damaged inside; the others must match.
    if (!again) {
        std::abort();
    }
    const std::map<std::string, std::string> got = readable(*again);
    for (const auto& [name, content] : expected) {
        const auto found = got.find(name);
        if (found == got.end() || found->second != content) {
            std::abort();
        }
    }
    return 0;
}
