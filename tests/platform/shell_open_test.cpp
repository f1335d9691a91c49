#include "platform/shell_open.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/desktop_entry.h"

namespace quorvel::platform {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

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

// A scratch folder with its own XDG data and configuration folders, so that the desktop's
// real associations play no part.
class XdgSandbox : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() /
                 ("quorvel-shell-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_root);
        fs::create_directories(m_root / "data/applications");
        fs::create_directories(m_root / "config");
        fs::create_directories(m_root / "empty");
        ::setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (m_root / "empty").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", (m_root / "empty").c_str(), 1);
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID"}) {
            ::unsetenv(name);
        }
    }
    void TearDown() override { fs::remove_all(m_root); }

    void write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    // Makes text/plain files open with the given Exec line.
    void associateText(const std::string& exec) {
        write(m_root / "config/mimeapps.list",
              "[Default Applications]\ntext/plain=qtest.desktop\n");
        write(m_root / "data/applications/qtest.desktop",
              "[Desktop Entry]\nType=Application\nName=Q\nExec=" + exec + "\n");
    }

    fs::path m_root;
};

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
    const fs::path script = m_root / "app.sh";
    const fs::path received = m_root / "received.txt";
    write(script, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + received.string() +
                      ".tmp'\nmv '" + received.string() + ".tmp' '" + received.string() + "'\n");
    fs::permissions(script, fs::perms::owner_all);
    associateText(script.string() + " %f");
    const fs::path document = m_root / "出力 結果.csv";
    write(document, "No,x\n1,y\n");

    const ShellOpenResult result = openWithAssociatedApplication(document.string());
    EXPECT_EQ(result.status, ShellOpenStatus::Started);
    EXPECT_EQ(result.application, script.string());
    for (int i = 0; i < 500 && !fs::exists(received); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(received);
    const std::string arguments((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(arguments, "1|" + document.string());
}

TEST_F(XdgSandbox, ReportsAMissingAssociationApartFromAFailedStart) {
    const fs::path document = m_root / "a.csv";
    write(document, "1,2\n");
    EXPECT_EQ(openWithAssociatedApplication(document.string()).status,
              ShellOpenStatus::NoApplication);

    // The desktop tools do not offer an association whose program is not installed.
    associateText("quorvel-no-such-program %f");
    EXPECT_EQ(openWithAssociatedApplication(document.string()).status,
              ShellOpenStatus::NoApplication);

    const fs::path noInterpreter = m_root / "broken.sh";
    write(noInterpreter, "#!/quorvel/no/such/shell\n");
    fs::permissions(noInterpreter, fs::perms::owner_all);
    associateText(noInterpreter.string());
    const ShellOpenResult result = openWithAssociatedApplication(document.string());
    EXPECT_EQ(result.status, ShellOpenStatus::StartFailed);
    EXPECT_EQ(result.application, noInterpreter.string());
}

}  // namespace
}  // namespace quorvel::platform
