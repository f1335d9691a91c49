// SPDX-License-Identifier: GPL-3.0-or-later
// The process dies at each file-system call of a package write in turn (this executable
// puts its own definitions in front of the C library's): afterwards the document is the
// old one or the complete new one, never a damaged one.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "document/document_access.h"
#include "package_test_util.h"
#include "support/temp_folder.h"
#include "support/test_data.h"

namespace {

int g_callsBeforeCrash = -1;  // -1: not armed
int g_calls = 0;

// Counts one call while armed; dies instead of making the call when its turn has come.
void step() {
    if (g_callsBeforeCrash >= 0 && g_calls++ == g_callsBeforeCrash) {
        ::_exit(77);
    }
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {
int mkostemp(char* pattern, int flags) {
    step();
    return next<int (*)(char*, int)>("mkostemp")(pattern, flags);
}
ssize_t write(int fd, const void* data, size_t size) {
    step();
    return next<ssize_t (*)(int, const void*, size_t)>("write")(fd, data, size);
}
int fsync(int fd) {
    step();
    return next<int (*)(int)>("fsync")(fd);
}
int fchmod(int fd, mode_t mode) {
    step();
    return next<int (*)(int, mode_t)>("fchmod")(fd, mode);
}
int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    step();
    return next<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr")(fd, name, value,
                                                                                  size, flags);
}
int rename(const char* from, const char* to) noexcept {
    step();
    return next<int (*)(const char*, const char*)>("rename")(from, to);
}
}

namespace quorvel::package::testing {
namespace {

// Runs the write in a child that dies before call number crashAt; true when it died.
bool writeDyingAt(const std::string& path, int crashAt) {
    const pid_t child = ::fork();
    if (child == 0) {
        props::PropertyWriteRequest request;
        request.fields[0] = {"新しい題", 1};
        g_callsBeforeCrash = crashAt;
        const props::MessageCode code = document::WriteDocProperties(path, request);
        g_callsBeforeCrash = -1;
        ::_exit(code == props::kSuccess ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 1) << "the write failed without a crash";
    return WEXITSTATUS(status) == 77;
}

TEST(PackageCrashTest, ADeathAtAnyCallLeavesTheOldOrTheNewDocument) {
    for (const char* sample : {"pydocx_coreprops.docx", "odfpy_simpletable.odt"}) {
        SCOPED_TRACE(sample);
        test::TempFolder folder;
        const std::string path = folder / sample;
        const std::string original = readFile(quorvel::test::sampleDocument(sample).string());
        ASSERT_FALSE(original.empty()) << "sample missing: " << sample;
        ::setxattr(folder.path().c_str(), "user.probe", "1", 1, 0);  // harmless if refused
        bool died = true;
        int crashAt = 0;
        for (; died && crashAt < 200; ++crashAt) {
            SCOPED_TRACE(crashAt);
            writeFile(path, original);
            died = writeDyingAt(path, crashAt);
            props::DocProperties props;
            ASSERT_EQ(document::ReadDocProperties(path, props), props::kSuccess);
            const OpenedZip zip(readFile(path));
            ASSERT_EQ(zip.status, ZipStatus::Ok);
            for (const std::string& name : zip.package->entryNames()) {
                std::string content;
                EXPECT_EQ(zip.package->read(name, content, 1 << 24), EntryRead::Ok) << name;
            }
            if (!died) {
                EXPECT_EQ(props[0].text, "新しい題");
                EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                                        std::filesystem::directory_iterator()),
                          1);
            } else if (readFile(path) != original) {
                EXPECT_EQ(props[0].text, "新しい題") << "neither the old nor the new document";
            }
            // A death before the rename may leave the temporary file: the write that completes
            // removes those of the earlier runs.
        }
        EXPECT_FALSE(died) << "the write never completed";
        EXPECT_GT(crashAt, 3) << "too few calls seen: the interposition does not work";
    }
}

}  // namespace
}  // namespace quorvel::package::testing
