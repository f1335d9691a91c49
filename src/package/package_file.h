// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "package/zip_writer.h"

namespace quorvel::package {

enum class ReplaceStatus {
    Ok,
    Refused,  // more than one hard link: nothing written
    Failed,   // a step failed (the owner cannot be kept, a write, the rename): the original
              // is untouched and no temporary file is left
};

// Writes content into a new file, then swaps it for the original.
using ContentWriter = std::function<bool(PackageSink&)>;
// Lets tests stand between the writer and the temporary file.
using SinkWrapper = std::function<std::unique_ptr<PackageSink>(PackageSink& file)>;

// Replaces the file at path (a link is followed) with what write produces: written into a
// temporary file of the same folder with the original's owner, mode and extended attributes
// (those the file system lets us set), made durable, then renamed over the original. A crash
// leaves either the original or the complete new file; the temporary files such a crash
// left (same folder, same document) are removed first. The caller holds the document's lock.
ReplaceStatus replaceFile(const std::string& path, const ContentWriter& write,
                          const SinkWrapper& wrap = {});

}  // namespace quorvel::package
