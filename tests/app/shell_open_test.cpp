#include "app/shell_open.h"

#include <gtest/gtest.h>
#include <QStandardPaths>

#include "support/xdg_sandbox.h"

namespace quorvel::app {
namespace {

namespace fs = std::filesystem;
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

// The sandbox, with the system's shared MIME database (but none of its applications).
class SandboxWithMimeDatabase : public test::XdgSandbox {
  protected:
    void SetUp() override {
        QUORVEL_SKIP_WITHOUT_XDG();
        const QString mime =
            QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                                   QStandardPaths::LocateDirectory);
        ASSERT_FALSE(mime.isEmpty()) << "the shared MIME database (shared-mime-info) is missing";
        XdgSandbox::SetUp();
        fs::create_directories(m_root / "shared");
        fs::create_directory_symlink(mime.toStdString(), m_root / "shared/mime");
        test::setEnvironment("XDG_DATA_DIRS", test::utf8String(m_root / "shared"));
    }
};

TEST_F(SandboxWithMimeDatabase, ACsvFileOpensWithTheCsvDefaultWhereNoDesktopIsNamed) {
    const fs::path received = m_root / "received.txt";
    const fs::path recorder = recordingApplication(received);
    write(m_root / "data/applications/sheet.desktop",
          "[Desktop Entry]\nType=Application\nName=S\nExec=" + recorder.string() + " %f\n");
    write(m_root / "config/mimeapps.list", "[Default Applications]\ntext/csv=sheet.desktop\n");
    // file(1), which xdg-mime asks without a desktop name, calls this text/plain.
    const fs::path document = m_root / "出力 結果.csv";
    write(document, "No,x\n1,y\n");

    const platform::ShellOpenResult result =
        openWithAssociatedApplication(QString::fromStdString(document.string()));
    EXPECT_EQ(result.status, platform::ShellOpenStatus::Started);
    EXPECT_EQ(awaitContents(received), "1|" + document.string());
}

}  // namespace
}  // namespace quorvel::app
