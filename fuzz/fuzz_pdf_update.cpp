// SPDX-License-Identifier: GPL-3.0-or-later
// Appends an update to arbitrary bytes taken as a PDF. A write that reports success must read
// back with the new title; a refused one may only have cut off a torn update of ours.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "io/memory_device.h"
#include "pdf/pdf_properties.h"
#include "pdf/pdf_update.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    const std::vector<std::byte> original(bytes, bytes + size);
    quorvel::io::MemoryDevice device(original);
    quorvel::props::PropertyWriteRequest request;
    request.fields[0] = {"題 %%EOF", 1};
    request.customEdits.push_back({"k", quorvel::props::CustomType::Text, "v", false});
    const quorvel::props::MessageCode code = quorvel::pdf::writePdfDocument(device, request);
    const std::vector<std::byte>& after = device.bytes();
    if (code != quorvel::props::kSuccess) {
        // A torn update of ours at the end may have been cut off; nothing else may change.
        if (after.size() > original.size() ||
            !std::equal(after.begin(), after.end(), original.begin())) {
            std::abort();
        }
        return 0;
    }
    quorvel::props::DocProperties props;
    if (quorvel::pdf::readPdfDocument(device, props) != quorvel::props::kSuccess ||
        props[0].text != "題 %%EOF") {
        std::abort();
    }
    return 0;
}
