// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace quorvel::io {

// A new file that takes the place of an existing one: written beside it, made durable, then
// swapped in, so that a crash leaves either the original or the complete new file.
class ReplacementFile {
  public:
    enum class Status {
        Ok,
        Refused,  // the original has more than one hard link: a swap would part them
        Failed,
    };

    // Starts replacing the file at path (a link is followed) with a temporary file in its
    // folder. On POSIX systems the temporary file gets the original's owner, mode and the
    // extended attributes the file system lets us set; on Windows the swap keeps the
    // original's attributes, access-control list and creation time.
    static Status begin(const std::string& path, std::unique_ptr<ReplacementFile>& out);
    // Removes the temporary file unless it was swapped in.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    bool append(std::span<const std::byte> data);
    // Makes what was appended durable.
    bool sync();
    // Closes the temporary file and puts it in the original's place. False when that fails;
    // the original is then untouched.
    bool commit();

  private:
    ReplacementFile(std::string target, std::string temporary, std::intptr_t handle);

    std::string m_target;
    std::string m_temporary;
    std::intptr_t m_handle;  // a descriptor, or on Windows a HANDLE; -1 once closed
    bool m_committed = false;
};

}  // namespace quorvel::io
