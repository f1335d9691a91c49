// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/package_reader.h"

namespace quorvel::package {

void MemoryPackage::add(std::string name, std::string content) {
    if (m_entries.find(name) == m_entries.end()) {
        m_names.push_back(name);
    }
    m_entries[std::move(name)] = std::move(content);
}

EntryRead MemoryPackage::read(std::string_view name, std::string& out, std::size_t maxBytes) const {
    const auto found = m_entries.find(name);
    if (found == m_entries.end()) {
        return EntryRead::Missing;
    }
    if (found->second.size() > maxBytes) {
        return EntryRead::TooLarge;
    }
    out = found->second;
    return EntryRead::Ok;
}

}  // namespace quorvel::package
