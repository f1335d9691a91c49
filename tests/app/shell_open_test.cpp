// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell_open.h"

#include <gtest/gtest.h>

#include "support/xdg_sandbox.h"

namespace quorvel::app {
namespace {

namespace fs = std::filesystem;
using test::XdgSandbox;
using Types = std::vector<std::string>;

TEST(ShellOpen, TypesComeFromTheNameMostSpecificFirst) {
    const struct {
        const char* name;
        Types types;
    } cases[] = {
        {"/no/such/folder/一覧.csv", {"text/csv", "text/plain"}},
        {"/no/such/folder/一覧.CSV", {"text/csv", "text/plain"}},
        {"/no/such/folder/Quorvel.chm", {"application/vnd.ms-htmlhelp"}},
        {"/no/such/folder/a.doc", {"application/msword", "application/x-ole-storage"}},
        {"/no/such/folder/no-extension", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(mimeTypeCandidates(QString::fromUtf8(c.name)), c.types) << c.name;
    }
}

TEST_F(XdgSandbox, ACsvFileOpensWithTheCsvDefaultThoughItsContentReadsAsPlainText) {
    QUORVEL_SKIP_WITHOUT_XDG();
    const fs::path received = m_root / "received.txt";
    const fs::path recorder = recordingApplication(received);
    write(m_root / "data/applications/sheet.desktop",
          "[Desktop Entry]\nType=Application\nName=S\nExec=" + recorder.string() + " %f\n");
    write(m_root / "config/mimeapps.list", "[Default Applications]\ntext/csv=sheet.desktop\n");
    // Too short for its content to tell CSV from plain text: the name decides.
    const fs::path document = m_root / "出力 結果.csv";
    write(document, "No,x\n1,y\n");

    const platform::ShellOpenResult result =
        openWithAssociatedApplication(QString::fromStdString(document.string()));
    EXPECT_EQ(result.status, platform::ShellOpenStatus::Started);
    EXPECT_EQ(awaitContents(received), "1|" + document.string());
}

}  // namespace
}  // namespace quorvel::app
