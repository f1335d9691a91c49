// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/replacement_file.h"
#include "io/replacement_leftovers.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "platform/windows_api.h"

namespace quorvel::io {
namespace {

using platform::UniqueHandle;
using platform::utf8FromWide;
using platform::widePath;

// WriteFile moves at most 4 GiB - 1 per call.
constexpr std::size_t kLargestWrite = 1U << 30;
// Temporary names tried before giving up; a clash needs a leftover of an earlier crash.
constexpr int kNameAttempts = 100;

HANDLE handleOf(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

// The path of the file an open handle reads (links resolved); the given path when the
// system cannot tell.
std::string finalPath(HANDLE file, const std::string& given) {
    const DWORD length = ::GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
    std::wstring path(length, L'\0');
    if (length == 0 ||
        ::GetFinalPathNameByHandleW(file, path.data(), length, FILE_NAME_NORMALIZED) >= length) {
        return given;
    }
    path.resize(length - 1);
    return utf8FromWide(path);
}

// A name no other file has, in the folder of target: ".NAME.quorvel-XXXXXX".
std::string temporaryName(const std::string& target, unsigned attempt) {
    const std::size_t separator = target.find_last_of("\\/");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::uint64_t mixed = ::GetTickCount64() * 2654435761U + ::GetCurrentThreadId() + attempt;
    char suffix[8] = "000000";
    std::to_chars(suffix, suffix + 6, mixed & 0xFFFFF, 16);
    return target.substr(0, nameStart) + replacementPrefix(target.substr(nameStart)) + suffix;
}

// Creates the temporary file, shared with no one until it is swapped in.
HANDLE createTemporary(const std::string& target, std::string& temporary) {
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        temporary = temporaryName(target, attempt);
        const HANDLE file = ::CreateFileW(widePath(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

ReplacementFile::Status ReplacementFile::begin(const std::string& path,
                                               std::unique_ptr<ReplacementFile>& out) {
    const UniqueHandle original = platform::openForAttributes(path, 0);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!original.valid() || ::GetFileInformationByHandle(original.get(), &information) == 0) {
        return Status::Failed;
    }
    if (information.nNumberOfLinks > 1) {
        return Status::Refused;
    }
    std::string target = finalPath(original.get(), path);
    removeReplacementLeftovers(target);
    std::string temporary;
    const HANDLE file = createTemporary(target, temporary);
    if (file == INVALID_HANDLE_VALUE) {
        return Status::Failed;
    }
    out.reset(new ReplacementFile(std::move(target), std::move(temporary),
                                  reinterpret_cast<std::intptr_t>(file)));
    return Status::Ok;
}

ReplacementFile::ReplacementFile(std::string target, std::string temporary, std::intptr_t handle)
    : m_target(std::move(target)), m_temporary(std::move(temporary)), m_handle(handle) {}

ReplacementFile::~ReplacementFile() {
    UniqueHandle(handleOf(m_handle)).reset();
    if (!m_committed) {
        ::DeleteFileW(widePath(m_temporary).c_str());
    }
}

bool ReplacementFile::append(std::span<const std::byte> data) {
    while (!data.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min(data.size(), kLargestWrite));
        if (::WriteFile(handleOf(m_handle), data.data(), chunk, &written, nullptr) == 0 ||
            written == 0) {
            return false;
        }
        data = data.subspan(written);
    }
    return true;
}

bool ReplacementFile::sync() {
    return ::FlushFileBuffers(handleOf(m_handle)) != 0;
}

bool ReplacementFile::commit() {
    const bool closed = ::CloseHandle(handleOf(m_handle)) != 0;
    m_handle = -1;
    if (!closed) {
        return false;
    }
    const std::wstring target = widePath(m_target);
    const std::wstring temporary = widePath(m_temporary);
    // ReplaceFileW keeps the original's attributes, access-control list and creation time;
    // where it cannot (some network shares), a write-through rename still swaps the files.
    m_committed = ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                 REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0 ||
                  ::MoveFileExW(temporary.c_str(), target.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    return m_committed;
}

}  // namespace quorvel::io
