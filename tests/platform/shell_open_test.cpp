// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/shell_open.h"

#include <gtest/gtest.h>

#include "platform/desktop_entry.h"
#include "support/xdg_sandbox.h"

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;
using test::XdgSandbox;

// The types the program gives a CSV file: its own, then the type it is a kind of.
const std::vector<std::string> kCsvTypes{"text/csv", "text/plain"};

TEST(DesktopEntry, ExecLinesBecomeArgumentVectors) {
    const DesktopEntry entry{"", "Calc", "calc-icon", "/apps/calc.desktop"};
    const std::string file = "/home/user/売上 一覧.csv";
    const struct {
        std::string exec;
        std::optional<Arguments> expected;
    } cases[] = {
        {"libreoffice --calc %U", Arguments{"libreoffice", "--calc", file}},
        {"mousepad", Arguments{"mousepad", file}},
        {"\"/opt/my app/run\"  --new %f", Arguments{"/opt/my app/run", "--new", file}},
        {R"(sh -c "a \"b\" \$c \\ \`d\`" %f)", Arguments{"sh", "-c", "a \"b\" $c \\ `d`", file}},
        {"app %i %c %k 100%% %d --x=%f", Arguments{"app", "--icon", "calc-icon", "Calc",
                                                   "/apps/calc.desktop", "100%", "--x=" + file}},
        {"app \"\" %F", Arguments{"app", "", file}},
        {"app \"unterminated", std::nullopt},
        {"app \"ends with escape\\", std::nullopt},
        {"", std::nullopt},
        {"%d %D", std::nullopt},
    };
    for (const auto& c : cases) {
        DesktopEntry withExec = entry;
        withExec.exec = c.exec;
        EXPECT_EQ(execArguments(withExec, file), c.expected) << c.exec;
    }
    const DesktopEntry noIcon{"viewer %i %f", "", "", ""};
    EXPECT_EQ(execArguments(noIcon, file), (Arguments{"viewer", file}));
}

TEST_F(XdgSandbox, DesktopFilesAreFoundByIdAndRead) {
    write(m_root / "data/applications/vendor/tool.desktop",
          "# comment\n[Desktop Entry]\nName=Tool\nName[ja]=ツール\nIcon = tool\n"
          "Exec=tool\\s--open %f\n[Desktop Action New]\nExec=tool --new\n");
    const auto file = findDesktopFile("vendor-tool.desktop");
    ASSERT_TRUE(file);
    EXPECT_EQ(*file, (m_root / "data/applications/vendor/tool.desktop").string());
    const auto entry = readDesktopEntry(*file);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->exec, "tool --open %f");
    EXPECT_EQ(entry->name, "Tool");
    EXPECT_EQ(entry->icon, "tool");

    EXPECT_FALSE(findDesktopFile("missing.desktop"));
    EXPECT_FALSE(findDesktopFile("../data/applications/vendor/tool.desktop"));
    write(m_root / "data/applications/noexec.desktop", "[Desktop Entry]\nName=X\n");
    EXPECT_FALSE(readDesktopEntry((m_root / "data/applications/noexec.desktop").string()));
}

TEST_F(XdgSandbox, StartsTheDefaultApplicationWithThePathAsOneArgument) {
    const fs::path received = m_root / "received.txt";
    const fs::path script = recordingApplication(received);
    associateText(script.string() + " %f");
    const fs::path document = m_root / "出力 結果.csv";
    write(document, "No,x\n1,y\n");

    const ShellOpenResult result = openWithAssociatedApplication(document.string(), kCsvTypes);
    EXPECT_EQ(result.status, ShellOpenStatus::Started);
    EXPECT_EQ(result.application, script.string());
    EXPECT_EQ(awaitContents(received), "1|" + document.string());
}

TEST_F(XdgSandbox, ReportsAMissingAssociationApartFromAFailedStart) {
    const fs::path document = m_root / "a.csv";
    write(document, "1,2\n");
    EXPECT_EQ(openWithAssociatedApplication(document.string(), kCsvTypes).status,
              ShellOpenStatus::NoApplication);

    // The desktop tools do not offer an association whose program is not installed.
    associateText("quorvel-no-such-program %f");
    EXPECT_EQ(openWithAssociatedApplication(document.string(), kCsvTypes).status,
              ShellOpenStatus::NoApplication);

    const fs::path broken = unstartableApplication();
    associateText(broken.string());
    const ShellOpenResult result = openWithAssociatedApplication(document.string(), kCsvTypes);
    EXPECT_EQ(result.status, ShellOpenStatus::StartFailed);
    EXPECT_EQ(result.application, broken.string());
}

TEST_F(XdgSandbox, TheFirstOfTheCallersTypesWithAnApplicationOpensTheFile) {
    const fs::path received = m_root / "received.txt";
    const fs::path recorder = recordingApplication(received);
    write(m_root / "data/applications/recorder.desktop",
          "[Desktop Entry]\nType=Application\nName=R\nExec=" + recorder.string() + " %f\n");
    write(m_root / "data/applications/gone.desktop",
          "[Desktop Entry]\nType=Application\nName=G\nExec=quorvel-no-such-program %f\n");
    const fs::path document = m_root / "一覧.csv";
    write(document, "No,x\n1,y\n");
    const struct {
        const char* defaults;
        std::vector<std::string> types;
        ShellOpenStatus status;
    } cases[] = {
        {"text/csv=recorder.desktop", {}, ShellOpenStatus::NoApplication},
        {"text/csv=recorder.desktop", kCsvTypes, ShellOpenStatus::Started},
        {"text/plain=recorder.desktop", kCsvTypes, ShellOpenStatus::Started},
        // Only the caller's types count: the file's content is not asked for another.
        {"text/plain=recorder.desktop",
         {"application/x-quorvel-none"},
         ShellOpenStatus::NoApplication},
        {"text/csv=gone.desktop\ntext/plain=recorder.desktop", kCsvTypes, ShellOpenStatus::Started},
        {"application/vnd.ms-excel=recorder.desktop", kCsvTypes, ShellOpenStatus::NoApplication},
    };
    for (const auto& c : cases) {
        write(m_root / "config/mimeapps.list",
              std::string("[Default Applications]\n") + c.defaults);
        fs::remove(received);
        const ShellOpenResult result = openWithAssociatedApplication(document.string(), c.types);
        EXPECT_EQ(result.status, c.status) << c.defaults << " " << c.types.size();
        if (c.status == ShellOpenStatus::Started) {
            EXPECT_EQ(awaitContents(received), "1|" + document.string()) << c.defaults;
        }
    }
}

}  // namespace
}  // namespace quorvel::platform
