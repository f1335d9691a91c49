// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/codepage.h"

#include <windows.h>

#include <string>
#include <utility>

namespace quorvel::platform {
namespace {

constexpr std::uint32_t kUtf16Le = 1200;
constexpr std::uint32_t kUtf16Be = 1201;
constexpr std::uint32_t kGb18030 = 54936;

// Code pages whose conversions take no flags (the system's documented list).
bool takesNoFlags(std::uint32_t codePage) {
    return codePage == 42 || codePage == 65000 || (codePage >= 50220 && codePage <= 50229) ||
           (codePage >= 57002 && codePage <= 57011);
}

// UTF-16 bytes of either order, read and written directly: the system's converters know
// only the machine's order.
bool wideFromUtf16Bytes(std::string_view bytes, bool bigEndian, std::wstring& wide) {
    if (bytes.size() % 2 != 0) {
        return false;
    }
    wide.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        wide[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return true;
}

std::string utf16BytesFromWide(std::wstring_view wide, bool bigEndian) {
    std::string bytes;
    for (const wchar_t unit : wide) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8 & 0xFF);
        bytes.append({bigEndian ? high : low, bigEndian ? low : high});
    }
    return bytes;
}

// Bytes of a code page as UTF-16; strict refuses bytes the code page does not define.
bool toWide(std::uint32_t codePage, std::string_view bytes, bool strict, std::wstring& wide) {
    if (codePage == kUtf16Le || codePage == kUtf16Be) {
        return wideFromUtf16Bytes(bytes, codePage == kUtf16Be, wide);
    }
    wide.clear();
    if (bytes.empty()) {
        return ::IsValidCodePage(codePage) != 0;
    }
    const DWORD flags = strict && !takesNoFlags(codePage) ? MB_ERR_INVALID_CHARS : 0;
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(length));
    return ::MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), length) ==
           length;
}

// UTF-16 in a code page; strict refuses characters it cannot hold, lossy puts '?' there.
// Best-fit substitutes (an "a" for an "ä") count as characters it cannot hold.
bool fromWide(std::uint32_t codePage, std::wstring_view wide, bool strict, std::string& bytes) {
    if (codePage == kUtf16Le || codePage == kUtf16Be) {
        bytes = utf16BytesFromWide(wide, codePage == kUtf16Be);
        return true;
    }
    bytes.clear();
    if (wide.empty()) {
        return ::IsValidCodePage(codePage) != 0;
    }
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? (strict ? WC_ERR_INVALID_CHARS : 0)
                             : (takesNoFlags(codePage) ? 0 : WC_NO_BEST_FIT_CHARS);
    const bool reportsDefault = !utf8 && flags != 0;
    const char* substitute = reportsDefault ? "?" : nullptr;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = reportsDefault ? &usedDefault : nullptr;
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0,
                                             substitute, usedDefaultOut);
    if (length <= 0) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(length));
    const bool converted = ::WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(),
                                                 length, substitute, usedDefaultOut) == length;
    return converted && !(strict && usedDefault);
}

// Outside the Unicode code pages no code page holds a character beyond U+FFFF. The system
// would put a '?' for each of its two UTF-16 units; here each such character becomes one '?'.
void replaceSupplementaryCharacters(std::uint32_t codePage, std::wstring& wide) {
    if (codePage == CP_UTF8 || codePage == CP_UTF7 || codePage == kGb18030) {
        return;
    }
    std::wstring replaced;
    replaced.reserve(wide.size());
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const bool pair =
            IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1]);
        replaced.push_back(pair ? L'?' : wide[i]);
        i += pair ? 1 : 0;
    }
    wide = std::move(replaced);
}

}  // namespace

bool decodeCodePage(std::uint32_t codePage, std::string_view bytes, std::string& utf8) {
    std::wstring wide;
    return toWide(codePage, bytes, true, wide) && fromWide(CP_UTF8, wide, true, utf8);
}

bool encodeCodePage(std::uint32_t codePage, std::string_view utf8, std::string& bytes) {
    std::wstring wide;
    return toWide(CP_UTF8, utf8, true, wide) && fromWide(codePage, wide, true, bytes);
}

std::string encodeCodePageLossy(std::uint32_t codePage, std::string_view utf8) {
    std::wstring wide;
    std::string bytes;
    // Malformed UTF-8 becomes U+FFFD, which the code page then holds or replaces with '?'.
    if (toWide(CP_UTF8, utf8, false, wide)) {
        replaceSupplementaryCharacters(codePage, wide);
        fromWide(codePage, wide, false, bytes);
    }
    return bytes;
}

}  // namespace quorvel::platform
