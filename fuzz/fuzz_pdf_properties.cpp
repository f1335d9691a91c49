// SPDX-License-Identifier: GPL-3.0-or-later
// Reads arbitrary bytes as a PDF: its structure through libqpdf, the Info dictionary, the
// XMP packet and the user-defined properties.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "io/memory_device.h"
#include "pdf/pdf_properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    quorvel::io::MemoryDevice device(std::vector<std::byte>(bytes, bytes + size));
    quorvel::props::DocProperties props;
    quorvel::props::CustomProperties custom;
    quorvel::pdf::readPdfDocument(device, props, &custom);
    return 0;
}
