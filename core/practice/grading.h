// A practice drill's answer graded: the codes that type an item (a character or a word), the
// rating the scheduler is given for an answer, and the feedback the learner sees.
//
// Codes are kept in lowercase letters a-y and shown in uppercase.
#pragma once

#include "core/dict/recordfile.h"
#include "core/practice/fsrs.h"
#include "core/practice/keyroots.h"
#include "core/text/gbk.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::practice {

// A code's level: the short codes by their length, and the full code.
enum class Level { Short1, Short2, Short3, Full };

struct Code {
    std::string letters; // lowercase
    Level level;
};

// One character of a word, and the letters of its full code that the word's code takes.
struct WordPart {
    gbk::Char character;
    std::string fullCode; // lowercase
    std::string taken;    // its first letters that the word's code takes; empty for none
};

struct ItemCodes {
    gbk::Text text;
    std::vector<Code> codes;     // shortest first; a word has its one code
    std::vector<WordPart> parts; // a word's characters in order; empty for a character
    // What a character's codes are made by, beyond its roots: whether it is one of the 25
    // key-name characters (王 土 大 ...) or a root of the key table that is a character of its
    // own, and its last stroke, 1 (横) to 5 (折), or 0 when the stroke dictionary does not tell.
    bool keyName = false;
    bool rootCharacter = false;
    int lastStroke = 0;
};

// The last stroke of every character of the stroke dictionary, read in one pass: 1 to 5, or 0
// for a character it lacks, whose strokes it cuts at the field's width, or whose several
// stroke orders end differently.
class LastStrokes {
public:
    LastStrokes() = default;
    explicit LastStrokes(const RecordFile& strokes);
    int of(gbk::Char c) const { return strokes_.empty() ? 0 : strokes_[c]; }

private:
    std::vector<unsigned char> strokes_; // by the character's 16-bit value
};

// The codes that type `text`, from the character-code dictionary:
//   one character: every code the dictionary holds for it, once each. The longest is the full
//     code (several of that length are all full codes); a shorter one of 1, 2 or 3 letters is a
//     short code of that level. A record whose code is not 1-4 letters a-y is passed over.
//   two characters or more: the word's code by the word rules (core/dict/wordcode.h), a full
//     code, and the characters it is made from.
// Nothing when the text is empty or it (or a character of the word) has no code.
// `lastStrokes`, when given, tells a character's last stroke.
std::optional<ItemCodes> codesOf(const gbk::Text& text, const RecordFile& codes,
                                 const LastStrokes* lastStrokes = nullptr);

// The level of the shortest code of `text` (a word's is Full), read where the records lie;
// nothing when it has no code.
std::optional<Level> shortestLevel(const gbk::Text& text, const RecordFile& codes);

// The identification letter (末笔识别码) of a character's full code, where the code proves it:
// a full code of three letters for a character that is neither a key-name nor a root
// character is two roots and this letter, whose key stands in the zone of the character's last
// stroke at the place of its shape (1 left-right, 2 top-bottom, 3 other). The last stroke must
// agree with the stroke dictionary's.
struct IdentificationLetter {
    std::size_t position;
    int lastStroke; // 1-5
    int shape;      // 1-3
};
std::optional<IdentificationLetter> identificationLetter(const ItemCodes& item);

// The answer times that set a right answer's rating, from the item being shown to the answer:
// within 2.5 s Easy, within 6 s Good, longer Hard. A right answer after a wrong try at the same
// showing is Hard at best; a wrong answer is Again.
inline constexpr Millis kEasyWithin = 2500;
inline constexpr Millis kGoodWithin = 6000;

// How one position of the typed letters compares with the code it is set against.
enum class Mark {
    Right,
    Wrong,   // both have a letter there, and they differ
    Missing, // the code has a letter there and the typed letters have ended
    Extra,   // the typed letters go on past the end of the code
};

// A wrong letter: the key the code wanted and the key that was typed there.
struct Confusion {
    std::size_t position;
    char expected;               // lowercase
    char typed;                  // lowercase when a letter
    const KeyRoots* expectedKey; // never null for an item of codesOf()
    const KeyRoots* typedKey;    // null when something other than a-y was typed
};

struct Feedback {
    bool right = false;
    Rating rating = Rating::Again;
    std::string typed; // as compared: letters lowercased, anything else kept
    // The code the typed letters matched, or, when wrong, the one they are nearest: the fewest
    // positions not Right; on a tie, the code as long as the typed letters, then the longer code.
    std::string nearest;
    std::vector<Mark> marks; // one per position of the longer of typed and nearest
    std::string shorterCode; // when right with a longer code than the shortest: the shortest
    std::vector<Confusion> confusions; // one per Wrong position, in order
};

// Grades an answer to `item` typed in `answerTime` ms; `wrongTryBefore` when the learner already
// answered this showing wrongly. Letters of either case are accepted; any code of the item is
// right.
Feedback grade(const ItemCodes& item, std::string_view typed, Millis answerTime,
               bool wrongTryBefore);

// What a wrong answer shows the learner did not know: a rule of the codes, or else keys. Set
// against the code it was nearest (Feedback::nearest), in this order:
//   KeyName: the item is a key-name character, whose code is its key four times;
//   IdentificationLetter: only the identification letter is wrong or missing;
//   WordCode: a word, every wrong letter typed a letter of its characters' codes (or only the
//     count of letters wrong);
//   ShortCode: every letter typed is right where the code has one, only the count is wrong;
// else `keys`: the letters asked for where another key was typed.
enum class Rule { KeyName, IdentificationLetter, ShortCode, WordCode };
inline constexpr std::size_t kRules = 4;
struct Miss {
    std::optional<Rule> rule;
    std::string keys; // lowercase
};
Miss missOf(const ItemCodes& item, std::string_view typed, std::string_view nearest);

// The fixed texts of the feedback, UTF-8.
namespace words {
inline constexpr std::string_view kRight = "对";
inline constexpr std::string_view kWrong = "错";
inline constexpr std::string_view kShorterCode = "可用简码";
inline constexpr std::string_view kExpectedKey = "应为";
inline constexpr std::string_view kTypedKey = "打成";
inline constexpr std::string_view kBetweenKeys = "；";
inline constexpr std::string_view kShort1 = "一级简码";
inline constexpr std::string_view kShort2 = "二级简码";
inline constexpr std::string_view kShort3 = "三级简码";
inline constexpr std::string_view kFull = "全码";
inline constexpr std::string_view kIdentification = "末笔识别码";
inline constexpr std::string_view kStrokes[] = {"横", "竖", "撇", "点", "折"};
inline constexpr std::string_view kShapes[] = {"左右型", "上下型", "杂合型"};
inline constexpr std::string_view kRuleNames[] = {"键名字", "末笔识别码", "简码", "词组编码规则"};
inline constexpr char kMarker = '^';  // under a position that is not right
inline constexpr char kMissing = '_'; // in the typed letters where a letter is missing
} // namespace words

std::string_view levelName(Level level);
std::string_view ruleName(Rule rule);

// The feedback as lines of text (UTF-8) for a terminal, in this order:
//   对 or 错;
//   the typed letters in uppercase, with _ for each missing letter, and when wrong a line of ^
//     under each position that is not right;
//   each code of the item and its level, e.g. "TRN 三级简码";
//   when it applies, "可用简码 Q";
//   for a word, how its code is made, e.g. "我们: 我 TR + 们 WU = TRWU";
//   for each wrong letter, both keys with their names, e.g. "应为 T 禾；打成 Q 金", and for the
//     identification letter what it stands for: "应为 F 土（末笔识别码：末笔横，上下型）；打成 E
//     月". A key's roots are not listed: which of them the character has is not known here.
std::vector<std::string> feedbackLines(const ItemCodes& item, const Feedback& feedback,
                                       const gbk::Codec& codec);

} // namespace tovrin::practice
