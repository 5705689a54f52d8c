// What the benchmark programs share: their flags' values, the stroke strings they time, the
// characters they pick, and percentiles over the cases' times.
#pragma once

#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"
#include "platform/files.h"
#include "platform/paths.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tovrin::bench {

// Whether `arg` is `flag` followed by a value; the value then goes to `out`.
inline bool flagValue(std::string_view arg, std::string_view flag, std::string& out) {
    if (arg.substr(0, flag.size()) != flag)
        return false;
    out = std::string(arg.substr(flag.size()));
    return true;
}

// The flags both benchmarks take: --smoke, --case-time=SECONDS and --repetitions=N, into an
// options struct with those three fields. False when `arg` is none of them.
template <class Options> bool runFlag(std::string_view arg, Options& o) {
    std::string v;
    if (arg == "--smoke") {
        o.smoke = true;
        return true;
    }
    if (flagValue(arg, "--case-time=", v)) {
        o.caseTime = std::stod(v);
        return true;
    }
    if (flagValue(arg, "--repetitions=", v)) {
        o.repetitions = std::max(1, std::stoi(v));
        return true;
    }
    return false;
}

// One of the built dictionaries in `folder`, read whole, for the baselines to read in place.
template <class Record> RecordFile dictionary(const std::string& folder) {
    return RecordFile::fromFile(
        platform::readWholeFile(platform::joinPath(folder, std::string(Record::kFileName))),
        Record::kLength);
}

// The first problem of the window's start-up, as one line; empty when there was none.
inline std::string firstProblem(const std::vector<LookupState::Problem>& problems) {
    if (problems.empty())
        return {};
    const LookupState::Problem& p = problems.front();
    return p.file + ": " + p.reason + " (" + p.path + ")";
}

// Every stroke string of 1 to maxLength strokes, shorter first.
inline std::vector<std::string> strokeStrings(int maxLength) {
    std::vector<std::string> out, level{""};
    for (int length = 1; length <= maxLength; ++length) {
        std::vector<std::string> next;
        for (const std::string& s : level)
            for (char d = '1'; d <= '5'; ++d)
                next.push_back(s + d);
        out.insert(out.end(), next.begin(), next.end());
        level = std::move(next);
    }
    return out;
}

// The `count` most frequent characters by the stroke dictionary's rank (1 = most frequent).
inline std::vector<gbk::Char> mostFrequent(const RecordFile& strokes, std::size_t count) {
    std::map<gbk::Char, int> best;
    for (std::int32_t n = 1; n <= strokes.count(); ++n) {
        const StrokeRecord r = StrokeRecord::read(strokes.record(n));
        const gbk::Char ch = firstChar(r.character);
        if (!gbk::isTwoByte(ch) || r.rank < 1)
            continue;
        auto [it, added] = best.emplace(ch, r.rank);
        if (!added)
            it->second = std::min<int>(it->second, r.rank);
    }
    std::vector<std::pair<int, gbk::Char>> byRank;
    for (const auto& [ch, rank] : best)
        byRank.emplace_back(rank, ch);
    std::sort(byRank.begin(), byRank.end());
    byRank.resize(std::min(byRank.size(), count));
    std::vector<gbk::Char> out;
    for (const auto& [rank, ch] : byRank)
        out.push_back(ch);
    return out;
}

// Each character's stroke string: that of its most frequent record in the stroke dictionary (the
// lowest rank of 1 or more; the first of those), as mostFrequent ranks it.
inline std::map<gbk::Char, std::string> strokesOfCharacters(const RecordFile& strokes) {
    std::map<gbk::Char, std::pair<int, std::string>> best;
    for (std::int32_t n = 1; n <= strokes.count(); ++n) {
        const StrokeRecord r = StrokeRecord::read(strokes.record(n));
        const gbk::Char ch = firstChar(r.character);
        if (!gbk::isTwoByte(ch) || r.rank < 1)
            continue;
        std::string digits(view(r.strokes));
        digits.erase(digits.find_last_not_of(' ') + 1);
        auto [it, added] = best.try_emplace(ch, r.rank, digits);
        if (!added && r.rank < it->second.first)
            it->second = {r.rank, std::move(digits)};
    }
    std::map<gbk::Char, std::string> out;
    for (auto& [ch, rankAndDigits] : best)
        out.emplace(ch, std::move(rankAndDigits.second));
    return out;
}

// Where the window offers a character for a pick: after "清" and the fewest strokes of its
// stroke string, the grid cell that shows it. No digits and cell -1 when even the whole string
// does not show it.
struct GridPlace {
    std::string digits;
    int cell = -1;
};

inline GridPlace placeInGrid(LookupState& state, gbk::Char ch, std::string_view strokes) {
    state.Command8_Click();
    for (std::size_t length = 1; length <= strokes.size(); ++length) {
        state.strokeClick(strokes[length - 1] - '0');
        const LookupView::Cells& cells = state.view().Label11;
        const auto it = std::find(cells.begin(), cells.end(), ch);
        if (it != cells.end())
            return {std::string(strokes.substr(0, length)), static_cast<int>(it - cells.begin())};
    }
    return {};
}

// The nearest-rank percentile p (0 to 1) of sorted times; NaN for none.
inline double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty())
        return std::nan("");
    const auto n = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(n, 1) - 1];
}

} // namespace tovrin::bench
