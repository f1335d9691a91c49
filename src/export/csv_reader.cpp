// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_reader.h"

#include "platform/codepage.h"

namespace quorvel::csv {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uint32_t kShiftJisCodePage = 932;

// Well-formed UTF-8: no stray continuation byte, no overlong form, no surrogate, nothing
// beyond U+10FFFF.
bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned minimum = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        unsigned code = lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

bool decodeCsvText(std::string_view bytes, CsvInputEncoding encoding, std::string& utf8,
                   CsvError& error) {
    const bool marked = bytes.starts_with(kUtf8ByteOrderMark);
    if (marked && encoding != CsvInputEncoding::Cp932) {
        bytes.remove_prefix(kUtf8ByteOrderMark.size());
    }
    const bool validUtf8 = isUtf8(bytes);
    if (encoding == CsvInputEncoding::Auto) {
        encoding = marked || validUtf8 ? CsvInputEncoding::Utf8 : CsvInputEncoding::Cp932;
    }
    if (encoding == CsvInputEncoding::Utf8) {
        if (!validUtf8) {
            error = {0, "UTF-8 として読めない文字があります。"};
            return false;
        }
        utf8 = bytes;
        return true;
    }
    if (!platform::decodeCodePage(kShiftJisCodePage, bytes, utf8)) {
        error = {0, "シフトJIS (コードページ 932) として読めない文字があります。"};
        return false;
    }
    return true;
}

bool parseCsvRecords(std::string_view text, std::vector<CsvRecord>& records, CsvError& error) {
    records.clear();
    std::size_t line = 1;
    std::size_t i = 0;
    while (i < text.size()) {
        CsvRecord record{line, {}};
        std::string field;
        bool recordEnds = false;
        while (!recordEnds) {
            field.clear();
            if (i < text.size() && text[i] == '"') {
                const std::size_t quoteLine = line;
                for (++i;; ++i) {
                    if (i == text.size()) {
                        error = {quoteLine, "引用符 (\") が閉じられていません。"};
                        return false;
                    }
                    if (text[i] == '"') {
                        if (i + 1 < text.size() && text[i + 1] == '"') {
                            field += '"';
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    line += text[i] == '\n' ? 1 : 0;
                    field += text[i];
                }
            } else {
                while (i < text.size() && text[i] != ',' && text[i] != '\n' &&
                       !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                    field += text[i++];
                }
            }
            if (i < text.size() && text[i] == ',') {
                ++i;
            } else if (i == text.size() || text[i] == '\n' ||
                       (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
                i += i == text.size() ? 0 : (text[i] == '\r' ? 2 : 1);
                ++line;
                recordEnds = true;
            } else {
                error = {line, "引用符 (\") の後に余分な文字があります。"};
                return false;
            }
            record.fields.push_back(field);
        }
        const bool empty = record.fields.size() == 1 && record.fields[0].empty();
        if (!empty) {
            records.push_back(std::move(record));
        }
    }
    return true;
}

}  // namespace quorvel::csv
