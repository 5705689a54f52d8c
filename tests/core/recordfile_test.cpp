#include "core/recordfile.h"
#include "core/records.h"
#include "platform/files.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

using namespace tovrin;
namespace fs = std::filesystem;

using testdata::TempDir;
using testdata::writeFile;

TEST(RecordFile, CountRoundsHalvesToEven) {
    EXPECT_EQ(recordCount(160000, 16), 10000);
    EXPECT_EQ(recordCount(160008, 16), 10000); // exactly half a record: 10000 is even
    EXPECT_EQ(recordCount(160009, 16), 10001);
    EXPECT_EQ(recordCount(160007, 16), 10000);
    EXPECT_EQ(recordCount(24, 16), 2); // 1.5 rounds to the even 2
    EXPECT_EQ(recordCount(8, 16), 0);  // 0.5 rounds to the even 0
    EXPECT_EQ(recordCount(9, 16), 1);
    EXPECT_EQ(recordCount(0, 16), 0);
    EXPECT_EQ(recordCount(3, 6), 0);
    EXPECT_EQ(recordCount(9, 6), 2);
    EXPECT_EQ(recordCount(std::uint64_t(1) << 40, 1), 2147483647); // capped, never negative
}

TEST(RecordFile, ReadsWholePartialAndMissingRecords) {
    std::string bytes;
    for (char c = 'a'; c < 'a' + 3; ++c)
        bytes += std::string(16, c);
    bytes += "xyzxyzxyz"; // 9 bytes: more than half a record, so it counts
    const RecordFile f = RecordFile::fromBytes(bytes, 16);
    ASSERT_EQ(f.count(), 4);
    EXPECT_EQ(f.status(), RecordFile::Status::Ok);
    EXPECT_EQ(f.record(1), std::string(16, 'a'));
    EXPECT_EQ(f.record(3), std::string(16, 'c'));
    EXPECT_EQ(f.record(4), "xyzxyzxyz");
    EXPECT_TRUE(f.record(0).empty());
    EXPECT_TRUE(f.record(5).empty());
    EXPECT_TRUE(f.record(-1).empty());
    EXPECT_TRUE(f.record(std::int64_t(1) << 40).empty());

    // Both a partial and a missing record read as blanks: spaces and rank 0.
    const StrokeRecord partial = StrokeRecord::read(f.record(4));
    EXPECT_EQ(std::string(view(partial.strokes)), "zxyzxyz     ");
    EXPECT_EQ(partial.rank, 0);
    const StrokeRecord past = StrokeRecord::read(f.record(99));
    EXPECT_EQ(std::string(view(past.character)), "  ");
    EXPECT_EQ(std::string(view(past.strokes)), std::string(12, ' '));
    EXPECT_EQ(past.rank, 0);
}

TEST(RecordFile, RecordLayoutsRoundTrip) {
    StrokeRecord s;
    s.character = {'\xCE', '\xD2'};
    ASSERT_TRUE(writeField(s.strokes.data(), s.strokes.size(), "3121534"));
    s.rank = -2; // stored as two's complement, little-endian
    const auto sb = s.bytes();
    EXPECT_EQ(std::string(sb.data(), sb.size()), std::string("\xCE\xD2"
                                                             "3121534     \xFE\xFF",
                                                             16));
    const StrokeRecord s2 = StrokeRecord::read({sb.data(), sb.size()});
    EXPECT_EQ(s2.rank, -2);
    EXPECT_EQ(firstChar(s2.character), 0xCED2);

    s.rank = 6763;
    const auto sb2 = s.bytes();
    EXPECT_EQ(static_cast<unsigned char>(sb2[14]), 6763 & 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(sb2[15]), 6763 >> 8);

    CodeRecord c{{'\xCE', '\xD2'}, {'T', 'R', 'N', 'T'}};
    const auto cb = c.bytes();
    EXPECT_EQ(std::string(cb.data(), cb.size()), "\xCE\xD2TRNT");
    EXPECT_FALSE(writeField(c.code.data(), c.code.size(), "TRNTX"));

    PinyinRecord p = PinyinRecord::read("\xD5\xC5zhang");
    EXPECT_EQ(std::string(view(p.pinyin)), "zhang ");
    EXPECT_EQ(firstChar(PhraseRecord::read("a").text), u'a');
    EXPECT_EQ(firstChar(PhraseRecord::read("").text), u' ');
}

TEST(RecordFile, OpensAndMapsAFile) {
    TempDir dir;
    writeFile(dir / "d.dat", std::string(48, '1') + std::string(8, '2'));
    const RecordFile f = RecordFile::fromFile(readWholeFile((dir / "d.dat").string()), 16);
    EXPECT_EQ(f.status(), RecordFile::Status::Ok);
    EXPECT_EQ(f.count(), 4); // 56 bytes: 3.5 records round to the even 4
    EXPECT_EQ(f.record(4), std::string(8, '2'));

    // Moving keeps the mapping alive in the new owner.
    RecordFile moved = RecordFile::fromFile(readWholeFile((dir / "d.dat").string()), 16);
    RecordFile other = std::move(moved);
    EXPECT_EQ(other.record(1), std::string(16, '1'));
    EXPECT_EQ(moved.count(), 0);
}

TEST(RecordFile, BadFilesHaveNoRecordsAndAReason) {
    TempDir dir;
    const RecordFile missing = RecordFile::fromFile(readWholeFile((dir / "none.dat").string()), 16);
    EXPECT_EQ(missing.status(), RecordFile::Status::Missing);
    EXPECT_EQ(missing.count(), 0);
    EXPECT_FALSE(missing.reason().empty());
    EXPECT_FALSE(fs::exists(dir / "none.dat")); // never created

    writeFile(dir / "empty.dat", "");
    const RecordFile empty = RecordFile::fromFile(readWholeFile((dir / "empty.dat").string()), 16);
    EXPECT_EQ(empty.status(), RecordFile::Status::Empty);
    EXPECT_TRUE(empty.record(1).empty());

    writeFile(dir / "byte.dat", "x");
    EXPECT_EQ(RecordFile::fromFile(readWholeFile((dir / "byte.dat").string()), 16).status(),
              RecordFile::Status::Empty);

    fs::create_directory(dir / "folder.dat");
    const RecordFile folder =
        RecordFile::fromFile(readWholeFile((dir / "folder.dat").string()), 16);
    EXPECT_EQ(folder.status(), RecordFile::Status::Unreadable);
    EXPECT_EQ(folder.count(), 0);

    if (geteuid() != 0) { // root reads every file
        writeFile(dir / "locked.dat", std::string(16, '1'));
        chmod((dir / "locked.dat").c_str(), 0);
        EXPECT_EQ(RecordFile::fromFile(readWholeFile((dir / "locked.dat").string()), 16).status(),
                  RecordFile::Status::Unreadable);
    }
}

TEST(RecordFile, AMappedFileSurvivesARenameOverIt) {
    TempDir dir;
    writeFile(dir / "d.dat", std::string(32, 'o'));
    const RecordFile f = RecordFile::fromFile(readWholeFile((dir / "d.dat").string()), 16);
    writeFile(dir / "d.tmp", std::string(64, 'n'));
    fs::rename(dir / "d.tmp", dir / "d.dat");
    EXPECT_EQ(f.count(), 2);
    EXPECT_EQ(f.record(2), std::string(16, 'o'));
}
