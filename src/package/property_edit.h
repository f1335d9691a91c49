// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "package/xml_time.h"
#include "props/property_record.h"

namespace quorvel::package {

// Catalogue row of editable text field k (TextFieldSlots within its set).
std::size_t catalogueRowOfField(std::size_t field);

// Entries as a compound document's read makes them: a text, or a time with its text.
props::PropertyEntry textEntry(std::string text);
props::PropertyEntry timeEntry(FileTime time);
// A time when it parses, otherwise the stored text (like a value of another type).
props::PropertyEntry timeOrTextEntry(std::optional<FileTime> time, std::string text);

// A format's properties parts, open for changing one catalogue row at a time, and its
// user-defined properties.
class PropertyEditor {
  public:
    virtual ~PropertyEditor() = default;
    virtual void setText(std::size_t row, std::string_view text) = 0;
    // Replaces a time the part already holds; a missing or unreadable one stays as it is.
    virtual void replaceTime(std::size_t row, FileTime time) = 0;
    // Makes the edits in order, or none of them: 111 when one cannot be made, 109/110 when
    // the part that holds them is missing (and cannot be created) or unreadable.
    virtual props::MessageCode applyCustomEdits(const std::vector<props::CustomEdit>& edits) = 0;
};

// The text fields [first, end) of a request and, for the first set, its dates.
struct FieldRange {
    std::size_t first = 0;
    std::size_t end = 0;
    bool withDates = false;
};
FieldRange summaryFields(const props::PropertyWriteRequest& request);
FieldRange docSummaryFields(const props::PropertyWriteRequest& request);

// Whether a ticked field of the range has the given catalogue row.
bool ticksRow(const props::PropertyWriteRequest& request, const FieldRange& range, std::size_t row);
// Whether every ticked text of the range can be stored in XML.
bool storableFields(const props::PropertyWriteRequest& request, const FieldRange& range);
// Whether every date of the request (the edit time, a duration, aside) has a text.
bool storableDates(const props::PropertyWriteRequest& request,
                   std::optional<std::string> (*text)(FileTime));
void applyFields(const props::PropertyWriteRequest& request, const FieldRange& range,
                 PropertyEditor& editor);
// The second set: the user-defined edits and, when writeDocSummary is on, the fixed fields,
// all written or, with the code why, none (a text XML cannot hold: 111).
props::MessageCode applySecondSet(const props::PropertyWriteRequest& request,
                                  PropertyEditor& editor);

}  // namespace quorvel::package
