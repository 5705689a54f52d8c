// The database baseline: the records of the dictionaries copied into an in-memory SQLite
// database, each table indexed on the key its look-up searches, and the look-ups as prepared
// statements that return the rows a database-backed window would read. The stroke grid has a
// table built for its question: each character filed under each of its 1-4-stroke prefixes.
#pragma once

#include "core/dict/recordfile.h"
#include "core/dict/records.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tovrin::bench {

class SqliteTables {
public:
    struct GridRow {
        std::array<char, StrokeRecord::kCharacterWidth> character;
    };
    struct StrokeRow {
        std::array<char, StrokeRecord::kCharacterWidth> character;
        std::array<char, StrokeRecord::kStrokesWidth> strokes;
        int rank;
    };
    struct PhraseRow {
        std::array<char, PhraseRecord::kTextWidth> text;
    };
    struct CodeRow {
        std::array<char, CodeRecord::kCodeWidth> code;
    };
    struct PinyinRow {
        std::array<char, PinyinRecord::kCharacterWidth> character;
    };

    // The association look-up reads this many words of the first character, the pinyin grid
    // this many readings.
    static constexpr int kPhraseLimit = 201;
    static constexpr int kPinyinLimit = 36;
    // The stroke grid's table files each character under its prefixes up to this many strokes.
    static constexpr std::size_t kGridPrefix = 4;

    SqliteTables(const SqliteTables&) = delete;
    SqliteTables& operator=(const SqliteTables&) = delete;
    ~SqliteTables();

    // Copies every record into its table and builds the indexes. Nothing and a reason in
    // `error` when SQLite refuses.
    static std::unique_ptr<SqliteTables> build(const RecordFile& strokes, const RecordFile& phrases,
                                               const RecordFile& codes, const RecordFile& pinyin,
                                               std::string& error);

    // The grid's question for 1-4 strokes: the first 51 characters filed under `digits`, exact
    // matches first, then common, middle and rare characters, each by rank.
    void strokeGrid(std::string_view digits, std::vector<GridRow>& out);
    // The whole run of rows whose strokes begin with `digits`, ordered as the file: by strokes,
    // then file order; unranked and unlimited (the earlier baseline, kept as a second row).
    void strokes(std::string_view digits, std::vector<StrokeRow>& out);
    // The first kPhraseLimit words that begin with the character whose signed code is `first`,
    // in file order, and the character's codes.
    void pick(std::int16_t first, std::vector<PhraseRow>& phrases, std::vector<CodeRow>& codes);
    // The first kPinyinLimit characters whose reading begins with `letters`, ordered as the file.
    void pinyin(std::string_view letters, std::vector<PinyinRow>& out);

    // Writes the database to a file, for the sqlite3 command line.
    bool saveTo(const std::string& path, std::string& error);

    // How SQLite runs each look-up (EXPLAIN QUERY PLAN), one line per step.
    std::vector<std::string> plans() const;

private:
    SqliteTables() = default;
    bool exec(const char* sql, std::string& error);
    bool prepare(const char* sql, sqlite3_stmt** statement, std::string& error);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* strokeGrid_ = nullptr;
    sqlite3_stmt* strokes_ = nullptr;
    sqlite3_stmt* phrases_ = nullptr;
    sqlite3_stmt* codes_ = nullptr;
    sqlite3_stmt* pinyin_ = nullptr;
};

} // namespace tovrin::bench
