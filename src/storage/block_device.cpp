#include "storage/block_device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quorvel::storage {
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

// Whole-file advisory write lock owned by this open file description.
bool lockWholeFile(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return ::fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

}  // namespace

Status FileDevice::open(const std::string& path, std::unique_ptr<FileDevice>& out) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? Status::NotFound : Status::IoError;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Status::IoError;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!lockWholeFile(fd) || officeLockFileExists(path)) {
        ::close(fd);
        return Status::Locked;
    }
    out.reset(new FileDevice(fd, static_cast<std::uint64_t>(st.st_size)));
    return Status::Ok;
}

FileDevice::~FileDevice() {
    ::close(m_fd);
}

bool FileDevice::readAt(std::uint64_t offset, std::span<std::byte> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n =
            ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool FileDevice::writeAt(std::uint64_t offset, std::span<const std::byte> data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::pwrite(m_fd, data.data() + done, data.size() - done,
                                   static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    if (offset + data.size() > m_size) {
        m_size = offset + data.size();
    }
    return true;
}

bool FileDevice::sync() {
    return ::fdatasync(m_fd) == 0;
}

std::uint64_t FileDevice::size() const {
    return m_size;
}

}  // namespace quorvel::storage
