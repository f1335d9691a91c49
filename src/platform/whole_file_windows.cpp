// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/whole_file.h"

#include <algorithm>

#include "platform/windows_api.h"

namespace quorvel::platform {
namespace {

// WriteFile takes at most 4 GiB - 1 per call.
constexpr std::size_t kLargestWrite = 1U << 30;

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size(), kLargestWrite));
        if (::WriteFile(file, bytes.data(), chunk, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// Opens the file as disposition says, writes at its end, flushes it to the disk and closes
// it; false with the error.
bool writeSynced(const std::string& path, DWORD disposition, std::string_view bytes,
                 SystemError& error) {
    UniqueHandle file(::CreateFileW(widePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool ok = file.valid() && writeAll(file.get(), bytes) &&
                    ::FlushFileBuffers(file.get()) != 0 && ::CloseHandle(file.release()) != 0;
    if (!ok) {
        error = lastSystemError();
    }
    return ok;
}

}  // namespace

bool writeNewFileDurably(const std::string& path, std::string_view bytes, SystemError& error) {
    return writeSynced(path, CREATE_NEW, bytes, error);
}

bool appendDurably(const std::string& path, std::string_view bytes, SystemError& error) {
    return writeSynced(path, OPEN_ALWAYS, bytes, error);
}

bool syncFolder(const std::string&, SystemError&) {
    return true;
}

std::string stateFolder() {
    const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA");
    return local != nullptr && local[0] != L'\0' ? utf8FromWide(local) + "\\Quorvel" : "";
}

bool writeWholeFile(const std::string& path, std::string_view bytes, SystemError& error) {
    // Others may read the file meanwhile (a viewer), as with the C runtime's open.
    UniqueHandle file(::CreateFileW(widePath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = lastSystemError();
        return false;
    }
    if (!writeAll(file.get(), bytes)) {
        error = lastSystemError();
        return false;
    }
    // A network share may report a failed write only when the file is closed.
    if (::CloseHandle(file.release()) == 0) {
        error = lastSystemError();
        return false;
    }
    return true;
}

}  // namespace quorvel::platform
