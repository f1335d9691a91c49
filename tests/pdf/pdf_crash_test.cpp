// SPDX-License-Identifier: GPL-3.0-or-later
// The process dies at each file-system call of a PDF write in turn (this executable puts its
// own definitions in front of the C library's); a write call dies half-way through, leaving a
// torn update. Afterwards the file reads as the old one or the new one, its old bytes are
// unchanged, and the next write cuts a torn update off.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "document/document_access.h"
#include "pdf_test_util.h"
#include "support/temp_folder.h"
#include "support/test_data.h"

namespace {

int g_callsBeforeCrash = -1;  // -1: not armed
int g_calls = 0;

bool dueToDie() {
    return g_callsBeforeCrash >= 0 && g_calls++ == g_callsBeforeCrash;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

using PwriteFunction = ssize_t (*)(int, const void*, size_t, off_t);

ssize_t writeOrTear(const char* name, int fd, const void* data, size_t size, off_t offset) {
    const auto call = next<PwriteFunction>(name);
    if (dueToDie()) {
        call(fd, data, size / 2, offset);
        ::_exit(77);
    }
    return call(fd, data, size, offset);
}

}  // namespace

extern "C" {
ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
    return writeOrTear("pwrite", fd, data, size, offset);
}
ssize_t pwrite64(int fd, const void* data, size_t size, off_t offset) {
    return writeOrTear("pwrite64", fd, data, size, offset);
}
int fdatasync(int fd) {
    if (dueToDie()) {
        ::_exit(77);
    }
    return next<int (*)(int)>("fdatasync")(fd);
}
int ftruncate(int fd, off_t length) noexcept {
    if (dueToDie()) {
        ::_exit(77);
    }
    return next<int (*)(int, off_t)>("ftruncate")(fd, length);
}
}

namespace quorvel::pdf {
namespace {

props::PropertyWriteRequest titled(const std::string& title) {
    props::PropertyWriteRequest request;
    request.fields[0] = {title, 1};
    return request;
}

// Runs the write in a child that dies at call number crashAt; true when it died.
bool writeDyingAt(const std::string& path, int crashAt, const std::string& title) {
    const pid_t child = ::fork();
    if (child == 0) {
        g_callsBeforeCrash = crashAt;
        const props::MessageCode code = document::WriteDocProperties(path, titled(title));
        g_callsBeforeCrash = -1;
        ::_exit(code == props::kSuccess ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 1) << "the write failed without a crash";
    return WEXITSTATUS(status) == 77;
}

std::string titleOf(const std::string& path) {
    props::DocProperties props;
    EXPECT_EQ(document::ReadDocProperties(path, props), props::kSuccess);
    return props.empty() ? "" : props[0].text;
}

TEST(PdfCrashTest, ADeathAtAnyCallLeavesTheOldOrTheNewDocument) {
    test::TempFolder folder;
    const std::string path = folder / "a.pdf";
    const std::string original = fileBytes(test::sampleDocument("pikepdf_fourpages.pdf"));
    bool died = true;
    int crashAt = 0;
    for (; died && crashAt < 50; ++crashAt) {
        SCOPED_TRACE(crashAt);
        { std::ofstream(path, std::ios::binary | std::ios::trunc) << original; }
        // A first write that dies, then one that dies at the same call after the torn tail.
        died = writeDyingAt(path, crashAt, "一回目");
        const std::string first = titleOf(path);
        EXPECT_TRUE(first == "一回目" || first == "untitled") << first;
        EXPECT_EQ(fileBytes(path).substr(0, original.size()), original);
        writeDyingAt(path, crashAt, "二回目");
        const std::string second = titleOf(path);
        EXPECT_TRUE(second == "二回目" || second == first) << second;
        ASSERT_EQ(document::WriteDocProperties(path, titled("三回目")), props::kSuccess);
        EXPECT_EQ(titleOf(path), "三回目");
        EXPECT_EQ(fileBytes(path).substr(0, original.size()), original);
    }
    EXPECT_FALSE(died) << "the write never completed";
    EXPECT_GT(crashAt, 2) << "too few calls seen: the interposition does not work";
}

}  // namespace
}  // namespace quorvel::pdf
