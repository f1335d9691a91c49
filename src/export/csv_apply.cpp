// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_apply.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>

#include "document/document_access.h"
#include "export/csv_format.h"
#include "platform/local_time.h"
#include "platform/ordered_parallel.h"
#include "platform/utf8_path.h"

namespace quorvel::csv {
namespace {

using Kind = ApplyColumn::Kind;

// The export's columns by name, in its order.
std::vector<ApplyColumn> namedExportColumns() {
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= kCsvHeader.size();) {
        const std::size_t comma = std::min(kCsvHeader.find(',', start), kCsvHeader.size());
        names.emplace_back(kCsvHeader.substr(start, comma - start));
        start = comma + 1;
    }
    std::vector<ApplyColumn> columns = {{Kind::Number, 0, names[0]}, {Kind::FileName, 0, names[1]}};
    for (std::size_t i = 0; i < props::kDisplayOrder.size(); ++i) {
        columns.push_back({Kind::Property, props::kDisplayOrder[i], names[2 + i]});
    }
    const std::size_t times = 2 + props::kDisplayOrder.size();
    columns.push_back({Kind::FileCreated, 0, names[times]});
    columns.push_back({Kind::FileAccessed, 0, names[times + 1]});
    columns.push_back({Kind::FileModified, 0, names[times + 2]});
    return columns;
}

bool holdsDate(const ApplyColumn& column) {
    return column.kind == Kind::FileCreated || column.kind == Kind::FileAccessed ||
           column.kind == Kind::FileModified ||
           (column.kind == Kind::Property && isDateRow(column.row));
}

// The request's text field of a catalogue row; nullopt for rows that are not written.
std::optional<std::size_t> textFieldOf(std::size_t row) {
    for (std::size_t i = 0; i < props::kTextFieldCount; ++i) {
        if (props::catalogueRowOfTextField(i) == row) {
            return i;
        }
    }
    return std::nullopt;
}

// The pieces one after the other: a message naming a column or a value in 「」.
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

// The column a header names: one of the export's, or a user-defined property's.
std::optional<ApplyColumn> columnNamed(const std::string& name) {
    const std::vector<ApplyColumn>& known = exportColumns();
    const auto column = std::find_if(known.begin(), known.end(),
                                     [&](const ApplyColumn& c) { return c.name == name; });
    if (column != known.end()) {
        return *column;
    }
    if (name.starts_with(kCustomColumnPrefix) && name.size() > kCustomColumnPrefix.size()) {
        return customColumn(std::string_view(name).substr(kCustomColumnPrefix.size()));
    }
    return std::nullopt;
}

bool sameColumn(const ApplyColumn& a, const ApplyColumn& b) {
    if (a.kind == Kind::Custom && b.kind == Kind::Custom) {
        return props::sameCustomName(a.customName(), b.customName());
    }
    return a.name == b.name;
}

bool readHeader(const CsvRecord& header, ApplySheet& sheet, CsvError& error) {
    const std::vector<ApplyColumn>& known = exportColumns();
    for (const std::string& name : header.fields) {
        const std::optional<ApplyColumn> column = columnNamed(name);
        if (!column) {
            error = {header.line,
                     joined({"列名「", name, "」は出力ファイルの列名ではありません。"})};
            return false;
        }
        if (std::any_of(sheet.columns.begin(), sheet.columns.end(),
                        [&](const ApplyColumn& c) { return sameColumn(c, *column); })) {
            error = {header.line, joined({"列名「", name, "」が二度あります。"})};
            return false;
        }
        sheet.columns.push_back(*column);
    }
    if (std::none_of(sheet.columns.begin(), sheet.columns.end(),
                     [](const ApplyColumn& c) { return c.kind == Kind::FileName; })) {
        error = {header.line, joined({"列「", known[1].name, "」がありません。"})};
        return false;
    }
    return true;
}

// The file a path names, links resolved, for finding a file named twice.
std::filesystem::path resolved(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path native = platform::pathFromUtf8(path);
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(native, ignored);
    return canonical.empty() ? native : canonical;
}

bool readRow(const ApplySheet& sheet, const CsvRecord& record, ApplyRow& row, CsvError& error) {
    if (record.fields.size() != sheet.columns.size()) {
        error = {record.line, record.fields.size() > sheet.columns.size()
                                  ? "項目が列名より多くあります。"
                                  : "項目が列名より少なくあります。"};
        return false;
    }
    row = {record.line, {}, record.fields};
    for (std::size_t i = 0; i < sheet.columns.size(); ++i) {
        const ApplyColumn& column = sheet.columns[i];
        const std::string& value = record.fields[i];
        if (column.kind == Kind::FileName) {
            row.path = value;
        }
        if (holdsDate(column) && !value.empty() && !parseDateTimeText(value)) {
            error = {record.line,
                     joined({"「", column.name, "」の「", value, "」は日時として読めません。"})};
            return false;
        }
    }
    if (row.path.empty()) {
        error = {record.line, "ファイル名が空です。"};
        return false;
    }
    return true;
}

int readNumber(std::string_view text, std::size_t& at, std::size_t digits) {
    int value = 0;
    for (std::size_t end = at + digits; at < end; ++at) {
        if (at >= text.size() || text[at] < '0' || text[at] > '9') {
            return -1;
        }
        value = value * 10 + (text[at] - '0');
    }
    return value;
}

// Reads "YYYY?MM?DD?HH:MM:SS" with the given separators; false when malformed.
bool readFields(std::string_view text, std::size_t& at, char dateSeparator, char timeSeparator,
                platform::LocalDateTime& local) {
    auto separator = [&](char wanted) { return at < text.size() && text[at++] == wanted; };
    // The export writes a stored year past 9999 as it is: up to five digits.
    const std::size_t yearDigits =
        at + 4 < text.size() && text[at + 4] >= '0' && text[at + 4] <= '9' ? 5 : 4;
    local.year = readNumber(text, at, yearDigits);
    const bool ok = separator(dateSeparator) && (local.month = readNumber(text, at, 2)) >= 0 &&
                    separator(dateSeparator) && (local.day = readNumber(text, at, 2)) >= 0 &&
                    separator(timeSeparator) && (local.hour = readNumber(text, at, 2)) >= 0 &&
                    separator(':') && (local.minute = readNumber(text, at, 2)) >= 0 &&
                    separator(':') && (local.second = readNumber(text, at, 2)) >= 0;
    return ok && local.year >= 1601;
}

// The seconds a local time stands for, when it is a real moment of the local calendar.
std::optional<std::int64_t> localSeconds(const platform::LocalDateTime& local) {
    std::int64_t seconds = 0;
    platform::LocalDateTime check;
    if (!platform::fromLocalDateTime(local, seconds) ||
        !platform::toLocalDateTime(seconds, check) || check.year != local.year ||
        check.month != local.month || check.day != local.day || check.hour != local.hour ||
        check.minute != local.minute || check.second != local.second) {
        return std::nullopt;
    }
    return seconds;
}

// Seconds east of UTC of an ISO 8601 zone ("Z", "+09:00", "-0500"); nullopt when malformed.
std::optional<std::int64_t> zoneOffset(std::string_view zone) {
    if (zone == "Z") {
        return 0;
    }
    if (zone.size() < 5 || (zone[0] != '+' && zone[0] != '-')) {
        return std::nullopt;
    }
    std::size_t at = 1;
    const int hours = readNumber(zone, at, 2);
    if (at < zone.size() && zone[at] == ':') {
        ++at;
    }
    const int minutes = readNumber(zone, at, 2);
    if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || at != zone.size()) {
        return std::nullopt;
    }
    const std::int64_t offset = hours * 3600 + minutes * 60;
    return zone[0] == '+' ? offset : -offset;
}

void compareProperty(const ApplyColumn& column, const std::string& wanted,
                     const props::DocProperties& properties, props::DocumentKind kind,
                     std::array<std::uint64_t, props::kDateCount>& dates, FileChanges& out) {
    const std::string current = exportedValue(column, properties, {});
    FieldChange change{column.name, current, wanted, {}};
    if (isDateRow(column.row)) {
        const std::optional<std::int64_t> seconds = parseDateTimeText(wanted);
        const std::string normalized =
            seconds ? formatLocalTime(*seconds).value_or(wanted) : wanted;
        if (normalized == current) {
            return;
        }
        if (!seconds) {
            change.reason = "日時は消せません。";
        } else if (column.row >= properties.size() || !properties[column.row].isTime) {
            change.reason = "文書にこの日時がありません。";
        } else {
            dates[column.row - props::kFirstDateIndex] = platform::unixSecondsToFileTime(*seconds);
        }
    } else if (current == wanted) {
        return;
    } else if (!props::kindHoldsRow(kind, column.row)) {
        change.reason = "PDFにこの項目の置き場所がありません。";
    } else if (const std::optional<std::size_t> field = textFieldOf(column.row)) {
        out.request.fields[*field] = {wanted, 1};
    } else {
        change.reason = "読み取り専用の項目です。";
    }
    out.writesDocument = out.writesDocument || change.reason.empty();
    (change.reason.empty() ? out.changes : out.ignored).push_back(std::move(change));
}

// The edit that gives a user-defined property the wanted cell; nullopt with a reason when the
// value cannot be stored.
std::optional<props::CustomEdit> customEditFor(std::string_view name, const std::string& wanted,
                                               const props::CustomProperty* current,
                                               std::string& reason) {
    if (current != nullptr && current->readOnly) {
        reason = "読み取り専用の項目です。";
        return std::nullopt;
    }
    if (wanted.empty()) {
        return props::CustomEdit{std::string(name), props::CustomType::Text, {}, true};
    }
    const props::CustomType type =
        current != nullptr && props::canonicalCustomValue(current->type, wanted)
            ? current->type
            : props::inferCustomType(wanted);
    const std::string value = props::canonicalCustomValue(type, wanted).value_or(wanted);
    if (current != nullptr && current->type == type && current->value == value) {
        return std::nullopt;
    }
    return props::CustomEdit{std::string(name), type, value, false};
}

void compareCustom(const ApplyColumn& column, const std::string& wanted,
                   const props::CustomProperties& custom, FileChanges& out) {
    const props::CustomProperty* current = props::findCustom(custom.items, column.customName());
    const std::string currentValue = current != nullptr ? current->value : "";
    if (wanted == currentValue && (current != nullptr || wanted.empty())) {
        return;
    }
    FieldChange change{column.name, currentValue, wanted, {}};
    const std::optional<props::CustomEdit> edit =
        customEditFor(column.customName(), wanted, current, change.reason);
    if (!edit && change.reason.empty()) {
        return;
    }
    if (edit) {
        out.request.customEdits.push_back(*edit);
        out.writesDocument = true;
    }
    (change.reason.empty() ? out.changes : out.ignored).push_back(std::move(change));
}

void compareFileTime(const ApplyColumn& column, const std::string& wanted, FileChanges& out) {
    std::int64_t& time = column.kind == Kind::FileCreated    ? out.times.created
                         : column.kind == Kind::FileAccessed ? out.times.accessed
                                                             : out.times.modified;
    const std::string current = exportedValue(column, {}, out.times);
    const std::optional<std::int64_t> seconds = parseDateTimeText(wanted);
    const std::string normalized = seconds ? formatLocalTime(*seconds).value_or(wanted) : wanted;
    if (normalized == current) {
        return;
    }
    FieldChange change{column.name, current, wanted, {}};
    if (!seconds) {
        change.reason = "日時は消せません。";
        out.ignored.push_back(std::move(change));
        return;
    }
    time = *seconds;
    out.setsTimes = true;
    out.changes.push_back(std::move(change));
}

}  // namespace

std::string_view ApplyColumn::customName() const {
    return std::string_view(name).substr(std::min(name.size(), kCustomColumnPrefix.size()));
}

ApplyColumn customColumn(std::string_view propertyName) {
    return {Kind::Custom, 0, std::string(kCustomColumnPrefix) + std::string(propertyName)};
}

const std::vector<ApplyColumn>& exportColumns() {
    static const std::vector<ApplyColumn> columns = namedExportColumns();
    return columns;
}

std::string exportedValue(const ApplyColumn& column, const props::DocProperties& properties,
                          const platform::FileTimes& times, const props::CustomProperties& custom) {
    switch (column.kind) {
        case Kind::Custom: {
            const props::CustomProperty* property =
                props::findCustom(custom.items, column.customName());
            return property != nullptr ? property->value : "";
        }
        case Kind::Property:
            return propertyField(properties, column.row);
        case Kind::FileCreated:
            return times.createdRecorded ? formatLocalTime(times.created).value_or("") : "";
        case Kind::FileAccessed:
            return formatLocalTime(times.accessed).value_or("");
        case Kind::FileModified:
            return formatLocalTime(times.modified).value_or("");
        default:
            return {};
    }
}

std::optional<std::int64_t> parseDateTimeText(std::string_view text) {
    platform::LocalDateTime local;
    for (const char separator : {'/', '-'}) {
        std::size_t at = 0;
        if (readFields(text, at, separator, ' ', local) && at == text.size()) {
            return localSeconds(local);
        }
    }
    std::size_t at = 0;
    if (!readFields(text, at, '-', 'T', local)) {
        return std::nullopt;
    }
    if (at == text.size()) {
        return localSeconds(local);
    }
    const std::optional<std::int64_t> offset = zoneOffset(text.substr(at));
    std::int64_t seconds = 0;
    if (!offset || !platform::fromDateTimeAtOffset(local, *offset, seconds)) {
        return std::nullopt;
    }
    return seconds;
}

bool readApplySheet(std::string_view bytes, CsvInputEncoding encoding, ApplySheet& sheet,
                    CsvError& error) {
    sheet = {};
    std::string text;
    std::vector<CsvRecord> records;
    if (!decodeCsvText(bytes, encoding, text, error) || !parseCsvRecords(text, records, error)) {
        return false;
    }
    if (records.empty()) {
        error = {0, "列名の行がありません。"};
        return false;
    }
    if (!readHeader(records[0], sheet, error)) {
        return false;
    }
    std::map<std::filesystem::path, std::size_t> lineOfFile;
    for (std::size_t i = 1; i < records.size(); ++i) {
        ApplyRow row;
        if (!readRow(sheet, records[i], row, error)) {
            return false;
        }
        const auto [first, added] = lineOfFile.emplace(resolved(row.path), row.line);
        if (!added) {
            error = {row.line, joined({"「", row.path, "」は ", std::to_string(first->second),
                                       " 行目と同じファイルです。"})};
            return false;
        }
        sheet.rows.push_back(std::move(row));
    }
    return true;
}

FileChanges changesFor(const ApplySheet& sheet, const ApplyRow& row,
                       const props::DocProperties& properties, const platform::FileTimes& times,
                       const props::CustomProperties& custom, props::DocumentKind kind) {
    FileChanges out;
    out.times = times;
    std::array<std::uint64_t, props::kDateCount> dates{};
    for (std::size_t i = 0; i < sheet.columns.size() && i < row.values.size(); ++i) {
        const ApplyColumn& column = sheet.columns[i];
        if (column.kind == Kind::Property) {
            compareProperty(column, row.values[i], properties, kind, dates, out);
        } else if (column.kind == Kind::Custom) {
            compareCustom(column, row.values[i], custom, out);
        } else if (holdsDate(column)) {
            compareFileTime(column, row.values[i], out);
        }
    }
    if (std::any_of(dates.begin(), dates.end(), [](std::uint64_t d) { return d != 0; })) {
        out.request.dates = dates;
    }
    // The second set is opened only for a change of its own: a document without one is no
    // failure when the sheet changes nothing there.
    const auto& fields = out.request.fields;
    out.request.writeDocSummary =
        std::any_of(fields.begin() + props::kSummaryTextFieldCount, fields.end(),
                    [](const props::TextFieldEdit& field) { return field.change == 1; });
    return out;
}

props::MessageCode readFileForApply(const std::string& path, props::DocProperties& properties,
                                    platform::FileTimes& times, props::CustomProperties* custom,
                                    props::DocumentKind* kind) {
    props::DocumentFacts facts;
    props::MessageCode code = document::ReadDocProperties(path, properties, custom, &facts);
    if (kind != nullptr) {
        *kind = facts.kind;
    }
    if (code == props::kNoSummary) {
        code = props::kSuccess;
    }
    platform::FileStatus status;
    if (code == props::kSuccess && !platform::queryFileStatus(path, status)) {
        code = props::kFileNotFound;
    }
    times = status.times;
    return code;
}

RowPreview previewRow(const ApplySheet& sheet, const ApplyRow& row) {
    RowPreview preview;
    preview.code = readFileForApply(row.path, preview.properties, preview.before, &preview.custom,
                                    &preview.kind);
    if (preview.code == props::kSuccess) {
        preview.changes = changesFor(sheet, row, preview.properties, preview.before, preview.custom,
                                     preview.kind);
    }
    return preview;
}

std::vector<RowPreview> previewSheet(const ApplySheet& sheet) {
    return previewRows(sheet.rows.size(),
                       [&sheet](std::size_t row) { return previewRow(sheet, sheet.rows[row]); });
}

std::vector<RowPreview> previewRows(std::size_t count,
                                    const std::function<RowPreview(std::size_t)>& preview) {
    std::vector<RowPreview> previews;
    previews.reserve(count);
    platform::runInOrder(
        count, platform::defaultReadThreads(), [&preview](std::size_t i) { return preview(i); },
        [&previews](std::size_t, RowPreview read) {
            previews.push_back(std::move(read));
            return true;
        });
    return previews;
}

platform::FileTimes timesToSet(const RowPreview& preview) {
    platform::FileTimes times = preview.changes.times;
    times.createdRecorded = times.createdRecorded || times.created != preview.before.created;
    return times;
}

}  // namespace quorvel::csv
