#include "io/file_device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "io/block_cache.h"

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

// Whole-file advisory write lock owned by this open file description.
bool lockWholeFile(int fd) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
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

  private:
    int m_fd;
    std::uint64_t m_size;
};

// The files that FileDevices of this process hold, by device and inode. Reads on several
// threads may meet on one file (listed twice, or under two names): the later one waits for
// the earlier one to end, as in a loop, instead of failing on its lock. On one thread a
// second open is refused like any other holder's.
class HeldFiles {
  public:
    using Key = std::pair<dev_t, ino_t>;

    // False when this thread holds the file already. Otherwise waits until no other thread
    // does and takes it; `waited` tells whether it had to wait.
    bool take(Key key, bool& waited) {
        std::unique_lock lock(m_mutex);
        waited = false;
        for (auto held = m_holders.find(key); held != m_holders.end(); held = m_holders.find(key)) {
            if (held->second == std::this_thread::get_id()) {
                return false;
            }
            waited = true;
            m_released.wait(lock);
        }
        m_holders.emplace(key, std::this_thread::get_id());
        return true;
    }
    void release(Key key) {
        const std::lock_guard lock(m_mutex);
        m_holders.erase(key);
        m_released.notify_all();
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::map<Key, std::thread::id> m_holders;
};

HeldFiles& heldFiles() {
    static HeldFiles files;
    return files;
}

// Gives a file taken from heldFiles() back when it goes.
class HeldFile {
  public:
    explicit HeldFile(HeldFiles::Key key) : m_key(key) {}
    ~HeldFile() { heldFiles().release(m_key); }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

  private:
    HeldFiles::Key m_key;
};

}  // namespace

struct FileDevice::Impl {
    Impl(HeldFiles::Key key, int fd, std::uint64_t size) : held(key), file(fd, size), cache(file) {}
    HeldFile held;  // released after the file is closed
    DescriptorDevice file;
    BlockCache cache;
};

OpenStatus FileDevice::open(const std::string& path, std::unique_ptr<FileDevice>& out) {
    // O_NONBLOCK keeps a FIFO from blocking the open; anything but a regular file is refused
    // below. Regular files ignore the flag, so it stays set; transferAll() clears it should a
    // file system answer EAGAIN after all.
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT || errno == ENOTDIR ? OpenStatus::NotFound : OpenStatus::IoError;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenStatus::IoError;
    }
    const HeldFiles::Key key{st.st_dev, st.st_ino};
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
    auto impl = std::make_unique<Impl>(key, fd, static_cast<std::uint64_t>(st.st_size));
    if (!lockWholeFile(fd) || officeLockFileExists(path)) {
        return OpenStatus::Locked;
    }
    out.reset(new FileDevice(std::move(impl)));
    return OpenStatus::Ok;
}

FileDevice::FileDevice(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
FileDevice::~FileDevice() = default;

bool FileDevice::readAt(std::uint64_t offset, std::span<std::byte> out) {
    return m_impl->cache.readAt(offset, out);
}

bool FileDevice::writeAt(std::uint64_t offset, std::span<const std::byte> data) {
    return m_impl->cache.writeAt(offset, data);
}

bool FileDevice::sync() {
    return m_impl->cache.sync();
}

std::uint64_t FileDevice::size() const {
    return m_impl->cache.size();
}

}  // namespace quorvel::io
