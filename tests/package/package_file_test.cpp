// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

#include "package/package_file.h"
#include "package_test_util.h"
#include "support/temp_folder.h"
#include "zip_builder.h"

namespace quorvel::package::testing {
namespace {

const std::vector<BuiltEntry> kDocument = {
    {"[Content_Types].xml", "<Types/>"},
    {"_rels/.rels", "<Relationships/>"},
    {"docProps/core.xml", "<old/>"},
    {"word/document.xml", std::string(20000, 'w')},
};

std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Rewrites the package at path with core.xml changed, through an optional wrapper.
ReplaceStatus rewrite(const std::string& path, const SinkWrapper& wrap = {}) {
    const OpenedZip source(readFile(path));
    EXPECT_EQ(source.status, ZipStatus::Ok);
    return replaceFile(
        path,
        [&](PackageSink& sink) {
            return writeZipPackage(*source.package, {{"docProps/core.xml", "<new/>"}}, sink);
        },
        wrap);
}

std::string coreOf(const std::string& path) {
    const OpenedZip zip(readFile(path));
    std::string core;
    if (zip.package) {
        zip.package->read("docProps/core.xml", core, 1 << 20);
    }
    return core;
}

TEST(PackageFileTest, ReplacesTheContentAndKeepsModeAndAttributes) {
    test::TempFolder folder;
    const std::string path = folder / "report.docx";
    writeFile(path, buildZip(kDocument).bytes);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    const bool xattrs = ::setxattr(path.c_str(), "user.origin", "mail", 4, 0) == 0;

    ASSERT_EQ(rewrite(path), ReplaceStatus::Ok);
    EXPECT_EQ(coreOf(path), "<new/>");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(status.st_uid, ::geteuid());
    if (xattrs) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
        EXPECT_STREQ(value, "mail");
    }
    EXPECT_EQ(folderNames(folder.path()), std::vector<std::string>{"report.docx"});
}

TEST(PackageFileTest, AFileWithSeveralLinksIsLeftAlone) {
    test::TempFolder folder;
    const std::string path = folder / "report.docx";
    const std::string original = buildZip(kDocument).bytes;
    writeFile(path, original);
    ASSERT_EQ(::link(path.c_str(), (folder / "copy.docx").c_str()), 0);
    EXPECT_EQ(rewrite(path), ReplaceStatus::Refused);
    EXPECT_EQ(readFile(path), original);
    EXPECT_EQ(folderNames(folder.path()), (std::vector<std::string>{"copy.docx", "report.docx"}));
}

TEST(PackageFileTest, ALinkKeepsPointingAtTheRewrittenDocument) {
    test::TempFolder folder;
    const std::string target = folder.makeFolder("real") + "/report.docx";
    writeFile(target, buildZip(kDocument).bytes);
    const std::string link = folder / "link.docx";
    std::filesystem::create_symlink(target, link);
    ASSERT_EQ(rewrite(link), ReplaceStatus::Ok);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(coreOf(target), "<new/>");
    EXPECT_EQ(folderNames(folder / "real"), std::vector<std::string>{"report.docx"});
}

// Temporary files a crashed write left beside the document go with its next write; any
// other name, and anything that is not a regular file, stays.
TEST(PackageFileTest, AWriteRemovesTheLeftoversOfEarlierWritesOfTheSameDocument) {
    test::TempFolder folder;
    const std::string path = folder / "report.docx";
    writeFile(path, buildZip(kDocument).bytes);
    const struct {
        const char* name;
        bool removed;
    } files[] = {
        {".report.docx.quorvel-a1B2c3", true},       {".report.docx.quorvel-ZZ09zz", true},
        {".otherreport.docx.quorvel-a1B2c3", false}, {".report.docx.quorvel-a1B2c", false},
        {".report.docx.quorvel-a1B2c3d", false},     {".report.docx.quorvel-a1B2c.", false},
        {".report.docx.quorvel-a1B2c3.bak", false},  {".report.doc.quorvel-a1B2c3", false},
        {"report.docx.quorvel-a1B2c3", false},       {".report.docx.other-a1B2c3", false},
    };
    std::vector<std::string> kept = {".report.docx.quorvel-dir123", ".report.docx.quorvel-link12",
                                     "report.docx"};
    for (const auto& file : files) {
        writeFile(folder / file.name, "left");
        if (!file.removed) {
            kept.push_back(file.name);
        }
    }
    std::filesystem::create_directory(folder / ".report.docx.quorvel-dir123");
    std::filesystem::create_symlink(".report.docx.quorvel-a1B2c", folder / kept[1]);

    ASSERT_EQ(rewrite(path), ReplaceStatus::Ok);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(folderNames(folder.path()), kept);
}

SinkWrapper stoppingAfter(int allowed, int& calls) {
    return [allowed, &calls](PackageSink& file) {
        return std::make_unique<StoppingSink>(file, allowed, calls);
    };
}

// A write that stops at any append or sync of the new file leaves the original as it was and
// no temporary file behind; one that runs to its end leaves the new document.
TEST(PackageFileTest, AWriteStoppedAtAnyCallLeavesTheOriginal) {
    test::TempFolder folder;
    const std::string path = folder / "report.docx";
    const std::string original = buildZip(kDocument).bytes;
    int calls = 0;
    writeFile(path, original);
    ASSERT_EQ(rewrite(path, stoppingAfter(1000, calls)), ReplaceStatus::Ok);
    ASSERT_EQ(coreOf(path), "<new/>");
    const int completeCalls = calls;
    for (int allowed = 0; allowed < completeCalls; ++allowed) {
        SCOPED_TRACE(allowed);
        writeFile(path, original);
        EXPECT_EQ(rewrite(path, stoppingAfter(allowed, calls)), ReplaceStatus::Failed);
        EXPECT_EQ(readFile(path), original);
        EXPECT_EQ(folderNames(folder.path()), std::vector<std::string>{"report.docx"});
    }
}

TEST(PackageFileTest, AFolderWithoutWriteAccessFailsCleanly) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into any folder";
    }
    test::TempFolder folder;
    const std::string path = folder / "report.docx";
    const std::string original = buildZip(kDocument).bytes;
    writeFile(path, original);
    ASSERT_EQ(::chmod(folder.path().c_str(), 0555), 0);
    EXPECT_EQ(rewrite(path), ReplaceStatus::Failed);
    ::chmod(folder.path().c_str(), 0755);
    EXPECT_EQ(readFile(path), original);
}

}  // namespace
}  // namespace quorvel::package::testing
