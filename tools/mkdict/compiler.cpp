#include "tools/mkdict/compiler.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace tovrin::mkdict {

namespace fs = std::filesystem;

void Report::drop(std::string_view source, std::string_view reason, std::size_t n) {
    if (n == 0)
        return;
    for (auto& c : drops_) {
        if (c.source == source && c.what == reason) {
            c.count += n;
            return;
        }
    }
    drops_.push_back({std::string(source), std::string(reason), n});
}

void Report::note(std::string_view what, std::size_t n) {
    if (n == 0)
        return;
    for (auto& c : notes_) {
        if (c.what == what) {
            c.count += n;
            return;
        }
    }
    notes_.push_back({{}, std::string(what), n});
}

std::size_t Report::dropped(std::string_view source, std::string_view reason) const {
    for (const auto& c : drops_)
        if (c.source == source && c.what == reason)
            return c.count;
    return 0;
}

std::size_t Report::noted(std::string_view what) const {
    for (const auto& c : notes_)
        if (c.what == what)
            return c.count;
    return 0;
}

namespace {

// The reader shows at most this many words of a group, so the rest are left out.
constexpr std::size_t kPhrasesPerGroup = 201;

// cnchar-order gets these characters wrong and rime's tables have them right.
constexpr std::string_view kStrokeOrderExceptions = "炽德撅膝邶搿黏皙麟";

[[noreturn]] void malformed(const fs::path& file, std::size_t line, const std::string& what) {
    throw SourceError(SourceError::Kind::Malformed, file, line, what);
}

// A source text field converted to GBK.
struct Converted {
    std::size_t codePoints = 0;
    std::optional<gbk::Text> text; // nothing when a character has no GBK code
};

Converted convert(const gbk::Codec& codec, const fs::path& file, std::size_t line,
                  std::string_view utf8) {
    const auto cps = gbk::Codec::utf8ToCodePoints(utf8);
    if (!cps)
        malformed(file, line, "text is not UTF-8");
    Converted out;
    out.codePoints = cps->size();
    gbk::Text text;
    for (char32_t cp : *cps) {
        const auto c = codec.fromUnicode(cp);
        if (!c)
            return out;
        text.push_back(*c);
    }
    out.text = std::move(text);
    return out;
}

// The GBK hanzi, each with its place in GBK order.
class HanziSet {
public:
    static constexpr std::int32_t kAbsent = -1;

    explicit HanziSet(const gbk::Codec& codec) : index_(0x10000, kAbsent) {
        for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
            for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
                const auto c = static_cast<gbk::Char>(lead << 8 | trail);
                if (isHanzi(codec.toUnicode(c))) {
                    index_[c] = static_cast<std::int32_t>(chars_.size());
                    chars_.push_back(c);
                }
            }
        }
    }

    std::size_t size() const { return chars_.size(); }
    gbk::Char at(std::size_t i) const { return chars_[i]; }
    bool contains(gbk::Char c) const { return index_[c] != kAbsent; }
    std::size_t indexOf(gbk::Char c) const { return static_cast<std::size_t>(index_[c]); }

    // A single character of the set, or nothing.
    std::optional<std::size_t> single(const gbk::Text& text) const {
        if (text.size() != 1 || !contains(text[0]))
            return std::nullopt;
        return indexOf(text[0]);
    }

private:
    // The CJK block as GB 13000 had it, the CJK compatibility ideographs (GBK has 21) and the
    // ideographic zero.
    static bool isHanzi(char32_t cp) {
        return (cp >= 0x4E00 && cp <= 0x9FA5) || (cp >= 0xF900 && cp <= 0xFAFF) || cp == 0x3007;
    }

    std::vector<std::int32_t> index_;
    std::vector<gbk::Char> chars_;
};

// Classifies one source row's text: a single hanzi of the set, or why not.
enum class CharacterFit { Hanzi, Word, NotGbk, NotHanzi };

struct SingleCharacter {
    CharacterFit fit = CharacterFit::Word;
    std::size_t index = 0; // in the HanziSet, for Hanzi
};

SingleCharacter classify(const HanziSet& set, const Converted& converted) {
    if (converted.codePoints != 1)
        return {CharacterFit::Word};
    if (!converted.text)
        return {CharacterFit::NotGbk};
    if (const auto i = set.single(*converted.text))
        return {CharacterFit::Hanzi, *i};
    return {CharacterFit::NotHanzi};
}

std::string_view reasonFor(CharacterFit fit) {
    switch (fit) {
    case CharacterFit::Word:
        return reason::kWord;
    case CharacterFit::NotGbk:
        return reason::kNotGbk;
    case CharacterFit::NotHanzi:
        return reason::kNotHanzi;
    case CharacterFit::Hanzi:
        break;
    }
    return {};
}

// The largest of a character's values, by HanziSet index.
class Largest {
public:
    explicit Largest(std::size_t n) : values_(n) {}
    void offer(std::size_t i, double v) {
        if (!values_[i] || v > *values_[i])
            values_[i] = v;
    }
    double operator[](std::size_t i) const { return values_[i].value_or(0.0); }

private:
    std::vector<std::optional<double>> values_;
};

// kTGH "2013:NNNN": the character's place in the 2013 list of common characters.
int tghTier(const fs::path& file, const UnihanValue& value) {
    std::optional<long> best;
    std::size_t start = 0;
    const std::string& s = value.value;
    while (start < s.size()) {
        auto end = s.find(' ', start);
        if (end == std::string::npos)
            end = s.size();
        const std::string_view item(s.data() + start, end - start);
        const auto colon = item.find(':');
        long index = 0;
        const char* first = colon == std::string_view::npos ? nullptr : item.data() + colon + 1;
        const char* last = item.data() + item.size();
        const auto result = first ? std::from_chars(first, last, index) : std::from_chars_result{};
        if (!first || result.ec != std::errc() || result.ptr != last || index < 1)
            malformed(file, value.line, "kTGH value \"" + s + "\" is not year:index");
        if (!best || index < *best)
            best = index;
        start = end + 1;
    }
    if (!best)
        malformed(file, value.line, "empty kTGH value");
    // 1-3500: the common characters; 3501-6500: the next tier; the rest after them.
    return *best <= 3500 ? 0 : *best <= 6500 ? 1 : 2;
}

// Ranks the set 1.. by (not GB 2312, kTGH tier, -haifeng86 frequency, -wubi86 weight, code).
std::vector<std::int16_t> rankCharacters(const HanziSet& set, const gbk::Codec& codec,
                                         const fs::path& tghFile,
                                         const std::unordered_map<char32_t, UnihanValue>& tgh,
                                         const Largest& haifengFreq, const Largest& wubiWeight) {
    std::vector<int> tier(set.size(), 2);
    for (std::size_t i = 0; i < set.size(); ++i) {
        const auto it = tgh.find(codec.toUnicode(set.at(i)));
        if (it != tgh.end())
            tier[i] = tghTier(tghFile, it->second);
    }
    std::vector<std::size_t> order(set.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto key = [&](std::size_t i) {
        return std::make_tuple(!gbk::isGb2312Hanzi(set.at(i)), tier[i], -haifengFreq[i],
                               -wubiWeight[i], gbk::code(set.at(i)));
    };
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return key(a) < key(b); });
    std::vector<std::int16_t> rank(set.size());
    for (std::size_t r = 0; r < order.size(); ++r)
        rank[order[r]] = static_cast<std::int16_t>(r + 1);
    return rank;
}

template <typename Field> Field filledField(std::string_view text) {
    Field field;
    if (!writeField(field.data(), field.size(), text))
        throw std::logic_error("\"" + std::string(text) + "\" does not fit its field");
    return field;
}

template <typename Field> Field characterField(gbk::Char c) {
    std::string bytes;
    gbk::appendBytes(bytes, c);
    return filledField<Field>(bytes);
}

// Stroke classes: 1 horizontal, 2 vertical, 3 left-falling, 4 dot, 5 turning.
std::optional<char> cncharStroke(char letter) {
    switch (letter) {
    case 'j': // 横
    case 'i': // 提
        return '1';
    case 'f': // 竖
    case 'g': // 竖钩
        return '2';
    case 's': // 撇
        return '3';
    case 'k': // 点
    case 'l': // 捺
    case 'd': // 点2
        return '4';
    default:
        if (letter >= 'a' && letter <= 'z')
            return '5'; // the turning strokes
        return std::nullopt;
    }
}

std::optional<char> rimeStroke(char letter) {
    switch (letter) {
    case 'h':
        return '1';
    case 's':
        return '2';
    case 'p':
        return '3';
    case 'n':
        return '4';
    case 'z':
        return '5';
    default:
        return std::nullopt;
    }
}

template <typename Map>
std::string strokeDigits(const fs::path& file, std::size_t line, const std::string& letters,
                         Map map) {
    std::string digits;
    digits.reserve(letters.size());
    for (char l : letters) {
        const auto d = map(l);
        if (!d)
            malformed(file, line, "stroke letters \"" + letters + "\" hold an unknown letter");
        digits.push_back(*d);
    }
    return digits;
}

struct StrokeSources {
    std::vector<std::optional<std::string>> cnchar, mainland, taiwan;
    explicit StrokeSources(std::size_t n) : cnchar(n), mainland(n), taiwan(n) {}
};

void compileStrokes(const SourcePaths& paths, const gbk::Codec& codec, const HanziSet& set,
                    const std::vector<std::int16_t>& rank, Dictionaries& out) {
    Report& report = out.strokesReport;
    StrokeSources sources(set.size());

    for (const auto& row : readStrokeOrders(paths.strokeOrders)) {
        const auto fit = classify(set, convert(codec, paths.strokeOrders, row.line, row.character));
        if (fit.fit != CharacterFit::Hanzi)
            report.drop(source::kStrokeOrders, reasonFor(fit.fit));
        else if (sources.cnchar[fit.index])
            report.drop(source::kStrokeOrders, reason::kDuplicate);
        else
            sources.cnchar[fit.index] =
                strokeDigits(paths.strokeOrders, row.line, row.letters, cncharStroke);
    }

    // The file's first section is Taiwan's stroke order with Taiwan's character forms; the
    // section after this comment is the older table with the mainland forms, preferred here.
    for (const auto& row : readRimeTable(paths.strokeTable, "# 以下詞條繼承")) {
        const auto fit = classify(set, convert(codec, paths.strokeTable, row.line, row.fields[0]));
        // Only the rows kept are read further: the file has a stray digit in one sequence of a
        // character outside GBK.
        if (fit.fit != CharacterFit::Hanzi) {
            report.drop(source::kRimeStroke, reasonFor(fit.fit));
            continue;
        }
        auto digits = strokeDigits(paths.strokeTable, row.line, row.fields[1], rimeStroke);
        // A character listed twice in a section keeps its first entry.
        auto& slot = row.section == 1 ? sources.mainland[fit.index] : sources.taiwan[fit.index];
        if (!slot)
            slot = std::move(digits);
    }

    const gbk::Text knownWrong = codec.fromUtf8(kStrokeOrderExceptions).value_or(gbk::Text());
    std::vector<std::optional<std::string>> chosen(set.size());
    for (std::size_t i = 0; i < set.size(); ++i) {
        const bool cncharWrong = knownWrong.find(set.at(i)) != gbk::Text::npos;
        const auto& rime = sources.mainland[i] ? sources.mainland[i] : sources.taiwan[i];
        if (sources.cnchar[i] && !(cncharWrong && rime)) {
            chosen[i] = sources.cnchar[i];
            report.note(note::kFromStrokeOrders);
        } else if (rime) {
            chosen[i] = rime;
            report.note(sources.mainland[i] ? note::kFromMainland : note::kFromTaiwan);
            if (sources.cnchar[i])
                report.note(note::kStrokeOrderOverridden);
        } else {
            report.drop(source::kCharacterSet, reason::kNoStrokes);
        }
    }

    // The sequences' lengths are the characters' stroke counts; Unihan's kTotalStrokes agrees
    // for every common character, which guards the choice of source above.
    const auto totals = readUnihanField(paths.unihanSources, "kTotalStrokes");
    for (std::size_t i = 0; i < set.size(); ++i) {
        const gbk::Char c = set.at(i);
        if (!gbk::isGb2312Hanzi(c))
            continue;
        const auto it = totals.find(codec.toUnicode(c));
        long total = -1;
        if (it != totals.end()) {
            const std::string& v = it->second.value;
            const auto r = std::from_chars(v.data(), v.data() + v.size(), total);
            if (r.ec != std::errc() || (r.ptr != v.data() + v.size() && *r.ptr != ' '))
                malformed(paths.unihanSources, it->second.line,
                          "kTotalStrokes \"" + v + "\" is not a number");
        }
        if (!chosen[i] || static_cast<long>(chosen[i]->size()) != total)
            out.strokeCountMismatches.push_back(codec.toUtf8(gbk::Text(1, c)));
    }

    for (std::size_t i = 0; i < set.size(); ++i) {
        if (!chosen[i])
            continue;
        std::string digits = *chosen[i];
        // Longer sequences keep the first strokes that fit; dropping them would lose a quarter
        // of the common characters.
        if (digits.size() > StrokeRecord::kStrokesWidth) {
            digits.resize(StrokeRecord::kStrokesWidth);
            report.note(note::kCutStrokes);
        }
        StrokeRecord r;
        r.character = characterField<decltype(r.character)>(set.at(i));
        r.strokes = filledField<decltype(r.strokes)>(digits);
        r.rank = rank[i];
        out.strokes.push_back(r);
    }
    // Equal sequences list the commoner character first.
    std::sort(out.strokes.begin(), out.strokes.end(),
              [](const StrokeRecord& a, const StrokeRecord& b) {
                  return std::tie(a.strokes, a.rank) < std::tie(b.strokes, b.rank);
              });
}

bool isCode(std::string_view code) {
    return !code.empty() && code.size() <= CodeRecord::kCodeWidth &&
           std::all_of(code.begin(), code.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

struct WubiRow {
    std::size_t index; // in the HanziSet
    std::string code;  // upper-case
};

// Reads the wubi86 table once: the characters' codes, and their weights for the rank.
std::vector<WubiRow> readWubiCodes(const SourcePaths& paths, const gbk::Codec& codec,
                                   const HanziSet& set, Largest& weight, Report& report) {
    std::vector<WubiRow> rows;
    for (const auto& row : readRimeTable(paths.wubiTable)) {
        const double w = parseWeight(paths.wubiTable, row, 2);
        const auto fit = classify(set, convert(codec, paths.wubiTable, row.line, row.fields[0]));
        if (fit.fit == CharacterFit::Hanzi)
            weight.offer(fit.index, w);
        const std::string& code = row.fields[1];
        // Codes beginning with z are the helper key's rows: symbols and look-up aids, not
        // codes a learner types.
        if (fit.fit == CharacterFit::Word)
            report.drop(source::kWubi, reason::kWord);
        else if (code.front() == 'z')
            report.drop(source::kWubi, reason::kHelperCode);
        else if (fit.fit != CharacterFit::Hanzi)
            report.drop(source::kWubi, reasonFor(fit.fit));
        else if (!isCode(code))
            report.drop(source::kWubi, reason::kBadCode);
        else {
            std::string upper = code;
            for (char& ch : upper)
                ch = static_cast<char>(ch - 'a' + 'A');
            rows.push_back({fit.index, std::move(upper)});
        }
    }
    return rows;
}

void compileCodes(const HanziSet& set, std::vector<WubiRow> rows, Dictionaries& out) {
    auto key = [&](const WubiRow& r) {
        return std::make_tuple(gbk::code(set.at(r.index)), r.code.size(), std::string_view(r.code));
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const WubiRow& a, const WubiRow& b) { return key(a) < key(b); });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && key(rows[i]) == key(rows[i - 1])) {
            out.codesReport.drop(source::kWubi, reason::kDuplicate);
            continue;
        }
        CodeRecord r;
        r.character = characterField<decltype(r.character)>(set.at(rows[i].index));
        r.code = filledField<decltype(r.code)>(rows[i].code);
        out.codes.push_back(r);
    }
}

struct HaifengWord {
    std::int16_t group; // the first character's code
    std::int64_t freq;
    std::string bytes; // GBK
};

// Reads the haifeng86 table once: its words, and the characters' frequencies for the rank.
std::vector<HaifengWord> readHaifengWords(const SourcePaths& paths, const gbk::Codec& codec,
                                          const HanziSet& set, Largest& freq, Report& report) {
    std::map<std::string, std::int64_t> words;
    for (const auto& row : readHaifengPhrases(paths.haifengDb)) {
        const auto converted =
            convert(codec, paths.haifengDb, static_cast<std::size_t>(row.id), row.phrase);
        if (converted.codePoints == 1) {
            const auto fit = classify(set, converted);
            if (fit.fit == CharacterFit::Hanzi)
                freq.offer(fit.index, static_cast<double>(row.freq));
            report.drop(source::kHaifeng, reason::kSingleCharacter);
            continue;
        }
        if (!converted.text) {
            report.drop(source::kHaifeng, reason::kNotGbk);
            continue;
        }
        const gbk::Text& text = *converted.text;
        if (text.size() < 2 || text.size() > 8) {
            report.drop(source::kHaifeng, reason::kWordLength);
            continue;
        }
        if (!std::all_of(text.begin(), text.end(), [&](gbk::Char c) { return set.contains(c); })) {
            report.drop(source::kHaifeng, reason::kNotAllHanzi);
            continue;
        }
        auto [it, inserted] = words.emplace(gbk::encode(text), row.freq);
        if (!inserted) {
            report.drop(source::kHaifeng, reason::kDuplicate);
            it->second = std::max(it->second, row.freq);
        }
    }
    std::vector<HaifengWord> out;
    out.reserve(words.size());
    for (auto& [bytes, f] : words)
        out.push_back({gbk::code(gbk::decode(bytes).front()), f, bytes});
    return out;
}

void compilePhrases(std::vector<HaifengWord> words, Dictionaries& out) {
    // Grouped by the first character's code; in a group, the most frequent first.
    auto key = [](const HaifengWord& w) {
        return std::make_tuple(
            w.group, -w.freq,
            std::basic_string_view<unsigned char>(
                reinterpret_cast<const unsigned char*>(w.bytes.data()), w.bytes.size()));
    };
    std::sort(words.begin(), words.end(),
              [&](const HaifengWord& a, const HaifengWord& b) { return key(a) < key(b); });
    std::size_t inGroup = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i == 0 || words[i].group != words[i - 1].group)
            inGroup = 0;
        if (++inGroup > kPhrasesPerGroup) {
            out.phrasesReport.drop(source::kHaifeng, reason::kGroupFull);
            continue;
        }
        PhraseRecord r;
        r.text = filledField<decltype(r.text)>(words[i].bytes);
        out.phrases.push_back(r);
    }
}

struct Reading {
    std::size_t index; // in the HanziSet
    std::string pinyin;
    double weight;
    std::string_view from; // the source's label
};

// Letters a-z with ü written v, as the readings are typed; nothing for other letters.
std::optional<std::string> spellReading(std::string_view pinyin) {
    std::string out;
    for (std::size_t i = 0; i < pinyin.size(); ++i) {
        const char c = pinyin[i];
        if (c >= 'a' && c <= 'z') {
            out.push_back(c);
        } else if (pinyin.substr(i, 2) == "ü") {
            out.push_back('v');
            ++i;
        } else {
            return std::nullopt;
        }
    }
    // Written lue and nue in the source, but lve and nve like lv and nv.
    if (out == "lue" || out == "nue")
        out[1] = 'v';
    return out;
}

// A kMandarin reading without its tone mark, ü as v.
std::optional<std::string> untonedReading(std::string_view toned) {
    const auto cps = gbk::Codec::utf8ToCodePoints(toned);
    if (!cps)
        return std::nullopt;
    static constexpr std::pair<std::u32string_view, char> kMarked[] = {
        {U"āáǎà", 'a'}, {U"ēéěèêếề", 'e'}, {U"īíǐì", 'i'}, {U"ōóǒò", 'o'},
        {U"ūúǔù", 'u'}, {U"üǖǘǚǜ", 'v'},   {U"ńňǹ", 'n'},  {U"ḿ", 'm'},
    };
    std::string out;
    for (char32_t cp : *cps) {
        if (cp >= U'a' && cp <= U'z') {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        if (cp >= 0x300 && cp <= 0x36F) { // a combining tone mark; a diaeresis makes u into v
            if (cp == 0x308 && !out.empty() && out.back() == 'u')
                out.back() = 'v';
            continue;
        }
        const auto it = std::find_if(std::begin(kMarked), std::end(kMarked), [&](const auto& m) {
            return m.first.find(cp) != std::u32string_view::npos;
        });
        if (it == std::end(kMarked))
            return std::nullopt;
        out.push_back(it->second);
    }
    return out;
}

void compilePinyin(const SourcePaths& paths, const gbk::Codec& codec, const HanziSet& set,
                   const std::vector<std::int16_t>& rank, Dictionaries& out) {
    Report& report = out.pinyinReport;
    std::vector<Reading> readings;
    std::vector<bool> hasReading(set.size(), false);

    auto keep = [&](std::string_view from, std::size_t index, const std::optional<std::string>& p,
                    double weight) {
        if (!p || p->empty())
            report.drop(from, reason::kBadReading);
        else if (p->size() > PinyinRecord::kPinyinWidth)
            report.drop(from, reason::kLongReading);
        else {
            readings.push_back({index, *p, weight, from});
            hasReading[index] = true;
            return true;
        }
        return false;
    };

    for (const auto& row : readRimeTable(paths.pinyinTable)) {
        const double weight = parseWeight(paths.pinyinTable, row, 2);
        const auto fit = classify(set, convert(codec, paths.pinyinTable, row.line, row.fields[0]));
        if (fit.fit != CharacterFit::Hanzi)
            report.drop(source::kPinyin, reasonFor(fit.fit));
        else
            keep(source::kPinyin, fit.index, spellReading(row.fields[1]), weight);
    }

    // Characters the pinyin table lacks take Unihan's readings, with no weight of their own.
    const auto mandarin = readUnihanField(paths.unihanReadings, "kMandarin");
    for (std::size_t i = 0; i < set.size(); ++i) {
        if (hasReading[i])
            continue;
        const auto it = mandarin.find(codec.toUnicode(set.at(i)));
        if (it == mandarin.end()) {
            report.drop(source::kCharacterSet, reason::kNoReading);
            continue;
        }
        const std::string& value = it->second.value;
        std::size_t start = 0;
        while (start < value.size()) {
            auto end = value.find(' ', start);
            if (end == std::string::npos)
                end = value.size();
            const std::string_view toned(value.data() + start, end - start);
            if (!toned.empty())
                keep(source::kMandarin, i, untonedReading(toned), 0.0);
            start = end + 1;
        }
    }

    // One record per character and reading, with the reading's largest weight.
    std::sort(readings.begin(), readings.end(), [](const Reading& a, const Reading& b) {
        return std::tie(a.index, a.pinyin, b.weight) < std::tie(b.index, b.pinyin, a.weight);
    });
    std::vector<Reading> unique;
    for (auto& r : readings) {
        if (!unique.empty() && unique.back().index == r.index && unique.back().pinyin == r.pinyin) {
            report.drop(r.from, reason::kDuplicate);
            continue;
        }
        if (r.from == source::kMandarin)
            report.note(note::kFromMandarin);
        unique.push_back(std::move(r));
    }

    // By reading; then the common characters; then by weight and rank.
    auto key = [&](const Reading& r) {
        return std::make_tuple(std::string_view(r.pinyin), !gbk::isGb2312Hanzi(set.at(r.index)),
                               -r.weight, rank[r.index]);
    };
    std::sort(unique.begin(), unique.end(),
              [&](const Reading& a, const Reading& b) { return key(a) < key(b); });
    for (const auto& r : unique) {
        PinyinRecord rec;
        rec.character = characterField<decltype(rec.character)>(set.at(r.index));
        rec.pinyin = filledField<decltype(rec.pinyin)>(r.pinyin);
        out.pinyin.push_back(rec);
    }
}

} // namespace

Dictionaries compile(const SourcePaths& sources, const gbk::Codec& codec) {
    for (const auto& file : sources.all())
        requireFile(file);

    Dictionaries out;
    const HanziSet set(codec);

    Largest wubiWeight(set.size());
    auto wubiRows = readWubiCodes(sources, codec, set, wubiWeight, out.codesReport);
    Largest haifengFreq(set.size());
    auto words = readHaifengWords(sources, codec, set, haifengFreq, out.phrasesReport);
    const auto rank =
        rankCharacters(set, codec, sources.unihanMappings,
                       readUnihanField(sources.unihanMappings, "kTGH"), haifengFreq, wubiWeight);

    compileStrokes(sources, codec, set, rank, out);
    compileCodes(set, std::move(wubiRows), out);
    compilePhrases(std::move(words), out);
    compilePinyin(sources, codec, set, rank, out);
    return out;
}

std::vector<std::string> checkCounts(const Dictionaries& d, const Expectations& expected) {
    std::vector<std::string> problems;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%g", expected.tolerancePercent);
    auto check = [&](std::string_view file, std::size_t got, std::size_t want) {
        const double off = std::abs(static_cast<double>(got) - static_cast<double>(want));
        if (off > static_cast<double>(want) * expected.tolerancePercent / 100.0)
            problems.push_back(std::string(file) + ": " + std::to_string(got) +
                               " records, expected " + std::to_string(want) + " within " + percent +
                               "%");
    };
    check(StrokeRecord::kFileName, d.strokes.size(), expected.strokes);
    check(CodeRecord::kFileName, d.codes.size(), expected.codes);
    check(PhraseRecord::kFileName, d.phrases.size(), expected.phrases);
    check(PinyinRecord::kFileName, d.pinyin.size(), expected.pinyin);
    if (!d.strokeCountMismatches.empty()) {
        std::string list;
        for (std::size_t i = 0; i < d.strokeCountMismatches.size() && i < 20; ++i)
            list += d.strokeCountMismatches[i];
        problems.push_back(std::string(StrokeRecord::kFileName) + ": " +
                           std::to_string(d.strokeCountMismatches.size()) +
                           " GB 2312 characters whose stroke count differs from Unihan's "
                           "kTotalStrokes: " +
                           list);
    }
    return problems;
}

} // namespace tovrin::mkdict
