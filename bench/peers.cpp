// The look-ups a learner would otherwise make with an input method's own machinery, timed on the
// same keys in the same run as ours: librime's stroke and Wubi 86 schemas, and ibus-table's
// stroke5 and wubi-haifeng86 tables through the SQL its engine runs.
//
//   bench_peers [--data=DIR] [--rime-shared=DIR] [--rime-user=DIR] [--ibus-tables=DIR]
//               [--out=FILE] [--smoke] [--case-time=SECONDS] [--repetitions=N]
//
// --data is our dictionaries' folder, --rime-shared librime's shared data (rime-data-stroke and
// rime-data-wubi), --rime-user a folder of our own where librime keeps its user data, its
// compiled tables and its logs, --ibus-tables ibus-table's tables (stroke5.db and
// wubi-haifeng86.db).
//
// Stroke look-up, every stroke string of 1-4 strokes that our window searches (the strings with
// a preset list are left out), each case one after the other for the three:
//   ours  "清", then the strokes clicked one by one; only the last click is timed.
//   rime  a session on the "stroke" schema, its composition cleared and all but the last stroke
//         typed as keys (h s p n z for 1-5), then the last key is timed with the reading of the
//         context's first page of candidates.
//   ibus  ibus-table's candidate query for the typed keys on stroke5.db (m / , . n for 1-5):
//         the statement of TabSqliteDb.select_words() and its ranking, best_candidates().
// Code look-up, the 3,000 most frequent characters by our stroke dictionary's rank:
//   ours  the look-up that a pick runs (LookupState::Label5_Click and display3): the bisection
//         over the character-code dictionary and the collection of the character's codes.
//   rime  librime's C interface has no reverse look-up of its own; a schema of ours puts the
//         character alone on the menu under a made-up three-letter key, and librime's
//         reverse_lookup_filter writes its codes from the compiled wubi86 reverse-lookup table
//         into the candidate's comment. The last key and the reading of the page are timed.
//         The same schema without the filter is timed too, to show what the filter adds.
//   ibus  the statement of TabSqliteDb.find_zi_code() on wubi-haifeng86.db.
//
// A case's time is the fastest, over the repetitions, of the mean time per iteration; a
// repetition runs iterations until --case-time has passed. Every time is taken around the one
// event with the steady clock, the untimed setup (earlier clicks or keys) left out.
#include "bench/common.h"
#include "bench/figures.h"
#include "core/dict/bisect.h"
#include "core/dict/codelookup.h"
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/programfiles.h"

#include <benchmark/benchmark.h>
#include <rime_api.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace tovrin::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string data = TOVRIN_BIN_DIR;
    std::string rimeShared = TOVRIN_PEERS_RIME_SHARED;
    std::string rimeUser = TOVRIN_PEERS_RIME_USER;
    std::string ibusTables = TOVRIN_PEERS_IBUS_TABLES;
    std::string out;
    bool smoke = false;
    double caseTime = 0.001;
    int repetitions = 3;
};

enum Peer { kOurs, kRime, kIbus, kRimeBare, kPeers };
constexpr const char* kPeerNames[kPeers] = {"ours", "rime", "ibus", "rime_bare"};

struct Case {
    std::string key;       // the digits, or the character in UTF-8
    gbk::Char character{}; // code look-ups: the character
    int rimeIndex = 0;     // code look-ups: its place in our rime dictionary
    std::array<bool, kPeers> found{};
    std::array<double, kPeers> ns{};
};

struct Stats {
    std::size_t count = 0;
    double median = std::nan(""), p99 = std::nan(""), worst = std::nan("");
};

// Nearest-rank percentiles over the cases' times.
Stats stats(const std::deque<Case>& cases, Peer peer) {
    std::vector<double> v;
    for (const Case& c : cases)
        v.push_back(c.ns[peer]);
    std::sort(v.begin(), v.end());
    Stats s;
    s.count = v.size();
    if (v.empty())
        return s;
    s.median = percentile(v, 0.5);
    s.p99 = percentile(v, 0.99);
    s.worst = v.back();
    return s;
}

// The fastest repetition's mean time of `event` in ns, `setup` run untimed before each.
template <class Setup, class Event>
double timeCase(const Options& o, Setup&& setup, Event&& event) {
    double best = std::numeric_limits<double>::infinity();
    const auto budget = std::chrono::duration<double>(o.caseTime);
    for (int r = 0; r < (o.smoke ? 1 : o.repetitions); ++r) {
        double sum = 0;
        long n = 0;
        const auto start = Clock::now();
        do {
            setup();
            const auto t0 = Clock::now();
            event();
            const auto t1 = Clock::now();
            sum += std::chrono::duration<double, std::nano>(t1 - t0).count();
            ++n;
        } while (!o.smoke && Clock::now() - start < budget);
        best = std::min(best, sum / static_cast<double>(n));
    }
    return best;
}

using platform::joinPath;

bool parseFlag(std::string_view arg, Options& o) {
    if (flagValue(arg, "--data=", o.data) || flagValue(arg, "--rime-shared=", o.rimeShared) ||
        flagValue(arg, "--rime-user=", o.rimeUser) ||
        flagValue(arg, "--ibus-tables=", o.ibusTables) || flagValue(arg, "--out=", o.out))
        return true;
    return runFlag(arg, o);
}

std::string rimeKeys(std::string_view digits) {
    std::string out;
    for (char d : digits)
        out.push_back("hspnz"[d - '1']);
    return out;
}
std::string ibusKeys(std::string_view digits) {
    std::string out;
    for (char d : digits)
        out.push_back("m/,.n"[d - '1']);
    return out;
}

// A three-letter key of our own for the character at `index` in rime's character dictionary.
std::string rimeCharKey(int index) {
    return {static_cast<char>('a' + index / 676), static_cast<char>('a' + index / 26 % 26),
            static_cast<char>('a' + index % 26)};
}

bool writeIfChanged(const std::string& path, const std::string& text) {
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream old;
        old << in.rdbuf();
        if (in && old.str() == text)
            return true;
    }
    std::ofstream f(path, std::ios::binary);
    f << text;
    f.close();
    return f.good();
}

// --- librime -----------------------------------------------------------------------------

class Rime {
public:
    ~Rime() {
        if (!api_)
            return;
        for (RimeSessionId s : {stroke_, codes_, bare_})
            if (s)
                api_->destroy_session(s);
        api_->finalize();
    }

    // Deploys the stroke and wubi86 schemas and ours for the code look-up (the characters'
    // `keys`), each compiled only when its source changed, and opens a session on each.
    std::optional<std::string> open(const Options& o, const std::vector<std::string>& chars) {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::create_directories(o.rimeUser, ec);
        if (ec)
            return "cannot make " + o.rimeUser + ": " + ec.message();
        user_ = fs::absolute(o.rimeUser).string();
        shared_ = fs::absolute(o.rimeShared).string();
        staging_ = joinPath(user_, "build");
        for (const char* schema : {"stroke", "wubi86"})
            if (!fs::exists(joinPath(shared_, std::string(schema) + ".schema.yaml")))
                return std::string(schema) + ".schema.yaml is not in " + shared_;

        // Ours: the characters under made-up keys, with and without wubi86's reverse look-up.
        std::string dict = "# Rime dictionary\n---\nname: peers_chars\nversion: \"1\"\n"
                           "sort: original\nuse_preset_vocabulary: false\n...\n";
        for (std::size_t i = 0; i < chars.size(); ++i)
            dict += chars[i] + "\t" + rimeCharKey(static_cast<int>(i)) + "\n";
        auto schema = [](std::string_view id, bool withCodes) {
            std::string s = "schema:\n  schema_id: " + std::string(id) +
                            "\n  name: " + std::string(id) + "\n  version: \"1\"\n";
            s += "engine:\n  processors: [speller, selector, navigator, express_editor]\n"
                 "  segmentors: [abc_segmentor, fallback_segmentor]\n"
                 "  translators: [table_translator]\n";
            if (withCodes)
                s += "  filters: [reverse_lookup_filter@wubi86_codes]\n";
            s += "speller:\n  alphabet: abcdefghijklmnopqrstuvwxyz\n"
                 "translator:\n  dictionary: peers_chars\n  enable_completion: false\n"
                 "  enable_sentence: false\n  enable_user_dict: false\n"
                 "  enable_encoder: false\n";
            if (withCodes)
                s += "wubi86_codes:\n  dictionary: wubi86\n  overwrite_comment: true\n";
            return s;
        };
        if (!writeIfChanged(joinPath(user_, "peers_chars.dict.yaml"), dict) ||
            !writeIfChanged(joinPath(user_, "peers_codes.schema.yaml"),
                            schema("peers_codes", true)) ||
            !writeIfChanged(joinPath(user_, "peers_bare.schema.yaml"), schema("peers_bare", false)))
            return "cannot write rime's files in " + user_;

        api_ = rime_get_api();
        RIME_STRUCT(RimeTraits, traits);
        traits.shared_data_dir = shared_.c_str();
        traits.user_data_dir = user_.c_str();
        traits.staging_dir = staging_.c_str();
        traits.log_dir = user_.c_str();
        traits.min_log_level = 2; // errors only, to the log and to standard error
        traits.app_name = "rime.bench_peers";
        traits.distribution_name = "bench_peers";
        traits.distribution_code_name = "bench_peers";
        traits.distribution_version = "1";
        api_->setup(&traits);
        api_->deployer_initialize(&traits);
        const auto t0 = Clock::now();
        for (const std::string& file :
             {joinPath(shared_, "stroke.schema.yaml"), joinPath(shared_, "wubi86.schema.yaml"),
              joinPath(user_, "peers_codes.schema.yaml"),
              joinPath(user_, "peers_bare.schema.yaml")})
            if (!api_->deploy_schema(file.c_str()))
                return "librime could not deploy " + file;
        std::cerr << "rime: schemas deployed in "
                  << std::chrono::duration<double, std::milli>(Clock::now() - t0).count()
                  << " ms\n";
        api_->initialize(&traits);

        // The stroke schema's own words for its keys.
        RimeConfig config{};
        if (!api_->schema_open("stroke", &config))
            return std::string("librime cannot open the stroke schema");
        const char* about = api_->config_get_cstring(&config, "schema/description");
        const bool keys = about && std::string_view(about).find("h,s,p,n,z") != std::string::npos;
        api_->config_close(&config);
        if (!keys)
            return std::string("the stroke schema no longer says it types h,s,p,n,z");

        for (auto [session, id] :
             {std::pair{&stroke_, "stroke"}, {&codes_, "peers_codes"}, {&bare_, "peers_bare"}}) {
            *session = api_->create_session();
            if (!*session || !api_->select_schema(*session, id))
                return std::string("librime cannot open a session on ") + id;
            char current[64] = {};
            if (!api_->get_current_schema(*session, current, sizeof current) ||
                std::string_view(current) != id)
                return std::string("librime's session is not on ") + id;
        }
        return std::nullopt;
    }

    RimeSessionId stroke() const { return stroke_; }
    RimeSessionId codes() const { return codes_; }
    RimeSessionId bare() const { return bare_; }

    // A fresh composition with all of `keys` but the last typed.
    void typeAllButLast(RimeSessionId s, std::string_view keys) const {
        api_->clear_composition(s);
        for (std::size_t i = 0; i + 1 < keys.size(); ++i)
            api_->process_key(s, keys[i], 0);
    }

    // The last key, then the first page of candidates: how many it holds.
    int typeLast(RimeSessionId s, std::string_view keys) const {
        api_->process_key(s, keys.back(), 0);
        RIME_STRUCT(RimeContext, context);
        int n = -1;
        if (api_->get_context(s, &context)) {
            n = context.menu.num_candidates;
            benchmark::DoNotOptimize(context.menu.candidates);
            api_->free_context(&context);
        }
        return n;
    }

    // The first page after typing all of `keys`: its candidates' text and comment.
    std::vector<std::pair<std::string, std::string>> page(RimeSessionId s,
                                                          std::string_view keys) const {
        typeAllButLast(s, keys);
        api_->process_key(s, keys.back(), 0);
        std::vector<std::pair<std::string, std::string>> out;
        RIME_STRUCT(RimeContext, context);
        if (api_->get_context(s, &context)) {
            for (int i = 0; i < context.menu.num_candidates; ++i) {
                const RimeCandidate& c = context.menu.candidates[i];
                out.emplace_back(c.text ? c.text : "", c.comment ? c.comment : "");
            }
            api_->free_context(&context);
        }
        return out;
    }

private:
    RimeApi* api_ = nullptr;
    std::string user_, shared_, staging_;
    RimeSessionId stroke_ = 0, codes_ = 0, bare_ = 0;
};

// --- ibus-table ----------------------------------------------------------------------------

class Statement {
public:
    Statement() = default;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement() { sqlite3_finalize(stmt_); }
    bool prepare(sqlite3* db, const char* sql) {
        return sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) == SQLITE_OK;
    }
    sqlite3_stmt* get() const { return stmt_; }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

class Ibus {
public:
    struct Row {
        std::string tabkeys, phrase;
        long long freq = 0, userFreq = 0;
    };

    ~Ibus() {
        for (sqlite3* db : {stroke_, wubi_})
            sqlite3_close(db);
    }

    std::optional<std::string> open(const std::string& folder) {
        if (auto e = openDb(joinPath(folder, "stroke5.db"), stroke_))
            return e;
        if (auto e = openDb(joinPath(folder, "wubi-haifeng86.db"), wubi_))
            return e;
        // stroke5's own settings decide the query's form: dynamic_adjust adds the user's
        // phrases (a new user's are none), auto_wildcard makes the typed keys a prefix.
        for (const char* attr : {"dynamic_adjust", "auto_wildcard"})
            if (attribute(stroke_, attr) != "TRUE")
                return std::string("stroke5.db's ") + attr + " is no longer TRUE";
        if (attribute(stroke_, "char_prompts") !=
            "{'n': 'ㄣ', 'm': '－', ',': '’', '.': '、', '/': '｜'}")
            return std::string("stroke5.db's keys are no longer m / , . n");
        if (sqlite3_exec(stroke_,
                         "ATTACH DATABASE ':memory:' AS user_db;"
                         "CREATE TABLE IF NOT EXISTS user_db.phrases (id INTEGER PRIMARY KEY, "
                         "tabkeys TEXT, phrase TEXT, freq INTEGER, user_freq INTEGER);",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            return std::string("ibus: ") + sqlite3_errmsg(stroke_);
        // TabSqliteDb.select_words() when user_can_define_phrase or dynamic_adjust, with no
        // one-character condition.
        if (!select_.prepare(stroke_,
                             "SELECT tabkeys, phrase, freq, user_freq FROM ("
                             " SELECT tabkeys, phrase, freq, user_freq FROM main.phrases"
                             " WHERE tabkeys LIKE :tabkeys ESCAPE :escapechar"
                             " UNION ALL"
                             " SELECT tabkeys, phrase, freq, user_freq FROM user_db.phrases"
                             " WHERE tabkeys LIKE :tabkeys ESCAPE :escapechar)"))
            return std::string("ibus: ") + sqlite3_errmsg(stroke_);
        // TabSqliteDb.find_zi_code().
        if (!codes_.prepare(wubi_, "SELECT tabkeys FROM main.phrases WHERE phrase = :phrase"
                                   " ORDER by length(tabkeys) ASC"))
            return std::string("ibus: ") + sqlite3_errmsg(wubi_);
        // The keys of a few characters whose strokes nobody disputes.
        for (const auto& [ch, digits] : {std::pair{"十", "12"}, {"口", "251"}, {"大", "134"}}) {
            bool seen = false;
            for (const Row& r : candidates(ibusKeys(digits)))
                seen |= r.phrase == ch && r.tabkeys == ibusKeys(digits);
            if (!seen)
                return std::string("stroke5.db does not give ") + ch + " under " + ibusKeys(digits);
        }
        return std::nullopt;
    }

    // The candidates for typed keys as select_words() gives them: the query, the merge of equal
    // (tabkeys, phrase) rows and the ranking of best_candidates() for Chinese mode 4 (all
    // characters, no filter; the mode when the locale is not Chinese), at most 100.
    const std::vector<Row>& candidates(const std::string& typed) {
        sqlite3_stmt* s = select_.get();
        sqlite3_reset(s);
        // The escape character is the last of "!@#" that is not a wildcard ('?' and '*'), the
        // typed keys have none of "#%_" to escape, and auto_wildcard appends "%%".
        const std::string pattern = typed + "%%";
        sqlite3_bind_text(s, 1, pattern.c_str(), static_cast<int>(pattern.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_text(s, 2, "#", 1, SQLITE_STATIC);
        rows_.clear();
        while (sqlite3_step(s) == SQLITE_ROW)
            rows_.push_back(Row{text(s, 0), text(s, 1), sqlite3_column_int64(s, 2),
                                sqlite3_column_int64(s, 3)});
        merged_.clear();
        std::map<std::pair<std::string, std::string>, std::size_t> seen;
        for (Row& r : rows_) {
            auto [it, added] = seen.emplace(std::pair{r.tabkeys, r.phrase}, merged_.size());
            if (added) {
                merged_.push_back(std::move(r));
            } else {
                Row& m = merged_[it->second];
                m.freq = std::max(m.freq, r.freq);
                m.userFreq = std::max(m.userFreq, r.userFreq);
            }
        }
        auto sortKey = [&typed](const Row& r) {
            // Exact matches first; a pinyin-like key ending in one of "!@#$%" right after the
            // typed keys next; the user's and the table's frequency; shorter keys; the keys;
            // the first character's code point.
            const bool exact = r.tabkeys == typed;
            const bool toned =
                !r.tabkeys.empty() && r.tabkeys.substr(0, r.tabkeys.size() - 1) == typed &&
                std::string_view("!@#$%").find(r.tabkeys.back()) != std::string_view::npos;
            return std::tuple(!exact, !toned, -r.userFreq, -r.freq, r.tabkeys.size(),
                              std::string_view(r.tabkeys), firstCodePoint(r.phrase));
        };
        std::stable_sort(merged_.begin(), merged_.end(), [&sortKey](const Row& a, const Row& b) {
            return sortKey(a) < sortKey(b);
        });
        if (merged_.size() > 100)
            merged_.resize(100);
        return merged_;
    }

    // find_zi_code(): the keys of a phrase, shortest first.
    const std::vector<std::string>& codes(const std::string& phrase) {
        sqlite3_stmt* s = codes_.get();
        sqlite3_reset(s);
        sqlite3_bind_text(s, 1, phrase.c_str(), static_cast<int>(phrase.size()), SQLITE_TRANSIENT);
        found_.clear();
        while (sqlite3_step(s) == SQLITE_ROW)
            found_.push_back(text(s, 0));
        return found_;
    }

private:
    static std::optional<std::string> openDb(const std::string& path, sqlite3*& db) {
        // The table read-only, and the connection writable for the user's empty table beside
        // it (an attached database would take a read-only connection's flags).
        std::string uri = "file:";
        for (char ch : path) {
            if (ch == '%' || ch == '?' || ch == '#') {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(ch));
                uri += hex;
            } else {
                uri += ch;
            }
        }
        uri += "?mode=ro";
        if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) !=
            SQLITE_OK)
            return "ibus: cannot open " + path + ": " + sqlite3_errmsg(db);
        // The engine's settings that bear on reading (the rest are about writing).
        if (sqlite3_exec(db,
                         "PRAGMA case_sensitive_like = true; PRAGMA cache_size = 20000;"
                         "PRAGMA temp_store = MEMORY;",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            return "ibus: " + path + ": " + sqlite3_errmsg(db);
        return std::nullopt;
    }
    static std::string attribute(sqlite3* db, const char* name) {
        Statement st;
        if (!st.prepare(db, "SELECT val FROM ime WHERE attr = ?"))
            return {};
        sqlite3_bind_text(st.get(), 1, name, -1, SQLITE_STATIC);
        return sqlite3_step(st.get()) == SQLITE_ROW ? text(st.get(), 0) : std::string();
    }
    static std::string text(sqlite3_stmt* s, int column) {
        const auto* p = sqlite3_column_text(s, column);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(s, column)))
                 : std::string();
    }
    static char32_t firstCodePoint(std::string_view utf8) {
        const auto cps = gbk::Codec::utf8ToCodePoints(utf8);
        return cps && !cps->empty() ? cps->front() : 0;
    }

    sqlite3* stroke_ = nullptr;
    sqlite3* wubi_ = nullptr;
    Statement select_, codes_;
    std::vector<Row> rows_, merged_;
    std::vector<std::string> found_;
};

// --- The run -------------------------------------------------------------------------------

// Exit status 1: the benchmark could not measure; 3: a dictionary or a peer's data is missing.
int fail(const std::string& message, int status = 1) {
    std::cerr << "bench_peers: " << message << '\n';
    return status;
}

int run(int argc, char** argv) {
    Options o;
    try {
        for (int i = 1; i < argc; ++i)
            if (!parseFlag(argv[i], o))
                throw std::invalid_argument(argv[i]);
    } catch (const std::exception&) {
        std::cerr << "usage: bench_peers [--data=DIR] [--rime-shared=DIR] [--rime-user=DIR] "
                     "[--ibus-tables=DIR] [--out=FILE] [--smoke] [--case-time=SECONDS] "
                     "[--repetitions=N]\n";
        return 2;
    }
    const auto began = Clock::now();

    // Ours, started as the window starts it.
    const gbk::Codec codec;
    LookupState state(codec);
    const auto problems = state.start(platform::ProgramFiles(o.data, {}).lookupFiles());
    if (!problems.empty())
        return fail(firstProblem(problems), 3);
    const RecordFile strokes = dictionary<StrokeRecord>(o.data);
    const RecordFile codes = dictionary<CodeRecord>(o.data);

    // The cases.
    std::deque<Case> strokeCases, codeCases;
    std::size_t presets = 0;
    std::vector<std::string> digitStrings = strokeStrings(4);
    if (o.smoke)
        digitStrings = {"1", "14", "141", "2511", "3333"};
    for (const std::string& d : digitStrings) {
        if (LookupState::hasPresetList(d)) {
            ++presets;
            continue;
        }
        strokeCases.emplace_back().key = d;
    }
    // The most frequent characters by the stroke dictionary's rank (1 = most frequent).
    std::vector<std::string> rimeChars;
    {
        for (const gbk::Char ch : mostFrequent(strokes, 3000)) {
            rimeChars.push_back(codec.toUtf8(gbk::Text(1, ch)));
            if (o.smoke && codeCases.size() >= 3)
                continue;
            Case& c = codeCases.emplace_back();
            c.character = ch;
            c.key = rimeChars.back();
            c.rimeIndex = static_cast<int>(rimeChars.size() - 1);
        }
    }
    if (strokeCases.empty() || codeCases.empty())
        return fail("no cases: are the dictionaries in " + o.data + " empty?", 3);

    Rime rime;
    if (auto e = rime.open(o, rimeChars))
        return fail("rime: " + *e, 3);
    Ibus ibus;
    if (auto e = ibus.open(o.ibusTables))
        return fail(*e, 3);

    auto clickAll = [&state](std::string_view digits, std::size_t count) {
        state.Command8_Click();
        for (std::size_t i = 0; i < count; ++i)
            state.strokeClick(digits[i] - '0');
    };
    const auto strokesOf = strokesOfCharacters(strokes);
    const gbk::Text foundCaption = codec.fromUtf8("找到").value_or(gbk::Text());
    auto ourCodes = [&codes](gbk::Char ch) {
        const Bisection b = bisectFirstChar(codes, ch);
        return b.found ? collectCodes(codes, b.pos, ch) : CodeLine{};
    };

    // --- Each case checked once, then timed, the peers one after another.
    std::cerr << "measuring " << strokeCases.size() << " stroke strings (" << presets
              << " with a preset list left out) and " << codeCases.size() << " characters\n";
    for (Case& c : strokeCases) {
        const std::string& d = c.key;
        const std::string rk = rimeKeys(d), ik = ibusKeys(d);
        clickAll(d, d.size());
        const LookupView::Cells& grid = state.view().Label11;
        c.found[kOurs] = std::any_of(grid.begin(), grid.end(),
                                     [](gbk::Char cell) { return LookupView::shows(cell); });
        // When no character's strokes begin with the keys, librime makes a "sentence" of the
        // characters of shorter stroke strings and lists it first: that is finding nothing.
        const auto rimePage = rime.page(rime.stroke(), rk);
        const auto first =
            rimePage.empty() ? std::nullopt : gbk::Codec::utf8ToCodePoints(rimePage.front().first);
        c.found[kRime] = first && first->size() == 1;
        c.found[kIbus] = !ibus.candidates(ik).empty();

        c.ns[kOurs] = timeCase(
            o, [&] { clickAll(d, d.size() - 1); }, [&] { state.strokeClick(d.back() - '0'); });
        benchmark::DoNotOptimize(state.view().Label11);
        c.ns[kRime] = timeCase(
            o, [&] { rime.typeAllButLast(rime.stroke(), rk); },
            [&] { benchmark::DoNotOptimize(rime.typeLast(rime.stroke(), rk)); });
        c.ns[kIbus] = timeCase(
            o, [] {}, [&] { benchmark::DoNotOptimize(ibus.candidates(ik).data()); });
    }
    for (Case& c : codeCases) {
        const gbk::Char ch = c.character;
        const std::string rk = rimeCharKey(c.rimeIndex);
        const CodeLine line = ourCodes(ch);
        c.found[kOurs] = std::any_of(line.byLength.begin(), line.byLength.end(),
                                     [](const gbk::Text& t) { return !gbk::trim(t).empty(); });
        // What the window shows after a pick is what is timed here.
        const GridPlace place = placeInGrid(state, ch, strokesOf.at(ch));
        if (place.cell < 0)
            return fail("codes of " + c.key + ": no beginning of its strokes shows it");
        state.Label11_MouseDown(place.cell);
        const LookupView& shown = state.view();
        const bool found = shown.Label22 == foundCaption;
        if (found != c.found[kOurs] || (found && shown.Label8 != line.summary))
            return fail("codes of " + c.key + ": the pick shows " + codec.toUtf8(shown.Label8) +
                        ", the look-up " + codec.toUtf8(line.summary));
        const auto page = rime.page(rime.codes(), rk);
        if (page.empty() || page.front().first != c.key)
            return fail("codes of " + c.key + ": rime's first candidate for " + rk + " is " +
                        (page.empty() ? std::string("nothing") : page.front().first));
        c.found[kRime] = !page.front().second.empty();
        const auto bare = rime.page(rime.bare(), rk);
        c.found[kRimeBare] = !bare.empty() && bare.front().first == c.key;
        const std::vector<std::string>& theirs = ibus.codes(c.key);
        c.found[kIbus] = !theirs.empty();
        if (o.smoke) {
            std::cerr << "  " << c.key << ": ours" << codec.toUtf8(line.summary.substr(1))
                      << "; rime " << page.front().second << "; ibus";
            for (const std::string& k : theirs)
                std::cerr << ' ' << k;
            std::cerr << '\n';
        }

        c.ns[kOurs] = timeCase(
            o, [] {}, [&] { benchmark::DoNotOptimize(ourCodes(ch)); });
        c.ns[kRime] = timeCase(
            o, [&] { rime.typeAllButLast(rime.codes(), rk); },
            [&] { benchmark::DoNotOptimize(rime.typeLast(rime.codes(), rk)); });
        c.ns[kRimeBare] = timeCase(
            o, [&] { rime.typeAllButLast(rime.bare(), rk); },
            [&] { benchmark::DoNotOptimize(rime.typeLast(rime.bare(), rk)); });
        c.ns[kIbus] = timeCase(
            o, [] {}, [&] { benchmark::DoNotOptimize(ibus.codes(c.key)); });
    }

    // --- The figures.
    auto disagreements = [](const std::deque<Case>& cases, Peer peer, const char* what) {
        std::size_t n = 0;
        std::string examples;
        for (const Case& c : cases) {
            if (c.found[peer] == c.found[kOurs])
                continue;
            if (++n <= 8)
                examples += " " + c.key + (c.found[kOurs] ? "(ours only)" : "(theirs only)");
        }
        if (n)
            std::cerr << what << ": " << kPeerNames[peer] << " and ours disagree on finding "
                      << "something in " << n << " cases:" << examples << (n > 8 ? " ..." : "")
                      << '\n';
        return n;
    };
    auto ratio = [](double a, double b) { return b > 0 ? a / b : std::nan(""); };
    Figures fig;
    std::printf("\n%-7s %-10s %6s %6s %12s %12s %12s %10s %10s\n", "look-up", "peer", "cases",
                "found", "median ns", "p99 ns", "worst ns", "med/ours", "p99/ours");
    struct Op {
        const char* name;
        const std::deque<Case>* cases;
        std::vector<Peer> peers;
    };
    for (const Op& op : {Op{"stroke", &strokeCases, {kOurs, kRime, kIbus}},
                         Op{"code", &codeCases, {kOurs, kRime, kIbus, kRimeBare}}}) {
        const Stats ours = stats(*op.cases, kOurs);
        for (const Peer peer : op.peers) {
            const Stats s = stats(*op.cases, peer);
            const auto found = std::count_if(op.cases->begin(), op.cases->end(),
                                             [peer](const Case& c) { return c.found[peer]; });
            std::printf("%-7s %-10s %6zu %6td %12.1f %12.1f %12.1f %10.2f %10.2f\n", op.name,
                        kPeerNames[peer], s.count, found, s.median, s.p99, s.worst,
                        ratio(s.median, ours.median), ratio(s.p99, ours.p99));
            const std::string prefix = std::string(kPeerNames[peer]) + "_" + op.name;
            if (peer == kRime || peer == kIbus) {
                fig.add(prefix + "_over_ours", ratio(s.median, ours.median));
                fig.add(prefix + "_p99_over_ours", ratio(s.p99, ours.p99));
            }
            fig.add(prefix + "_median_ns", s.median, 1);
            fig.add(prefix + "_p99_ns", s.p99, 1);
            fig.add(prefix + "_found_cases", static_cast<double>(found), 0);
        }
        fig.add(std::string(op.name) + "_cases", static_cast<double>(op.cases->size()), 0);
        for (const Peer peer : {kRime, kIbus})
            fig.add(std::string(kPeerNames[peer]) + "_" + op.name + "_found_disagreements",
                    static_cast<double>(disagreements(*op.cases, peer, op.name)), 0);
    }
    fig.add("stroke_preset_strings_left_out", static_cast<double>(presets), 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - began).count();
    fig.add("peers_run_seconds", seconds, 1);
    std::printf("(rime_bare: the code schema without its reverse look-up filter; the run took "
                "%.1f s)\n",
                seconds);
    std::fflush(stdout);
    if (!o.out.empty() && !fig.write(o.out))
        return fail("cannot write " + o.out);
    return 0;
}

} // namespace
} // namespace tovrin::bench

int main(int argc, char** argv) {
    return tovrin::bench::run(argc, argv);
}
