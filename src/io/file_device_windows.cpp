// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/file_device.h"

#include <algorithm>
#include <utility>

#include "io/file_device_impl.h"
#include "platform/windows_api.h"

namespace quorvel::io {
namespace {

using platform::UniqueHandle;
using platform::widePath;

// ReadFile and WriteFile move at most 4 GiB - 1 per call.
constexpr std::size_t kLargestTransfer = 1U << 30;

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// An office suite keeps a lock file beside a document it has open: LibreOffice
// ".~lock.NAME#", Microsoft Office its owner file "~$NAME", for longer names with the first
// two characters of the name replaced ("~$port.docx" for "Report.docx"). Both spellings of
// the owner file are looked for.
bool officeLockFileExists(const std::string& path) {
    const std::wstring wide = widePath(path);
    const std::size_t separator = wide.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? std::wstring() : wide.substr(0, separator + 1);
    const std::wstring name = separator == std::wstring::npos ? wide : wide.substr(separator + 1);
    return exists(folder + L".~lock." + name + L"#") || exists(folder + L"~$" + name) ||
           (name.size() > 2 && exists(folder + L"~$" + name.substr(2)));
}

OpenStatus statusOfError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return OpenStatus::NotFound;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return OpenStatus::Locked;
        default:
            return OpenStatus::IoError;
    }
}

OVERLAPPED at(std::uint64_t offset) {
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

// Moves all `size` bytes at offset with ReadFile or WriteFile, going on after a short
// transfer; a transfer of nothing (the end of the file) fails.
template <typename Byte, typename Transfer>
bool transferAll(Byte* data, std::size_t size, std::uint64_t offset, Transfer transfer) {
    std::size_t done = 0;
    while (done < size) {
        const auto chunk = static_cast<DWORD>(std::min(size - done, kLargestTransfer));
        OVERLAPPED position = at(offset + done);
        DWORD moved = 0;
        if (!transfer(data + done, chunk, &moved, &position) || moved == 0) {
            return false;
        }
        done += moved;
    }
    return true;
}

// The open file with positioned ReadFile and WriteFile, nothing kept in memory; unlocks and
// closes the file when destroyed.
class HandleDevice final : public BlockDevice {
  public:
    HandleDevice(HANDLE file, std::uint64_t size) : m_file(file), m_size(size) {}
    ~HandleDevice() override {
        // Unlocked at once, not when the system gets round to it after the close: a thread
        // waiting for this file takes the lock next.
        OVERLAPPED whole = at(0);
        ::UnlockFileEx(m_file.get(), 0, MAXDWORD, MAXDWORD, &whole);
    }
    HandleDevice(const HandleDevice&) = delete;
    HandleDevice& operator=(const HandleDevice&) = delete;

    // Whole-file lock, shared for reading and exclusive for writing, refused at once when
    // another holder's lock conflicts.
    bool lockWholeFile(Access access) {
        OVERLAPPED whole = at(0);
        const DWORD exclusive = access == Access::Read ? 0 : LOCKFILE_EXCLUSIVE_LOCK;
        return ::LockFileEx(m_file.get(), exclusive | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                            MAXDWORD, &whole) != 0;
    }
    bool readAt(std::uint64_t offset, std::span<std::byte> out) override {
        return transferAll(out.data(), out.size(), offset,
                           [&](std::byte* data, DWORD size, DWORD* moved, OVERLAPPED* position) {
                               return ::ReadFile(m_file.get(), data, size, moved, position) != 0;
                           });
    }
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        const bool written = transferAll(
            data.data(), data.size(), offset,
            [&](const std::byte* bytes, DWORD size, DWORD* moved, OVERLAPPED* position) {
                return ::WriteFile(m_file.get(), bytes, size, moved, position) != 0;
            });
        if (written) {
            m_size = std::max(m_size, offset + data.size());
        }
        return written;
    }
    bool sync() override { return ::FlushFileBuffers(m_file.get()) != 0; }
    std::uint64_t size() const override { return m_size; }
    bool truncate(std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        if (size > m_size ||
            ::SetFileInformationByHandle(m_file.get(), FileEndOfFileInfo, &end, sizeof end) == 0) {
            return false;
        }
        m_size = size;
        return true;
    }

  private:
    UniqueHandle m_file;
    std::uint64_t m_size;
};

// The file's identity, asked through a handle that opens no data: it conflicts with no
// other holder, so a thread of ours that holds the file makes this one wait in heldFiles()
// instead of failing on the share mode below. Only files on a disk qualify.
OpenStatus identify(const std::wstring& path, platform::FileIdentity& key) {
    const UniqueHandle probe(::CreateFileW(path.c_str(), 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.valid()) {
        return statusOfError(::GetLastError());
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (::GetFileType(probe.get()) != FILE_TYPE_DISK ||
        ::GetFileInformationByHandle(probe.get(), &information) == 0 ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return OpenStatus::IoError;
    }
    key = {information.dwVolumeSerialNumber,
           std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
    return OpenStatus::Ok;
}

// Opened to read (and to write), shared with readers only: another program that has the
// file open for writing makes the open fail with a sharing violation. Sharing it for deletion
// lets a package's replacement move it aside while its entries are still being read from it.
OpenStatus openShared(const std::wstring& path, Access access, std::unique_ptr<HandleDevice>& out) {
    const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    UniqueHandle file(::CreateFileW(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.valid() || ::GetFileSizeEx(file.get(), &size) == 0) {
        return statusOfError(::GetLastError());
    }
    out = std::make_unique<HandleDevice>(file.release(), static_cast<std::uint64_t>(size.QuadPart));
    return OpenStatus::Ok;
}

}  // namespace

OpenStatus FileDevice::open(const std::string& path, Access access,
                            std::unique_ptr<FileDevice>& out) {
    const std::wstring wide = widePath(path);
    platform::FileIdentity key;
    if (const OpenStatus status = identify(wide, key); status != OpenStatus::Ok) {
        return status;
    }
    bool waited = false;
    if (!heldFiles().take(key, waited)) {
        return OpenStatus::Locked;
    }
    std::unique_ptr<HandleDevice> file;
    if (const OpenStatus status = openShared(wide, access, file); status != OpenStatus::Ok) {
        heldFiles().release(key);
        return status;
    }
    HandleDevice& device = *file;
    auto impl = std::make_unique<Impl>(key, std::move(file));
    if (!device.lockWholeFile(access) || officeLockFileExists(path)) {
        return OpenStatus::Locked;
    }
    out.reset(new FileDevice(std::move(impl)));
    return OpenStatus::Ok;
}

}  // namespace quorvel::io
