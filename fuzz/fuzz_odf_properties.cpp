// SPDX-License-Identifier: GPL-3.0-or-later
// Puts arbitrary bytes into meta.xml (or, by the first byte, the manifest) of an
// OpenDocument package and reads and plans a write of its properties.
#include "package_fuzz_parts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string bytes = quorvel::fuzz::bytesOf(data + 1, size - 1);
    quorvel::package::MemoryPackage package;
    package.add("mimetype", "application/vnd.oasis.opendocument.text");
    if (data[0] & 1) {
        package.add("META-INF/manifest.xml", bytes);
    } else {
        package.add("meta.xml", bytes);
        package.add("META-INF/manifest.xml",
                    "<manifest:manifest "
                    "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\"/>");
    }
    quorvel::fuzz::readAndPlan(package);
    return 0;
}
