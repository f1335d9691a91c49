// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::package {

// Outcome of reading one entry of a package.
enum class EntryRead { Ok, Missing, TooLarge, Damaged };

// Read access to the entries of a ZIP package by name. The ZIP container implements it
// over a file; tests and fuzz targets use the in-memory one below.
class PackageReader {
  public:
    virtual ~PackageReader() = default;
    // Entry names in the order of the package's central directory.
    virtual const std::vector<std::string>& entryNames() const = 0;
    // The uncompressed bytes of an entry; TooLarge when it holds more than maxBytes.
    virtual EntryRead read(std::string_view name, std::string& out, std::size_t maxBytes) const = 0;
};

// One part a write puts into the package: new content of an existing entry, or a new
// entry added at the end.
struct PartChange {
    std::string name;
    std::string content;
};
using PackageChanges = std::vector<PartChange>;

// A package held in memory, entries in insertion order.
class MemoryPackage final : public PackageReader {
  public:
    void add(std::string name, std::string content);
    const std::vector<std::string>& entryNames() const override { return m_names; }
    EntryRead read(std::string_view name, std::string& out, std::size_t maxBytes) const override;

  private:
    std::vector<std::string> m_names;
    std::map<std::string, std::string, std::less<>> m_entries;
};

}  // namespace quorvel::package
