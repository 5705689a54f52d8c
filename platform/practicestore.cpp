#include "platform/practicestore.h"

#include "platform/paths.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <limits>
#include <map>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

namespace tovrin::platform {

using practice::Card;
using practice::CardState;
using practice::Item;
using practice::Millis;

namespace {

// The tables. An item's card is a cache of what its logs lead to; the two logs share one
// sequence (seq), the order the changes were made in, which is the order they are replayed in.
// Items are numbered without reuse, so a log never names an item that joined again later.
constexpr const char* kSchema = R"(
CREATE TABLE items(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  text TEXT NOT NULL UNIQUE,
  added INTEGER NOT NULL,
  due INTEGER NOT NULL,
  stability REAL NOT NULL,
  difficulty REAL NOT NULL,
  elapsed_days INTEGER NOT NULL,
  scheduled_days INTEGER NOT NULL,
  learning_steps INTEGER NOT NULL,
  reps INTEGER NOT NULL,
  lapses INTEGER NOT NULL,
  state INTEGER NOT NULL,
  last_review INTEGER,
  missed INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX items_due ON items(due);
CREATE TABLE reviews(
  seq INTEGER PRIMARY KEY,
  item INTEGER NOT NULL,
  at INTEGER NOT NULL,
  rating INTEGER NOT NULL,
  millis INTEGER NOT NULL,
  typed TEXT NOT NULL,
  expected TEXT NOT NULL,
  first_try INTEGER NOT NULL
);
CREATE INDEX reviews_at ON reviews(at);
CREATE TABLE lookups(
  seq INTEGER PRIMARY KEY,
  item INTEGER NOT NULL,
  at INTEGER NOT NULL
);
CREATE TABLE settings(
  name TEXT PRIMARY KEY,
  value INTEGER NOT NULL
) WITHOUT ROWID;
PRAGMA user_version = 1;
)";

constexpr const char* kItemColumns =
    "id, text, added, due, stability, difficulty, elapsed_days, scheduled_days, learning_steps, "
    "reps, lapses, state, last_review, missed";

// A failed SQLite call: its primary result code and message.
struct SqlError {
    int code;
    std::string message;
};

[[noreturn]] void fail(sqlite3* db, int rc) {
    throw SqlError{rc & 0xFF, db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)};
}

void exec(sqlite3* db, const char* sql) {
    if (const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr); rc != SQLITE_OK)
        fail(db, rc);
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (const int rc = sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); rc != SQLITE_OK)
            fail(db, rc);
    }
    ~Statement() { sqlite3_finalize(s_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, long long v) { return check(sqlite3_bind_int64(s_, i, v)); }
    Statement& bind(int i, double v) { return check(sqlite3_bind_double(s_, i, v)); }
    Statement& bind(int i, std::string_view v) {
        return check(
            sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
    }
    Statement& bind(int i, std::optional<Millis> v) {
        return v ? bind(i, static_cast<long long>(*v)) : check(sqlite3_bind_null(s_, i));
    }
    // True while rows come.
    bool step() {
        const int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        fail(db_, rc);
    }
    void run() {
        while (step()) {
        }
    }
    long long integer(int c) const { return sqlite3_column_int64(s_, c); }
    double real(int c) const { return sqlite3_column_double(s_, c); }
    bool null(int c) const { return sqlite3_column_type(s_, c) == SQLITE_NULL; }
    std::string text(int c) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, c));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, c))) : "";
    }

private:
    Statement& check(int rc) {
        if (rc != SQLITE_OK)
            fail(db_, rc);
        return *this;
    }
    sqlite3* db_;
    sqlite3_stmt* s_ = nullptr;
};

long long single(sqlite3* db, const char* sql) {
    Statement s(db, sql);
    return s.step() ? s.integer(0) : 0;
}

// An item as read with kItemColumns, its row id and count of misses beside it.
struct Row {
    long long id = 0;
    Item item;
    long long missed = 0;
};

Row readRow(const Statement& s) {
    Row r;
    r.id = s.integer(0);
    r.item.text = s.text(1);
    r.item.added = s.integer(2);
    Card& c = r.item.card;
    c.due = s.integer(3);
    c.stability = s.real(4);
    c.difficulty = s.real(5);
    c.elapsedDays = static_cast<int>(s.integer(6));
    c.scheduledDays = static_cast<int>(s.integer(7));
    c.learningSteps = static_cast<int>(s.integer(8));
    c.reps = static_cast<int>(s.integer(9));
    c.lapses = static_cast<int>(s.integer(10));
    c.state = static_cast<CardState>(std::clamp<long long>(s.integer(11), 0, 3));
    if (!s.null(12))
        c.lastReview = s.integer(12);
    r.missed = s.integer(13);
    return r;
}

std::vector<Item> readItems(sqlite3* db, const std::string& sql, std::optional<Millis> at) {
    Statement s(db, sql.c_str());
    if (at)
        s.bind(1, static_cast<long long>(*at));
    std::vector<Item> items;
    while (s.step())
        items.push_back(readRow(s).item);
    return items;
}

std::optional<Row> findRow(sqlite3* db, const std::string& text) {
    Statement s(db, (std::string("SELECT ") + kItemColumns + " FROM items WHERE text = ?").c_str());
    s.bind(1, text);
    if (!s.step())
        return std::nullopt;
    return readRow(s);
}

Row insertItem(sqlite3* db, const std::string& text, Millis now) {
    Row r;
    r.item = {text, now, practice::newCard(now)};
    Statement s(db, "INSERT INTO items(text, added, due, stability, difficulty, elapsed_days, "
                    "scheduled_days, learning_steps, reps, lapses, state) "
                    "VALUES(?, ?, ?, 0, 0, 0, 0, 0, 0, 0, 0)");
    s.bind(1, text).bind(2, static_cast<long long>(now)).bind(3, static_cast<long long>(now));
    s.run();
    r.id = sqlite3_last_insert_rowid(db);
    return r;
}

void updateCard(sqlite3* db, long long id, const Card& c, int missed) {
    Statement s(db, "UPDATE items SET due = ?, stability = ?, difficulty = ?, elapsed_days = ?, "
                    "scheduled_days = ?, learning_steps = ?, reps = ?, lapses = ?, state = ?, "
                    "last_review = ?, missed = missed + ? WHERE id = ?");
    s.bind(1, static_cast<long long>(c.due)).bind(2, c.stability).bind(3, c.difficulty);
    s.bind(4, static_cast<long long>(c.elapsedDays))
        .bind(5, static_cast<long long>(c.scheduledDays));
    s.bind(6, static_cast<long long>(c.learningSteps)).bind(7, static_cast<long long>(c.reps));
    s.bind(8, static_cast<long long>(c.lapses)).bind(9, static_cast<long long>(c.state));
    s.bind(10, c.lastReview).bind(11, static_cast<long long>(missed)).bind(12, id);
    s.run();
}

// The card of item `id`, joined at `added` (in range), made again from its logs in the order they
// were written, entries out of range passed over; and its misses counted again.
std::pair<Card, long long> cardFromLogs(sqlite3* db, long long id, Millis added) {
    std::map<long long, practice::DeckEvent> log;
    long long missed = 0;
    Statement reviews(db, "SELECT seq, at, rating, first_try FROM reviews WHERE item = ?1 AND "
                          "rating BETWEEN 1 AND 4 AND typeof(at) = 'integer' AND at BETWEEN ?2 "
                          "AND ?3");
    reviews.bind(1, id).bind(2, static_cast<long long>(practice::kEarliest));
    reviews.bind(3, static_cast<long long>(practice::kLatest));
    while (reviews.step()) {
        log[reviews.integer(0)] = {practice::DeckEvent::Kind::Review, reviews.integer(1),
                                   static_cast<practice::Rating>(reviews.integer(2))};
        missed += reviews.integer(3) == 0 ? 1 : 0;
    }
    Statement lookups(db, "SELECT seq, at FROM lookups WHERE item = ?1 AND typeof(at) = "
                          "'integer' AND at BETWEEN ?2 AND ?3");
    lookups.bind(1, id).bind(2, static_cast<long long>(practice::kEarliest));
    lookups.bind(3, static_cast<long long>(practice::kLatest));
    while (lookups.step())
        log[lookups.integer(0)] = {practice::DeckEvent::Kind::LookedUp, lookups.integer(1)};
    std::vector<practice::DeckEvent> events;
    for (const auto& entry : log)
        events.push_back(entry.second);
    return {practice::replay(added, events), missed};
}

void setCard(sqlite3* db, long long id, Millis added, const Card& c, long long missed) {
    updateCard(db, id, c, 0);
    Statement s(db, "UPDATE items SET added = ?, missed = ? WHERE id = ?");
    s.bind(1, static_cast<long long>(added)).bind(2, missed).bind(3, id).run();
}

// The item's card, made again from its logs first (and kept) when it is out of range.
Card trusted(sqlite3* db, const Row& row) {
    if (practice::plausible(row.item.card))
        return row.item.card;
    const Millis added = std::clamp(row.item.added, practice::kEarliest, practice::kLatest);
    const auto [card, missed] = cardFromLogs(db, row.id, added);
    setCard(db, row.id, added, card, missed);
    return card;
}

// The next number of the logs' shared sequence.
long long nextSeq(sqlite3* db) {
    const long long last = std::max(single(db, "SELECT max(seq) FROM reviews"),
                                    single(db, "SELECT max(seq) FROM lookups"));
    if (last == std::numeric_limits<long long>::max())
        throw SqlError{SQLITE_CORRUPT, "the logs are numbered up to the last number there is"};
    return std::max(last, 0LL) + 1;
}

// Whether the file may still be read when this went wrong (it is then copied into memory).
bool readable(int code) {
    return code == SQLITE_BUSY || code == SQLITE_LOCKED || code == SQLITE_READONLY ||
           code == SQLITE_FULL || code == SQLITE_IOERR || code == SQLITE_CANTOPEN ||
           code == SQLITE_PERM;
}

std::string describe(const SqlError& e, int busyMillis) {
    switch (e.code) {
    case SQLITE_NOTADB:
        return "not a database";
    case SQLITE_CORRUPT:
        return "damaged (" + e.message + ")";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "locked by another program for more than " + std::to_string(busyMillis) + " ms";
    case SQLITE_FULL:
        return "the disk is full";
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return "cannot be written (" + e.message + ")";
    default:
        return e.message;
    }
}

// `path` as a URI file name, every byte a URI could take otherwise escaped.
std::string fileUri(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += ch;
        } else {
            uri += '%';
            uri += kHex[c >> 4];
            uri += kHex[c & 0xF];
        }
    }
    return uri + "?immutable=1";
}

// Copies the database `from` into `to`; false when it cannot be read whole.
bool copyDatabase(sqlite3* from, sqlite3* to) {
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (!b)
        return false;
    const int rc = sqlite3_backup_step(b, -1);
    return sqlite3_backup_finish(b) == SQLITE_OK && rc == SQLITE_DONE;
}

// Whether the database holds our tables with every column the store reads and writes: a file
// that says it is of our schema but lacks them is another program's.
bool hasOurTables(sqlite3* db) {
    static constexpr const char* kReads[] = {
        "SELECT id, text, added, due, stability, difficulty, elapsed_days, scheduled_days, "
        "learning_steps, reps, lapses, state, last_review, missed FROM items",
        "SELECT seq, item, at, rating, millis, typed, expected, first_try FROM reviews",
        "SELECT seq, item, at FROM lookups",
        "SELECT name, value FROM settings",
    };
    for (const char* sql : kReads) {
        sqlite3_stmt* s = nullptr;
        const int rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
        sqlite3_finalize(s);
        if (rc != SQLITE_OK)
            return false;
    }
    return true;
}

// Takes the group's and others' rights from a file or folder of this user's: the deck tells
// what the learner looked up, and when.
void makePrivate(const std::string& path, mode_t keep) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && st.st_uid == ::getuid() && (st.st_mode & 077) != 0 &&
        (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        ::chmod(path.c_str(), st.st_mode & keep);
}

// Makes the folders of `folder` that are missing, each for this user alone.
void makeFolders(const std::filesystem::path& folder) {
    if (folder.empty())
        return;
    std::error_code ec;
    if (std::filesystem::exists(folder, ec) || ec)
        return;
    makeFolders(folder.parent_path());
    ::mkdir(folder.c_str(), 0700);
}

// A card's values out of any range the scheduler keeps them in are damage (a file changed by
// hand or by another program): the card is made again from its logs, their entries out of
// range passed over.
constexpr const char* kImplausible =
    "NOT (typeof(due) = 'integer' AND due BETWEEN ?1 AND ?2 AND typeof(added) = 'integer' AND "
    "added BETWEEN ?1 AND ?2 AND (last_review IS NULL OR (typeof(last_review) = 'integer' AND "
    "last_review BETWEEN ?1 AND ?2)) AND typeof(stability) IN ('real', 'integer') AND "
    "stability BETWEEN 0 AND ?3 AND typeof(difficulty) IN ('real', 'integer') AND "
    "difficulty BETWEEN 0 AND 10 AND elapsed_days BETWEEN 0 AND ?4 AND scheduled_days BETWEEN 0 "
    "AND ?4 AND learning_steps BETWEEN 0 AND 100 AND reps BETWEEN 0 AND ?4 AND lapses BETWEEN 0 "
    "AND ?4 AND state BETWEEN 0 AND 3 AND missed BETWEEN 0 AND ?4)";

void bindRanges(Statement& s) {
    s.bind(1, static_cast<long long>(practice::kEarliest))
        .bind(2, static_cast<long long>(practice::kLatest));
    s.bind(3, practice::kMostStability).bind(4, static_cast<long long>(practice::kMostCount));
}

} // namespace

std::string PracticeStore::defaultPath() {
    const std::string data = xdgFolder("XDG_DATA_HOME", ".local/share");
    return data.empty() ? std::string() : joinPath(joinPath(data, "tovrin"), "practice.db");
}

PracticeStore::PracticeStore(std::string path, int busyMillis)
    : path_(std::move(path)), busyMillis_(busyMillis) {}

PracticeStore::~PracticeStore() {
    sqlite3_close_v2(db_);
}

practice::Millis PracticeStore::now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int PracticeStore::localOffsetMinutes(practice::Millis at) {
    const std::time_t t = static_cast<std::time_t>(at / 1000);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return 0;
    return static_cast<int>(local.tm_gmtoff / 60);
}

PracticeStore::Answer PracticeStore::answerOf(const practice::Drill::Answer& a) {
    Answer out;
    // An answer given after an hour away is no measure of recall speed.
    out.millis = static_cast<int>(std::min<practice::Millis>(a.millis, 3'600'000));
    out.typed = a.feedback.typed;
    out.expected = a.feedback.nearest;
    out.firstTry = a.firstTry && a.feedback.right;
    out.retry = !a.firstTry;
    return out;
}

std::unique_ptr<PracticeStore> PracticeStore::open(const std::string& path, int busyMillis,
                                                   Check check) {
    std::unique_ptr<PracticeStore> store(new PracticeStore(path, busyMillis));
    store->check_ = check;
    store->openFile();
    return store;
}

std::string PracticeStore::takeProblem() {
    return std::exchange(problem_, std::string());
}

// Runs `change` in a transaction that holds the write lock from its start, so that what it
// reads is still true when it writes; when the file fails, again in memory.
template <class F> auto PracticeStore::write(F&& change) {
    for (;;) {
        try {
            exec(db_, "BEGIN IMMEDIATE");
            try {
                auto result = change();
                exec(db_, "COMMIT");
                return result;
            } catch (const SqlError&) {
                if (!sqlite3_get_autocommit(db_))
                    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
        } catch (const SqlError& e) {
            if (!saving_) {
                // Nothing is left to fall back on: told, and nothing done.
                if (problem_.empty())
                    problem_ = "the practice deck in memory: " + e.message;
                return decltype(change())();
            }
            fallBack(describe(e, busyMillis_), readable(e.code));
        }
    }
}

template <class F> auto PracticeStore::read(F&& query) {
    for (;;) {
        try {
            return query();
        } catch (const SqlError& e) {
            if (!saving_) {
                // Nothing is left to fall back on: told, and nothing done.
                if (problem_.empty())
                    problem_ = "the practice deck in memory: " + e.message;
                return decltype(query())();
            }
            fallBack(describe(e, busyMillis_), readable(e.code));
        }
    }
}

void PracticeStore::openFile() {
    if (path_.empty()) {
        fallBack("no folder for the practice deck ($XDG_DATA_HOME and $HOME are unset)", false);
        return;
    }
    makeFolders(std::filesystem::path(path_).parent_path());
    // A new store is made for this user alone; its -wal and -shm files take its mode.
    if (const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        fd >= 0)
        ::close(fd);
    if (const int rc = sqlite3_open_v2(path_.c_str(), &db_,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        rc != SQLITE_OK) {
        fallBack(describe({rc & 0xFF, sqlite3_errmsg(db_)}, busyMillis_), false);
        return;
    }
    sqlite3_busy_timeout(db_, busyMillis_);
    // SQLite answers "busy" at once, without waiting, where waiting could deadlock: while a
    // second process makes the same new store, or turns its journal into a write-ahead log.
    // Those moments are short: the setting up is tried again until the busy timeout is over.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyMillis_);
    for (;;) {
        try {
            setUpFile();
            return;
        } catch (const SqlError& e) {
            if (db_ && !sqlite3_get_autocommit(db_))
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            if (e.code == SQLITE_BUSY && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            fallBack(describe(e, busyMillis_), readable(e.code));
            return;
        }
    }
}

void PracticeStore::setUpFile() {
    // Only reads until the file is known to be a store of ours that may be written: a file of
    // anything else is left exactly as it was. One read transaction: a second process making
    // the store meanwhile is seen whole or not at all.
    exec(db_, "BEGIN");
    const long long version = single(db_, "PRAGMA user_version");
    const long long tables = single(db_, "SELECT count(*) FROM sqlite_schema");
    std::string verdict = "ok";
    if (version == kSchemaVersion && check_ == Check::Pages) {
        Statement check(db_, "PRAGMA quick_check");
        verdict = check.step() ? check.text(0) : "";
    }
    exec(db_, "COMMIT");
    if (version > kSchemaVersion) {
        fallBack("written by a newer Tovrin (schema " + std::to_string(version) +
                     ", this one knows " + std::to_string(kSchemaVersion) + ")",
                 false);
        return;
    }
    if ((version == 0 && tables > 0) || (version == kSchemaVersion && !hasOurTables(db_))) {
        fallBack("a database of another program", false);
        return;
    }
    if (verdict != "ok") {
        fallBack("damaged (" + verdict + ")", false);
        return;
    }
    if (version == kSchemaVersion) {
        makePrivate(path_, 0700);
        makePrivate(path_ + "-wal", 0700);
        makePrivate(path_ + "-shm", 0700);
        if (path_ == defaultPath())
            makePrivate(std::filesystem::path(path_).parent_path().string(), 0700);
    }
    if (sqlite3_db_readonly(db_, "main") == 1) {
        fallBack("cannot be written", true);
        return;
    }
    exec(db_, "PRAGMA journal_mode = WAL");
    exec(db_, "PRAGMA synchronous = FULL");
    if (version == kSchemaVersion) {
        if (check_ == Check::Pages)
            repairCards();
        return;
    }
    // The schema is made inside the write lock, once.
    exec(db_, "BEGIN IMMEDIATE");
    if (single(db_, "PRAGMA user_version") == 0)
        exec(db_, kSchema);
    exec(db_, "COMMIT");
}

void PracticeStore::fallBack(const std::string& what, bool copyFile) {
    if (problem_.empty())
        problem_ = (path_.empty() ? std::string() : path_ + ": ") + what + std::string(kGoesOn);
    if (why_.empty())
        why_ = what;
    saving_ = false;
    // A file that was ours and failed for a while (a full disk, a lock, rights) is tried again;
    // one that is no store of ours, damaged or newer is not.
    retryable_ = copyFile && !path_.empty();
    sqlite3* memory = nullptr;
    if (sqlite3_open_v2(":memory:", &memory, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(memory);
        throw std::runtime_error("cannot open a database in memory");
    }
    bool copied = false;
    if (copyFile && db_) {
        copied = copyDatabase(db_, memory);
        if (!copied) {
            // A file on read-only media whose journal cannot be opened: read as it lies.
            sqlite3* still = nullptr;
            if (sqlite3_open_v2(fileUri(path_).c_str(), &still,
                                SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK)
                copied = copyDatabase(still, memory);
            sqlite3_close_v2(still);
        }
        try {
            copied = copied && single(memory, "PRAGMA user_version") == kSchemaVersion &&
                     hasOurTables(memory);
        } catch (const SqlError&) {
            copied = false;
        }
    }
    sqlite3_close_v2(db_);
    db_ = memory;
    if (copied)
        return;
    // What a failed copy left is dropped: a fresh database with the schema.
    sqlite3_close_v2(db_);
    db_ = nullptr;
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open a database in memory");
    try {
        exec(db_, kSchema);
    } catch (const SqlError& e) {
        throw std::runtime_error("the practice deck in memory: " + e.message);
    }
}

void PracticeStore::repairCards() {
    // Looked for first, without taking the write lock another process may hold.
    Statement look(db_, (std::string("SELECT count(*) FROM items WHERE ") + kImplausible).c_str());
    bindRanges(look);
    if (!look.step() || look.integer(0) == 0)
        return;
    const int repaired = write([&] {
        std::vector<std::pair<long long, Millis>> damaged;
        Statement s(db_,
                    (std::string("SELECT id, added FROM items WHERE ") + kImplausible).c_str());
        bindRanges(s);
        while (s.step())
            damaged.emplace_back(s.integer(0), s.integer(1));
        for (const auto& [id, joined] : damaged) {
            const Millis added = std::clamp(joined, practice::kEarliest, practice::kLatest);
            const auto [card, missed] = cardFromLogs(db_, id, added);
            setCard(db_, id, added, card, missed);
        }
        return static_cast<int>(damaged.size());
    });
    if (repaired > 0 && problem_.empty())
        problem_ = path_ + ": " + std::to_string(repaired) +
                   (repaired == 1 ? " item held" : " items held") +
                   " values out of range (damage); made again from the logs";
}

PracticeStore::Change PracticeStore::change(Change::Kind kind, std::string text, Millis at) {
    Change c;
    c.kind = kind;
    c.text = std::move(text);
    c.at = at;
    return c;
}

PracticeStore::Applied PracticeStore::apply(const Change& c) {
    Applied out;
    switch (c.kind) {
    case Change::Kind::Add:
        if (!findRow(db_, c.text)) {
            insertItem(db_, c.text, c.at);
            out.flag = true;
        }
        break;
    case Change::Kind::LookedUp:
        if (const std::optional<Row> row = findRow(db_, c.text)) {
            const Card before = trusted(db_, *row);
            Statement log(db_, "INSERT INTO lookups(seq, item, at) VALUES(?, ?, ?)");
            log.bind(1, nextSeq(db_)).bind(2, row->id).bind(3, static_cast<long long>(c.at));
            log.run();
            updateCard(db_, row->id, practice::lookedUpAgain(before, c.at), 0);
        } else {
            insertItem(db_, c.text, c.at);
            out.flag = true;
        }
        break;
    case Change::Kind::Remove: {
        Statement del(db_, "DELETE FROM items WHERE text = ?");
        del.bind(1, c.text).run();
        out.flag = sqlite3_changes(db_) > 0;
        break;
    }
    case Change::Kind::Review: {
        std::optional<Row> row = findRow(db_, c.text);
        if (!row)
            row = insertItem(db_, c.text, c.at);
        const Card before = trusted(db_, *row);
        if (before.lastReview && c.at < *before.lastReview)
            break;            // refused
        long long logged = 0; // a later answer at the same showing is practice, not a review
        Card card = before;
        if (!c.answer.retry) {
            const practice::Rating given = practice::scheduledRating(c.rating, before);
            card = practice::review(before, given, c.at);
            logged = static_cast<long long>(given);
        }
        Statement log(db_, "INSERT INTO reviews(seq, item, at, rating, millis, typed, expected, "
                           "first_try) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        log.bind(1, nextSeq(db_)).bind(2, row->id).bind(3, static_cast<long long>(c.at));
        log.bind(4, logged).bind(5, static_cast<long long>(c.answer.millis));
        log.bind(6, c.answer.typed).bind(7, c.answer.expected);
        log.bind(8, static_cast<long long>(c.answer.retry ? 2 : c.answer.firstTry ? 1 : 0));
        log.run();
        if (!c.answer.retry)
            updateCard(db_, row->id, card, c.answer.firstTry ? 0 : 1);
        out.card = card;
        break;
    }
    case Change::Kind::Setting: {
        Statement set(db_, "INSERT OR REPLACE INTO settings(name, value) VALUES(?, ?)");
        set.bind(1, std::string_view(c.text)).bind(2, c.value).run();
        break;
    }
    }
    return out;
}

PracticeStore::Applied PracticeStore::record(Change c) {
    saveAgain();
    const Applied result = write([&] { return apply(c); });
    // Kept while the file cannot take it, to be written once it can.
    if (!saving_ && retryable_)
        unsaved_.push_back(std::move(c));
    return result;
}

bool PracticeStore::saveAgain() {
    if (saving_ || !retryable_)
        return saving_;
    sqlite3* file = nullptr;
    if (sqlite3_open_v2(path_.c_str(), &file, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(file);
        return false;
    }
    // A look, not a wait: the next answer or the timer asks again.
    sqlite3_busy_timeout(file, std::min(busyMillis_, kRetryBusyMillis));
    sqlite3* memory = std::exchange(db_, file);
    try {
        if (single(db_, "PRAGMA user_version") != kSchemaVersion || !hasOurTables(db_) ||
            sqlite3_db_readonly(db_, "main") == 1)
            throw SqlError{SQLITE_READONLY, "not a store that can be written"};
        exec(db_, "PRAGMA journal_mode = WAL");
        exec(db_, "PRAGMA synchronous = FULL");
        // Every change kept meanwhile, in its order, at once or not at all.
        exec(db_, "BEGIN IMMEDIATE");
        for (const Change& c : unsaved_)
            apply(c);
        exec(db_, "COMMIT");
    } catch (const SqlError&) {
        if (!sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(db_);
        db_ = memory;
        return false;
    }
    sqlite3_busy_timeout(db_, busyMillis_);
    sqlite3_close_v2(memory);
    saving_ = true;
    retryable_ = false;
    unsaved_.clear();
    why_.clear();
    return true;
}

bool PracticeStore::add(const std::string& text, Millis now) {
    return record(change(Change::Kind::Add, text, now)).flag;
}

bool PracticeStore::lookedUp(const std::string& text, Millis now) {
    return record(change(Change::Kind::LookedUp, text, now)).flag;
}

bool PracticeStore::remove(const std::string& text) {
    return record(change(Change::Kind::Remove, text, 0)).flag;
}

std::optional<Card> PracticeStore::review(const std::string& text, practice::Rating rating,
                                          Millis at, const Answer& answer) {
    Change c = change(Change::Kind::Review, text, at);
    c.rating = rating;
    c.answer = answer;
    return record(std::move(c)).card;
}

std::optional<Item> PracticeStore::find(const std::string& text) {
    return read([&]() -> std::optional<Item> {
        if (auto row = findRow(db_, text))
            return row->item;
        return std::nullopt;
    });
}

std::vector<Item> PracticeStore::due(Millis at, Millis dayStart) {
    const int allowed = std::max(0, newPerDay() - newSince(dayStart));
    return practice::withinNewLimit(read([&] {
                                        return readItems(
                                            db_,
                                            std::string("SELECT ") + kItemColumns +
                                                " FROM items WHERE due <= ? ORDER BY due, id",
                                            at);
                                    }),
                                    allowed);
}

int PracticeStore::newSince(Millis since) {
    return read([&] {
        // An item whose reviews since then are all it has had was new then.
        Statement s(db_, "SELECT count(*) FROM (SELECT item, count(*) AS n FROM reviews "
                         "WHERE at >= ? AND rating > 0 GROUP BY item) AS t "
                         "JOIN items ON items.id = t.item WHERE items.reps = t.n");
        s.bind(1, static_cast<long long>(since));
        return s.step() ? static_cast<int>(s.integer(0)) : 0;
    });
}

std::vector<Item> PracticeStore::list() {
    return read([&] {
        return readItems(db_, std::string("SELECT ") + kItemColumns + " FROM items ORDER BY id",
                         std::nullopt);
    });
}

std::optional<Millis> PracticeStore::nextDue(Millis after) {
    return read([&]() -> std::optional<Millis> {
        Statement s(db_, "SELECT due FROM items WHERE due > ? ORDER BY due LIMIT 1");
        s.bind(1, static_cast<long long>(after));
        if (!s.step())
            return std::nullopt;
        return s.integer(0);
    });
}

std::vector<std::string> PracticeStore::mostMissed(std::size_t count) {
    return read([&] {
        Statement s(db_, "SELECT text FROM items WHERE missed > 0 "
                         "ORDER BY missed DESC, text LIMIT ?");
        s.bind(1, static_cast<long long>(std::min<std::size_t>(count, 1u << 30)));
        std::vector<std::string> texts;
        while (s.step())
            texts.push_back(s.text(0));
        return texts;
    });
}

practice::Progress PracticeStore::progress(Millis now, int localOffsetMinutes,
                                           const practice::ItemFacts& facts) {
    const Millis today = practice::dayStart(now, localOffsetMinutes);
    practice::DeckSnapshot deck;
    deck.newPerDay = newPerDay();
    deck.newToday = newSince(today);
    read([&] {
        exec(db_, "BEGIN");
        try {
            deck.items.clear();
            deck.answers.clear();
            Statement d(db_, "SELECT text, due, reps, stability FROM items");
            while (d.step())
                deck.items.push_back(
                    {d.text(0),
                     std::clamp<Millis>(d.integer(1), practice::kEarliest, practice::kLatest),
                     d.integer(2) == 0, d.real(3)});
            Statement a(db_, "SELECT reviews.at, millis, first_try, typed, expected, items.text "
                             "FROM reviews LEFT JOIN items ON items.id = reviews.item "
                             "WHERE reviews.at >= ?");
            a.bind(1, static_cast<long long>(practice::progressStart(now, localOffsetMinutes)));
            while (a.step())
                deck.answers.push_back(
                    {std::clamp<Millis>(a.integer(0), practice::kEarliest, practice::kLatest),
                     static_cast<int>(a.integer(1)), a.integer(2) == 1, a.integer(2) == 2,
                     a.text(3), a.text(4), a.text(5)});
            exec(db_, "COMMIT");
            return 0;
        } catch (const SqlError&) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    });
    // Items due in the order they are drilled, so that the day's new ones are the first joined.
    // (Sorting them here is quicker than reading them in the index's order.)
    std::stable_sort(
        deck.items.begin(), deck.items.end(),
        [](const practice::DeckEntry& a, const practice::DeckEntry& b) { return a.due < b.due; });
    return practice::summarize(deck, now, localOffsetMinutes, facts);
}

long long PracticeStore::setting(const char* name, long long byDefault) {
    return read([&] {
        Statement s(db_, "SELECT value FROM settings WHERE name = ?");
        s.bind(1, std::string_view(name));
        return s.step() ? s.integer(0) : byDefault;
    });
}

void PracticeStore::setSetting(const char* name, long long value) {
    Change c = change(Change::Kind::Setting, name, 0);
    c.value = value;
    record(std::move(c));
}

bool PracticeStore::autoAdd() {
    return setting("auto_add", 1) != 0;
}

void PracticeStore::setAutoAdd(bool on) {
    setSetting("auto_add", on ? 1 : 0);
}

bool PracticeStore::autoAddText() {
    return setting("auto_add_text", 0) != 0;
}

void PracticeStore::setAutoAddText(bool on) {
    setSetting("auto_add_text", on ? 1 : 0);
}

int PracticeStore::newPerDay() {
    return static_cast<int>(
        std::clamp<long long>(setting("new_per_day", practice::kNewPerDay), 0, kMostNewPerDay));
}

void PracticeStore::setNewPerDay(int count) {
    setSetting("new_per_day", std::clamp(count, 0, kMostNewPerDay));
}

std::vector<std::string> PracticeStore::recheck() {
    return read([&] {
        exec(db_, "BEGIN");
        try {
            std::map<long long, Row> rows;
            Statement items(db_, (std::string("SELECT ") + kItemColumns + " FROM items").c_str());
            while (items.step()) {
                Row r = readRow(items);
                rows.emplace(r.id, std::move(r));
            }
            // Both logs in the order they were written, item by item.
            std::map<long long, std::map<long long, practice::DeckEvent>> logs;
            std::map<long long, long long> missed;
            // Rating 0: a later answer at the same showing, practice that was not scheduled.
            Statement reviews(db_, "SELECT seq, item, at, rating, first_try FROM reviews "
                                   "WHERE rating > 0");
            while (reviews.step()) {
                const long long rating = std::clamp<long long>(reviews.integer(3), 1, 4);
                logs[reviews.integer(1)][reviews.integer(0)] = {
                    practice::DeckEvent::Kind::Review, reviews.integer(2),
                    static_cast<practice::Rating>(rating)};
                missed[reviews.integer(1)] += reviews.integer(4) == 0 ? 1 : 0;
            }
            Statement lookups(db_, "SELECT seq, item, at FROM lookups");
            while (lookups.step())
                logs[lookups.integer(1)][lookups.integer(0)] = {practice::DeckEvent::Kind::LookedUp,
                                                                lookups.integer(2)};
            exec(db_, "COMMIT");
            std::vector<std::string> differing;
            for (const auto& [id, row] : rows) {
                std::vector<practice::DeckEvent> log;
                for (const auto& entry : logs[id])
                    log.push_back(entry.second);
                if (practice::replay(row.item.added, log) != row.item.card ||
                    missed[id] != row.missed)
                    differing.push_back(row.item.text);
            }
            return differing;
        } catch (const SqlError&) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    });
}

} // namespace tovrin::platform
