// SPDX-License-Identifier: GPL-3.0-or-later
#include "package/property_edit.h"

#include <algorithm>

#include "package/xml_part.h"
#include "props/property_format.h"

namespace quorvel::package {

std::size_t catalogueRowOfField(std::size_t field) {
    const std::size_t slot = props::TextFieldSlots[field];
    return field < props::kSummaryTextFieldCount ? slot : props::kSummaryBlockSize + slot;
}

props::PropertyEntry textEntry(std::string text) {
    props::PropertyEntry entry;
    entry.text = std::move(text);
    return entry;
}

props::PropertyEntry timeEntry(FileTime time) {
    props::PropertyValue value;
    value.type = props::VT_FILETIME;
    value.fileTime = time;
    props::PropertyEntry entry;
    props::FormatPropertyValue(value, entry.text);
    entry.isTime = true;
    entry.time = time;
    return entry;
}

props::PropertyEntry timeOrTextEntry(std::optional<FileTime> time, std::string text) {
    return time ? timeEntry(*time) : textEntry(std::move(text));
}

FieldRange summaryFields(const props::PropertyWriteRequest& request) {
    const std::size_t count = std::min<std::size_t>(request.fieldCount, props::kTextFieldCount);
    return {0, std::min<std::size_t>(request.summaryFieldCount, count), true};
}

FieldRange docSummaryFields(const props::PropertyWriteRequest& request) {
    const std::size_t count = std::min<std::size_t>(request.fieldCount, props::kTextFieldCount);
    return {summaryFields(request).end, count, false};
}

bool ticksRow(const props::PropertyWriteRequest& request, const FieldRange& range,
              std::size_t row) {
    for (std::size_t k = range.first; k < range.end; ++k) {
        if (request.fields[k].change == 1 && catalogueRowOfField(k) == row) {
            return true;
        }
    }
    return false;
}

bool storableFields(const props::PropertyWriteRequest& request, const FieldRange& range) {
    for (std::size_t k = range.first; k < range.end; ++k) {
        if (request.fields[k].change == 1 && !isStorableText(request.fields[k].text)) {
            return false;
        }
    }
    return true;
}

bool storableDates(const props::PropertyWriteRequest& request,
                   std::optional<std::string> (*text)(FileTime)) {
    if (!request.dates) {
        return true;
    }
    const std::size_t count = std::min<std::size_t>(request.dateCount, props::kDateCount);
    for (std::size_t i = 1; i < count; ++i) {
        if ((*request.dates)[i] != 0 && !text((*request.dates)[i])) {
            return false;
        }
    }
    return true;
}

void applyFields(const props::PropertyWriteRequest& request, const FieldRange& range,
                 PropertyEditor& editor) {
    for (std::size_t k = range.first; k < range.end; ++k) {
        if (request.fields[k].change == 1) {
            editor.setText(catalogueRowOfField(k), request.fields[k].text);
        }
    }
    if (!range.withDates || !request.dates) {
        return;
    }
    const std::size_t count = std::min<std::size_t>(request.dateCount, props::kDateCount);
    for (std::size_t i = 0; i < count; ++i) {
        if ((*request.dates)[i] != 0) {
            editor.replaceTime(props::kFirstDateIndex + i, (*request.dates)[i]);
        }
    }
}

props::MessageCode applySecondSet(const props::PropertyWriteRequest& request,
                                  PropertyEditor& editor) {
    const FieldRange second = docSummaryFields(request);
    if (request.writeDocSummary && !storableFields(request, second)) {
        return props::kDocSummaryWriteFailed;
    }
    const props::MessageCode custom = request.customEdits.empty()
                                          ? props::kSuccess
                                          : editor.applyCustomEdits(request.customEdits);
    if (custom == props::kSuccess && request.writeDocSummary) {
        applyFields(request, second, editor);
    }
    return custom;
}

}  // namespace quorvel::package
