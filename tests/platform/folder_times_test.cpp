// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/folder_times.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/folder_listing.h"
#include "support/disk_times.h"
#include "support/error_codes.h"
#include "support/symbolic_links.h"
#include "support/temp_folder.h"

namespace quorvel::platform {
namespace {

using test::diskTimes;
using test::setDiskTimes;
using test::TempFolder;

std::vector<std::string> namesOf(const std::vector<Subfolder>& subfolders) {
    std::vector<std::string> names;
    for (const auto& subfolder : subfolders) {
        names.push_back(subfolder.name);
    }
    return names;
}

TEST(FolderListing, ListsFoldersAndLinksToFoldersOnlyInNameOrder) {
    QUORVEL_SKIP_WITHOUT_SYMBOLIC_LINKS();
    TempFolder temp;
    temp.makeFolder("top/b");
    temp.makeFolder("top/A");
    temp.makeFolder("top/.hidden");
    temp.makeFolder("elsewhere");
    temp.makeFile("top/file.doc");
    temp.makeLink("top/link", temp / "elsewhere");
    temp.makeLink("top/dangling", temp / "missing");
#ifndef _WIN32
    ::mkfifo((temp / "top/fifo").c_str(), 0600);  // Windows has no FIFOs in folders
#endif

    const auto subfolders = listSubfolders(temp / "top");
    EXPECT_EQ(namesOf(subfolders), (std::vector<std::string>{".hidden", "A", "b", "link"}));
    EXPECT_EQ(subfolders[3].path, temp / "top/link");
    EXPECT_EQ(subfolders[3].identity, folderIdentity(temp / "elsewhere"));
    EXPECT_NE(subfolders[1].identity, subfolders[2].identity);
}

TEST(FolderListing, JoinsWithOneSeparatorAndToleratesUnreadableFolders) {
    TempFolder temp;
    temp.makeFolder("top/sub");
    const auto withSeparator = listSubfolders(temp.path() + "/top/");
    ASSERT_EQ(withSeparator.size(), 1U);
    EXPECT_EQ(withSeparator[0].path, temp / "top/sub");

    EXPECT_TRUE(listSubfolders(temp / "missing").empty());
    EXPECT_TRUE(listSubfolders(temp.makeFile("file")).empty());
    EXPECT_FALSE(folderIdentity(temp / "missing").has_value());
    EXPECT_FALSE(folderIdentity(temp / "file").has_value());
    EXPECT_EQ(joinPath("/", "tmp"), "/tmp");
}

TEST(FolderListing, LeavesTheAccessTimeOfTheListedFolderAlone) {
    TempFolder temp;
    const std::string folder = temp.makeFolder("top/sub");
    temp.makeFile("top/file.doc");
    // An access time older than the modification time is what a read would refresh.
    ASSERT_TRUE(setDiskTimes(temp / "top", {{1'000'000'000}, {1'100'000'000}}));
    EXPECT_EQ(listSubfolders(temp / "top").size(), 1U);
    EXPECT_EQ(listRegularFiles(temp / "top").size(), 1U);
    ASSERT_TRUE(diskTimes(temp / "top"));
    EXPECT_EQ(diskTimes(temp / "top")->access.seconds, 1'000'000'000);
}

TEST(FolderTimes, WritesWholeSecondsAndReadsThemBack) {
    TempFolder temp;
    const std::string folder = temp.makeFolder("f");
    FolderHandle handle;
    SystemError error;
    ASSERT_TRUE(handle.open(folder, error)) << error.text;

    const FolderTimes written{1'000'000'000, 1'200'000'000, 1'100'000'000};
    CreationTimeWrite creation{};
    ASSERT_TRUE(handle.writeTimes(written, creation, error)) << error.text;

    EXPECT_EQ(diskTimes(folder), (test::DiskTimes{{1'200'000'000}, {1'100'000'000}}));

    FolderTimes read;
    CreationTimeSource source{};
    ASSERT_TRUE(handle.readTimes(read, source, error)) << error.text;
    EXPECT_EQ(read.access, written.access);
    EXPECT_EQ(read.modification, written.modification);
    if (creation == CreationTimeWrite::Written) {
        EXPECT_EQ(read.creation, written.creation);
    }
    if (source == CreationTimeSource::NotRecorded) {
        EXPECT_EQ(read.creation, read.modification);
    }
}

TEST(FolderTimes, ReadingDropsFractionsOfASecond) {
    TempFolder temp;
    const std::string folder = temp.makeFolder("f");
    ASSERT_TRUE(setDiskTimes(folder, {{1'500'000'000, 999'999'999}, {1'500'000'001, 500'000'000}}));

    FolderHandle handle;
    SystemError error;
    FolderTimes read;
    CreationTimeSource source{};
    ASSERT_TRUE(handle.open(folder, error));
    ASSERT_TRUE(handle.readTimes(read, source, error));
    EXPECT_EQ(read.access, 1'500'000'000);
    EXPECT_EQ(read.modification, 1'500'000'001);
}

TEST(FolderTimes, OpeningFailsWithTheSystemError) {
    TempFolder temp;
    struct Case {
        std::string path;
        int code;
    };
    const Case cases[] = {{temp / "missing", test::kNoSuchFileError},
                          {temp.makeFile("file"), test::kNotAFolderError}};
    for (const auto& c : cases) {
        FolderHandle handle;
        SystemError error;
        EXPECT_FALSE(handle.open(c.path, error)) << c.path;
        EXPECT_EQ(error.code, c.code) << c.path;
        EXPECT_EQ(error.text, systemError(c.code).text);
        EXPECT_FALSE(error.text.empty());
    }
}

TEST(FolderTimes, FollowsALinkToTheFolder) {
    QUORVEL_SKIP_WITHOUT_SYMBOLIC_LINKS();
    TempFolder temp;
    const std::string folder = temp.makeFolder("real");
    const std::string link = temp.makeLink("link", folder);
    FolderHandle handle;
    SystemError error;
    CreationTimeWrite creation{};
    ASSERT_TRUE(handle.open(link, error));
    ASSERT_TRUE(handle.writeTimes({0, 86'400, 172'800}, creation, error));
    ASSERT_TRUE(diskTimes(folder));
    EXPECT_EQ(diskTimes(folder)->modification.seconds, 172'800);
}

}  // namespace
}  // namespace quorvel::platform
