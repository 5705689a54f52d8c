// The one reader and writer of the program's files, against what a user or a crash leaves
// behind: a dictionary overwritten while the program runs, a named pipe or a folder in place of a
// file, a file far larger than any dictionary, temporary files of a killed writer.
#include "core/dict/recordfile.h"
#include "platform/files.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

TEST(Files, ADictionaryOverwrittenInPlaceKeepsWhatWasRead) {
    TempDir dir;
    const fs::path path = dir / "vezari.dat";
    writeFile(path, std::string(16 * 100, '1'));
    const RecordFile file = RecordFile::fromFile(platform::readWholeFile(path.string()), 16);
    // Cut in place (": > vezari.dat"), then written over with other bytes, under the reader.
    fs::resize_file(path, 0);
    writeFile(path, "x");
    ASSERT_EQ(file.count(), 100);
    EXPECT_EQ(file.record(100), std::string(16, '1'));
}

TEST(Files, AnythingButARegularFileIsRefusedWithoutBlocking) {
    TempDir dir;
    const fs::path fifo = dir / "set.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(dir / "vezari.dat");
    for (const FileBytes& r :
         {platform::readWholeFile(fifo.string()), platform::readSmallFile(fifo.string()),
          platform::readWholeFile((dir / "vezari.dat").string())}) {
        EXPECT_EQ(r.status, FileBytes::Status::Unreadable) << r.path;
        EXPECT_FALSE(r.reason.empty());
    }
}

TEST(Files, AFileLargerThanAnyDictionaryIsRefusedUnread) {
    TempDir dir;
    const fs::path path = dir / "vezaricz.dat";
    writeFile(path, "");
    fs::resize_file(path, std::uintmax_t(40) << 30); // 40 GB, sparse
    const FileBytes r = platform::readWholeFile(path.string());
    EXPECT_EQ(r.status, FileBytes::Status::Unreadable);
    EXPECT_NE(r.reason.find("larger"), std::string::npos) << r.reason;
    EXPECT_TRUE(r.bytes.empty());
}

TEST(Files, LeftoversOfAKilledWriterGoWhenTheFileIsWrittenAgain) {
    TempDir dir;
    const fs::path path = dir / "setup.txt";
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
    // name, mode, old: this writer's and an earlier one's leftovers (mkstemp's mode 0600), and
    // what is not theirs or may still be written.
    const struct {
        const char* name;
        fs::perms mode;
        bool old;
        bool removed;
    } files[] = {
        {"setup.txt.tovrin-aB3xQ9", fs::perms::owner_read, true, true},
        {"setup.txt.k2Z0aQ", fs::perms::owner_read | fs::perms::owner_write, true, true},
        {"setup.txt.tovrin-young1", fs::perms::owner_read, false, false},
        {"setup.txt.backup",
         fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
             fs::perms::others_read,
         true, false},
        {"setup.txt.toolong7", fs::perms::owner_read, true, false},
        {"other.txt.tovrin-aB3xQ9", fs::perms::owner_read, true, false},
    };
    for (const auto& f : files) {
        writeFile(dir / f.name, "left over");
        fs::permissions(dir / f.name, f.mode);
        if (f.old)
            fs::last_write_time(dir / f.name, old);
    }
    ASSERT_EQ(platform::writeFileAtomically(path.string(), "000\r\n"), "");
    for (const auto& f : files)
        EXPECT_EQ(fs::exists(dir / f.name), !f.removed) << f.name;
    EXPECT_EQ(platform::readWholeFile(path.string()).bytes, "000\r\n");
}

TEST(RecordFile, BadFilesHaveNoRecordsAndAReason) {
    TempDir dir;
    const RecordFile missing =
        RecordFile::fromFile(platform::readWholeFile((dir / "none.dat").string()), 16);
    EXPECT_EQ(missing.status(), RecordFile::Status::Missing);
    EXPECT_EQ(missing.count(), 0);
    EXPECT_FALSE(missing.reason().empty());
    EXPECT_FALSE(fs::exists(dir / "none.dat")); // never created

    writeFile(dir / "empty.dat", "");
    const RecordFile empty =
        RecordFile::fromFile(platform::readWholeFile((dir / "empty.dat").string()), 16);
    EXPECT_EQ(empty.status(), RecordFile::Status::Empty);
    EXPECT_TRUE(empty.record(1).empty());

    writeFile(dir / "byte.dat", "x");
    EXPECT_EQ(
        RecordFile::fromFile(platform::readWholeFile((dir / "byte.dat").string()), 16).status(),
        RecordFile::Status::Empty);

    fs::create_directory(dir / "folder.dat");
    const RecordFile folder =
        RecordFile::fromFile(platform::readWholeFile((dir / "folder.dat").string()), 16);
    EXPECT_EQ(folder.status(), RecordFile::Status::Unreadable);
    EXPECT_EQ(folder.count(), 0);

    if (geteuid() != 0) { // root reads every file
        writeFile(dir / "locked.dat", std::string(16, '1'));
        chmod((dir / "locked.dat").c_str(), 0);
        EXPECT_EQ(RecordFile::fromFile(platform::readWholeFile((dir / "locked.dat").string()), 16)
                      .status(),
                  RecordFile::Status::Unreadable);
    }
}
