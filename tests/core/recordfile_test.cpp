#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <string>

using namespace tovrin;

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

TEST(RecordFile, TakesAFileAsRead) {
    const FileBytes bytes = FileBytes::of(std::string(48, '1') + std::string(8, '2'), "d.dat");
    const RecordFile f = RecordFile::fromFile(bytes, 16);
    EXPECT_EQ(f.status(), RecordFile::Status::Ok);
    EXPECT_EQ(f.path(), "d.dat");
    EXPECT_EQ(f.count(), 4); // 56 bytes: 3.5 records round to the even 4
    EXPECT_EQ(f.record(4), std::string(8, '2'));

    // Moving keeps the records alive in the new owner.
    RecordFile moved = RecordFile::fromFile(bytes, 16);
    RecordFile other = std::move(moved);
    EXPECT_EQ(other.record(1), std::string(16, '1'));
    EXPECT_EQ(moved.count(), 0);
}
