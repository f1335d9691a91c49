// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_format.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/codepage.h"
#include "platform/local_time.h"
#include "platform/system_error.h"
#include "platform/utf8_path.h"
#include "platform/whole_file.h"

namespace quorvel::csv {
namespace {

constexpr std::uint32_t kCsvCodePage = 932;
// Lets spreadsheets tell a UTF-8 file from one in the local code page.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

void appendLine(std::string& csv, std::size_t number, const ExportRecord& record,
                const std::vector<std::string>& customNames) {
    csv += std::to_string(number);
    csv += ',';
    appendCsvField(csv, record.path);
    for (const std::size_t row : props::kDisplayOrder) {
        csv += ',';
        appendCsvField(csv, propertyField(record.properties, row));
    }
    const platform::FileTimes& times = record.times;
    csv += ',';
    if (times.createdRecorded) {
        csv += formatLocalTime(times.created).value_or("");
    }
    csv += ',';
    csv += formatLocalTime(times.accessed).value_or("");
    csv += ',';
    csv += formatLocalTime(times.modified).value_or("");
    for (const std::string& name : customNames) {
        csv += ',';
        const props::CustomProperty* property = props::findCustom(record.custom.items, name);
        appendCsvField(csv, property != nullptr ? std::string_view(property->value) : "");
    }
    csv += '\n';
}

}  // namespace

void appendCsvField(std::string& csv, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        csv += field;
        return;
    }
    csv += '"';
    for (const char c : field) {
        csv += c;
        if (c == '"') {
            csv += '"';
        }
    }
    csv += '"';
}

const std::string_view kCsvHeader =
    "No,ファイル名,Title,表題,元作成者,KeyWord,Comment,Template,最終保存者,改訂,App名,分類,"
    "編集日時,最終印刷日時,作成日時,最終保存日時,会社,頁数,単語数,文字数,行数,段落数,"
    "ファイル作成日時,ファイルアクセス日時,ファイル変更日時";

std::optional<std::string> formatLocalTime(std::int64_t unixSeconds) {
    platform::LocalDateTime local;
    if (!platform::toLocalDateTime(unixSeconds, local)) {
        return std::nullopt;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%d/%02d/%02d %02d:%02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    return text;
}

std::string propertyField(const props::DocProperties& properties, std::size_t row) {
    if (row >= properties.size()) {
        return {};
    }
    const props::PropertyEntry& entry = properties[row];
    if (!isDateRow(row)) {
        return entry.text;
    }
    if (!entry.isTime) {
        return {};
    }
    return formatLocalTime(platform::fileTimeToUnixSeconds(entry.time)).value_or("");
}

bool isDateRow(std::size_t row) {
    return row >= props::kFirstDateIndex && row < props::kFirstDateIndex + props::kDateCount;
}

std::optional<CsvEncoding> csvEncodingNamed(std::string_view name) {
    if (name == "cp932") {
        return CsvEncoding::Cp932;
    }
    if (name == "utf-8") {
        return CsvEncoding::Utf8;
    }
    return std::nullopt;
}

std::vector<std::string> customColumnNames(const std::vector<ExportRecord>& records) {
    std::vector<std::string> names;
    for (const ExportRecord& record : records) {
        for (const props::CustomProperty& property : record.custom.items) {
            const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
                return props::sameCustomName(n, property.name);
            });
            if (!known) {
                names.push_back(property.name);
            }
        }
    }
    return names;
}

std::string formatCsv(const std::vector<ExportRecord>& records, CsvEncoding encoding,
                      bool withCustom) {
    const std::vector<std::string> customNames =
        withCustom ? customColumnNames(records) : std::vector<std::string>();
    std::string csv(kCsvHeader);
    for (const std::string& name : customNames) {
        csv += ',';
        appendCsvField(csv, std::string(kCustomColumnPrefix) + name);
    }
    csv += '\n';
    for (std::size_t i = 0; i < records.size(); ++i) {
        appendLine(csv, i + 1, records[i], customNames);
    }
    if (encoding == CsvEncoding::Utf8) {
        return std::string(kUtf8ByteOrderMark) + csv;
    }
    return platform::encodeCodePageLossy(kCsvCodePage, csv);
}

bool isExportedFile(const std::string& path, const std::vector<ExportRecord>& records) {
    for (const ExportRecord& record : records) {
        std::error_code error;
        if (std::filesystem::equivalent(platform::pathFromUtf8(path),
                                        platform::pathFromUtf8(record.path), error)) {
            return true;
        }
    }
    return false;
}

bool writeCsvFile(const std::string& path, const std::vector<ExportRecord>& records,
                  std::string& error, CsvEncoding encoding, bool withCustom) {
    platform::SystemError failure;
    if (!platform::writeWholeFile(path, formatCsv(records, encoding, withCustom), failure)) {
        error = failure.text;
        return false;
    }
    return true;
}

}  // namespace quorvel::csv
