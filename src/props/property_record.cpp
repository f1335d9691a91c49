// SPDX-License-Identifier: GPL-3.0-or-later
#include "props/property_record.h"

namespace quorvel::props {

const std::array<CatalogueRow, kCatalogueSize> PropertyCatalogue = {{
    {PropertySet::Summary, 2, "Title"},
    {PropertySet::Summary, 3, "Subject"},
    {PropertySet::Summary, 4, "Author"},
    {PropertySet::Summary, 5, "Keywords"},
    {PropertySet::Summary, 6, "Comments"},
    {PropertySet::Summary, 7, "Template"},
    {PropertySet::Summary, 8, "LastAuthor"},
    {PropertySet::Summary, 9, "Revision Number"},
    {PropertySet::Summary, 10, "Edit Time"},
    {PropertySet::Summary, 11, "Last printed"},
    {PropertySet::Summary, 12, "Created"},
    {PropertySet::Summary, 13, "Last Saved"},
    {PropertySet::Summary, 14, "Page Count"},
    {PropertySet::Summary, 15, "Word Count"},
    {PropertySet::Summary, 16, "Char Count"},
    {PropertySet::Summary, 17, "Thumpnail"},
    {PropertySet::Summary, 18, "AppName"},
    {PropertySet::Summary, 19, "Doc Security"},
    {PropertySet::DocSummary, 2, "CATEGORY"},
    {PropertySet::DocSummary, 3, "PRESFORMAT"},
    {PropertySet::DocSummary, 4, "BYTECOUNT"},
    {PropertySet::DocSummary, 5, "LINECOUNT"},
    {PropertySet::DocSummary, 6, "PARCOUNT"},
    {PropertySet::DocSummary, 7, "SLIDECOUNT"},
    {PropertySet::DocSummary, 8, "NOTECOUNT"},
    {PropertySet::DocSummary, 9, "HIDDENCOUNT"},
    {PropertySet::DocSummary, 10, "MMCLIPCOUNT"},
    {PropertySet::DocSummary, 11, "PIDDSI_SCALE"},
    {PropertySet::DocSummary, 12, "HEADINGPAIR"},
    {PropertySet::DocSummary, 13, "DOCPARTS"},
    {PropertySet::DocSummary, 14, "MANAGER"},
    {PropertySet::DocSummary, 15, "COMPANY"},
    {PropertySet::DocSummary, 16, "LINKSDIRTY"},
}};

}  // namespace quorvel::props
