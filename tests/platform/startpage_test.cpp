// What the promotion's consent writes: the start page into its store, and the launchers on the
// desktop and in the applications menu, all under temporary XDG folders.
#include "platform/shortcuts.h"
#include "platform/startpage.h"
#include "tests/core/testdata.h"
#include "tests/platform/desktopentry_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>
#include <sys/stat.h>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

namespace {

constexpr const char* kPortal = "http://nav.tovrin.example/?542";

// A home folder, config and data folders of the test's own.
class Homes : public testing::Test {
protected:
    TempDir tmp;
    fs::path home = tmp / "home";
    fs::path config = tmp / "config";
    fs::path data = tmp / "data";
    ScopedEnv homeEnv{"HOME", home.string()};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", config.string()};
    ScopedEnv dataEnv{"XDG_DATA_HOME", data.string()};

    void SetUp() override { fs::create_directories(home); }
};

// ---- The start-page store ---------------------------------------------------------------

using StartPageStoreTest = Homes;

TEST_F(StartPageStoreTest, ReadsNothingUntilSomethingIsWritten) {
    platform::StartPageStore store;
    EXPECT_EQ(store.filePath(), (config / "tovrin" / "startpage.txt").string());
    EXPECT_EQ(store.read(), "");
    EXPECT_FALSE(fs::exists(config)); // reading creates nothing

    ASSERT_TRUE(store.write(kPortal));
    EXPECT_EQ(store.read(), kPortal);
    EXPECT_EQ(readFile(config / "tovrin" / "startpage.txt"),
              std::string("start-page=") + kPortal + "\n");
    // The temporary file of the atomic write is gone.
    EXPECT_EQ(filesIn(config / "tovrin"), std::vector<std::string>{"startpage.txt"});

    ASSERT_TRUE(store.write("nav.tovrin.example"));
    EXPECT_EQ(store.read(), "nav.tovrin.example");
    ASSERT_TRUE(store.write(""));
    EXPECT_EQ(store.read(), "");
}

TEST_F(StartPageStoreTest, KeepsTheFilesOtherKeys) {
    fs::create_directories(config / "tovrin");
    writeFile(config / "tovrin" / "startpage.txt",
              "# written by hand\r\nstart-page=http://old.example/\r\nhome-page=x\n");
    platform::StartPageStore store;
    EXPECT_EQ(store.read(), "http://old.example/");
    ASSERT_TRUE(store.write(kPortal));
    EXPECT_EQ(readFile(config / "tovrin" / "startpage.txt"),
              std::string("# written by hand\nstart-page=") + kPortal + "\nhome-page=x\n");
}

TEST_F(StartPageStoreTest, RewritesALargeStoreWhole) {
    // 2,000 other lines, over 100 KB: every one of them is kept.
    fs::create_directories(config / "tovrin");
    std::string others;
    for (int i = 0; i < 2000; ++i)
        others += "key" + std::to_string(i) + "=" + std::string(45, 'v') + "\n";
    writeFile(config / "tovrin" / "startpage.txt", others + "start-page=http://old.example/\n");
    ASSERT_GT(others.size(), 100000u);
    platform::StartPageStore store;
    ASSERT_TRUE(store.write(kPortal));
    EXPECT_EQ(readFile(config / "tovrin" / "startpage.txt"),
              others + "start-page=" + kPortal + "\n");
}

TEST_F(StartPageStoreTest, ReadsTheEmptyTextFromAFileWithoutTheKey) {
    fs::create_directories(config / "tovrin");
    writeFile(config / "tovrin" / "startpage.txt",
              "startpage=http://x.example/\nstart-page http://y.example/\n");
    EXPECT_EQ(platform::StartPageStore().read(), "");
}

TEST_F(StartPageStoreTest, FailsWithoutHarmWhereItCannotWrite) {
    platform::StartPageStore store;
    // A line break would make a second line of the file.
    EXPECT_FALSE(store.write("http://x.example/\nstart-page=http://y.example/"));
    EXPECT_FALSE(store.write("http://x.example/\r"));
    EXPECT_FALSE(fs::exists(config / "tovrin" / "startpage.txt"));

    // The folder cannot be made: a file stands where it would go.
    fs::create_directories(config);
    writeFile(config / "tovrin", "not a folder");
    EXPECT_FALSE(store.write(kPortal));
    EXPECT_EQ(store.read(), "");
    EXPECT_EQ(readFile(config / "tovrin"), "not a folder");

    // The file cannot be replaced: a folder stands in its place. The old state stays, and the
    // temporary file is removed.
    fs::remove(config / "tovrin");
    fs::create_directories(config / "tovrin" / "startpage.txt");
    EXPECT_FALSE(store.write(kPortal));
    EXPECT_EQ(store.read(), "");
    EXPECT_EQ(filesIn(config / "tovrin"), std::vector<std::string>{"startpage.txt"});
    EXPECT_TRUE(fs::is_directory(config / "tovrin" / "startpage.txt"));
}

TEST_F(StartPageStoreTest, FallsBackToTheHomeConfigFolder) {
    for (const std::optional<std::string>& xdg :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative/config")}) {
        ScopedEnv unset("XDG_CONFIG_HOME", xdg);
        platform::StartPageStore store;
        EXPECT_EQ(store.filePath(), (home / ".config" / "tovrin" / "startpage.txt").string());
        ASSERT_TRUE(store.write(kPortal));
        EXPECT_EQ(store.read(), kPortal);
    }
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv noHome("HOME", std::nullopt);
    platform::StartPageStore store;
    EXPECT_EQ(store.filePath(), "");
    EXPECT_EQ(store.read(), "");
    EXPECT_FALSE(store.write(kPortal));
}

// ---- The launchers ----------------------------------------------------------------------

bool executable(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IXUSR);
}

using LaunchersTest = Homes;

TEST_F(LaunchersTest, OpenThePortalInTheBrowserFromTheDesktopAndTheMenu) {
    fs::create_directories(home / "Desktop");
    const auto made = platform::createWebLaunchers(kPortal);
    const fs::path onDesktop = home / "Desktop" / "nav.tovrin.example.desktop";
    const fs::path inMenu = data / "applications" / "nav.tovrin.example.desktop";
    EXPECT_EQ(made, (std::vector<std::string>{onDesktop.string(), inMenu.string()}));
    EXPECT_EQ(filesIn(home / "Desktop"), std::vector<std::string>{"nav.tovrin.example.desktop"});
    EXPECT_EQ(filesIn(data / "applications"),
              std::vector<std::string>{"nav.tovrin.example.desktop"});
    for (const fs::path& p : {onDesktop, inMenu}) {
        SCOPED_TRACE(p.string());
        const auto entry = desktopEntry(readFile(p));
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->at("Type"), "Application");
        EXPECT_EQ(entry->at("Name"), "nav.tovrin.example");
        EXPECT_EQ(execArguments(entry->at("Exec")),
                  (std::vector<std::string>{"xdg-open", kPortal}));
    }
    // Desktops start only launchers marked executable; the menu needs no such mark.
    EXPECT_TRUE(executable(onDesktop));
    EXPECT_FALSE(executable(inMenu));
}

TEST_F(LaunchersTest, QuoteTheAddressForTheCommandLine) {
    fs::create_directories(home / "Desktop");
    for (const char* url : {"http://nav.tovrin.example/?542&from=tovrin",
                            "http://nav.tovrin.example/s?q=%E4%BD%A0&x=%%",
                            "https://nav.tovrin.example:8080/a;b$c`d\\e\"f'g(h)#i*j~k|l<m>"}) {
        SCOPED_TRACE(url);
        const auto made = platform::createWebLaunchers(url);
        ASSERT_EQ(made.size(), 2u);
        for (const std::string& p : made) {
            const auto entry = desktopEntry(readFile(p));
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->at("Name"), "nav.tovrin.example");
            EXPECT_EQ(execArguments(entry->at("Exec")),
                      (std::vector<std::string>{"xdg-open", url}));
        }
    }
}

TEST_F(LaunchersTest, FollowTheDesktopOfUserDirs) {
    fs::create_directories(home / "Desktop");
    fs::create_directories(home / "Schreibtisch");
    fs::create_directories(tmp / "elsewhere");
    fs::create_directories(config);
    const std::vector<std::pair<std::string, std::optional<fs::path>>> rows = {
        {"XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n", home / "Schreibtisch"},
        {"# comment\nXDG_MUSIC_DIR=\"$HOME/Music\"\n  XDG_DESKTOP_DIR=\"" +
             (tmp / "elsewhere").string() + "\"\n",
         tmp / "elsewhere"},
        // The desktop turned off by pointing it at the home folder: no launcher there.
        {"XDG_DESKTOP_DIR=\"$HOME/\"\n", std::nullopt},
        {"XDG_DESKTOP_DIR=\"$HOME\"\n", std::nullopt},
        // Not in the form the user-dirs tools write: the usual desktop.
        {"XDG_DESKTOP_DIR=Schreibtisch\n", home / "Desktop"},
        {"XDG_DESKTOP_DIR=\"~/Schreibtisch\"\n", home / "Desktop"},
        {"", home / "Desktop"},
    };
    for (const auto& [dirs, desktop] : rows) {
        SCOPED_TRACE(dirs);
        writeFile(config / "user-dirs.dirs", dirs);
        const auto made = platform::createWebLaunchers(kPortal);
        const std::string menu = (data / "applications" / "nav.tovrin.example.desktop").string();
        if (desktop) {
            EXPECT_EQ(platform::desktopFolder(), desktop->string());
            EXPECT_EQ(made, (std::vector<std::string>{
                                (*desktop / "nav.tovrin.example.desktop").string(), menu}));
            fs::remove(*desktop / "nav.tovrin.example.desktop");
        } else {
            EXPECT_EQ(platform::desktopFolder(), "");
            EXPECT_EQ(made, std::vector<std::string>{menu});
        }
    }
    EXPECT_TRUE(filesIn(home / "Desktop").empty());
    EXPECT_TRUE(filesIn(home / "Schreibtisch").empty());
}

TEST_F(LaunchersTest, UseTheChineseDesktopFolderWhenItExists) {
    fs::create_directories(home / "Desktop");
    fs::create_directories(home / "桌面");
    EXPECT_EQ(platform::createWebLaunchers(kPortal),
              (std::vector<std::string>{
                  (home / "Desktop" / "nav.tovrin.example.desktop").string(),
                  (home / "桌面" / "nav.tovrin.example.desktop").string(),
                  (data / "applications" / "nav.tovrin.example.desktop").string()}));
    EXPECT_TRUE(executable(home / "桌面" / "nav.tovrin.example.desktop"));

    // When it is the desktop itself, it gets one launcher, not two.
    fs::remove(home / "桌面" / "nav.tovrin.example.desktop");
    fs::create_directories(config);
    writeFile(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    EXPECT_EQ(platform::createWebLaunchers(kPortal),
              (std::vector<std::string>{
                  (home / "桌面" / "nav.tovrin.example.desktop").string(),
                  (data / "applications" / "nav.tovrin.example.desktop").string()}));
}

TEST_F(LaunchersTest, EachStepGoesOnWhenAnEarlierOneFailed) {
    const std::string menu = (data / "applications" / "nav.tovrin.example.desktop").string();
    // No desktop folder: it is not made up, and the menu entry is still written.
    EXPECT_EQ(platform::createWebLaunchers(kPortal), std::vector<std::string>{menu});
    EXPECT_FALSE(fs::exists(home / "Desktop"));

    // A desktop where the launcher cannot be written.
    fs::create_directories(home / "Desktop" / "nav.tovrin.example.desktop");
    fs::create_directories(home / "桌面");
    EXPECT_EQ(
        platform::createWebLaunchers(kPortal),
        (std::vector<std::string>{(home / "桌面" / "nav.tovrin.example.desktop").string(), menu}));
    EXPECT_TRUE(filesIn(home / "Desktop") ==
                std::vector<std::string>{"nav.tovrin.example.desktop"});

    // A menu folder that cannot be made: the desktops still get theirs.
    fs::remove_all(home / "Desktop");
    fs::create_directories(home / "Desktop");
    fs::remove_all(data);
    writeFile(data, "not a folder");
    EXPECT_EQ(platform::createWebLaunchers(kPortal),
              (std::vector<std::string>{(home / "Desktop" / "nav.tovrin.example.desktop").string(),
                                        (home / "桌面" / "nav.tovrin.example.desktop").string()}));
}

TEST_F(LaunchersTest, AreMadeOnlyForAWebAddressWithAPlainHost) {
    fs::create_directories(home / "Desktop");
    const std::vector<std::pair<std::string, std::string>> hosts = {
        {"http://nav.tovrin.example/?542", "nav.tovrin.example"},
        {"HTTPS://Nav.Tovrin.Example:8080", "nav.tovrin.example"},
        {"http://nav.tovrin.example#top", "nav.tovrin.example"},
        {"http://nav.tovrin.example?x", "nav.tovrin.example"},
        {"http://user@nav.tovrin.example/", ""},
        {"http://nav.tovrin.example:80x/", ""},
        {"http://../x", ""},
        {"http://.tovrin.example/", ""},
        {"http:///x", ""},
        {"http://[::1]/", ""},
        {"http://nav tovrin.example/", ""},
        {"http://nav.tovrin.example/a b", ""},
        {"http://nav.tovrin.example/\n", ""},
        {"http://导航.example/", ""},
        {"file:///etc/hosts", ""},
        {"nav.tovrin.example", ""},
        {"", ""},
    };
    for (const auto& [url, host] : hosts) {
        SCOPED_TRACE(url);
        EXPECT_EQ(platform::webHost(url), host);
        if (host.empty()) {
            EXPECT_TRUE(platform::createWebLaunchers(url).empty());
        }
    }
    EXPECT_TRUE(filesIn(home / "Desktop").empty());
    EXPECT_FALSE(fs::exists(data / "applications"));
}

TEST_F(LaunchersTest, DefaultToTheHomeFolders) {
    ScopedEnv noConfig("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnv relativeData("XDG_DATA_HOME", "relative/data");
    fs::create_directories(home / "Desktop");
    EXPECT_EQ(platform::applicationsFolder(), (home / ".local/share/applications").string());
    EXPECT_EQ(platform::createWebLaunchers(kPortal),
              (std::vector<std::string>{
                  (home / "Desktop" / "nav.tovrin.example.desktop").string(),
                  (home / ".local/share/applications/nav.tovrin.example.desktop").string()}));
}

} // namespace
