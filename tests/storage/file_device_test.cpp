// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cfb_builder.h"
#include "io/file_device.h"
#include "support/disk_times.h"
#include "support/file_access.h"
#include "support/temp_folder.h"

namespace quorvel::storage::test {
namespace {

std::vector<std::byte> readAll(io::BlockDevice& device) {
    std::vector<std::byte> bytes(device.size());
    EXPECT_TRUE(device.readAt(0, bytes));
    return bytes;
}

std::string writeFile(const quorvel::test::TempFolder& folder, const std::string& name,
                      const std::vector<std::byte>& bytes) {
    const std::string path = folder / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(FileDevice, ReadsWhatWasWrittenBeforeAndAfterReopening) {
    const quorvel::test::TempFolder folder;
    std::vector<std::byte> expected = patternBytes(150'000, 1);
    const std::string path = writeFile(folder, "a.doc", expected);
    std::unique_ptr<io::FileDevice> device;
    ASSERT_EQ(io::FileDevice::open(path, io::Access::ReadWrite, device), io::OpenStatus::Ok);
    EXPECT_EQ(readAll(*device), expected);
    const std::pair<std::uint64_t, std::size_t> writes[] = {
        {100, 50}, {65'500, 100}, {149'990, 30}, {200'000, 512}};
    for (const auto& [offset, length] : writes) {
        const std::vector<std::byte> data = patternBytes(length, static_cast<unsigned>(offset));
        ASSERT_TRUE(device->writeAt(offset, data));
        expected.resize(std::max<std::size_t>(expected.size(), offset + length));
        std::copy(data.begin(), data.end(), expected.begin() + static_cast<std::ptrdiff_t>(offset));
        EXPECT_EQ(readAll(*device), expected) << "after writing at " << offset;
    }
    device.reset();
    ASSERT_EQ(io::FileDevice::open(path, io::Access::Read, device), io::OpenStatus::Ok);
    EXPECT_EQ(readAll(*device), expected);
    EXPECT_FALSE(device->writeAt(0, patternBytes(10, 3))) << "opened to read only";
}

#ifndef _WIN32  // Windows keeps no access time of reads by default
// A read would otherwise set an access time older than the modification time to now.
TEST(FileDevice, ReadingLeavesTheAccessTimeAlone) {
    const quorvel::test::TempFolder folder;
    const std::string path = writeFile(folder, "a.doc", patternBytes(20'000, 1));
    const quorvel::test::DiskTimes past{{1'000'000'000, 0}, {1'100'000'000, 0}};
    ASSERT_TRUE(quorvel::test::setDiskTimes(path, past));
    std::unique_ptr<io::FileDevice> device;
    ASSERT_EQ(io::FileDevice::open(path, io::Access::Read, device), io::OpenStatus::Ok);
    readAll(*device);
    device.reset();
    EXPECT_EQ(quorvel::test::diskTimes(path), past);
}
#endif

TEST(FileDevice, OtherHoldersAndOtherKindsOfFileAreRefusedToReadersAndWriters) {
    const quorvel::test::TempFolder folder;
    const std::string path = writeFile(folder, "a.doc", patternBytes(1000, 1));
    for (const io::Access access : {io::Access::Read, io::Access::ReadWrite}) {
        SCOPED_TRACE(access == io::Access::Read ? "read" : "read-write");
        std::unique_ptr<io::FileDevice> device;
        {
            const quorvel::test::HeldByAnotherProgram other(path);
            ASSERT_TRUE(other.held());
            EXPECT_EQ(io::FileDevice::open(path, access, device), io::OpenStatus::Locked);
        }
        {
            std::unique_ptr<io::FileDevice> first;
            ASSERT_EQ(io::FileDevice::open(path, io::Access::Read, first), io::OpenStatus::Ok);
            EXPECT_EQ(io::FileDevice::open(path, access, device), io::OpenStatus::Locked)
                << "held by this thread";
        }
        std::ofstream(folder / ".~lock.a.doc#") << "user";
        EXPECT_EQ(io::FileDevice::open(path, access, device), io::OpenStatus::Locked);
        std::filesystem::remove(folder / ".~lock.a.doc#");
        EXPECT_EQ(io::FileDevice::open(path, access, device), io::OpenStatus::Ok);
        device.reset();

#ifndef _WIN32  // Windows has no FIFOs in folders
        std::filesystem::remove(folder / "pipe.doc");
        ASSERT_TRUE(quorvel::test::makeFifo(folder / "pipe.doc"));
        EXPECT_EQ(io::FileDevice::open(folder / "pipe.doc", access, device),
                  io::OpenStatus::IoError);
#endif
        EXPECT_EQ(io::FileDevice::open(folder.path(), access, device), io::OpenStatus::IoError);
        EXPECT_EQ(io::FileDevice::open(folder / "missing.doc", access, device),
                  io::OpenStatus::NotFound);
        EXPECT_EQ(io::FileDevice::open(folder / "a.doc/x", access, device),
                  io::OpenStatus::NotFound);
    }
}

// Reading needs no write permission: not on the file, not on its folder, not as its owner.
TEST(FileDevice, FilesTheUserMayNotWriteAreReadButNotWritten) {
    const quorvel::test::TempFolder folder;
    const std::vector<std::byte> bytes = patternBytes(5000, 4);
    using std::filesystem::perms;
    const auto setMode = [](const std::string& path, perms mode) {
        std::filesystem::permissions(quorvel::test::utf8Path(path), mode);
    };
    const perms readable = perms::owner_read | perms::group_read | perms::others_read;
    const perms enterable = perms::owner_exec | perms::group_exec | perms::others_exec;
    setMode(folder.path(), readable | enterable | perms::owner_write);
    const std::string readOnly = writeFile(folder, "read-only.doc", bytes);
    setMode(readOnly, readable);
    folder.makeFolder("closed");
    const std::string inClosedFolder = writeFile(folder, "closed/a.doc", bytes);
    setMode(inClosedFolder, readable | perms::owner_write);
    setMode(folder / "closed", readable | enterable);
    for (const std::string& path : {readOnly, inClosedFolder}) {
        EXPECT_TRUE(quorvel::test::asUnprivilegedUser([&] {
            std::unique_ptr<io::FileDevice> device;
            return io::FileDevice::open(path, io::Access::Read, device) == io::OpenStatus::Ok &&
                   readAll(*device) == bytes;
        })) << path;
    }
    setMode(folder / "closed", readable | enterable | perms::owner_write);

#ifdef _WIN32
    if (quorvel::test::writesIgnorePermissions()) {
        return;  // Wine run by the superuser: the read-only attribute binds no one
    }
#endif
    EXPECT_TRUE(quorvel::test::asUnprivilegedUser([&] {
        std::unique_ptr<io::FileDevice> device;
        return io::FileDevice::open(readOnly, io::Access::ReadWrite, device) ==
               io::OpenStatus::IoError;
    }));
}

TEST(FileDevice, OpensOfOneFileOnTwoThreadsTakeTurns) {
    const quorvel::test::TempFolder folder;
    const std::string path = writeFile(folder, "a.doc", patternBytes(1000, 1));
    const std::string otherName = folder / "b.doc";
    std::filesystem::create_hard_link(path, otherName);
    std::unique_ptr<io::FileDevice> first;
    ASSERT_EQ(io::FileDevice::open(path, io::Access::ReadWrite, first), io::OpenStatus::Ok);

    std::atomic<bool> opened = false;
    io::OpenStatus second = io::OpenStatus::IoError;
    std::uint64_t secondSize = 0;
    std::thread other([&] {
        std::unique_ptr<io::FileDevice> device;
        second = io::FileDevice::open(otherName, io::Access::Read, device);
        secondSize = device ? device->size() : 0;
        opened = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(opened) << "the second open waits while the first device is open";
    ASSERT_TRUE(first->writeAt(1000, patternBytes(500, 2)));
    first.reset();
    other.join();
    EXPECT_EQ(second, io::OpenStatus::Ok);
    EXPECT_EQ(secondSize, 1500u) << "the size as the first device left it";
}

}  // namespace
}  // namespace quorvel::storage::test
