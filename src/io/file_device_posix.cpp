// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/file_device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "io/file_device_impl.h"

namespace quorvel::io {
namespace {

// An office suite keeps ".~lock.NAME#" beside a document it has open.
bool officeLockFileExists(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat st {};
    return ::stat((folder + ".~lock." + name + "#").c_str(), &st) == 0;
}

// Whole-file advisory lock owned by this open file description: a read lock for reading,
// which any other holder of a write lock refuses, a write lock for writing.
bool lockWholeFile(int fd, Access access) {
    struct flock lock {};
    lock.l_type = access == Access::Read ? F_RDLCK : F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

// True when O_NONBLOCK was set and is now cleared.
bool clearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && (flags & O_NONBLOCK) != 0 &&
           ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// Moves all `size` bytes with pread or pwrite, going on after a short transfer or a signal.
template <typename Byte, typename Transfer>
bool transferAll(int fd, Byte* data, std::size_t size, std::uint64_t offset, Transfer transfer) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = transfer(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && (errno == EINTR || (errno == EAGAIN && clearNonBlocking(fd)))) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The open file with pread and pwrite, nothing kept in memory; closes the file when destroyed.
class DescriptorDevice final : public BlockDevice {
  public:
    DescriptorDevice(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    ~DescriptorDevice() override { ::close(m_fd); }
    DescriptorDevice(const DescriptorDevice&) = delete;
    DescriptorDevice& operator=(const DescriptorDevice&) = delete;

    bool readAt(std::uint64_t offset, std::span<std::byte> out) override {
        return transferAll(m_fd, out.data(), out.size(), offset, ::pread);
    }
    bool writeAt(std::uint64_t offset, std::span<const std::byte> data) override {
        if (!transferAll(m_fd, data.data(), data.size(), offset, ::pwrite)) {
            return false;
        }
        m_size = std::max(m_size, offset + data.size());
        return true;
    }
    bool sync() override { return ::fdatasync(m_fd) == 0; }
    std::uint64_t size() const override { return m_size; }
    bool truncate(std::uint64_t size) override {
        if (size > m_size || ::ftruncate(m_fd, static_cast<off_t>(size)) != 0) {
            return false;
        }
        m_size = size;
        return true;
    }

  private:
    int m_fd;
    std::uint64_t m_size;
};

// Reading leaves the file's access time alone where the system allows it (a file the user
// owns): the time stamps Quorvel shows, exports and applies back include that time, and a
// read of the properties is no access of the document by its user.
int openDescriptor(const std::string& path, Access access) {
    const int flags = O_CLOEXEC | O_NONBLOCK;
#ifdef O_NOATIME
    if (access == Access::Read) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | flags);
        if (fd >= 0 || errno != EPERM) {
            return fd;
        }
    }
#endif
    return ::open(path.c_str(), (access == Access::Read ? O_RDONLY : O_RDWR) | flags);
}

}  // namespace

OpenStatus FileDevice::open(const std::string& path, Access access,
                            std::unique_ptr<FileDevice>& out) {
    // O_NONBLOCK keeps a FIFO from blocking the open; anything but a regular file is refused
    // below. Regular files ignore the flag, so it stays set; transferAll() clears it should a
    // file system answer EAGAIN after all.
    const int fd = openDescriptor(path, access);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? OpenStatus::NotFound : OpenStatus::IoError;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenStatus::IoError;
    }
    const platform::FileIdentity key{static_cast<std::uint64_t>(st.st_dev),
                                     static_cast<std::uint64_t>(st.st_ino)};
    bool waited = false;
    if (!heldFiles().take(key, waited)) {
        ::close(fd);
        return OpenStatus::Locked;
    }
    // The thread that held the file until now may have changed its size.
    if (waited && ::fstat(fd, &st) != 0) {
        ::close(fd);
        heldFiles().release(key);
        return OpenStatus::IoError;
    }
    auto impl = std::make_unique<Impl>(
        key, std::make_unique<DescriptorDevice>(fd, static_cast<std::uint64_t>(st.st_size)));
    if (!lockWholeFile(fd, access) || officeLockFileExists(path)) {
        return OpenStatus::Locked;
    }
    out.reset(new FileDevice(std::move(impl)));
    return OpenStatus::Ok;
}

}  // namespace quorvel::io
