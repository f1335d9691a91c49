#include "export/csv_format.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/codepage.h"
#include "platform/local_time.h"
#include "platform/system_error.h"

namespace quorvel::csv {
namespace {

constexpr std::uint32_t kCsvCodePage = 932;

// "2006/03/05 14:07:05" in local time, or nothing when the moment has no local time.
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

bool isDateRow(std::size_t row) {
    return row >= props::kFirstDateIndex && row < props::kFirstDateIndex + props::kDateCount;
}

// A row past the end of the record (no DocumentSummaryInformation), an empty text and a date
// that is no time value all give an empty field.
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

void appendLine(std::string& csv, std::size_t number, const ExportRecord& record) {
    csv += std::to_string(number);
    csv += ',';
    csv += record.path;
    for (const std::size_t row : props::kDisplayOrder) {
        csv += ',';
        csv += propertyField(record.properties, row);
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
    csv += '\n';
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

const std::string_view kCsvHeader =
    "No,ファイル名,Title,表題,元作成者,KeyWord,Comment,Template,最終保存者,改訂,App名,分類,"
    "編集日時,最終印刷日時,作成日時,最終保存日時,会社,頁数,単語数,文字数,行数,段落数,"
    "ファイル作成日時,ファイルアクセス日時,ファイル変更日時";

std::string formatCsv(const std::vector<ExportRecord>& records) {
    std::string csv(kCsvHeader);
    csv += '\n';
    for (std::size_t i = 0; i < records.size(); ++i) {
        appendLine(csv, i + 1, records[i]);
    }
    return platform::encodeCodePageLossy(kCsvCodePage, csv);
}

bool isExportedFile(const std::string& path, const std::vector<ExportRecord>& records) {
    for (const ExportRecord& record : records) {
        std::error_code error;
        if (std::filesystem::equivalent(path, record.path, error)) {
            return true;
        }
    }
    return false;
}

bool writeCsvFile(const std::string& path, const std::vector<ExportRecord>& records,
                  std::string& error) {
    const std::string bytes = formatCsv(records);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = platform::systemError(errno).text;
        return false;
    }
    bool ok = writeAll(fd, bytes);
    int failure = errno;
    // A network file system may report a failed write only when the file is closed.
    if (::close(fd) != 0 && ok) {
        ok = false;
        failure = errno;
    }
    if (!ok) {
        error = platform::systemError(failure).text;
    }
    return ok;
}

}  // namespace quorvel::csv
