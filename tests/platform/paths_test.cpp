#include "platform/paths.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

TEST(Paths, OptionFilesLiveBesideAWritableProgram) {
    TempDir program;
    EXPECT_EQ(platform::settingsFolder(program.str()), program.str());
    // The probe leaves nothing behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(program.path()), fs::directory_iterator()), 0);
}

TEST(Paths, AProgramFolderThatCannotBeWrittenFallsBackToTheConfigFolder) {
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    // A folder where no file can be created: one that does not exist, and (for a user other
    // than root, who may write anywhere) one without write permission.
    EXPECT_EQ(platform::settingsFolder((config / "gone").string()), (config / "tovrin").string());
    EXPECT_TRUE(fs::is_directory(config / "tovrin"));
    if (geteuid() != 0) {
        TempDir program;
        chmod(program.path().c_str(), 0555);
        EXPECT_EQ(platform::settingsFolder(program.str()), (config / "tovrin").string());
    }
}

TEST(Paths, JoinUsesOneSlash) {
    EXPECT_EQ(platform::joinPath("/a/b", "c.dat"), "/a/b/c.dat");
    EXPECT_EQ(platform::joinPath("/a/b/", "c.dat"), "/a/b/c.dat");
    EXPECT_EQ(platform::joinPath("/", "c.dat"), "/c.dat");
    EXPECT_EQ(platform::joinPath("", "c.dat"), "c.dat");
}
