// SPDX-License-Identifier: GPL-3.0-or-later
// Opens arbitrary bytes as a compound document and reads both property sets, the
// user-defined properties too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "compound/compound_properties.h"
#include "io/memory_device.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    quorvel::io::MemoryDevice device(std::vector<std::byte>(bytes, bytes + size));
    std::unique_ptr<quorvel::storage::CompoundFile> file;
    if (quorvel::compound::openCompoundFile(device, file) == quorvel::props::kSuccess) {
        quorvel::props::DocProperties props;
        quorvel::props::CustomProperties custom;
        quorvel::compound::readDocProperties(*file, props, &custom);
    }
    return 0;
}
