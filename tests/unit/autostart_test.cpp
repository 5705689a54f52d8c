#include "autostart.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

// The [Desktop Entry] group of a desktop file as key -> raw value; nullopt when the file does
// not start with that group or holds a line that is neither a comment nor key=value.
std::optional<std::map<std::string, std::string>> desktopEntry(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    std::map<std::string, std::string> keys;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            if (inGroup)
                break;
            if (line != "[Desktop Entry]")
                return std::nullopt;
            inGroup = true;
            continue;
        }
        const auto eq = line.find('=');
        if (!inGroup || eq == std::string::npos || eq == 0 ||
            !keys.emplace(line.substr(0, eq), line.substr(eq + 1)).second)
            return std::nullopt;
    }
    if (!inGroup)
        return std::nullopt;
    return keys;
}

// What a launcher makes of an Exec value: the string escapes first (\s \n \t \r \\), then the
// command line, split into arguments, with quoted arguments unescaped and %% made one percent
// sign. Nullopt for anything a launcher would reject: an unknown escape, an unclosed quote, an
// unquoted reserved character or a field code.
std::optional<std::vector<std::string>> execArguments(std::string_view value) {
    std::string line;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\') {
            line += value[i];
            continue;
        }
        if (++i == value.size())
            return std::nullopt;
        switch (value[i]) {
        case 's':
            line += ' ';
            break;
        case 'n':
            line += '\n';
            break;
        case 't':
            line += '\t';
            break;
        case 'r':
            line += '\r';
            break;
        case '\\':
            line += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (line[i] == '"') {
            for (++i;; ++i) {
                if (i == line.size())
                    return std::nullopt;
                const char c = line[i];
                if (c == '"')
                    break;
                if (c == '\\') {
                    if (i + 1 == line.size() ||
                        std::string_view("\"`$\\").find(line[i + 1]) == std::string_view::npos)
                        return std::nullopt;
                    arg += line[++i];
                } else if (c == '%') {
                    if (i + 1 == line.size() || line[i + 1] != '%')
                        return std::nullopt;
                    arg += line[++i];
                } else {
                    arg += c;
                }
            }
            ++i;
            if (i < line.size() && line[i] != ' ')
                return std::nullopt;
        } else {
            for (; i < line.size() && line[i] != ' '; ++i) {
                if (reserved.find(line[i]) != std::string_view::npos)
                    return std::nullopt;
                if (line[i] == '%') {
                    if (i + 1 == line.size() || line[i + 1] != '%')
                        return std::nullopt;
                    ++i;
                }
                arg += line[i];
            }
        }
        args.push_back(arg);
    }
    return args;
}

} // namespace

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
    EXPECT_FALSE(autostart.isEnabled());

    const std::string program = "/opt/五笔 学习/bin/tovrin";
    ASSERT_TRUE(autostart.enable(program)); // creates the autostart folder
    EXPECT_TRUE(autostart.isEnabled());
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
          "/it's/tovrin", "/a;b&c|d/t*?#()<>~", "/tab\\s\\\\n/x"}) {
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
         {std::string(), std::string("bin/tovrin"), std::string("/a\nb/tovrin"),
          std::string("/a\tb/tovrin"), std::string("/gbk-\xCE\xE5\xB1\xCA/tovrin"),
          std::string("/cut-\xE4\xBA/tovrin")}) {
        SCOPED_TRACE(program);
        EXPECT_FALSE(autostart.enable(program));
        EXPECT_FALSE(autostart.isEnabled());
    }
}

TEST(Autostart, DisableRemovesTheEntryAndFindingNoneIsNoError) {
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    platform::Autostart autostart;
    EXPECT_TRUE(autostart.disable()); // not even the autostart folder exists yet
    ASSERT_TRUE(autostart.enable("/usr/bin/tovrin"));
    EXPECT_TRUE(autostart.disable());
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_TRUE(filesIn(config / "autostart").empty());
    EXPECT_TRUE(autostart.disable());
}

TEST(Autostart, AConfigFolderThatIsAFileFailsWithoutHarm) {
    TempDir config;
    writeFile(config / "file", "not a folder");
    ScopedEnv xdg("XDG_CONFIG_HOME", (config / "file").string());
    platform::Autostart autostart;
    EXPECT_FALSE(autostart.enable("/usr/bin/tovrin"));
    EXPECT_FALSE(autostart.isEnabled());
    EXPECT_TRUE(autostart.disable());
    EXPECT_EQ(readFile(config / "file"), "not a folder");
}
