// mkdict on a tiny set of sources written by the test: what each dictionary holds and in which
// order, what is dropped and why, and how bad or missing sources are reported.
#include "core/dict/recordfile.h"
#include "platform/files.h"
#include "tools/mkdict/compiler.h"
#include "tools/mkdict/output.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
using namespace tovrin;
using namespace tovrin::mkdict;

namespace {

const gbk::Codec& codec() {
    static const gbk::Codec c;
    return c;
}

std::string utf8(std::string_view gbkBytes) {
    return codec().toUtf8(gbk::trimRight(gbk::decode(gbkBytes)));
}

template <std::size_t N> std::string utf8(const std::array<char, N>& field) {
    return utf8(view(field));
}

std::string trimmed(std::string_view ascii) {
    const auto end = ascii.find_last_not_of(' ');
    return std::string(ascii.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

void writeLines(const fs::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const auto& l : lines)
        out << l << '\n';
}

const std::vector<std::string> kRimeHeader = {"# Rime dictionary", "---", "name: test", "..."};

std::vector<std::string> rimeFile(const std::vector<std::string>& rows) {
    auto lines = kRimeHeader;
    lines.insert(lines.end(), rows.begin(), rows.end());
    return lines;
}

struct HaifengRow {
    std::string phrase;
    long freq;
};

void writeHaifengDb(const fs::path& file, const std::vector<HaifengRow>& rows) {
    fs::remove(file);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE phrases (id INTEGER PRIMARY KEY, tabkeys TEXT, "
                           "phrase TEXT, freq INTEGER, user_freq INTEGER)",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_stmt* insert = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "INSERT INTO phrases (tabkeys, phrase, freq) VALUES ('a', ?, ?)",
                                 -1, &insert, nullptr),
              SQLITE_OK);
    for (const auto& r : rows) {
        sqlite3_bind_text(insert, 1, r.phrase.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 2, r.freq);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    EXPECT_EQ(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// 201 words fit in a group: 好 gets 203, the two least frequent are left out.
std::vector<HaifengRow> crowdedGroup() {
    std::vector<HaifengRow> rows;
    for (int i = 0; i < 203; ++i) {
        // The GB 2312 characters from 0xB0A1 on, as the second character.
        const auto c = static_cast<gbk::Char>(0xB0A1 + (i / 94) * 0x100 + i % 94);
        rows.push_back({"好" + codec().toUtf8(gbk::Text(1, c)), 1000 - i});
    }
    return rows;
}

class TinySources : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "mkdict-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::create_directories(dir_ / "rime");
        fs::create_directories(dir_ / "unihan");
        paths_ = SourcePaths::inFolders(dir_ / "rime", dir_ / "haifeng.db", dir_ / "unihan",
                                        dir_ / "stroke-orders.tsv");
        writeSources();
    }

    // Writes every source afresh.
    void writeSources() {
        writeLines(paths_.strokeOrders,
                   {
                       "我\tsjgiysk",
                       "德\tsssss", // wrong here, right in the rime table
                       "人\tsl", "八\tsl", "齉\tjjjjjjjjjjjjjjj", "丂\tjo", "啊\tkfrgr",
                       "㐀\tj", // not in GBK
                       "。\tk", // not a hanzi
                   });
        writeLines(paths_.strokeTable, rimeFile({
                                           "乃\tzp",
                                           "人\tps",
                                           "德\thhh",
                                           "𠀀\th",
                                           "# 以上詞條源於CNS11643",
                                           "# 以下詞條繼承自原碼表",
                                           "德\tpps",
                                           "北\tshhpz",
                                       }));
        writeLines(paths_.wubiTable, rimeFile({
                                         "# 工\ta\t1",
                                         "丂\tgnv\t1",
                                         "我\ttrnt\t1",
                                         "我\tq\t5",
                                         "我\ttrn\t3",
                                         "我\ttrna\t2",
                                         "我\ttrn\t3",
                                         "我\tzzz\t9",
                                         "人\twwww\t8",
                                         "人\tw\t10",
                                         "八\twty\t450.5\twt",
                                         "的\traqy\t1",
                                         "的\tr\t1",
                                         "的\trqy\t1",
                                         "我们\ttrwu\t100",
                                         "㐀\taaaa\t1",
                                         "。\tabc\t1",
                                         "工\tabcdef\t1",
                                     }));
        writeLines(paths_.pinyinTable, rimeFile({
                                           "张\tzhang\t100",
                                           "涨\tzhang\t90",
                                           "章\tzhang\t80",
                                           "长\tzhang\t80",
                                           "仧\tzhang\t1000",
                                           "张\tzhang\t5",
                                           "长\tchang\t200",
                                           "略\tlue\t10",
                                           "女\tnv\t10",
                                           "虐\tnue\t5",
                                           "驴\tlv\t7",
                                           "张三\tzhang san\t9",
                                           "㐀\tba\t1",
                                           "。\tju\t1",
                                           "的\tzhuangg\t1",
                                           "的\td3\t1",
                                           "的\tde\t50",
                                       }));
        auto haifeng = crowdedGroup();
        haifeng.insert(haifeng.end(), {
                                          {"我们", 100},
                                          {"我国", 90},
                                          {"我的", 90},
                                          {"我们", 120},
                                          {"我", 50},
                                          {"的", 100},
                                          {"人", 50},
                                          {"中国", 10},
                                          {"一个", 5},
                                          {"中华人民共和国", 8},
                                          {"中华人民共和国万岁", 1},
                                          {"ab", 3},
                                          {"我㐀", 7},
                                      });
        writeHaifengDb(paths_.haifengDb, haifeng);
        writeLines(paths_.unihanMappings, {
                                              "# kTGH",
                                              "U+7684\tkTGH\t2013:1",
                                              "U+6211\tkTGH\t2013:2",
                                              "U+4EBA\tkTGH\t2013:3",
                                              "U+516B\tkTGH\t2013:4000",
                                              "U+4E02\tkTGH\t2013:10",
                                              "U+4E00\tkJis0\t1234",
                                          });
        writeLines(paths_.unihanReadings, {
                                              "U+638C\tkMandarin\tzhǎng",
                                              "U+4E02\tkMandarin\tkǎo yú",
                                              "U+5415\tkMandarin\tlǚ",
                                              "U+597D\tkMandarin\thǎo hào",
                                              "U+5452\tkMandarin\tḿ",
                                              "U+5F20\tkMandarin\tzhāng",
                                              "U+5F20\tkDefinition\tstretch",
                                          });
        writeLines(paths_.unihanSources, {
                                             "U+6211\tkTotalStrokes\t7",
                                             "U+4EBA\tkTotalStrokes\t3",
                                         });
    }

    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    Dictionaries compileTiny() { return compile(paths_, codec()); }

    // The message of the SourceError that compiling throws, or "" when it throws none.
    std::string compileError(SourceError::Kind* kind = nullptr, fs::path* file = nullptr) {
        try {
            compileTiny();
        } catch (const SourceError& e) {
            if (kind)
                *kind = e.kind();
            if (file)
                *file = e.file();
            return e.what();
        }
        return {};
    }

    fs::path dir_;
    SourcePaths paths_;
};

// The GBK hanzi: U+4E00-U+9FA5, 21 compatibility ideographs and U+3007.
constexpr std::size_t kHanzi = 20'924;

TEST_F(TinySources, StrokeRecordsTakeTheRightSourceAndSortByFieldThenRank) {
    const auto d = compileTiny();
    ASSERT_EQ(d.strokes.size(), 9u);
    std::vector<std::string> got;
    for (const auto& r : d.strokes)
        got.push_back(utf8(r.character) + " " + trimmed(view(r.strokes)) + " " +
                      std::to_string(r.rank));
    // 的 1 (most frequent), 人 2 and 我 3 (equal frequency, 人 the larger wubi weight), 八 4
    // (second tier), then the rest of GB 2312: 工 5 (it has a wubi weight), then by code from 啊
    // (the first), then the others: 丂 first tier, before 齉.
    const std::vector<std::string> expected = {
        "齉 111111111111 " + std::to_string(d.strokes[0].rank),
        "丂 15 6764",
        "北 21135 " + std::to_string(d.strokes[2].rank),
        "我 3121534 3",
        "德 332 " + std::to_string(d.strokes[4].rank),
        "人 34 2",
        "八 34 4",
        "啊 42525 6",
        "乃 53 " + std::to_string(d.strokes[8].rank),
    };
    EXPECT_EQ(got, expected);
    // GBK order among the characters of the last tier.
    EXPECT_GT(d.strokes[0].rank, 6764);
    EXPECT_LT(d.strokes[2].rank, d.strokes[4].rank); // 北 B1B1 < 德 B5C2
    EXPECT_LT(d.strokes[4].rank, d.strokes[8].rank); // 德 < 乃 C4CB
    EXPECT_LE(d.strokes[8].rank, 6763);

    const Report& r = d.strokesReport;
    EXPECT_EQ(r.noted(note::kFromStrokeOrders), 6u);
    EXPECT_EQ(r.noted(note::kStrokeOrderOverridden), 1u);
    EXPECT_EQ(r.noted(note::kFromMainland), 2u);
    EXPECT_EQ(r.noted(note::kFromTaiwan), 1u);
    EXPECT_EQ(r.noted(note::kCutStrokes), 1u);
    EXPECT_EQ(r.dropped(source::kStrokeOrders, reason::kNotGbk), 1u);
    EXPECT_EQ(r.dropped(source::kStrokeOrders, reason::kNotHanzi), 1u);
    EXPECT_EQ(r.dropped(source::kRimeStroke, reason::kNotGbk), 1u);
    EXPECT_EQ(r.dropped(source::kCharacterSet, reason::kNoStrokes), kHanzi - 9);

    // 人 has 2 strokes but Unihan says 3; 我 agrees; the other common characters have no total.
    const auto& m = d.strokeCountMismatches;
    EXPECT_NE(std::find(m.begin(), m.end(), "人"), m.end());
    EXPECT_EQ(std::find(m.begin(), m.end(), "我"), m.end());
    EXPECT_EQ(m.size(), 6763u - 1);
}

TEST_F(TinySources, CodeRecordsKeepEveryCodeSortedByCharacterLengthAndCode) {
    const auto d = compileTiny();
    std::vector<std::string> got;
    for (const auto& r : d.codes)
        got.push_back(utf8(r.character) + " " + trimmed(view(r.code)));
    // Shorter codes first: RQY before RAQY.
    const std::vector<std::string> expected = {"丂 GNV",  "八 WTY",  "的 R",    "的 RQY",
                                               "的 RAQY", "人 W",    "人 WWWW", "我 Q",
                                               "我 TRN",  "我 TRNA", "我 TRNT"};
    EXPECT_EQ(got, expected);

    const Report& r = d.codesReport;
    EXPECT_EQ(r.dropped(source::kWubi, reason::kDuplicate), 1u);
    EXPECT_EQ(r.dropped(source::kWubi, reason::kHelperCode), 1u);
    EXPECT_EQ(r.dropped(source::kWubi, reason::kWord), 1u);
    EXPECT_EQ(r.dropped(source::kWubi, reason::kNotGbk), 1u);
    EXPECT_EQ(r.dropped(source::kWubi, reason::kNotHanzi), 1u);
    EXPECT_EQ(r.dropped(source::kWubi, reason::kBadCode), 1u);
}

TEST_F(TinySources, PhraseRecordsGroupByFirstCharacterAndKeep201OfAGroup) {
    const auto d = compileTiny();
    std::vector<std::string> got;
    for (const auto& r : d.phrases)
        got.push_back(utf8(r.text));
    ASSERT_EQ(got.size(), 201u + 6);
    // 好 (BAC3) first, its words by falling frequency; the two least frequent are left out.
    const auto crowded = crowdedGroup();
    for (std::size_t i = 0; i < 201; ++i)
        ASSERT_EQ(got[i], crowded[i].phrase) << "word " << i;
    // Then 我 (CED2), 一 (D2BB), 中 (D6D0). 我们 with its larger frequency; 我的 before 我国
    // at equal frequency because 的 has the lower code.
    const std::vector<std::string> rest(got.begin() + 201, got.end());
    EXPECT_EQ(rest,
              (std::vector<std::string>{"我们", "我的", "我国", "一个", "中国", "中华人民共和国"}));

    const Report& r = d.phrasesReport;
    EXPECT_EQ(r.dropped(source::kHaifeng, reason::kGroupFull), 2u);
    EXPECT_EQ(r.dropped(source::kHaifeng, reason::kDuplicate), 1u);
    EXPECT_EQ(r.dropped(source::kHaifeng, reason::kSingleCharacter), 3u);
    EXPECT_EQ(r.dropped(source::kHaifeng, reason::kWordLength), 1u);
    EXPECT_EQ(r.dropped(source::kHaifeng, reason::kNotAllHanzi), 1u);
    EXPECT_EQ(r.dropped(source::kHaifeng, reason::kNotGbk), 1u);
}

TEST_F(TinySources, PinyinRecordsSpellUAsVAndSortByReadingCommonnessWeightRank) {
    const auto d = compileTiny();
    std::vector<std::string> got;
    for (const auto& r : d.pinyin)
        got.push_back(utf8(r.character) + " " + trimmed(view(r.pinyin)));
    // Unihan gives 掌, 丂, 吕, 好 and 呒 their readings, with no weight: 掌 after the weighted
    // common characters, 仧 last for all its weight because it is not in GB 2312.
    const std::vector<std::string> expected = {
        "长 chang", "的 de",    "好 hao",   "丂 kao",   "驴 lv",    "吕 lv",
        "略 lve",   "呒 m",     "女 nv",    "虐 nve",   "丂 yu",    "张 zhang",
        "涨 zhang", "长 zhang", "章 zhang", "掌 zhang", "仧 zhang",
    };
    EXPECT_EQ(got, expected);

    const Report& r = d.pinyinReport;
    EXPECT_EQ(r.noted(note::kFromMandarin), 6u);
    EXPECT_EQ(r.dropped(source::kPinyin, reason::kDuplicate), 1u);
    EXPECT_EQ(r.dropped(source::kMandarin, reason::kDuplicate), 1u);
    EXPECT_EQ(r.dropped(source::kPinyin, reason::kWord), 1u);
    EXPECT_EQ(r.dropped(source::kPinyin, reason::kNotGbk), 1u);
    EXPECT_EQ(r.dropped(source::kPinyin, reason::kNotHanzi), 1u);
    EXPECT_EQ(r.dropped(source::kPinyin, reason::kLongReading), 1u);
    EXPECT_EQ(r.dropped(source::kPinyin, reason::kBadReading), 1u);
    // 张 涨 章 长 仧 略 女 虐 驴 的 from the table, 掌 丂 吕 好 呒 from Unihan.
    EXPECT_EQ(r.dropped(source::kCharacterSet, reason::kNoReading), kHanzi - 15);
}

TEST(CountCheck, FlagsCountsBeyondTheToleranceAndStrokeCountMismatches) {
    Dictionaries d;
    d.strokes.resize(1000);
    d.codes.resize(1000);
    d.phrases.resize(1000);
    d.pinyin.resize(1000);
    Expectations e{1000, 1000, 1000, 1000, 2.0};
    EXPECT_TRUE(checkCounts(d, e).empty());

    d.codes.resize(1020); // 2% off: still fine
    d.pinyin.resize(979); // 2.1% off
    auto problems = checkCounts(d, e);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("vezariPY.dat: 979 records, expected 1000"), std::string::npos)
        << problems[0];

    e.pinyin = 979;
    d.strokeCountMismatches = {"人"};
    problems = checkCounts(d, e);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("人"), std::string::npos) << problems[0];
}

TEST_F(TinySources, MalformedLinesAreReportedWithFileAndLine) {
    const std::size_t firstRow = kRimeHeader.size() + 1;
    struct Case {
        fs::path file;
        std::vector<std::string> lines;
        std::size_t line; // 0: no line
        std::string why;
    };
    const std::vector<Case> cases = {
        {paths_.wubiTable, rimeFile({"我\tq\t5", "人\tw\tten"}), firstRow + 1, "not a number"},
        {paths_.wubiTable, rimeFile({"我\tq"}), firstRow, "no weight"},
        {paths_.wubiTable, rimeFile({"\xE6\x88\tq\t5"}), firstRow, "not UTF-8"},
        {paths_.pinyinTable, rimeFile({"张\tzhang\t100", "张"}), firstRow + 1, "TAB-separated"},
        {paths_.pinyinTable, {"name: test", "张\tzhang\t1"}, 0, "no line \"...\""},
        {paths_.strokeTable, rimeFile({"乃\tzp", "北\tshhpx"}), firstRow + 1, "unknown letter"},
        {paths_.strokeOrders, {"我\tsjgiysk", "", "人\ts1"}, 3, "unknown letter"},
        {paths_.strokeOrders, {"我"}, 1, "stroke letters"},
        {paths_.unihanMappings, {"# kTGH", "U+7684\tkTGH"}, 2, "U+code"},
        {paths_.unihanMappings, {"U+7684\tkTGH\t2013-1"}, 1, "year:index"},
        {paths_.unihanReadings, {"U+XYZW\tkMandarin\tde"}, 1, "bad code point"},
        {paths_.unihanSources, {"U+6211\tkTotalStrokes\tseven"}, 1, "not a number"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.filename().string() + " " + c.why);
        writeSources(); // fresh sources, then one file spoiled
        writeLines(c.file, c.lines);
        SourceError::Kind kind{};
        fs::path file;
        const std::string message = compileError(&kind, &file);
        EXPECT_EQ(kind, SourceError::Kind::Malformed);
        EXPECT_EQ(file, c.file);
        const std::string where =
            c.file.string() + (c.line ? ":" + std::to_string(c.line) : std::string()) + ": ";
        EXPECT_EQ(message.rfind(where, 0), 0u) << message;
        EXPECT_NE(message.find(c.why), std::string::npos) << message;
    }
}

TEST_F(TinySources, HaifengRowThatIsNotTextIsReportedWithItsRowId) {
    writeHaifengDb(paths_.haifengDb, {{"我们", 1}, {"我的", 2}});
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(paths_.haifengDb.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE phrases SET phrase = NULL WHERE id = 2", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string message = compileError();
    EXPECT_EQ(message.rfind(paths_.haifengDb.string() + ":2: ", 0), 0u) << message;

    writeLines(paths_.haifengDb, {"not a database"});
    EXPECT_NE(compileError().find(paths_.haifengDb.string()), std::string::npos);
}

TEST_F(TinySources, EveryMissingSourceIsNamed) {
    for (const auto& missing : paths_.all()) {
        SCOPED_TRACE(missing.string());
        writeSources();
        fs::remove(missing);
        SourceError::Kind kind = SourceError::Kind::Malformed;
        fs::path file;
        const std::string message = compileError(&kind, &file);
        EXPECT_EQ(kind, SourceError::Kind::Missing);
        EXPECT_EQ(file, missing);
        EXPECT_NE(message.find(missing.string()), std::string::npos) << message;
    }
}

TEST_F(TinySources, WriteReplacesAFileThatIsStillOpenWithoutDisturbingIt) {
    const fs::path folder = dir_ / "write";
    fs::create_directory(folder);
    const fs::path file = folder / "vezari.dat";
    mkdict::writeFileAtomically(file, "old contents");
    std::ifstream reader(file, std::ios::binary); // as a reader that has the old file open

    mkdict::writeFileAtomically(file, "new");
    std::string old((std::istreambuf_iterator<char>(reader)), std::istreambuf_iterator<char>());
    EXPECT_EQ(old, "old contents");
    std::ifstream fresh(file, std::ios::binary);
    std::string now((std::istreambuf_iterator<char>(fresh)), std::istreambuf_iterator<char>());
    EXPECT_EQ(now, "new");

    // A folder that does not exist: an error, and nothing left behind.
    EXPECT_THROW(mkdict::writeFileAtomically(folder / "absent" / "x.dat", "x"), std::runtime_error);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"vezari.dat"}) << "a temporary file was left";
}

// The program itself: its exit statuses and messages, and the files it writes.
class MkdictProgram : public TinySources {
protected:
    struct Run {
        int status = -1;
        std::string out, err;
    };

    Run run(const std::string& extra) {
        const fs::path outFile = dir_ / "stdout.txt";
        const fs::path errFile = dir_ / "stderr.txt";
        const std::string command =
            std::string("'") + MKDICT_PROGRAM + "' --rime '" + (dir_ / "rime").string() +
            "' --haifeng '" + paths_.haifengDb.string() + "' --unihan '" +
            (dir_ / "unihan").string() + "' --stroke-orders '" + paths_.strokeOrders.string() +
            "' --out '" + (dir_ / "out").string() + "' " + extra + " >'" + outFile.string() +
            "' 2>'" + errFile.string() + "'";
        Run r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readAll(outFile);
        r.err = readAll(errFile);
        return r;
    }

    static std::string readAll(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(MkdictProgram, WritesTheFourFilesAndReportsCounts) {
    const auto r = run("--no-count-check");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("vezari.dat: 9 records"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("单字GBK.dat: 11 records"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("vezaricz.dat: 207 records"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("vezariPY.dat: 17 records"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("dropped, wubi86.dict.yaml: code begins with z"), std::string::npos);

    const fs::path out = dir_ / "out";
    const auto strokes = RecordFile::fromFile(
        platform::readWholeFile((out / StrokeRecord::kFileName).string()), StrokeRecord::kLength);
    ASSERT_EQ(strokes.count(), 9);
    EXPECT_EQ(strokes.byteSize(), 9 * StrokeRecord::kLength);
    const auto wo = StrokeRecord::read(strokes.record(4));
    EXPECT_EQ(utf8(wo.character), "我");
    EXPECT_EQ(trimmed(view(wo.strokes)), "3121534");
    EXPECT_EQ(wo.rank, 3);
    EXPECT_EQ(RecordFile::fromFile(platform::readWholeFile((out / CodeRecord::kFileName).string()),
                                   CodeRecord::kLength)
                  .count(),
              11);
    EXPECT_EQ(
        RecordFile::fromFile(platform::readWholeFile((out / PhraseRecord::kFileName).string()),
                             PhraseRecord::kLength)
            .count(),
        207);
    const auto pinyin = RecordFile::fromFile(
        platform::readWholeFile((out / PinyinRecord::kFileName).string()), PinyinRecord::kLength);
    ASSERT_EQ(pinyin.count(), 17);
    EXPECT_EQ(trimmed(view(PinyinRecord::read(pinyin.record(6)).pinyin)), "lv"); // 吕 lǚ
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(out))
        ++files;
    EXPECT_EQ(files, 4u);
}

TEST_F(MkdictProgram, FailsWithADistinctStatusForEachKindOfFault) {
    // The tiny counts are far from the full sources': nothing is written.
    auto r = run("");
    EXPECT_EQ(r.status, 5) << r.err;
    EXPECT_NE(r.err.find("vezari.dat: 9 records, expected 20924"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "out" / StrokeRecord::kFileName));

    r = run("--tolerance many");
    EXPECT_EQ(r.status, 2) << r.err;
    r = run("--expect strokes");
    EXPECT_EQ(r.status, 2) << r.err;

    auto lines = rimeFile({"我\tq\t5", "人\tw\tten"});
    writeLines(paths_.wubiTable, lines);
    r = run("--no-count-check");
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find(paths_.wubiTable.string() + ":" + std::to_string(lines.size()) + ":"),
              std::string::npos)
        << r.err;

    fs::remove(paths_.unihanReadings);
    fs::remove(paths_.haifengDb);
    r = run("--no-count-check");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find(paths_.unihanReadings.string()), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(paths_.haifengDb.string()), std::string::npos) << r.err;
}

} // namespace
