// The lookup window's per-event work on the real dictionaries, side by side, case by case in
// the same run, with the least any search could do and with SQLite asked the same question.
//
//   bench_core [--data=DIR] [--out=FILE] [--cases=FILE] [--save-db=FILE] [--smoke]
//              [--case-time=SECONDS] [--repetitions=N] [Google Benchmark options]
//
// One benchmark per case and implementation, each case's implementations one after another:
//   stroke/ours/D        "清", then the strokes of D clicked one by one; only the last click
//                        is timed: its search, collection, ranking and grid.
//   stroke/limit/D       the run's bounds by two binary searches over the sorted records and a
//                        copy of the first 51 records: finding where the answer is and copying
//                        what is shown, and nothing else.
//   stroke/sqlite/D      the grid's question over a table built for it (each character filed
//                        under each of its 1-4-stroke prefixes, indexed on prefix, bucket and
//                        rank): the first 51 characters in bucket and rank order.
//   stroke/sqlite_run/D  the earlier baseline: the whole run of rows whose strokes begin with D
//                        in file order, unranked and unlimited.
//   pick/ours/C          "清" and the fewest strokes of C after which the grid shows it, then
//                        the press on its cell is timed: the association list (up to 201 words
//                        of C) and the code look-up.
//   pick/sqlite/C        the first 201 words that begin with C, and C's codes.
//   pinyin/ours/L        "用拼音查", then the letters of L typed one by one; only the last one is
//                        timed: the bisection and the first page of 36 cells.
//   pinyin/sqlite/L      the first 36 characters whose reading begins with L, ordered as the
//                        file.
// The stroke strings with a preset list are never searched: they are timed (ours only) but left
// out of the comparison. A case's time is the smallest, over the repetitions, of the mean time
// per iteration. The window's own work is timed around the one event with the steady clock, so
// each of its times includes one clock reading (clock/overhead shows what that costs); the
// others are timed by Google Benchmark's loop.
//
// The summary gives the median, p99 and worst case over the cases of each look-up, then one line
// of ratios per look-up. --out writes the figures as "name: value" lines, --cases every case's
// times as a table, --save-db the SQLite database for the whole-process benchmark.
#include "bench/common.h"
#include "bench/figures.h"
#include "bench/sqlitetables.h"
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/dict/strokeindex.h"
#include "core/lookup/layout.h"
#include "core/lookup/lookupstate.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/programfiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tovrin::bench {
namespace {

using Clock = std::chrono::steady_clock;

enum Impl { kOurs, kLimit, kSqlite, kSqliteRun, kImpls };
constexpr const char* kImplNames[kImpls] = {"ours", "limit", "sqlite", "sqlite_run"};

struct Options {
    std::string data = TOVRIN_BIN_DIR;
    std::string out;
    std::string cases;
    std::string saveDb;
    bool smoke = false;
    double caseTime = 0.001;
    int repetitions = 5;
};

struct Case {
    std::string key;       // the digits, the letters, or the character in UTF-8
    gbk::Char character{}; // picks: the character
    GridPlace place;       // picks: the strokes that show it, and its cell
    bool preset = false;   // a stroke string answered from a fixed list
    std::size_t rows = 0;  // records in the matching run, or in the answer
    std::array<std::vector<double>, kImpls> runs; // ns per iteration, one per repetition

    // The least disturbed repetition: on a busy machine a repetition that another process
    // interrupted only ever takes longer.
    double time(Impl impl) const {
        const std::vector<double>& v = runs[impl];
        return v.empty() ? std::nan("") : *std::min_element(v.begin(), v.end());
    }
};

struct Stats {
    std::size_t count = 0;
    double median = 0, p99 = 0, worst = 0, total = 0;
    std::string worstKey;
};

// Nearest-rank percentiles over the cases' times.
Stats stats(const std::vector<const Case*>& cases, Impl impl) {
    Stats s;
    std::vector<std::pair<double, const Case*>> v;
    for (const Case* c : cases)
        v.emplace_back(c->time(impl), c);
    std::sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    s.count = v.size();
    if (v.empty())
        return s;
    std::vector<double> times;
    for (const auto& [t, c] : v)
        times.push_back(t);
    s.median = percentile(times, 0.5);
    s.p99 = percentile(times, 0.99);
    s.worst = v.back().first;
    s.worstKey = v.back().second->key;
    for (const auto& [t, c] : v)
        s.total += t;
    return s;
}

// Collects every repetition's time per iteration; prints nothing per case.
class Collector : public benchmark::BenchmarkReporter {
public:
    std::unordered_map<std::string, std::vector<double>*> slots;
    std::vector<std::string> errors;

    bool ReportContext(const Context& context) override {
        PrintBasicContext(&GetErrorStream(), context);
        return true;
    }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration)
                continue;
            if (r.error_occurred) {
                errors.push_back(r.benchmark_name() + ": " + r.error_message);
                continue;
            }
            const auto it = slots.find(r.run_name.function_name);
            if (it != slots.end())
                it->second->push_back(r.GetAdjustedRealTime());
        }
    }
};

bool parseOwnFlag(std::string_view arg, Options& o) {
    if (flagValue(arg, "--data=", o.data) || flagValue(arg, "--out=", o.out) ||
        flagValue(arg, "--cases=", o.cases) || flagValue(arg, "--save-db=", o.saveDb))
        return true;
    return runFlag(arg, o);
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// How many records from `first` on have a text field at `offset` that begins with `prefix`.
std::size_t runFrom(const RecordFile& f, std::int32_t first, std::size_t offset,
                    std::string_view prefix, std::size_t limit) {
    std::size_t n = 0;
    for (std::int32_t i = first; i >= 1 && i <= f.count() && n < limit; ++i, ++n) {
        const std::string_view raw = f.record(i);
        if (raw.size() < offset + prefix.size() || raw.substr(offset, prefix.size()) != prefix)
            break;
    }
    return n;
}

// The first record whose text field at `offset` begins with `prefix`, read one by one; 0 when
// there is none.
std::int32_t firstFrom(const RecordFile& f, std::size_t offset, std::string_view prefix) {
    for (std::int32_t n = 1; n <= f.count(); ++n)
        if (runFrom(f, n, offset, prefix, 1) == 1)
            return n;
    return 0;
}

// What the grid shows for the run of `rows` stroke records from `first`, in no particular order:
// the first 51 characters of its exact matches, its common characters and the rest of GB 2312
// in file order, followed by its rare ones when `withRare`; empty cells after them.
LookupView::Cells runCells(const RecordFile& f, std::int32_t first, std::size_t rows,
                           std::string_view digits, bool withRare) {
    std::array<char, StrokeRecord::kStrokesWidth> key;
    key.fill(' ');
    std::copy(digits.begin(), digits.end(), key.begin());
    gbk::Text exact, common, middle, rare;
    for (std::size_t i = 0; i < rows; ++i) {
        const StrokeRecord r = StrokeRecord::read(f.record(first + static_cast<std::int32_t>(i)));
        gbk::Text& group = r.strokes == key                      ? exact
                           : r.rank <= StrokeIndex::kCommonRanks ? common
                           : r.rank <= StrokeIndex::kMiddleRanks ? middle
                                                                 : rare;
        group.push_back(firstChar(r.character));
    }
    gbk::Text shown = exact + common + middle;
    if (withRare)
        shown += rare;
    LookupView::Cells cells;
    cells.fill(LookupView::kNoCaption);
    std::copy_n(shown.begin(), std::min(shown.size(), cells.size()), cells.begin());
    std::sort(cells.begin(), cells.end());
    return cells;
}

// The run of records whose strokes begin with `prefix`, [first, end) in 1-based numbers, by two
// binary searches over the sorted 12-byte field.
std::pair<std::int32_t, std::int32_t> strokeRun(const RecordFile& f, std::string_view prefix) {
    auto field = [&f, &prefix](std::int32_t n) {
        return std::string_view(f.record(n).data() + StrokeRecord::kStrokesOffset, prefix.size());
    };
    auto search = [&f, &field, &prefix](bool past) {
        std::int32_t low = 1, high = f.count() + 1;
        while (low < high) {
            const std::int32_t mid = low + (high - low) / 2;
            const int c = field(mid).compare(prefix);
            if (c < 0 || (past && c == 0))
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    return {search(false), search(true)};
}

struct Group {
    std::int32_t first = 0;
    std::size_t count = 0;
};

// The records of each first character (phrases and codes are grouped by it).
std::unordered_map<gbk::Char, Group> groups(const RecordFile& f) {
    std::unordered_map<gbk::Char, Group> out;
    for (std::int32_t n = 1; n <= f.count(); ++n) {
        Group& g = out[gbk::firstChar(f.record(n))];
        if (g.count == 0)
            g.first = n;
        ++g.count;
    }
    return out;
}

// Exit status 1: the benchmark could not measure; 3: a dictionary is missing or unusable.
int fail(const std::string& message, int status = 1) {
    std::cerr << "bench_core: " << message << '\n';
    return status;
}

int run(int argc, char** argv) {
    Options o;
    std::vector<char*> rest{argv[0]};
    try {
        for (int i = 1; i < argc; ++i)
            if (!parseOwnFlag(argv[i], o))
                rest.push_back(argv[i]);
    } catch (const std::exception&) { // a number that std::stod or std::stoi refuses
        std::cerr
            << "usage: bench_core [--data=DIR] [--out=FILE] [--cases=FILE] [--smoke] "
               "[--save-db=FILE] [--case-time=SECONDS] [--repetitions=N] [benchmark options]\n";
        return 2;
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data()))
        return 2;

    // The window's state, started as the window starts it, with the pinyin keyboard opened once.
    const gbk::Codec codec;
    LookupState state(codec);
    auto problems = state.start(platform::ProgramFiles(o.data, {}).lookupFiles());
    state.Command1_Click();
    for (auto& p : state.takeProblems())
        problems.push_back(p);
    if (!problems.empty())
        return fail(firstProblem(problems), 3);

    // The same files mapped again for the baselines.
    const RecordFile strokes = dictionary<StrokeRecord>(o.data);
    const RecordFile phrases = dictionary<PhraseRecord>(o.data);
    const RecordFile codes = dictionary<CodeRecord>(o.data);
    const RecordFile pinyin = dictionary<PinyinRecord>(o.data);
    std::string error;
    const auto built = Clock::now();
    const auto db = SqliteTables::build(strokes, phrases, codes, pinyin, error);
    if (!db)
        return fail("SQLite: " + error);
    std::cerr << "SQLite tables built in "
              << std::chrono::duration<double, std::milli>(Clock::now() - built).count() << " ms\n";
    for (const std::string& plan : db->plans())
        std::cerr << "  " << plan << '\n';
    if (!o.saveDb.empty() && !db->saveTo(o.saveDb, error))
        return fail("SQLite: cannot save to " + o.saveDb + ": " + error);

    std::vector<SqliteTables::GridRow> gridRows;
    std::vector<SqliteTables::StrokeRow> strokeRows;
    std::vector<SqliteTables::PhraseRow> phraseRows;
    std::vector<SqliteTables::CodeRow> codeRows;
    std::vector<SqliteTables::PinyinRow> pinyinRows;

    // --- The cases, each checked once: the limit and SQLite find the run the window's own search
    // begins reading, and SQLite's grid holds as many cells as the window's grid can.
    std::deque<Case> strokeCases, pickCases, pinyinCases;
    auto clickAll = [&state](std::string_view digits, std::size_t count) {
        state.Command8_Click();
        for (std::size_t i = 0; i < count; ++i)
            state.strokeClick(digits[i] - '0');
    };
    std::vector<std::string> digitStrings = strokeStrings(4);
    if (o.smoke)
        digitStrings = {"1", "14", "141", "2511", "3333"}; // 3333 finds nothing
    for (const std::string& d : digitStrings) {
        Case& c = strokeCases.emplace_back();
        c.key = d;
        c.preset = LookupState::hasPresetList(d);
        if (c.preset)
            continue;
        const std::size_t offset = StrokeRecord::kStrokesOffset;
        const std::int32_t first = firstFrom(strokes, offset, d);
        c.rows = first > 0 ? runFrom(strokes, first, offset, d, SIZE_MAX) : 0;
        clickAll(d, d.size());
        LookupView::Cells shown = state.view().Label11;
        std::sort(shown.begin(), shown.end());
        if (shown != runCells(strokes, first, c.rows, d, false) &&
            shown != runCells(strokes, first, c.rows, d, true))
            return fail("strokes " + d + ": the grid shows other characters than the run holds");
        const auto [low, end] = strokeRun(strokes, d);
        if (static_cast<std::size_t>(end - low) != c.rows || (c.rows > 0 && low != first))
            return fail("strokes " + d + ": the limit's bisection found another run");
        db->strokes(d, strokeRows);
        if (strokeRows.size() != c.rows)
            return fail("strokes " + d + ": SQLite found " + std::to_string(strokeRows.size()) +
                        " rows, the file " + std::to_string(c.rows));
        db->strokeGrid(d, gridRows);
        if (gridRows.size() != std::min<std::size_t>(c.rows, layout::kGridCells))
            return fail("strokes " + d + ": SQLite's grid has " + std::to_string(gridRows.size()) +
                        " cells for a run of " + std::to_string(c.rows));
    }

    {
        const auto phraseGroups = groups(phrases);
        const auto codeGroups = groups(codes);
        const auto strokesOf = strokesOfCharacters(strokes);
        for (const gbk::Char ch : mostFrequent(strokes, o.smoke ? 3 : 3000)) {
            Case& c = pickCases.emplace_back();
            c.character = ch;
            c.key = codec.toUtf8(gbk::Text(1, ch));
            c.place = placeInGrid(state, ch, strokesOf.at(ch));
            if (c.place.cell < 0)
                return fail("pick " + c.key + ": no beginning of its strokes shows it");
            Group words, found;
            if (auto it = phraseGroups.find(ch); it != phraseGroups.end())
                words = it->second;
            if (auto it = codeGroups.find(ch); it != codeGroups.end())
                found = it->second;
            words.count = std::min<std::size_t>(words.count, SqliteTables::kPhraseLimit);
            c.rows = words.count + found.count;
            db->pick(gbk::code(ch), phraseRows, codeRows);
            if (phraseRows.size() != words.count || codeRows.size() != found.count)
                return fail("pick " + c.key + ": SQLite found other rows than the files hold");
        }
    }

    {
        std::set<std::string> prefixes;
        for (std::int32_t n = 1; n <= pinyin.count(); ++n) {
            const PinyinRecord r = PinyinRecord::read(pinyin.record(n));
            const std::string_view reading = trimRight(view(r.pinyin));
            for (std::size_t length = 1; length <= 3 && length <= reading.size(); ++length)
                prefixes.insert(std::string(reading.substr(0, length)));
        }
        std::size_t taken = 0;
        for (const std::string& letters : prefixes) {
            if (o.smoke && ++taken > 3)
                break;
            Case& c = pinyinCases.emplace_back();
            c.key = letters;
            state.Command1_Click();
            for (char l : letters)
                state.Command18_Click(l);
            const std::size_t offset = PinyinRecord::kPinyinOffset;
            const std::int32_t first = firstFrom(pinyin, offset, letters);
            c.rows =
                first > 0 ? runFrom(pinyin, first, offset, letters, SqliteTables::kPinyinLimit) : 0;
            // The first page: the run's characters from its first record, then empty cells.
            const LookupView::PinyinCells& cells = state.view().Label66;
            for (std::size_t i = 0; i < cells.size(); ++i) {
                const gbk::Char expected =
                    i < c.rows ? firstChar(PinyinRecord::read(
                                               pinyin.record(first + static_cast<std::int32_t>(i)))
                                               .character)
                               : LookupView::kNoCaption;
                if (cells[i] != expected)
                    return fail("pinyin " + letters + ": cell " + std::to_string(i) +
                                " is not the run's");
            }
            db->pinyin(letters, pinyinRows);
            if (pinyinRows.size() != c.rows)
                return fail("pinyin " + letters + ": SQLite found " +
                            std::to_string(pinyinRows.size()) + " rows, the file " +
                            std::to_string(c.rows));
        }
    }

    // --- The benchmarks.
    Collector collector;
    // The limit's copy of the shown records goes here.
    std::vector<char> scratch(static_cast<std::size_t>(layout::kGridCells) * StrokeRecord::kLength);
    auto configure = [&o](benchmark::internal::Benchmark* b, bool manual) {
        b->Unit(benchmark::kNanosecond);
        if (manual)
            b->UseManualTime();
        else
            b->UseRealTime();
        if (o.smoke)
            b->Iterations(1)->Repetitions(1);
        else
            b->MinTime(o.caseTime)->Repetitions(o.repetitions);
    };
    auto add = [&](const std::string& op, Impl impl, Case& c, auto&& body) {
        const std::string name = op + "/" + kImplNames[impl] + "/" + c.key;
        configure(benchmark::RegisterBenchmark(name.c_str(), body), impl == kOurs);
        collector.slots[name] = &c.runs[impl];
    };
    auto seconds = [](Clock::time_point a, Clock::time_point b) {
        return std::chrono::duration<double>(b - a).count();
    };

    Case clockCase;
    clockCase.key = "overhead";
    add("clock", kOurs, clockCase, [&](benchmark::State& st) {
        for (auto _ : st) {
            const auto t0 = Clock::now();
            const auto t1 = Clock::now();
            st.SetIterationTime(seconds(t0, t1));
        }
    });

    for (Case& c : strokeCases) {
        add("stroke", kOurs, c, [&](benchmark::State& st) {
            const std::string& d = c.key;
            for (auto _ : st) {
                clickAll(d, d.size() - 1);
                const auto t0 = Clock::now();
                state.strokeClick(d.back() - '0');
                const auto t1 = Clock::now();
                st.SetIterationTime(seconds(t0, t1));
            }
            benchmark::DoNotOptimize(state.view().Label11);
        });
        if (c.preset)
            continue;
        add("stroke", kLimit, c, [&](benchmark::State& st) {
            for (auto _ : st) {
                const auto [first, end] = strokeRun(strokes, c.key);
                const auto shown = std::min<std::int32_t>(end - first, layout::kGridCells);
                if (shown > 0)
                    std::memcpy(scratch.data(), strokes.record(first).data(),
                                static_cast<std::size_t>(shown) * StrokeRecord::kLength);
                benchmark::DoNotOptimize(scratch.data());
                benchmark::ClobberMemory();
            }
        });
        add("stroke", kSqlite, c, [&](benchmark::State& st) {
            for (auto _ : st) {
                db->strokeGrid(c.key, gridRows);
                benchmark::DoNotOptimize(gridRows.data());
            }
        });
        add("stroke", kSqliteRun, c, [&](benchmark::State& st) {
            for (auto _ : st) {
                db->strokes(c.key, strokeRows);
                benchmark::DoNotOptimize(strokeRows.data());
            }
        });
    }
    for (Case& c : pickCases) {
        add("pick", kOurs, c, [&](benchmark::State& st) {
            for (auto _ : st) {
                clickAll(c.place.digits, c.place.digits.size());
                const auto t0 = Clock::now();
                state.Label11_MouseDown(c.place.cell);
                const auto t1 = Clock::now();
                st.SetIterationTime(seconds(t0, t1));
            }
            benchmark::DoNotOptimize(state.view().Label11);
        });
        add("pick", kSqlite, c, [&](benchmark::State& st) {
            for (auto _ : st) {
                db->pick(gbk::code(c.character), phraseRows, codeRows);
                benchmark::DoNotOptimize(phraseRows.data());
                benchmark::DoNotOptimize(codeRows.data());
            }
        });
    }
    for (Case& c : pinyinCases) {
        add("pinyin", kOurs, c, [&](benchmark::State& st) {
            const std::string& letters = c.key;
            for (auto _ : st) {
                state.Command1_Click();
                for (std::size_t i = 0; i + 1 < letters.size(); ++i)
                    state.Command18_Click(letters[i]);
                const auto t0 = Clock::now();
                state.Command18_Click(letters.back());
                const auto t1 = Clock::now();
                st.SetIterationTime(seconds(t0, t1));
            }
            benchmark::DoNotOptimize(state.view().Label66);
        });
        add("pinyin", kSqlite, c, [&](benchmark::State& st) {
            for (auto _ : st) {
                db->pinyin(c.key, pinyinRows);
                benchmark::DoNotOptimize(pinyinRows.data());
            }
        });
    }

    std::cerr << "measuring " << strokeCases.size() << " stroke strings, " << pickCases.size()
              << " picks, " << pinyinCases.size() << " pinyin prefixes\n";
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    for (const std::string& e : collector.errors)
        std::cerr << "bench_core: " << e << '\n';
    if (!collector.errors.empty())
        return 1;

    // --- The figures.
    std::vector<const Case*> searched, nothing, presets, picks, prefixes;
    for (const Case& c : strokeCases) {
        (c.preset ? presets : searched).push_back(&c);
        if (!c.preset && c.rows == 0)
            nothing.push_back(&c);
    }
    for (const Case& c : pickCases)
        picks.push_back(&c);
    for (const Case& c : pinyinCases)
        prefixes.push_back(&c);

    struct Op {
        const char* name;
        const char* what;
        const std::vector<const Case*>* cases;
        std::vector<Impl> impls;
        std::array<Stats, kImpls> s;
    };
    Op ops[] = {{"stroke",
                 "searched stroke strings of 1-4 strokes",
                 &searched,
                 {kOurs, kLimit, kSqlite, kSqliteRun},
                 {}},
                {"pick", "picks of the most frequent characters", &picks, {kOurs, kSqlite}, {}},
                {"pinyin", "pinyin prefixes of 1-3 letters", &prefixes, {kOurs, kSqlite}, {}}};
    for (const Op& op : ops)
        for (const Case* c : *op.cases)
            for (const Impl impl : op.impls)
                if (c->runs[impl].empty())
                    return fail("no time for " + c->key + " (a filter left it out?)");
    std::printf("\n%-8s %-10s %6s %12s %12s %12s %14s  %s\n", "look-up", "impl", "cases",
                "median ns", "p99 ns", "worst ns", "total us", "worst case");
    for (Op& op : ops) {
        for (const Impl impl : op.impls) {
            const Stats s = op.s[impl] = stats(*op.cases, impl);
            std::printf("%-8s %-10s %6zu %12.1f %12.1f %12.1f %14.1f  %s\n", op.name,
                        kImplNames[impl], s.count, s.median, s.p99, s.worst, s.total / 1000,
                        s.worstKey.c_str());
        }
    }
    const Stats preset = stats(presets, kOurs);
    const Stats empty = stats(nothing, kOurs);
    std::printf("%-8s %-10s %6zu %12.1f %12.1f %12.1f %14.1f  %s  (preset lists, not searched)\n",
                "stroke", "ours", preset.count, preset.median, preset.p99, preset.worst,
                preset.total / 1000, preset.worstKey.c_str());
    std::printf("%-8s %-10s %6zu %12.1f %12.1f %12.1f %14.1f  %s  (strings that find nothing)\n",
                "stroke", "ours", empty.count, empty.median, empty.p99, empty.worst,
                empty.total / 1000, empty.worstKey.c_str());
    const double clock = clockCase.time(kOurs);
    std::printf("one clock reading around each of ours: %.1f ns\n\n", clock);

    auto ratio = [](double a, double b) { return b > 0 ? a / b : std::nan(""); };
    const Op& st = ops[0];
    const Stats& ours = st.s[kOurs];
    const Stats& limit = st.s[kLimit];
    const Stats& grid = st.s[kSqlite];
    const Stats& run = st.s[kSqliteRun];
    std::printf("stroke (%zu %s): ours/limit median %.2f p99 %.2f; SQLite's grid/ours median "
                "%.1f p99 %.1f; SQLite's whole run/ours median %.1f p99 %.1f\n",
                ours.count, st.what, ratio(ours.median, limit.median), ratio(ours.p99, limit.p99),
                ratio(grid.median, ours.median), ratio(grid.p99, ours.p99),
                ratio(run.median, ours.median), ratio(run.p99, ours.p99));
    for (const Op& op : {ops[1], ops[2]})
        std::printf("%s (%zu %s): SQLite/ours median %.1f p99 %.1f total %.1f\n", op.name,
                    op.s[kOurs].count, op.what, ratio(op.s[kSqlite].median, op.s[kOurs].median),
                    ratio(op.s[kSqlite].p99, op.s[kOurs].p99),
                    ratio(op.s[kSqlite].total, op.s[kOurs].total));
    std::fflush(stdout);

    // The figures the budgets read first, then the rest.
    Figures fig;
    fig.add("stroke.median_vs_limit", ratio(ours.median, limit.median));
    fig.add("stroke.p99_vs_limit", ratio(ours.p99, limit.p99));
    fig.add("stroke.p99_prefixsql_over_ours", ratio(grid.p99, ours.p99));
    fig.add("pick_vs_sqlite", ratio(ops[1].s[kSqlite].total, ops[1].s[kOurs].total));
    fig.add("pinyin_vs_sqlite", ratio(ops[2].s[kSqlite].total, ops[2].s[kOurs].total));
    fig.add("stroke.nothing_over_preset",
            empty.count ? ratio(empty.median, preset.median) : std::nan(""));
    fig.add("stroke.median_prefixsql_over_ours", ratio(grid.median, ours.median));
    fig.add("stroke.median_runsql_over_ours", ratio(run.median, ours.median));
    fig.add("stroke.p99_runsql_over_ours", ratio(run.p99, ours.p99));
    fig.add("stroke.ours_worst_strokes", ours.worstKey);
    fig.add("stroke.preset_median_ns", preset.median, 1);
    fig.add("stroke.nothing_median_ns", empty.median, 1);
    fig.add("stroke.cases", static_cast<double>(searched.size()), 0);
    fig.add("stroke.nothing_cases", static_cast<double>(nothing.size()), 0);
    fig.add("pick.cases", static_cast<double>(picks.size()), 0);
    fig.add("pinyin.cases", static_cast<double>(prefixes.size()), 0);
    fig.add("clock_overhead_ns", clock, 1);
    for (const Op& op : ops) {
        for (const Impl impl : op.impls) {
            const std::string name = std::string(op.name) + "." + kImplNames[impl];
            fig.add(name + "_median_ns", op.s[impl].median, 1);
            fig.add(name + "_p99_ns", op.s[impl].p99, 1);
            fig.add(name + "_worst_ns", op.s[impl].worst, 1);
        }
    }
    if (!o.out.empty() && !fig.write(o.out))
        return fail("cannot write " + o.out);
    if (!o.cases.empty()) {
        std::ofstream f(o.cases);
        f << "look-up\tcase\tpreset\trows\tours_ns\tlimit_ns\tsqlite_ns\tsqlite_run_ns\n";
        for (const auto& [op, cases] :
             {std::pair{"stroke", &strokeCases}, {"pick", &pickCases}, {"pinyin", &pinyinCases}})
            for (const Case& c : *cases)
                f << op << '\t' << c.key << '\t' << c.preset << '\t' << c.rows << '\t'
                  << c.time(kOurs) << '\t' << c.time(kLimit) << '\t' << c.time(kSqlite) << '\t'
                  << c.time(kSqliteRun) << '\n';
        f.close();
        if (!f.good())
            return fail("cannot write " + o.cases);
    }
    return 0;
}

} // namespace
} // namespace tovrin::bench

int main(int argc, char** argv) {
    return tovrin::bench::run(argc, argv);
}
