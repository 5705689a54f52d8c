// Compiles the four dictionaries from the open data sources.
//
// The character set is every hanzi of GBK: U+4E00-U+9FA5, the compatibility ideographs GBK
// holds and U+3007, 20,924 characters. Each is ranked 1.. by commonness, and the rank orders
// equal stroke sequences and equal readings.
#pragma once

#include "core/dict/records.h"
#include "tools/mkdict/sources.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::mkdict {

// The labels a report gives the sources.
namespace source {
inline constexpr std::string_view kStrokeOrders = "cnchar-order";
inline constexpr std::string_view kRimeStroke = "stroke.dict.yaml";
inline constexpr std::string_view kWubi = "wubi86.dict.yaml";
inline constexpr std::string_view kPinyin = "pinyin_simp.dict.yaml";
inline constexpr std::string_view kHaifeng = "wubi-haifeng86.db";
inline constexpr std::string_view kMandarin = "Unihan kMandarin";
inline constexpr std::string_view kCharacterSet = "GBK hanzi";
} // namespace source

// Why a source row or a character left no record.
namespace reason {
inline constexpr std::string_view kNotGbk = "not in GBK";
inline constexpr std::string_view kNotHanzi = "not a GBK hanzi";
inline constexpr std::string_view kWord = "more than one character";
inline constexpr std::string_view kDuplicate = "duplicate";
inline constexpr std::string_view kNoStrokes = "no stroke order in any source";
inline constexpr std::string_view kHelperCode = "code begins with z";
inline constexpr std::string_view kBadCode = "code is not 1-4 letters";
inline constexpr std::string_view kSingleCharacter = "single character";
inline constexpr std::string_view kWordLength = "not 2-8 characters";
inline constexpr std::string_view kNotAllHanzi = "not all hanzi";
inline constexpr std::string_view kGroupFull = "past the 201st word of its group";
inline constexpr std::string_view kLongReading = "reading longer than 6 letters";
inline constexpr std::string_view kBadReading = "reading has letters outside pinyin";
inline constexpr std::string_view kNoReading = "no reading in any source";
} // namespace reason

// Where the notes of a report say a record came from or how it was changed.
namespace note {
inline constexpr std::string_view kFromStrokeOrders = "from cnchar-order";
inline constexpr std::string_view kStrokeOrderOverridden =
    "cnchar-order known wrong, rime used instead";
inline constexpr std::string_view kFromMainland = "from stroke.dict.yaml, mainland section";
inline constexpr std::string_view kFromTaiwan = "from stroke.dict.yaml, Taiwan section";
inline constexpr std::string_view kCutStrokes = "cut to 12 strokes";
inline constexpr std::string_view kFromMandarin = "readings from Unihan kMandarin";
} // namespace note

// What one dictionary holds and what was left out of it, and why.
class Report {
public:
    struct Count {
        std::string source; // empty for a note
        std::string what;
        std::size_t count = 0;
    };

    explicit Report(std::string_view fileName) : fileName_(fileName) {}

    void drop(std::string_view source, std::string_view reason, std::size_t n = 1);
    void note(std::string_view what, std::size_t n = 1);

    std::size_t dropped(std::string_view source, std::string_view reason) const;
    std::size_t noted(std::string_view what) const;

    const std::string& fileName() const { return fileName_; }
    // In the order first met.
    const std::vector<Count>& drops() const { return drops_; }
    const std::vector<Count>& notes() const { return notes_; }

private:
    std::string fileName_;
    std::vector<Count> drops_;
    std::vector<Count> notes_;
};

struct Dictionaries {
    std::vector<StrokeRecord> strokes;
    std::vector<CodeRecord> codes;
    std::vector<PhraseRecord> phrases;
    std::vector<PinyinRecord> pinyin;

    Report strokesReport{StrokeRecord::kFileName};
    Report codesReport{CodeRecord::kFileName};
    Report phrasesReport{PhraseRecord::kFileName};
    Report pinyinReport{PinyinRecord::kFileName};

    // GB 2312 characters whose whole stroke sequence (before the cut to the field's width) is
    // not as long as Unihan's kTotalStrokes says, as UTF-8.
    std::vector<std::string> strokeCountMismatches;
};

// Reads every source and builds the records in file order. Throws SourceError.
Dictionaries compile(const SourcePaths& sources, const gbk::Codec& codec);

// The record counts a full build from the pinned sources yields.
struct Expectations {
    std::size_t strokes = 20'924;
    std::size_t codes = 25'564;
    std::size_t phrases = 63'548;
    std::size_t pinyin = 21'470;
    double tolerancePercent = 2.0;
};

// What is wrong with the counts (a count further than the tolerance from its expectation, or
// any stroke-count mismatch), one message each; empty when all is well.
std::vector<std::string> checkCounts(const Dictionaries& dictionaries,
                                     const Expectations& expected);

} // namespace tovrin::mkdict
