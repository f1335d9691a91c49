// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/entry_name.h"

namespace quorvel::storage::cfb {
namespace {

// Simple upper-case mapping of the scripts that occur in entry names: Latin (ASCII,
// Latin-1, Latin Extended-A), Greek, Cyrillic and fullwidth Latin. Japanese names
// have no case.
char16_t upperCase(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    if (c == 0x3C2) {
        return 0x3A3;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return static_cast<char16_t>(c - 0x50);
    }
    if (c >= 0xFF41 && c <= 0xFF5A) {
        return static_cast<char16_t>(c - 0x20);
    }
    const bool latinPairOdd = (c >= 0x100 && c <= 0x137 && c != 0x131) ||
                              (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x481) ||
                              (c >= 0x48A && c <= 0x4BF);
    if (latinPairOdd && (c & 1) == 1) {
        return static_cast<char16_t>(c - 1);
    }
    const bool latinPairEven = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (latinPairEven && (c & 1) == 0) {
        return static_cast<char16_t>(c - 1);
    }
    return c;
}

}  // namespace

int compareEntryNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char16_t x = upperCase(a[i]);
        const char16_t y = upperCase(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace quorvel::storage::cfb
