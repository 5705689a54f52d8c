#include "core/practice/grading.h"

#include "core/dict/bisect.h"
#include "core/dict/records.h"
#include "core/dict/wordcode.h"

#include <algorithm>

namespace tovrin::practice {

namespace {

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A dictionary code in lowercase, or empty when it is not 1-4 letters a-y.
std::string typable(std::string_view code) {
    while (!code.empty() && code.back() == ' ')
        code.remove_suffix(1);
    if (code.empty() || code.size() > 4)
        return {};
    std::string out;
    for (const char c : code) {
        if (!keyRoots(c))
            return {};
        out += lower(c);
    }
    return out;
}

// Every typable code of the character, once each, in the dictionary's order.
std::vector<std::string> codesOf(const RecordFile& codes, gbk::Char character) {
    std::vector<std::string> found;
    const Bisection hit = bisectFirstChar(codes, character);
    if (!hit.found)
        return found;
    auto same = [&](std::int32_t n) { return gbk::firstChar(codes.record(n)) == character; };
    for (std::int32_t n = firstOfRun(hit.pos, same); n <= codes.count() && same(n); ++n) {
        const CodeRecord rec = CodeRecord::read(codes.record(n));
        std::string code = typable(view(rec.code));
        if (!code.empty() && std::find(found.begin(), found.end(), code) == found.end())
            found.push_back(std::move(code));
    }
    return found;
}

// Whether the character is a key's name, or one of its roots that is a character of its own.
void rootFacts(gbk::Char character, ItemCodes& item) {
    const std::string utf8 = gbk::Codec().toUtf8(gbk::Text(1, character));
    for (const KeyRoots& key : keytable::keys) {
        item.keyName = item.keyName || key.name == utf8;
        item.rootCharacter =
            item.rootCharacter ||
            std::find(key.radicals.begin(), key.radicals.end(), utf8) != key.radicals.end();
    }
}

std::optional<ItemCodes> characterItem(gbk::Char character, const RecordFile& codes,
                                       const LastStrokes* lastStrokes) {
    std::vector<std::string> found = codesOf(codes, character);
    if (found.empty())
        return std::nullopt;
    std::stable_sort(found.begin(), found.end(), [](const std::string& a, const std::string& b) {
        return a.size() < b.size();
    });
    const std::size_t longest = found.back().size();
    ItemCodes item{gbk::Text(1, character), {}, {}};
    for (std::string& code : found) {
        const Level level =
            code.size() == longest ? Level::Full : static_cast<Level>(code.size() - 1);
        item.codes.push_back({std::move(code), level});
    }
    rootFacts(character, item);
    item.lastStroke = lastStrokes ? lastStrokes->of(character) : 0;
    return item;
}

std::optional<ItemCodes> wordItem(const gbk::Text& word, const RecordFile& codes) {
    ItemCodes item{word, {}, {}};
    std::vector<std::string> fullCodes;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const std::string full = typable(wordcode::fullCode(codes, word[i]));
        if (full.empty())
            return std::nullopt;
        fullCodes.push_back(full);
        item.parts.push_back(
            {word[i], full, full.substr(0, wordcode::lettersTaken(i, word.size()))});
    }
    item.codes.push_back({wordcode::fromFullCodes(fullCodes), Level::Full});
    return item;
}

std::vector<Mark> compare(std::string_view typed, std::string_view code) {
    std::vector<Mark> marks;
    for (std::size_t i = 0; i < std::max(typed.size(), code.size()); ++i) {
        if (i >= typed.size())
            marks.push_back(Mark::Missing);
        else if (i >= code.size())
            marks.push_back(Mark::Extra);
        else
            marks.push_back(typed[i] == code[i] ? Mark::Right : Mark::Wrong);
    }
    return marks;
}

std::size_t mismatches(std::string_view typed, std::string_view code) {
    const std::vector<Mark> marks = compare(typed, code);
    return static_cast<std::size_t>(
        std::count_if(marks.begin(), marks.end(), [](Mark m) { return m != Mark::Right; }));
}

// The code the typed letters are set against (see Feedback::nearest).
const std::string& nearestCode(const ItemCodes& item, const std::string& typed) {
    const std::string* best = &item.codes.front().letters;
    auto better = [&typed](const std::string& a, const std::string& b) {
        const std::size_t ma = mismatches(typed, a);
        const std::size_t mb = mismatches(typed, b);
        if (ma != mb)
            return ma < mb;
        if ((a.size() == typed.size()) != (b.size() == typed.size()))
            return a.size() == typed.size();
        return a.size() > b.size();
    };
    for (const Code& code : item.codes)
        if (better(code.letters, *best))
            best = &code.letters;
    return *best;
}

Rating ratingOf(bool right, Millis answerTime, bool wrongTryBefore) {
    if (!right)
        return Rating::Again;
    if (wrongTryBefore || answerTime > kGoodWithin)
        return Rating::Hard;
    return answerTime > kEasyWithin ? Rating::Good : Rating::Easy;
}

std::string shown(std::string_view letters) {
    std::string out;
    for (const char c : letters)
        out += c > ' ' && c < 0x7F ? upper(c) : '?';
    return out;
}

std::string keyText(const KeyRoots& key) {
    return std::string(1, upper(key.letter)) + ' ' + std::string(key.name);
}

} // namespace

LastStrokes::LastStrokes(const RecordFile& strokes) : strokes_(0x10000, 0) {
    std::vector<bool> seen(0x10000, false);
    for (std::int32_t n = 1; n <= strokes.count(); ++n) {
        const std::string_view raw = strokes.record(n);
        if (raw.size() < StrokeRecord::kLength)
            continue;
        const gbk::Char c = gbk::firstChar(raw);
        std::string_view digits =
            raw.substr(StrokeRecord::kStrokesOffset, StrokeRecord::kStrokesWidth);
        const std::size_t end = digits.find(' ');
        // A full field may have been cut: its last digit need not be the last stroke.
        const int last = end == std::string_view::npos || end == 0 || digits[end - 1] < '1' ||
                                 digits[end - 1] > '5'
                             ? 0
                             : digits[end - 1] - '0';
        if (!seen[c])
            strokes_[c] = static_cast<unsigned char>(last);
        else if (strokes_[c] != last)
            strokes_[c] = 0;
        seen[c] = true;
    }
}

std::optional<ItemCodes> codesOf(const gbk::Text& text, const RecordFile& codes,
                                 const LastStrokes* lastStrokes) {
    if (text.empty())
        return std::nullopt;
    if (text.size() == 1)
        return characterItem(text[0], codes, lastStrokes);
    return wordItem(text, codes);
}

std::optional<Level> shortestLevel(const gbk::Text& text, const RecordFile& codes) {
    if (text.size() != 1)
        return codesOf(text, codes) ? std::optional<Level>(Level::Full) : std::nullopt;
    const Bisection hit = bisectFirstChar(codes, text[0]);
    if (!hit.found)
        return std::nullopt;
    auto same = [&](std::int32_t n) { return gbk::firstChar(codes.record(n)) == text[0]; };
    std::size_t shortest = 0, longest = 0;
    for (std::int32_t n = firstOfRun(hit.pos, same); n <= codes.count() && same(n); ++n) {
        const std::size_t length = typable(view(CodeRecord::read(codes.record(n)).code)).size();
        if (length == 0)
            continue;
        shortest = shortest == 0 ? length : std::min(shortest, length);
        longest = std::max(longest, length);
    }
    if (shortest == 0)
        return std::nullopt;
    return shortest == longest ? Level::Full : static_cast<Level>(shortest - 1);
}

std::optional<IdentificationLetter> identificationLetter(const ItemCodes& item) {
    if (item.text.size() != 1 || item.keyName || item.rootCharacter || item.lastStroke == 0)
        return std::nullopt;
    const Code& full = item.codes.back();
    if (full.level != Level::Full || full.letters.size() != 3)
        return std::nullopt;
    const KeyRoots* key = keyRoots(full.letters[2]);
    const int shape = key->zone % 10;
    if (key->zone / 10 != item.lastStroke || shape > 3)
        return std::nullopt;
    return IdentificationLetter{2, item.lastStroke, shape};
}

Miss missOf(const ItemCodes& item, std::string_view typed, std::string_view nearest) {
    Miss miss;
    if (item.keyName) {
        miss.rule = Rule::KeyName;
        return miss;
    }
    const std::vector<Mark> marks = compare(typed, nearest);
    std::vector<std::size_t> wrong;
    bool lengthOnly = true;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (marks[i] == Mark::Right)
            continue;
        lengthOnly = lengthOnly && marks[i] != Mark::Wrong;
        if (marks[i] != Mark::Extra)
            wrong.push_back(i);
    }
    const std::optional<IdentificationLetter> id = identificationLetter(item);
    if (id && nearest == item.codes.back().letters && wrong.size() == 1 &&
        wrong[0] == id->position) {
        miss.rule = Rule::IdentificationLetter;
        return miss;
    }
    if (!item.parts.empty()) {
        std::string letters;
        for (const WordPart& part : item.parts)
            letters += part.fullCode;
        const bool known = std::all_of(wrong.begin(), wrong.end(), [&](std::size_t i) {
            return marks[i] != Mark::Wrong || letters.find(typed[i]) != std::string::npos;
        });
        if (known) {
            miss.rule = Rule::WordCode;
            return miss;
        }
    }
    if (lengthOnly) {
        miss.rule = Rule::ShortCode;
        return miss;
    }
    for (const std::size_t i : wrong)
        if (marks[i] == Mark::Wrong)
            miss.keys += nearest[i];
    return miss;
}

Feedback grade(const ItemCodes& item, std::string_view typed, Millis answerTime,
               bool wrongTryBefore) {
    Feedback f;
    for (const char c : typed)
        f.typed += lower(c);
    if (item.codes.empty())
        return f;
    f.right = std::any_of(item.codes.begin(), item.codes.end(),
                          [&f](const Code& c) { return c.letters == f.typed; });
    f.rating = ratingOf(f.right, answerTime, wrongTryBefore);
    f.nearest = f.right ? f.typed : nearestCode(item, f.typed);
    f.marks = compare(f.typed, f.nearest);
    const std::string& shortest = item.codes.front().letters;
    if (f.right && f.typed.size() > shortest.size())
        f.shorterCode = shortest;
    for (std::size_t i = 0; i < f.marks.size(); ++i)
        if (f.marks[i] == Mark::Wrong)
            f.confusions.push_back(
                {i, f.nearest[i], f.typed[i], keyRoots(f.nearest[i]), keyRoots(f.typed[i])});
    return f;
}

std::string_view levelName(Level level) {
    switch (level) {
    case Level::Short1:
        return words::kShort1;
    case Level::Short2:
        return words::kShort2;
    case Level::Short3:
        return words::kShort3;
    case Level::Full:
        break;
    }
    return words::kFull;
}

std::string_view ruleName(Rule rule) {
    return words::kRuleNames[static_cast<std::size_t>(rule)];
}

std::vector<std::string> feedbackLines(const ItemCodes& item, const Feedback& feedback,
                                       const gbk::Codec& codec) {
    std::vector<std::string> lines;
    lines.emplace_back(feedback.right ? words::kRight : words::kWrong);

    std::string typed = shown(feedback.typed);
    for (const Mark m : feedback.marks)
        if (m == Mark::Missing)
            typed += words::kMissing;
    lines.push_back(typed);
    if (!feedback.right) {
        std::string marker;
        for (const Mark m : feedback.marks)
            marker += m == Mark::Right ? ' ' : words::kMarker;
        lines.push_back(marker);
    }

    for (const Code& code : item.codes)
        lines.push_back(shown(code.letters) + ' ' + std::string(levelName(code.level)));
    if (!feedback.shorterCode.empty())
        lines.push_back(std::string(words::kShorterCode) + ' ' + shown(feedback.shorterCode));

    if (!item.parts.empty() && !item.codes.empty()) {
        std::string makeUp = codec.toUtf8(item.text) + ":";
        const char* join = " ";
        for (const WordPart& part : item.parts) {
            if (part.taken.empty())
                continue;
            makeUp += join + codec.toUtf8(gbk::Text(1, part.character)) + ' ' + shown(part.taken);
            join = " + ";
        }
        lines.push_back(makeUp + " = " + shown(item.codes.front().letters));
    }

    const std::optional<IdentificationLetter> id = identificationLetter(item);
    for (const Confusion& c : feedback.confusions) {
        std::string line = std::string(words::kExpectedKey) + ' ' + keyText(*c.expectedKey);
        if (id && c.position == id->position && feedback.nearest == item.codes.back().letters)
            line += "（" + std::string(words::kIdentification) + "：末笔" +
                    std::string(words::kStrokes[id->lastStroke - 1]) + "，" +
                    std::string(words::kShapes[id->shape - 1]) + "）";
        line += words::kBetweenKeys;
        line += std::string(words::kTypedKey) + ' ' +
                (c.typedKey ? keyText(*c.typedKey) : shown(std::string_view(&c.typed, 1)));
        lines.push_back(line);
    }
    return lines;
}

} // namespace tovrin::practice
