// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "io/block_device.h"
#include "props/message_code.h"
#include "props/property_record.h"

namespace quorvel::pdf {

// Writes what the request marks into the PDF on device as one incremental update appended
// after its last byte: a new Info dictionary, an XMP packet that agrees with it (created
// where the file has none, with the catalog that points to it), and a cross-reference section
// of the kind the file's last one is, with /Prev and a new second /ID. Nothing before the old
// end changes; a torn update a killed write left is cut off first.
// Refused, with the file untouched: encrypted files (160), signed ones (161), files whose
// cross-reference data is broken or that hold something before "%PDF-" (162), user-defined
// properties that clash with the fields or are no text (111). A ticked field PDF has no place
// for gives 163 once the others are written. 108 when the update could not be written; the
// file is then cut back to what it was.
props::MessageCode writePdfDocument(io::BlockDevice& device,
                                    const props::PropertyWriteRequest& request);

}  // namespace quorvel::pdf
