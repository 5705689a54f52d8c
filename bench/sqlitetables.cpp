#include "bench/sqlitetables.h"

#include "core/dict/strokeindex.h"
#include "core/lookup/layout.h"
#include "core/text/gbk.h"

#include <sqlite3.h>

#include <cstring>

namespace tovrin::bench {

namespace {

constexpr const char* kSchema = R"(
CREATE TABLE strokes (id INTEGER PRIMARY KEY, character BLOB, strokes TEXT, rank INTEGER);
CREATE TABLE stroke_grid (prefix TEXT, bucket INTEGER, rank INTEGER, character BLOB);
CREATE TABLE phrases (id INTEGER PRIMARY KEY, first INTEGER, text BLOB);
CREATE TABLE codes (id INTEGER PRIMARY KEY, character INTEGER, code TEXT);
CREATE TABLE pinyin (id INTEGER PRIMARY KEY, character BLOB, reading TEXT);
)";

// Built after the rows are in, as a database would be loaded.
constexpr const char* kIndexes = R"(
CREATE INDEX strokes_by_strokes ON strokes (strokes);
CREATE INDEX stroke_grid_by_prefix ON stroke_grid (prefix, bucket, rank);
CREATE INDEX phrases_by_first ON phrases (first);
CREATE INDEX codes_by_character ON codes (character);
CREATE INDEX pinyin_by_reading ON pinyin (reading);
ANALYZE;
)";

// The grid's question: the first cells of the characters filed under the strokes clicked, exact
// matches first, then the common, middle and rare characters, each by rank.
const std::string kStrokeGridQuery =
    "SELECT character FROM stroke_grid WHERE prefix = ?1 ORDER BY bucket, rank LIMIT " +
    std::to_string(layout::kGridCells);

// Equal keys come back in file order (the row id), as the window reads them.
constexpr const char* kStrokesQuery = "SELECT character, strokes, rank FROM strokes "
                                      "WHERE strokes >= ?1 AND strokes < ?2 ORDER BY strokes, id";
const std::string kPhrasesQuery = "SELECT text FROM phrases WHERE first = ?1 ORDER BY id LIMIT " +
                                  std::to_string(SqliteTables::kPhraseLimit);
constexpr const char* kCodesQuery = "SELECT code FROM codes WHERE character = ?1 ORDER BY id";
const std::string kPinyinQuery = "SELECT character FROM pinyin WHERE reading >= ?1 AND "
                                 "reading < ?2 ORDER BY reading, id LIMIT " +
                                 std::to_string(SqliteTables::kPinyinLimit);

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The smallest text above every text that begins with `prefix` (the prefixes here are ASCII
// letters or digits, so the last byte never overflows).
std::string pastPrefix(std::string_view prefix) {
    std::string out(prefix);
    if (!out.empty())
        ++out.back();
    return out;
}

template <std::size_t N>
void copyColumn(sqlite3_stmt* statement, int column, std::array<char, N>& out) {
    out.fill(' ');
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
    if (bytes)
        std::memcpy(out.data(), bytes, size < N ? size : N);
}

// Binds a range [prefix, pastPrefix) to ?1 and ?2. The texts must outlive the statement's run.
void bindRange(sqlite3_stmt* statement, std::string_view low, const std::string& high) {
    sqlite3_bind_text(statement, 1, low.data(), static_cast<int>(low.size()), SQLITE_STATIC);
    sqlite3_bind_text(statement, 2, high.data(), static_cast<int>(high.size()), SQLITE_STATIC);
}

} // namespace

SqliteTables::~SqliteTables() {
    for (sqlite3_stmt* s : {strokeGrid_, strokes_, phrases_, codes_, pinyin_})
        sqlite3_finalize(s);
    sqlite3_close(db_);
}

bool SqliteTables::exec(const char* sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool SqliteTables::prepare(const char* sql, sqlite3_stmt** statement, std::string& error) {
    if (sqlite3_prepare_v2(db_, sql, -1, statement, nullptr) == SQLITE_OK)
        return true;
    error = sqlite3_errmsg(db_);
    return false;
}

std::unique_ptr<SqliteTables> SqliteTables::build(const RecordFile& strokes,
                                                  const RecordFile& phrases,
                                                  const RecordFile& codes, const RecordFile& pinyin,
                                                  std::string& error) {
    std::unique_ptr<SqliteTables> t(new SqliteTables);
    if (sqlite3_open(":memory:", &t->db_) != SQLITE_OK) {
        error = t->db_ ? sqlite3_errmsg(t->db_) : "cannot open an in-memory database";
        return nullptr;
    }
    if (!t->exec(kSchema, error) || !t->exec("BEGIN", error))
        return nullptr;

    sqlite3_stmt* insert = nullptr;
    auto rows = [&](const char* sql, const RecordFile& file, auto bind) {
        if (!t->prepare(sql, &insert, error))
            return false;
        bool ok = true;
        for (std::int32_t n = 1; n <= file.count() && ok; ++n) {
            sqlite3_reset(insert);
            sqlite3_bind_int(insert, 1, n);
            bind(file.record(n));
            if (sqlite3_step(insert) != SQLITE_DONE) {
                error = sqlite3_errmsg(t->db_);
                ok = false;
            }
        }
        sqlite3_finalize(insert);
        insert = nullptr;
        return ok;
    };
    auto bindBlob = [&insert](int column, std::string_view bytes) {
        sqlite3_bind_blob(insert, column, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
    };
    auto bindText = [&insert](int column, std::string_view text) {
        sqlite3_bind_text(insert, column, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    };
    const bool loaded =
        rows("INSERT INTO strokes VALUES (?1, ?2, ?3, ?4)", strokes,
             [&](std::string_view raw) {
                 const StrokeRecord r = StrokeRecord::read(raw);
                 bindBlob(2, view(r.character));
                 bindText(3, trimRight(view(r.strokes)));
                 sqlite3_bind_int(insert, 4, r.rank);
             }) &&
        rows("INSERT INTO phrases VALUES (?1, ?2, ?3)", phrases,
             [&](std::string_view raw) {
                 const PhraseRecord r = PhraseRecord::read(raw);
                 sqlite3_bind_int(insert, 2, gbk::code(firstChar(r.text)));
                 bindBlob(3, view(r.text));
             }) &&
        rows("INSERT INTO codes VALUES (?1, ?2, ?3)", codes,
             [&](std::string_view raw) {
                 const CodeRecord r = CodeRecord::read(raw);
                 sqlite3_bind_int(insert, 2, gbk::code(firstChar(r.character)));
                 bindText(3, trimRight(view(r.code)));
             }) &&
        rows("INSERT INTO pinyin VALUES (?1, ?2, ?3)", pinyin, [&](std::string_view raw) {
            const PinyinRecord r = PinyinRecord::read(raw);
            bindBlob(2, view(r.character));
            bindText(3, trimRight(view(r.pinyin)));
        });
    // Each character filed under each of its prefixes of 1 to kGridPrefix strokes, with the
    // bucket the window sorts it into for that prefix.
    const bool filed =
        loaded && t->prepare("INSERT INTO stroke_grid VALUES (?1, ?2, ?3, ?4)", &insert, error);
    for (std::int32_t n = 1; filed && n <= strokes.count(); ++n) {
        const StrokeRecord r = StrokeRecord::read(strokes.record(n));
        const std::string_view all = trimRight(view(r.strokes));
        for (std::size_t length = 1; length <= kGridPrefix && length <= all.size(); ++length) {
            const int bucket = length == all.size()                  ? 0
                               : r.rank <= StrokeIndex::kCommonRanks ? 1
                               : r.rank <= StrokeIndex::kMiddleRanks ? 2
                                                                     : 3;
            sqlite3_reset(insert);
            bindText(1, all.substr(0, length));
            sqlite3_bind_int(insert, 2, bucket);
            sqlite3_bind_int(insert, 3, r.rank);
            bindBlob(4, view(r.character));
            if (sqlite3_step(insert) != SQLITE_DONE) {
                error = sqlite3_errmsg(t->db_);
                return nullptr;
            }
        }
    }
    sqlite3_finalize(insert);
    if (!filed || !t->exec("COMMIT", error) || !t->exec(kIndexes, error))
        return nullptr;
    if (!t->prepare(kStrokeGridQuery.c_str(), &t->strokeGrid_, error) ||
        !t->prepare(kStrokesQuery, &t->strokes_, error) ||
        !t->prepare(kPhrasesQuery.c_str(), &t->phrases_, error) ||
        !t->prepare(kCodesQuery, &t->codes_, error) ||
        !t->prepare(kPinyinQuery.c_str(), &t->pinyin_, error))
        return nullptr;
    return t;
}

void SqliteTables::strokeGrid(std::string_view digits, std::vector<GridRow>& out) {
    out.clear();
    sqlite3_bind_text(strokeGrid_, 1, digits.data(), static_cast<int>(digits.size()),
                      SQLITE_STATIC);
    while (sqlite3_step(strokeGrid_) == SQLITE_ROW)
        copyColumn(strokeGrid_, 0, out.emplace_back().character);
    sqlite3_reset(strokeGrid_);
}

bool SqliteTables::saveTo(const std::string& path, std::string& error) {
    sqlite3_stmt* vacuum = nullptr;
    if (!prepare("VACUUM INTO ?1", &vacuum, error))
        return false;
    sqlite3_bind_text(vacuum, 1, path.c_str(), -1, SQLITE_STATIC);
    const bool done = sqlite3_step(vacuum) == SQLITE_DONE;
    if (!done)
        error = sqlite3_errmsg(db_);
    sqlite3_finalize(vacuum);
    return done;
}

void SqliteTables::strokes(std::string_view digits, std::vector<StrokeRow>& out) {
    out.clear();
    const std::string high = pastPrefix(digits);
    bindRange(strokes_, digits, high);
    while (sqlite3_step(strokes_) == SQLITE_ROW) {
        StrokeRow& row = out.emplace_back();
        copyColumn(strokes_, 0, row.character);
        copyColumn(strokes_, 1, row.strokes);
        row.rank = sqlite3_column_int(strokes_, 2);
    }
    sqlite3_reset(strokes_);
}

void SqliteTables::pick(std::int16_t first, std::vector<PhraseRow>& phrases,
                        std::vector<CodeRow>& codes) {
    phrases.clear();
    codes.clear();
    sqlite3_bind_int(phrases_, 1, first);
    while (sqlite3_step(phrases_) == SQLITE_ROW)
        copyColumn(phrases_, 0, phrases.emplace_back().text);
    sqlite3_reset(phrases_);
    sqlite3_bind_int(codes_, 1, first);
    while (sqlite3_step(codes_) == SQLITE_ROW)
        copyColumn(codes_, 0, codes.emplace_back().code);
    sqlite3_reset(codes_);
}

void SqliteTables::pinyin(std::string_view letters, std::vector<PinyinRow>& out) {
    out.clear();
    const std::string high = pastPrefix(letters);
    bindRange(pinyin_, letters, high);
    while (sqlite3_step(pinyin_) == SQLITE_ROW)
        copyColumn(pinyin_, 0, out.emplace_back().character);
    sqlite3_reset(pinyin_);
}

std::vector<std::string> SqliteTables::plans() const {
    std::vector<std::string> out;
    for (const char* query : {kStrokeGridQuery.c_str(), kStrokesQuery, kPhrasesQuery.c_str(),
                              kCodesQuery, kPinyinQuery.c_str()}) {
        const std::string sql = std::string("EXPLAIN QUERY PLAN ") + query;
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            out.push_back(std::string(query) + ": " + sqlite3_errmsg(db_));
            continue;
        }
        std::string steps;
        while (sqlite3_step(s) == SQLITE_ROW) {
            if (!steps.empty())
                steps += "; ";
            steps += reinterpret_cast<const char*>(sqlite3_column_text(s, 3));
        }
        sqlite3_finalize(s);
        out.push_back(std::string(query) + "  =>  " + steps);
    }
    return out;
}

} // namespace tovrin::bench
