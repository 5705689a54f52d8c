// Option files are written whole or not at all: a writer killed at any moment, a full disk
// and a read-only program folder leave the old file or the new one, never an empty or partial
// one. The full-disk and read-only cases need a small file system of their own: they run when
// TOVRIN_SMALL_FS (a tmpfs of a few KiB) and TOVRIN_READONLY_DIR (a read-only folder) are
// set, which atomicwrite_fs.sh does inside a private mount namespace.
#include "core/lookup/lookupstate.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/programfiles.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

namespace {

// Runs `write` over and over in a child process and kills it with SIGKILL at a random moment,
// `rounds` times; after each kill the file must hold one of `whole` exactly.
void killWriterAtRandom(const fs::path& file, const std::vector<std::string>& whole,
                        const std::function<void(int)>& write, int rounds) {
    std::mt19937 rng(99);
    for (int round = 0; round < rounds; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                write(i);
        }
        usleep(static_cast<useconds_t>(rng() % 3000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = readAll(file);
        EXPECT_NE(std::find(whole.begin(), whole.end(), now), whole.end())
            << "round " << round << ": " << now.size() << " bytes";
    }
}

} // namespace

TEST(AtomicWrite, AKilledWriterLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const fs::path file = dir / "set.txt";
    const std::vector<std::string> whole = {"10102\r\n", std::string(3000, 'x') + "\r\n"};
    ASSERT_EQ(platform::writeFileAtomically(file.string(), whole[0]), "");
    killWriterAtRandom(
        file, whole,
        [&](int i) { (void)platform::writeFileAtomically(file.string(), whole[i % 2]); }, 200);
}

TEST(AtomicWrite, AKilledOptionsPanelLeavesAWholeSetupFile) {
    TempDir dir;
    LookupState s(codec());
    s.start(platform::ProgramFiles(dir.str(), dir.str()).lookupFiles());
    ASSERT_EQ(readAll(dir / "setup.txt"), "000\r\n");
    killWriterAtRandom(
        dir / "setup.txt", {"000\r\n", "114\r\n"},
        [&](int i) {
            s.Command9_Click();
            s.Label42_Click(i % 2);
            s.Label44_Click(i % 2);
            s.Label111_Click(i % 2 ? 4 : 0);
            s.Command14_Click();
        },
        200);
}

TEST(AtomicWrite, AFullDiskKeepsTheOldFile) {
    const char* small = std::getenv("TOVRIN_SMALL_FS");
    if (!small)
        GTEST_SKIP() << "needs a small file system (run through atomicwrite_fs.sh)";
    const std::string file = std::string(small) + "/setup.txt";
    ASSERT_EQ(platform::writeFileAtomically(file, "012\r\n"), "");
    // Fill the rest of the file system.
    {
        std::ofstream filler(std::string(small) + "/filler", std::ios::binary);
        const std::string block(512, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            filler.flush();
    }
    const std::string error = platform::writeFileAtomically(file, std::string(64 * 1024, 'n'));
    EXPECT_NE(error, "");
    EXPECT_EQ(readAll(file), "012\r\n");
    // No temporary file is left behind.
    for (const auto& e : fs::directory_iterator(small))
        EXPECT_TRUE(e.path().filename() == "setup.txt" || e.path().filename() == "filler")
            << e.path();
    // The options still apply, and the failure is told once.
    LookupState s(codec());
    s.start(platform::ProgramFiles(small, small).lookupFiles());
    s.Command9_Click();
    s.Label111_Click(3);
    s.Command14_Click();
    EXPECT_EQ(s.view().sizeMode, 3);
    const auto problems = s.takeProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, LookupState::Problem::Kind::NotWritten);
    EXPECT_EQ(readAll(file), "012\r\n");
}

TEST(AtomicWrite, AReadOnlyProgramFolderKeepsItsOptionsInTheConfigFolder) {
    const char* readOnly = std::getenv("TOVRIN_READONLY_DIR");
    if (!readOnly)
        GTEST_SKIP() << "needs a read-only folder (run through atomicwrite_fs.sh)";
    TempDir config;
    ScopedEnv xdg("XDG_CONFIG_HOME", config.str());
    const std::string settings = platform::settingsFolder(readOnly);
    EXPECT_EQ(settings, (config / "tovrin").string());
    LookupState s(codec());
    s.start(platform::ProgramFiles(readOnly, settings).lookupFiles());
    EXPECT_EQ(readAll(config / "tovrin" / "setup.txt"), "000\r\n");
    EXPECT_FALSE(fs::exists(fs::path(readOnly) / "setup.txt"));
    // What the folder already held still reads.
    EXPECT_EQ(readAll(fs::path(readOnly) / "note.txt"), "kept\n");
}

TEST(AtomicFile, ReplacesWholeOrNotAtAll) {
    TempDir dir;
    const std::string path = (dir / "f.txt").string();
    EXPECT_EQ(platform::writeFileAtomically(path, "old\r\n"), "");
    EXPECT_EQ(readAll(path), "old\r\n");
    EXPECT_EQ(platform::writeFileAtomically(path, "new\r\n"), "");
    EXPECT_EQ(readAll(path), "new\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::others_read);

    // A folder that does not exist: nothing is written and the error says so.
    EXPECT_NE(platform::writeFileAtomically((dir / "none" / "f.txt").string(), "x"), "");
    const FileBytes r = platform::readSmallFile(path, 3);
    EXPECT_EQ(r.status, FileBytes::Status::Ok);
    EXPECT_EQ(r.bytes, "new");
    EXPECT_EQ(platform::readSmallFile((dir / "gone").string()).status, FileBytes::Status::Missing);
}
