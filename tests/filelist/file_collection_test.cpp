// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist/file_collection.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "filelist/file_kind_filters.h"
#include "support/file_access.h"
#include "support/symbolic_links.h"

namespace quorvel::filelist {
namespace {

namespace fs = std::filesystem;

TEST(FileCollection, WildcardsMatchWholeNamesWithoutRegardToCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.doc", "report.doc", true},
        {"*.doc", "REPORT.DOC", true},
        {"*.doc", "report.docx", false},
        {"*.doc", "report.doc.bak", false},
        {"*jtd", "reportjtd", true},
        {"*.jtd", "reportjtd", false},
        {"?.doc", "あ.doc", true},
        {"??.doc", "あ.doc", false},
        {"*.*", "README", true},
        {"*.*", "a.b", true},
        {"*", "anything", true},
        {"", "a", false},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbYcZ", false},
        {"*a*a", "aaa", true},
        {"Ｒ*.xls", "ｒ1.xls", true},
        {" *.doc", "a.doc", false},
        {"\xff*.doc",
         "\xff"
         "a.doc",
         true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(matchesWildcard(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(FileCollection, KindsSplitIntoPiecesAsTheyStand) {
    using Pieces = std::vector<std::string>;
    EXPECT_EQ(splitKinds("*.doc;;*.xls"), (Pieces{"*.doc", "", "*.xls"}));
    EXPECT_EQ(splitKinds(";*.doc; *.xls;"), (Pieces{"", "*.doc", " *.xls"}));
    EXPECT_EQ(splitKinds(""), Pieces{});
    EXPECT_EQ(splitKinds(";"), Pieces{""});
}

class FolderWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("quorvel_walk_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root);
    }
    void TearDown() override {
        fs::permissions(m_root / "A" / ".r.doc", fs::perms::owner_write, fs::perm_options::add,
                        m_ec);
        fs::remove_all(m_root, m_ec);
    }
    std::string path(const std::string& relative) const { return (m_root / relative).string(); }
    void touch(const std::string& relative) const { std::ofstream(m_root / relative) << "x"; }

    fs::path m_root;
    std::error_code m_ec;
};

TEST_F(FolderWalk, SubfolderFilesComeFirstAndEveryFolderIsEnteredOnce) {
    QUORVEL_SKIP_WITHOUT_SYMBOLIC_LINKS();
    for (const char* folder : {"A/B/D", "A/C", "A/E", "elsewhere"}) {
        fs::create_directories(m_root / folder);
    }
    for (const char* file : {"A/a1.doc", "A/a2.xls", "A/B/b1.doc", "A/B/D/d.DOC", "A/C/c.doc",
                             "A/.h.doc", "A/.r.doc", "elsewhere/x.doc", "A/notes.txt"}) {
        touch(file);
    }
    fs::permissions(m_root / "A" / ".r.doc", fs::perms::owner_write, fs::perm_options::remove);
    ASSERT_TRUE(quorvel::test::makeFifo(path("A/pipe.doc")));
    fs::create_directory_symlink(m_root / "A", m_root / "A/B/D/up");  // back to an ancestor
    fs::create_directory_symlink(m_root / "elsewhere", m_root / "A/E/link");
    fs::create_symlink(m_root / "elsewhere/x.doc", m_root / "A/C/linked.doc");

    EXPECT_EQ(GatherSubfolders(path("A")),
              (std::vector<std::string>{path("A/B"), path("A/B/D"), path("A/C"), path("A/E"),
                                        path("A/E/link")}));
    EXPECT_EQ(CollectFolderFiles(path("A"), "*.doc"),
              (std::vector<std::string>{path("A/B/b1.doc"), path("A/B/D/d.DOC"), path("A/C/c.doc"),
                                        path("A/C/linked.doc"), path("A/E/link/x.doc"),
                                        path("A/.r.doc"), path("A/a1.doc")}));
    EXPECT_EQ(CollectFolderFiles(path("A/"), "*.xls"), std::vector<std::string>{path("A/a2.xls")});
    EXPECT_TRUE(CollectFolderFiles(path("A"), "").empty());
    EXPECT_TRUE(CollectFolderFiles(path("missing"), "*.*").empty());
}

TEST(FileKindFilters, RememberedEntrySwapsToTheFront) {
    const FileKindFilterTable plain = buildFileKindFilters({});
    EXPECT_EQ(plain[0], QStringLiteral("WORD File(*.doc)|*.doc"));
    constexpr std::size_t last = kFileKindFilterCount - 1;
    EXPECT_EQ(plain[last], QStringLiteral("All Files (*.*)|*.*"));
    EXPECT_EQ(buildFileKindFilters(QStringLiteral("no such entry")), plain);

    const FileKindFilterTable swapped = buildFileKindFilters(QStringLiteral("all files (*.*)|*.*"));
    EXPECT_EQ(swapped[0], plain[last]);
    EXPECT_EQ(swapped[last], plain[0]);
    for (std::size_t i = 1; i < last; ++i) {
        EXPECT_EQ(swapped[i], plain[i]);
    }
}

TEST(FileKindFilters, QtNameFiltersCarryTheRealPatterns) {
    const FileKindFilterTable table = buildFileKindFilters({});
    const QStringList filters = toQtNameFilters(table);
    ASSERT_EQ(filters.size(), 18);
    EXPECT_EQ(filters[0], QStringLiteral("WORD File(*.doc) (*.doc)"));
    EXPECT_EQ(filters[1], QStringLiteral("EXCEL File(*.xls;) (*.xls)"));
    EXPECT_EQ(filters[11],
              QStringLiteral("一太郎/EXCEL/PowerPoint File(*jtd;*.xls;*.ppt;) (*jtd *.xls *.ppt)"));
    EXPECT_EQ(filters[14], QStringLiteral("WORD/EXCEL/PowerPoint File(*.docx;*.xlsx;*.pptx;) "
                                          "(*.docx *.xlsx *.pptx)"));
    EXPECT_EQ(filters[15],
              QStringLiteral("OpenDocument File(*.odt;*.ods;*.odp;) (*.odt *.ods *.odp)"));
    EXPECT_EQ(filters[16], QStringLiteral("PDF File(*.pdf;) (*.pdf)"));
    EXPECT_EQ(filters[17], QStringLiteral("All Files (*.*) (*)"));
}

}  // namespace
}  // namespace quorvel::filelist
