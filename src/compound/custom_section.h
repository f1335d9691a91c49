// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "compound/property_set.h"
#include "props/custom_property.h"

namespace quorvel::compound {

// The user-defined section maps names to property ids through its dictionary (property 0);
// each named id holds the value. Names count characters in code page 1200 and bytes in any
// other, each entry padded to four bytes in 1200 (MS-OLEPS 2.16, 2.17).

// Reads the named properties of a user-defined section, in dictionary order. False when the
// dictionary is damaged: it runs past its value, or names an id or a name twice.
bool readCustomSection(const PropertySection& section, std::vector<props::CustomProperty>& out);

enum class CustomEditOutcome { Applied, Refused, Damaged };

// Applies the edits in order. Refused (and the section left as it was not guaranteed: the
// caller drops it) when an edit targets a read-only property or a name or text the code page
// cannot hold; Damaged when the dictionary cannot be read.
CustomEditOutcome applyCustomEdits(PropertySection& section,
                                   const std::vector<props::CustomEdit>& edits);

}  // namespace quorvel::compound
