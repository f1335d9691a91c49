// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "io/block_device.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::pdf {

// A file with "%PDF-" in its first 1024 bytes is handled as a PDF (readers accept a little
// junk before the header).
bool startsAsPdf(io::BlockDevice& device);

// Reads the document information of the PDF on device, from its Info dictionary and its XMP
// packet (Info wins where both hold a field), into the 33 entries of a compound document:
// title, subject, author, keywords, creating application, company, the two dates and the
// page count; the fields PDF has no place for stay empty. custom, when given, receives the
// other Info keys; producer, when given, the /Producer (Info, else XMP). 104 when the file cannot
// be opened as a PDF (damaged beyond repair, encrypted with a user password), 107 when its document
// information cannot be read.
props::MessageCode readPdfDocument(io::BlockDevice& device, props::DocProperties& props,
                                   props::CustomProperties* custom = nullptr,
                                   std::string* producer = nullptr);

}  // namespace quorvel::pdf
