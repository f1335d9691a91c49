// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_status.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace quorvel::platform {
namespace {

class FileStatusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvel_status_XXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        close(fd);
        m_path = pattern;
    }
    void TearDown() override { unlink(m_path.c_str()); }

    std::string m_path;
};

TEST_F(FileStatusTest, ReadOnlyIsTheOwnerWriteBitAndClearingKeepsOtherBits) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows has a read-only attribute, not an owner write bit among others";
#endif
    ASSERT_EQ(chmod(m_path.c_str(), 0450), 0);
    FileStatus status;
    ASSERT_TRUE(queryFileStatus(m_path, status));
    EXPECT_TRUE(status.readOnly);
    SystemError error;
    ASSERT_TRUE(clearReadOnly(m_path, error));
    struct stat info {};
    ASSERT_EQ(stat(m_path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0650U);
    ASSERT_TRUE(queryFileStatus(m_path, status));
    EXPECT_FALSE(status.readOnly);
}

TEST_F(FileStatusTest, TimesAreWrittenAndReadInWholeSeconds) {
    SystemError error;
    ASSERT_TRUE(setAccessAndModifyTimes(m_path, 1'000'000'001, 999'999'999, error));
    FileStatus status;
    ASSERT_TRUE(queryFileStatus(m_path, status));
    EXPECT_EQ(status.times.accessed, 1'000'000'001);
    EXPECT_EQ(status.times.modified, 999'999'999);
    if (!status.times.createdRecorded) {
        EXPECT_EQ(status.times.created, status.times.modified);
    }
}

TEST_F(FileStatusTest, FailuresCarryThePlatformText) {
    FileStatus status;
    status.readOnly = true;
    EXPECT_FALSE(queryFileStatus("/nonexistent/quorvel.doc", status));
    EXPECT_TRUE(status.readOnly) << "left alone";
    SystemError error;
    EXPECT_FALSE(clearReadOnly("/nonexistent/quorvel.doc", error));
    EXPECT_FALSE(error.text.empty());
    error = {};
    EXPECT_FALSE(setAccessAndModifyTimes("/nonexistent/quorvel.doc", 0, 0, error));
    EXPECT_FALSE(error.text.empty());
}

}  // namespace
}  // namespace quorvel::platform
