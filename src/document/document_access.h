// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "props/document_facts.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::document {

// Process-wide: create a missing property set when writing. Loaded at start-up,
// toggled by the menu, saved at closing.
extern bool ForceGenerationProperty;

// Reads the properties of the document at path (UTF-8): both property sets of a compound
// document, or the property parts of an office ZIP package. Empties props first; on
// success props holds 18 or 33 entries. custom, when given, receives the user-defined
// properties in the same read; facts, the document's kind and what else the read learns.
props::MessageCode ReadDocProperties(const std::string& path, props::DocProperties& props,
                                     props::CustomProperties* custom = nullptr,
                                     props::DocumentFacts* facts = nullptr);

// Writes what the request marks; every other property keeps its value and type.
props::MessageCode WriteDocProperties(const std::string& path,
                                      const props::PropertyWriteRequest& request);

}  // namespace quorvel::document
