#include "tools/mkdict/sources.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>
#include <sqlite3.h>
#include <system_error>

namespace tovrin::mkdict {

namespace fs = std::filesystem;

SourcePaths SourcePaths::inFolders(const fs::path& rimeDir, const fs::path& haifengDb,
                                   const fs::path& unihanDir, const fs::path& strokeOrders) {
    SourcePaths p;
    p.strokeTable = rimeDir / "stroke.dict.yaml";
    p.wubiTable = rimeDir / "wubi86.dict.yaml";
    p.pinyinTable = rimeDir / "pinyin_simp.dict.yaml";
    p.haifengDb = haifengDb;
    p.unihanMappings = unihanDir / "Unihan_OtherMappings.txt";
    p.unihanReadings = unihanDir / "Unihan_Readings.txt";
    p.unihanSources = unihanDir / "Unihan_IRGSources.txt";
    p.strokeOrders = strokeOrders;
    return p;
}

std::vector<fs::path> SourcePaths::all() const {
    return {strokeTable,    wubiTable,      pinyinTable,   haifengDb,
            unihanMappings, unihanReadings, unihanSources, strokeOrders};
}

namespace {

std::string describe(const fs::path& file, std::size_t line, const std::string& what) {
    std::string s = file.string();
    if (line > 0)
        s += ':' + std::to_string(line);
    return s + ": " + what;
}

} // namespace

SourceError::SourceError(Kind kind, fs::path file, std::size_t line, const std::string& what)
    : std::runtime_error(describe(file, line, what)), kind_(kind), file_(std::move(file)),
      line_(line) {}

void requireFile(const fs::path& file) {
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (ec || !fs::exists(status))
        throw SourceError(SourceError::Kind::Missing, file, 0, "missing");
    if (!fs::is_regular_file(status))
        throw SourceError(SourceError::Kind::Missing, file, 0, "not a regular file");
}

namespace {

[[noreturn]] void malformed(const fs::path& file, std::size_t line, const std::string& what) {
    throw SourceError(SourceError::Kind::Malformed, file, line, what);
}

std::string readWhole(const fs::path& file) {
    requireFile(file);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw SourceError(SourceError::Kind::Missing, file, 0, "cannot be opened");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw SourceError(SourceError::Kind::Missing, file, 0, "cannot be read");
    return text;
}

// Calls f(lineNumber, line) for each line, without its line break (LF or CR LF).
template <typename F> void forEachLine(const std::string& text, F&& f) {
    std::size_t number = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line(text.data() + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        f(++number, line);
        start = end + 1;
    }
}

std::vector<std::string> splitTabs(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        if (tab == std::string_view::npos) {
            fields.emplace_back(line.substr(start));
            return fields;
        }
        fields.emplace_back(line.substr(start, tab - start));
        start = tab + 1;
    }
}

} // namespace

std::vector<RimeRow> readRimeTable(const fs::path& file, std::string_view sectionComment) {
    const std::string text = readWhole(file);
    std::vector<RimeRow> rows;
    bool inBody = false;
    int section = 0;
    forEachLine(text, [&](std::size_t number, std::string_view line) {
        if (!inBody) {
            inBody = line == "...";
            return;
        }
        if (line.empty())
            return;
        if (line.front() == '#') {
            if (!sectionComment.empty() && line.starts_with(sectionComment))
                section = 1;
            return;
        }
        RimeRow row{number, section, splitTabs(line)};
        if (row.fields.size() < 2 || row.fields[0].empty() || row.fields[1].empty())
            malformed(file, number, "expected TAB-separated text and code");
        rows.push_back(std::move(row));
    });
    if (!inBody)
        malformed(file, 0, "no line \"...\" ends the header");
    return rows;
}

double parseWeight(const fs::path& file, const RimeRow& row, std::size_t column) {
    if (column >= row.fields.size())
        malformed(file, row.line, "no weight in column " + std::to_string(column + 1));
    const std::string& s = row.fields[column];
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(value))
        malformed(file, row.line, "weight \"" + s + "\" is not a number");
    return value;
}

std::unordered_map<char32_t, UnihanValue> readUnihanField(const fs::path& file,
                                                          std::string_view field) {
    const std::string text = readWhole(file);
    std::unordered_map<char32_t, UnihanValue> values;
    forEachLine(text, [&](std::size_t number, std::string_view line) {
        if (line.empty() || line.front() == '#')
            return;
        const auto fields = splitTabs(line);
        if (fields.size() != 3 || !fields[0].starts_with("U+") || fields[2].empty())
            malformed(file, number, "expected U+code TAB field TAB value");
        std::uint32_t cp = 0;
        const std::string& code = fields[0];
        const auto [end, ec] = std::from_chars(code.data() + 2, code.data() + code.size(), cp, 16);
        if (ec != std::errc() || end != code.data() + code.size() || code.size() < 6 ||
            cp > 0x10FFFF)
            malformed(file, number, "bad code point \"" + code + "\"");
        if (fields[1] == field)
            values[cp] = {number, fields[2]};
    });
    return values;
}

std::vector<StrokeOrderRow> readStrokeOrders(const fs::path& file) {
    const std::string text = readWhole(file);
    std::vector<StrokeOrderRow> rows;
    forEachLine(text, [&](std::size_t number, std::string_view line) {
        if (line.empty())
            return;
        auto fields = splitTabs(line);
        if (fields.size() != 2 || fields[0].empty() || fields[1].empty())
            malformed(file, number, "expected character TAB stroke letters");
        rows.push_back({number, std::move(fields[0]), std::move(fields[1])});
    });
    return rows;
}

namespace {

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};

} // namespace

std::vector<HaifengRow> readHaifengPhrases(const fs::path& dbFile) {
    requireFile(dbFile);
    sqlite3* raw = nullptr;
    const int openStatus = sqlite3_open_v2(dbFile.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, DbCloser> db(raw);
    if (openStatus != SQLITE_OK)
        malformed(dbFile, 0, std::string("cannot be opened: ") + sqlite3_errstr(openStatus));

    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(db.get(), "SELECT rowid, phrase, freq FROM phrases", -1, &rawStatement,
                           nullptr) != SQLITE_OK)
        malformed(dbFile, 0, std::string("no table phrases: ") + sqlite3_errmsg(db.get()));
    std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(rawStatement);

    std::vector<HaifengRow> rows;
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        HaifengRow row;
        row.id = sqlite3_column_int64(statement.get(), 0);
        const auto line = static_cast<std::size_t>(row.id);
        if (sqlite3_column_type(statement.get(), 1) != SQLITE_TEXT)
            malformed(dbFile, line, "phrase is not text");
        if (sqlite3_column_type(statement.get(), 2) != SQLITE_INTEGER)
            malformed(dbFile, line, "freq is not an integer");
        const auto* text = sqlite3_column_text(statement.get(), 1);
        const int length = sqlite3_column_bytes(statement.get(), 1);
        row.phrase.assign(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
        row.freq = sqlite3_column_int64(statement.get(), 2);
        rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE)
        malformed(dbFile, 0, std::string("cannot be read: ") + sqlite3_errmsg(db.get()));
    return rows;
}

} // namespace tovrin::mkdict
