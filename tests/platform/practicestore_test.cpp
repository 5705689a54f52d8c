// The practice store on real SQLite files in folders of the test's own. practicestore_fs.sh
// shows one folder twice, TOVRIN_WRITABLE_VIEW and TOVRIN_READONLY_VIEW.
#include "platform/practicestore.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

using namespace tovrin;
using platform::PracticeStore;
using practice::Millis;
using testdata::TempDir;
namespace fs = std::filesystem;

namespace {

constexpr Millis kStart = 1796724000000; // 2026-12-08T10:00:00Z
constexpr Millis kMinute = 60'000;

std::string bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs SQL on the file through a connection of the test's own.
void sql(const fs::path& file, const char* statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statements, nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
}

const PracticeStore::Answer kRight{1200, "trnt", "trnt", true};

// A store the file cannot hold any more: told once, naming the file; practice still works.
void expectWorksWithoutSaving(PracticeStore& store, const std::string& path,
                              const std::string& what) {
    EXPECT_FALSE(store.saving());
    const std::string told = store.takeProblem();
    EXPECT_NE(told.find(path), std::string::npos) << told;
    EXPECT_NE(told.find(what), std::string::npos) << told;
    EXPECT_EQ(store.takeProblem(), "");
    EXPECT_TRUE(store.add("你", kStart));
    EXPECT_EQ(store.review("我们", practice::Rating::Good, kStart, kRight)->reps, 1);
    const auto due = store.due(kStart, kStart);
    EXPECT_TRUE(std::any_of(due.begin(), due.end(), [](auto& i) { return i.text == "你"; }));
}

} // namespace

// A few hundred changes in random order: each card is what applying its changes one by one
// gives (a later answer at the same showing changes nothing, one dated before the card's last
// review is refused), and computing every card again from the logs finds the same cards; a
// card changed behind the store's back is found.
TEST(PracticeStore, CardsAreWhatTheLogsLeadTo) {
    TempDir dir;
    const std::string path = (dir / "deck" / "practice.db").string();
    std::map<std::string, practice::Card> expected;
    {
        auto store = PracticeStore::open(path);
        ASSERT_TRUE(store->saving()) << store->takeProblem();
        std::mt19937 random(20261208);
        const std::vector<std::string> texts = {"我", "们", "中国", "经", "八", "人民", "工"};
        Millis now = kStart;
        for (int i = 0; i < 400; ++i) {
            // Mostly forward in time, a few answers dated back.
            now += static_cast<Millis>(random() % 3000) * kMinute - 200 * kMinute;
            const std::string& text = texts[random() % texts.size()];
            const auto it = expected.find(text);
            switch (random() % 6) {
            case 0: {
                const bool joined = store->lookedUp(text, now);
                EXPECT_EQ(joined, it == expected.end());
                expected[text] =
                    joined ? practice::newCard(now) : practice::lookedUpAgain(it->second, now);
                break;
            }
            case 1:
                if (random() % 4 == 0) {
                    EXPECT_EQ(store->remove(text), it != expected.end());
                    expected.erase(text);
                    break;
                }
                [[fallthrough]];
            default: {
                const auto rating = static_cast<practice::Rating>(1 + random() % 4);
                const bool retry = random() % 5 == 0;
                const PracticeStore::Answer answer{static_cast<int>(random() % 9000), "tr", "trnt",
                                                   random() % 2 == 0, retry};
                const practice::Card before =
                    it == expected.end() ? practice::newCard(now) : it->second;
                std::optional<practice::Card> want;
                if (!before.lastReview || now >= *before.lastReview)
                    want = retry ? before
                                 : practice::review(before,
                                                    practice::scheduledRating(rating, before), now);
                EXPECT_EQ(store->review(text, rating, now, answer), want);
                expected[text] = want.value_or(before);
            }
            }
        }
        EXPECT_TRUE(store->recheck().empty());
        EXPECT_EQ(store->list().size(), expected.size());
    }
    auto store = PracticeStore::open(path);
    for (const auto& [text, card] : expected)
        EXPECT_EQ(store->find(text)->card, card) << text;
    EXPECT_TRUE(store->recheck().empty());
    store.reset();
    const std::string changed = expected.begin()->first;
    sql(path, ("UPDATE items SET reps = reps + 1 WHERE text = '" + changed + "'").c_str());
    EXPECT_EQ(PracticeStore::open(path)->recheck(), std::vector<std::string>{changed});
}

// Files that cannot be used: each is told once, practice goes on in memory, and the file's
// bytes are what they were.
TEST(PracticeStore, UnusableFilesAreToldOnceAndLeftAlone) {
    TempDir dir;
    const fs::path garbage = dir / "garbage.db";
    std::ofstream(garbage) << std::string(8192, 'x');

    const fs::path damaged = dir / "damaged.db";
    {
        auto store = PracticeStore::open(damaged.string());
        for (int i = 0; i < 400; ++i)
            store->review("我们", practice::Rating::Good, kStart + i * kMinute, kRight);
    }
    {
        std::fstream f(damaged, std::ios::in | std::ios::out | std::ios::binary);
        // The third page (of 4 KiB) overwritten: no longer a page of any table.
        ASSERT_GT(fs::file_size(damaged), 4 * 4096u);
        f.seekp(2 * 4096);
        f << std::string(4096, '\xA5');
    }

    const fs::path newer = dir / "newer.db";
    sql(newer, "CREATE TABLE items(text); PRAGMA user_version = 2;");

    const fs::path foreign = dir / "foreign.db";
    sql(foreign, "CREATE TABLE notes(text); INSERT INTO notes VALUES('mine');");

    // Our schema's number without our tables: another program's, writable or not.
    const fs::path pretender = dir / "pretender.db";
    sql(pretender, "PRAGMA user_version = 1; CREATE TABLE n(x);");
    const fs::path lockedPretender = dir / "locked-pretender.db";
    sql(lockedPretender, "PRAGMA user_version = 1; CREATE TABLE n(x);");
    fs::permissions(lockedPretender,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const std::pair<fs::path, std::string> cases[] = {{garbage, "not a database"},
                                                      {damaged, "damaged"},
                                                      {newer, "newer"},
                                                      {foreign, "another program"},
                                                      {pretender, "another program"},
                                                      {lockedPretender, "another program"}};
    for (const auto& [file, what] : cases) {
        SCOPED_TRACE(file.string());
        const std::string before = bytesOf(file);
        {
            auto store = PracticeStore::open(file.string());
            expectWorksWithoutSaving(*store, file.string(), what);
        }
        EXPECT_TRUE(bytesOf(file) == before) << "the file was changed";
    }
}

// The deck tells what the learner looked up and when: its folder is the user's alone, and so
// are the store and its log, also one that an earlier version left open to others.
TEST(PracticeStore, TheDeckIsTheUsersAlone) {
    TempDir dir;
    const fs::path file = dir / "new" / "practice.db";
    PracticeStore::open(file.string())->add("我", kStart);
    auto mode = [](const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; };
    EXPECT_EQ(mode(file.parent_path()), fs::perms::owner_all);
    const auto mine = fs::perms::owner_read | fs::perms::owner_write;
    EXPECT_EQ(mode(file), mine);
    fs::permissions(file, mine | fs::perms::group_read | fs::perms::others_read);
    auto store = PracticeStore::open(file.string());
    store->add("们", kStart);
    EXPECT_EQ(mode(file), mine);
    EXPECT_EQ(mode(file.string() + "-wal"), mine);
}

// Values no review could have made (a file changed by hand) are damage: told, each card made
// again from its log, and nothing overflows on the way.
TEST(PracticeStore, ValuesOutOfRangeAreMadeAgainFromTheLog) {
    TempDir dir;
    const std::string path = (dir / "practice.db").string();
    std::map<std::string, practice::Card> cards;
    {
        auto store = PracticeStore::open(path);
        for (const char* t : {"我", "们", "中"}) {
            store->review(t, practice::Rating::Good, kStart, kRight);
            cards[t] = *store->review(t, practice::Rating::Good, kStart + 20 * kMinute, kRight);
        }
    }
    sql(path, "UPDATE items SET reps = 2147483647, lapses = 2147483647 WHERE text = '我';"
              "UPDATE items SET due = -9223372036854775808 WHERE text = '们';"
              "UPDATE items SET stability = -1 WHERE text = '中';");
    // A store that only looks shows them in range.
    EXPECT_EQ(practice::formatTime(PracticeStore::open(path, PracticeStore::kBusyMillis,
                                                       PracticeStore::Check::Schema)
                                       ->find("们")
                                       ->card.due),
              "0000-01-01T00:00:00Z");
    auto store = PracticeStore::open(path);
    EXPECT_NE(store->takeProblem().find("3 items held values out of range"), std::string::npos);
    for (const auto& [text, card] : cards)
        EXPECT_EQ(store->find(text)->card, card) << text;
    EXPECT_TRUE(store->recheck().empty());
    // The logs numbered to the end: told as damage, practice goes on.
    store.reset();
    sql(path, "UPDATE reviews SET seq = 9223372036854775807 WHERE seq = (SELECT max(seq) FROM "
              "reviews)");
    store = PracticeStore::open(path);
    ASSERT_TRUE(store->review("我", practice::Rating::Good, kStart + 40 * kMinute, kRight));
    EXPECT_FALSE(store->saving());
    EXPECT_NE(store->takeProblem().find("damaged"), std::string::npos);
}

// A folder that cannot be written: the deck it holds is practised in memory, the file untouched.
TEST(PracticeStore, ReadOnlyFolderIsPractisedInMemory) {
    const char* writableView = std::getenv("TOVRIN_WRITABLE_VIEW");
    if (!writableView)
        GTEST_SKIP() << "needs a folder seen read-only (run through practicestore_fs.sh)";
    const fs::path writable = writableView, readOnly = std::getenv("TOVRIN_READONLY_VIEW");
    {
        auto store = PracticeStore::open((writable / "practice.db").string());
        store->review("经", practice::Rating::Easy, kStart - 10 * 24 * 60 * kMinute, kRight);
    }
    const fs::path file = readOnly / "practice.db";
    const std::string before = bytesOf(file);
    {
        auto store = PracticeStore::open(file.string());
        EXPECT_EQ(store->find("经")->card.reps, 1);
        expectWorksWithoutSaving(*store, file.string(), "cannot be written");
        EXPECT_EQ(store->due(kStart, kStart).size(), 2u);
    }
    EXPECT_TRUE(bytesOf(file) == before) << "the file was changed";
}

// A full disk: the answers given meanwhile are kept, and all reach the file once there is room.
TEST(PracticeStore, AFullDiskKeepsTheAnswersUntilThereIsRoom) {
    const char* smallDisk = std::getenv("TOVRIN_SMALL_DISK");
    if (!smallDisk)
        GTEST_SKIP() << "needs a small file system (run through practicestore_fs.sh)";
    const fs::path folder = smallDisk;
    auto store = PracticeStore::open((folder / "practice.db").string());
    store->add("我", kStart);
    {
        std::ofstream filler(folder / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            filler.flush();
    }
    constexpr int kAnswers = 40;
    for (int i = 0; i < kAnswers; ++i)
        store->review("我", practice::Rating::Good, kStart + i * kMinute, kRight);
    ASSERT_FALSE(store->saving());
    EXPECT_TRUE(store->savesAgainLater());
    EXPECT_FALSE(store->saveAgain());
    fs::remove(folder / "filler");
    EXPECT_TRUE(store->saveAgain());
    store.reset();
    EXPECT_EQ(PracticeStore::open((folder / "practice.db").string())->find("我")->card.reps,
              kAnswers);
}

// Another connection holds the write lock past the busy timeout: the answer is not lost, the
// learner is told instead of kept waiting, practice goes on in memory with the deck so far, and
// what was answered meanwhile reaches the file once it can take it.
TEST(PracticeStore, LockHeldTooLongIsToldNotWaitedOn) {
    TempDir dir;
    const std::string path = (dir / "practice.db").string();
    auto store = PracticeStore::open(path, 200);
    store->review("经", practice::Rating::Good, kStart, kRight);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const auto started = std::chrono::steady_clock::now();
    const practice::Card card =
        *store->review("经", practice::Rating::Good, kStart + 20 * kMinute, kRight);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(card.reps, 2);
    EXPECT_EQ(store->find("经")->card, card);
    EXPECT_TRUE(store->savesAgainLater());
    EXPECT_FALSE(store->saveAgain()); // still locked
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    expectWorksWithoutSaving(*store, path, "locked");
    // Once the lock is gone the next change takes every kept one to the file with it.
    EXPECT_TRUE(store->saving());
    store.reset();
    store = PracticeStore::open(path);
    EXPECT_EQ(store->find("经")->card, card);
    EXPECT_TRUE(store->find("你") && store->find("我们"));
    EXPECT_TRUE(store->recheck().empty());
}

// New items come into the drill at most so many a day, in the order they joined; the rest wait
// for the next day.
TEST(PracticeStore, NewItemsWaitForTheDaysLimit) {
    TempDir dir;
    auto store = PracticeStore::open((dir / "practice.db").string());
    EXPECT_EQ(store->newPerDay(), practice::kNewPerDay);
    store->setNewPerDay(2);
    for (const char* t : {"我", "们", "中", "国"})
        store->add(t, kStart);
    auto texts = [&store](Millis at, Millis today) {
        std::vector<std::string> out;
        for (const auto& item : store->due(at, today))
            out.push_back(item.text);
        return out;
    };
    EXPECT_EQ(texts(kStart, kStart), (std::vector<std::string>{"我", "们"}));
    store->review("我", practice::Rating::Good, kStart + kMinute, kRight);
    store->review("我", practice::Rating::Good, kStart + 20 * kMinute, kRight);
    EXPECT_EQ(store->newSince(kStart), 1);
    EXPECT_EQ(texts(kStart + 30 * kMinute, kStart), (std::vector<std::string>{"们"}));
    const Millis tomorrow = kStart + 24 * 60 * kMinute;
    EXPECT_EQ(texts(tomorrow, tomorrow), (std::vector<std::string>{"们", "中"}));
}

// The review log stays small: 20,000 answers on a deck of 2,000 items add less than 100 bytes
// each to the file.
TEST(PracticeStore, AReviewTakesUnderAHundredBytes) {
    TempDir dir;
    const fs::path file = dir / "practice.db";
    std::vector<std::string> texts(2000); // CJK ideographs, all of them in GBK
    for (std::size_t i = 0; i < texts.size(); ++i)
        gbk::Codec::appendUtf8(texts[i], U'\u4E00' + static_cast<char32_t>(i));
    std::uintmax_t before = 0;
    {
        auto store = PracticeStore::open(file.string());
        for (const auto& t : texts)
            store->add(t, kStart);
        store.reset();
        before = fs::file_size(file);
        store = PracticeStore::open(file.string());
        for (int i = 0; i < 20000; ++i)
            store->review(texts[static_cast<std::size_t>(i) % texts.size()],
                          static_cast<practice::Rating>(1 + i % 4), kStart + i * kMinute,
                          {2000 + i % 5000, "trn", "trnt", i % 3 != 0});
    }
    ASSERT_FALSE(fs::exists(file.string() + "-wal"));
    const double perReview = static_cast<double>(fs::file_size(file) - before) / 20000;
    RecordProperty("bytes_per_review", std::to_string(perReview));
    std::cout << "bytes per review: " << perReview << '\n';
    EXPECT_LT(perReview, 100);
}
