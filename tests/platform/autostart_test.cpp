#include "platform/autostart.h"
#include "tests/core/testdata.h"
#include "tests/platform/desktopentry_reader.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

namespace {} // namespace

TEST(Autostart, TheEntryLivesInTheUsersAutostartFolder) {
    TempDir home;
    ScopedEnv homeVar("HOME", home.str());
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "/somewhere/config");
        EXPECT_EQ(platform::Autostart().entryPath(), "/somewhere/config/autostart/Tovrin.desktop");
    }
    const std::string fallback = (home / ".config/autostart/Tovrin.desktop").string();
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(platform::Autostart().entryPath(), fallback);
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config"); // not absolute: ignored
        EXPECT_EQ(platform::Autostart().entryPath(), fallback);
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(platform::Autostart().entryPath(), fallback);
    }
}

TEST(Autostart, EnableWritesAnEntryThatRunsTheProgram) {
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    platform::Autostart autostart;
    EXPECT_FALSE(std::filesystem::is_regular_file(autostart.entryPath()));

    const std::string program = "/opt/五笔 学习/bin/tovrin";
    ASSERT_TRUE(autostart.enable(program)); // creates the autostart folder
    EXPECT_TRUE(std::filesystem::is_regular_file(autostart.entryPath()));
    EXPECT_EQ(filesIn(config / "autostart"), std::vector<std::string>{"Tovrin.desktop"});

    const auto entry = desktopEntry(readFile(config / "autostart/Tovrin.desktop"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->at("Type"), "Application");
    EXPECT_EQ(entry->at("Name"), "Tovrin");
    EXPECT_EQ(entry->at("X-GNOME-Autostart-enabled"), "true");
    EXPECT_EQ(entry->at("Exec"), "\"/opt/五笔 学习/bin/tovrin\"");
    EXPECT_EQ(execArguments(entry->at("Exec")), std::vector<std::string>{program});
    EXPECT_EQ(entry->at("TryExec"), program);

    // Enabling again replaces the entry whole.
    ASSERT_TRUE(autostart.enable("/usr/bin/tovrin"));
    EXPECT_EQ(desktopEntry(readFile(config / "autostart/Tovrin.desktop"))->at("Exec"),
              "\"/usr/bin/tovrin\"");
    EXPECT_EQ(filesIn(config / "autostart"), std::vector<std::string>{"Tovrin.desktop"});
}

TEST(Autostart, EveryReservedCharacterReachesTheProgramUnchanged) {
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    platform::Autostart autostart;
    for (const char* program :
         {"/a\"b/tovrin", "/$HOME/tovrin", "/back\\slash/tovrin", "/tick`/tovrin", "/100%/tovrin",
          "/it's/tovrin", "/a;b&c|d/t*?#()<>~", "/tab\\s\\\\n/x", "/a\nb/tovrin",
          "/a\tb\rc/tovrin"}) {
        SCOPED_TRACE(program);
        ASSERT_TRUE(autostart.enable(program));
        const auto entry = desktopEntry(readFile(autostart.entryPath()));
        ASSERT_TRUE(entry);
        EXPECT_EQ(execArguments(entry->at("Exec")), std::vector<std::string>{program});
    }
    // One written out: the launcher's two unescapings turn \\ into \ twice.
    ASSERT_TRUE(autostart.enable("/x\"$\\%/tovrin"));
    EXPECT_EQ(desktopEntry(readFile(autostart.entryPath()))->at("Exec"),
              "\"/x\\\\\"\\\\$\\\\\\\\%%/tovrin\"");
}

TEST(Autostart, APathThatNoEntryCanHoldIsRefused) {
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    platform::Autostart autostart;
    for (const std::string& program :
         {std::string(), std::string("bin/tovrin"), std::string("/bell\a/tovrin"),
          std::string("/gbk-\xCE\xE5\xB1\xCA/tovrin"), std::string("/cut-\xE4\xBA/tovrin")}) {
        SCOPED_TRACE(program);
        EXPECT_FALSE(autostart.enable(program));
        EXPECT_FALSE(std::filesystem::is_regular_file(autostart.entryPath()));
    }
}

TEST(Autostart, DisableRemovesTheEntryAndFindingNoneIsNoError) {
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    platform::Autostart autostart;
    EXPECT_TRUE(autostart.disable()); // not even the autostart folder exists yet
    ASSERT_TRUE(autostart.enable("/usr/bin/tovrin"));
    EXPECT_TRUE(autostart.disable());
    EXPECT_FALSE(std::filesystem::is_regular_file(autostart.entryPath()));
    EXPECT_TRUE(filesIn(config / "autostart").empty());
    EXPECT_TRUE(autostart.disable());
}

TEST(Autostart, AConfigFolderThatIsAFileFailsWithoutHarm) {
    TempDir config;
    writeFile(config / "file", "not a folder");
    ScopedEnv xdg("XDG_CONFIG_HOME", (config / "file").string());
    platform::Autostart autostart;
    EXPECT_FALSE(autostart.enable("/usr/bin/tovrin"));
    EXPECT_FALSE(std::filesystem::is_regular_file(autostart.entryPath()));
    EXPECT_TRUE(autostart.disable());
    EXPECT_EQ(readFile(config / "file"), "not a folder");
}
