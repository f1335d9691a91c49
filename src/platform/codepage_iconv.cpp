// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <numeric>
#include <string>
#include <utility>

namespace quorvel::platform {
namespace {

std::string iconvName(std::uint32_t codePage) {
    switch (codePage) {
        case 1200:
            return "UTF-16LE";
        case 1201:
            return "UTF-16BE";
        case 65001:
            return "UTF-8";
        case 10000:
            return "MACINTOSH";
        case 932:
            return "CP932";
        default:
            return "CP" + std::to_string(codePage);
    }
}

// Conversion descriptors by (to, from), kept for the thread's lifetime: iconv_open loads a
// conversion module each time, which costs more than reading a document. A descriptor
// holds conversion state, so threads do not share them.
class Converters {
  public:
    Converters() = default;
    Converters(const Converters&) = delete;
    Converters& operator=(const Converters&) = delete;
    ~Converters() {
        for (const auto& [names, cd] : m_open) {
            iconv_close(cd);
        }
    }

    // A descriptor in its initial state, or nullptr when iconv knows no such conversion.
    iconv_t get(const std::string& to, const std::string& from) {
        auto found = m_open.find({to, from});
        if (found == m_open.end()) {
            const iconv_t cd = iconv_open(to.c_str(), from.c_str());
            if (cd == reinterpret_cast<iconv_t>(-1)) {
                return nullptr;
            }
            found = m_open.emplace(std::pair{to, from}, cd).first;
        }
        iconv(found->second, nullptr, nullptr, nullptr, nullptr);
        return found->second;
    }

  private:
    std::map<std::pair<std::string, std::string>, iconv_t> m_open;
};

// One iconv conversion; with lossy set, unconvertible characters become '?'.
bool convert(const std::string& to, const std::string& from, std::string_view in, std::string& out,
             bool lossy) {
    thread_local Converters converters;
    const iconv_t cd = converters.get(to, from);
    if (cd == nullptr) {
        return false;
    }
    out.clear();
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    char buffer[4096];
    bool ok = true;
    while (srcLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        if (!lossy || errno == EINVAL) {
            ok = false;
            break;
        }
        // Skip one UTF-8 sequence of the source and put '?' in its place.
        std::size_t skip = 1;
        while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) {
            ++skip;
        }
        src += skip;
        srcLeft -= skip;
        out.push_back('?');
    }
    if (ok) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        ok = iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<std::size_t>(-1);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
    }
    return ok;
}

// Whether the code page reads each ASCII byte as that character, asked of iconv once per
// thread and code page: the bytes 0 to 127 in a row decode to themselves. Stateful
// encodings fail the test (their shift sequences are among those bytes), as does UTF-16.
bool keepsAscii(std::uint32_t codePage) {
    thread_local std::map<std::uint32_t, bool> known;
    auto found = known.find(codePage);
    if (found == known.end()) {
        std::string ascii(128, '\0');
        std::iota(ascii.begin(), ascii.end(), '\0');
        std::string decoded;
        const bool same =
            convert("UTF-8", iconvName(codePage), ascii, decoded, false) && decoded == ascii;
        found = known.emplace(codePage, same).first;
    }
    return found->second;
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

bool decodeCodePage(std::uint32_t codePage, std::string_view bytes, std::string& utf8) {
    // Most stored text is plain ASCII: it needs no conversion where the code page keeps it.
    if (isAscii(bytes) && keepsAscii(codePage)) {
        utf8.assign(bytes);
        return true;
    }
    return convert("UTF-8", iconvName(codePage), bytes, utf8, false);
}

bool encodeCodePage(std::uint32_t codePage, std::string_view utf8, std::string& bytes) {
    return convert(iconvName(codePage), "UTF-8", utf8, bytes, false);
}

std::string encodeCodePageLossy(std::uint32_t codePage, std::string_view utf8) {
    std::string bytes;
    convert(iconvName(codePage), "UTF-8", utf8, bytes, true);
    return bytes;
}

}  // namespace quorvel::platform
