// SPDX-License-Identifier: GPL-3.0-or-later
// Parses arbitrary bytes as a property-set stream, reads its user-defined section (dictionary
// and values), sets and removes properties in it, and reads the rewritten stream back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "compound/custom_section.h"

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    compound::PropertySetStream stream;
    if (compound::PropertySetStream::parse(std::vector<std::byte>(bytes, bytes + size),
                                           compound::FMTID_DocSummaryInformation,
                                           stream) != compound::SetParseStatus::Ok ||
        stream.parseUserDefined() != compound::SetParseStatus::Ok) {
        return 0;
    }
    std::vector<props::CustomProperty> items;
    const bool readable = stream.userDefined() == nullptr ||
                          compound::readCustomSection(*stream.userDefined(), items);
    const std::vector<props::CustomEdit> edits = {
        {"Dept", props::CustomType::Text, "Sales", false},
        {items.empty() ? "x" : items.front().name, props::CustomType::Integer, "7", false},
        {items.size() < 2 ? "y" : items.back().name, {}, {}, true},
        {"Due", props::CustomType::Date, "2024-03-05T12:00:00Z", false},
    };
    if (!readable ||
        compound::applyCustomEdits(stream.addUserDefined(), edits) !=
            compound::CustomEditOutcome::Applied ||
        !stream.writable()) {
        return 0;
    }
    // What was written reads back, with the edits in it.
    compound::PropertySetStream reread;
    if (compound::PropertySetStream::parse(stream.serialize(),
                                           compound::FMTID_DocSummaryInformation,
                                           reread) != compound::SetParseStatus::Ok ||
        reread.parseUserDefined() != compound::SetParseStatus::Ok ||
        reread.userDefined() == nullptr ||
        !compound::readCustomSection(*reread.userDefined(), items) ||
        props::findCustom(items, "Dept") == nullptr) {
        std::abort();
    }
    return 0;
}
