// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <utility>

#include "io/block_cache.h"
#include "io/file_device.h"
#include "io/held_files.h"

namespace quorvel::io {

// An open document: the system's file under its cache, taken from heldFiles() until the
// file is closed.
struct FileDevice::Impl {
    Impl(platform::FileIdentity key, std::unique_ptr<BlockDevice> systemFile)
        : held(key), file(std::move(systemFile)), cache(*file) {}
    HeldFile held;  // released after the file is closed
    std::unique_ptr<BlockDevice> file;
    BlockCache cache;
};

}  // namespace quorvel::io
