// Damaged, missing and odd files on disk: each of the four dictionaries and both option files in
// the shapes a full disk, an interrupted copy or a wrong download leave behind, read as the
// programs read them. Nothing crashes or hangs, every event still answers, each search says
// what it finds in a concrete way, and a dictionary that cannot be used is named to the user
// exactly once.
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "core/settings/setline.h"
#include "core/settings/setupfile.h"
#include "platform/files.h"
#include "platform/programfiles.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

namespace {

// --- Records from raw bytes, so that a field can hold what no compiler would write -----------

std::string strokeRecord(std::string_view ch, std::string_view strokes, int rank) {
    StrokeRecord r;
    writeField(r.character.data(), r.character.size(), ch);
    writeField(r.strokes.data(), r.strokes.size(), strokes);
    r.rank = static_cast<std::int16_t>(rank);
    const auto b = r.bytes();
    return {b.data(), b.size()};
}

std::string phraseRecord(std::string_view text) {
    PhraseRecord r;
    writeField(r.text.data(), r.text.size(), text);
    return {r.text.data(), r.text.size()};
}

std::string codeRecord(std::string_view ch, std::string_view code) {
    CodeRecord r;
    writeField(r.character.data(), r.character.size(), ch);
    writeField(r.code.data(), r.code.size(), code);
    const auto b = r.bytes();
    return {b.data(), b.size()};
}

std::string pinyinRecord(std::string_view ch, std::string_view reading) {
    PinyinRecord r;
    writeField(r.character.data(), r.character.size(), ch);
    writeField(r.pinyin.data(), r.pinyin.size(), reading);
    const auto b = r.bytes();
    return {b.data(), b.size()};
}

// Seven hanzi the tests name by letter, and forty more ("p") for a reading with two pages.
const std::string A = gbk::encode(hz(0)), B = gbk::encode(hz(1)), C = gbk::encode(hz(2)),
                  D = gbk::encode(hz(3)), E = gbk::encode(hz(4)), F = gbk::encode(hz(5)),
                  G = gbk::encode(hz(6));
std::string P(int i) {
    return gbk::encode(hz(10 + i));
}

// Text as the tests write it: the lettered hanzi as their letters, the forty as "p", printable
// ASCII as itself, anything else as its unit in hex ("<FFFF>").
std::string show(std::u16string_view text) {
    std::string out;
    for (gbk::Char c : text) {
        const std::string bytes = gbk::encode(gbk::Text(1, c));
        const std::string names[] = {A, B, C, D, E, F, G};
        const auto named = std::find(std::begin(names), std::end(names), bytes);
        if (named != std::end(names)) {
            out += static_cast<char>('A' + (named - std::begin(names)));
        } else if (c >= hz(10)[0] && c <= hz(49)[0]) {
            out += 'p';
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%04X>", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}

// The character grid, cell by cell, an empty cell as "_", without the empty cells at its end.
std::string grid(const LookupView& v) {
    std::string out;
    for (const gbk::Char cell : v.Label11)
        out += cell == LookupView::kNoCaption ? "_" : show(LookupView::captionOf(cell));
    return out.erase(out.find_last_not_of('_') + 1);
}

const char* link(const LookupView& v) {
    if (!v.Label10.visible)
        return "hidden";
    return v.Label10.left >= layout::kWindowWidth ? "parked" : "shown";
}

// --- What each dictionary is asked -----------------------------------------------------------

// Strokes 1 4 (a search: "14" has no preset list): the grid and the more link; then "更多" when
// the link can be clicked.
std::string strokeProbe(LookupState& s) {
    s.strokeClick(1);
    s.strokeClick(4);
    std::string out = grid(s.view()) + " " + link(s.view());
    if (s.view().Label10.visible && s.view().Label10.left < layout::kWindowWidth) {
        s.Label10_Click();
        out += " more:" + grid(s.view());
    }
    return out;
}

// Picks A, B or C from cell 0 of the grid, where a stroke search of the good stroke dictionary
// shows it first.
void pick(LookupState& s, const std::string& ch) {
    const char* strokes = ch == A ? "14" : ch == B ? "141" : "1413";
    for (const char* d = strokes; *d; ++d)
        s.strokeClick(*d - '0');
    ASSERT_EQ(LookupView::captionOf(s.view().Label11[0]), gbk::decode(ch));
    s.Label11_MouseDown(0);
}
// Picks A, then B: the association list after each.
std::string phraseProbe(LookupState& s) {
    pick(s, A);
    std::string out = show(gbk::trimRight(s.view().assocHz));
    pick(s, B);
    return out + " | " + show(gbk::trimRight(s.view().assocHz));
}

// Picks A, B and C: each one's summary line, or "-" when it has no code.
std::string codeProbe(LookupState& s) {
    std::string out;
    for (const std::string& ch : {A, B, C}) {
        pick(s, ch);
        const bool found = s.view().Label22 == text("找到");
        out += found ? show(s.view().Label8) : "-";
        out += ch == C ? "" : " | ";
    }
    return out;
}

// The pinyin cells: how many are filled, the slot counter, the page labels and the first cell.
std::string cells(const LookupView& v) {
    const auto filled = std::count_if(v.Label66.begin(), v.Label66.end(),
                                      [](gbk::Char c) { return LookupView::shows(c); });
    return std::to_string(filled) + "@" + show(v.Label69) + (v.Label67Active ? "<" : "") +
           (v.Label68Active ? ">" : "") +
           (filled ? ":" + show(LookupView::captionOf(v.Label66[0])) : "");
}
// The keyboard: "a", a page forward and back, then "z" and "zh".
std::string pinyinProbe(LookupState& s) {
    s.Command1_Click();
    s.Command18_Click('a');
    std::string out = "a " + cells(s.view());
    s.Label68_Click();
    out += " | next " + cells(s.view());
    s.Label67_Click();
    out += " | prev " + cells(s.view());
    s.Command7_Click();
    s.Command18_Click('z');
    out += " | z " + cells(s.view());
    s.Command18_Click('h');
    return out + " | zh " + cells(s.view());
}

// --- The damage ---------------------------------------------------------------------------------

enum class Damage {
    Good,      // the dictionary as the tests build it
    Missing,   // no file
    Folder,    // a folder in its place
    Empty,     // zero bytes
    OneByte,   // a single byte
    Partial,   // the good records and part of one more (more than half, so it counts)
    Unsorted,  // one record out of its place
    NotGbk,    // characters of bytes 0x80 and 0xFF, and lead bytes without a trail
    WrongKeys, // key fields with characters the dictionary never holds
    Spaces,    // 4 MiB of spaces
};

struct Dictionary {
    std::string_view file;
    std::size_t recordLength;
    std::function<std::string(Damage)> bytes; // the file for every damage that leaves one
    std::function<std::string(LookupState&)> probe;
};

std::string strokeBytes(Damage d) {
    // Sorted by strokes: "14" < "141" < "1413" < "142". For "14": A exact, B common, D middle,
    // C rare.
    const std::string a = strokeRecord(A, "14", 100), b = strokeRecord(B, "141", 200),
                      c = strokeRecord(C, "1413", 7000), dd = strokeRecord(D, "142", 3500);
    switch (d) {
    case Damage::Partial: // G, "143", cut after 10 of its 16 bytes: no rank
        return a + b + c + dd + strokeRecord(G, "143", 50).substr(0, 10);
    case Damage::Unsorted: // E "21" between B and C
        return a + b + strokeRecord(E, "21", 10) + c + dd;
    case Damage::NotGbk:
        return strokeRecord("\x80\x80", "14", 100) + strokeRecord("\xFF\xFF", "141", 200) +
               strokeRecord("\x81 ", "1413", 7000) + strokeRecord(" \x81", "142", 3500);
    case Damage::WrongKeys: // letters among the digits, sorted as bytes
        return a + strokeRecord(C, "14Z1", 7000) + strokeRecord(B, "14a", 200) +
               strokeRecord(D, "x14", 3500);
    default:
        return a + b + c + dd;
    }
}

std::string phraseBytes(Damage d) {
    // Grouped by first character, A before B.
    const std::string ab = phraseRecord(A + B), ac = phraseRecord(A + C),
                      abd = phraseRecord(A + B + D), ba = phraseRecord(B + A),
                      be = phraseRecord(B + E), bac = phraseRecord(B + A + C);
    switch (d) {
    case Damage::Partial: // B F, cut after 10 of its 16 bytes
        return ab + ac + abd + ba + be + bac + phraseRecord(B + F).substr(0, 10);
    case Damage::Unsorted: // B E among A's words
        return ab + be + ac + abd + ba + bac;
    case Damage::NotGbk: // A followed by 80 80, FF FF, 81 and a blank, 13 blanks and a lone 81
        return phraseRecord(A + "\x80\x80") + phraseRecord(A + "\xFF\xFF") +
               phraseRecord(A + "\x81 ") + phraseRecord(A + std::string(13, ' ') + "\x81") + ba +
               be + bac;
    case Damage::WrongKeys: // words of ASCII, which sort after every two-byte character
        return ab + ac + abd + ba + be + bac + phraseRecord(" " + A) + phraseRecord("1" + A) +
               phraseRecord("a" + B);
    default:
        return ab + ac + abd + ba + be + bac;
    }
}

std::string codeBytes(Damage d) {
    const std::string a = codeRecord(A, "Q") + codeRecord(A, "TRN") + codeRecord(A, "TRNT");
    const std::string b = codeRecord(B, "KB") + codeRecord(B, "KBSK");
    const std::string c = codeRecord(C, "X");
    switch (d) {
    case Damage::Partial: // C "XY", cut after 5 of its 6 bytes
        return a + b + c + codeRecord(C, "XY").substr(0, 5);
    case Damage::Unsorted: // C among A's codes
        return codeRecord(A, "Q") + codeRecord(A, "TRN") + c + codeRecord(A, "TRNT") + b;
    case Damage::NotGbk:
        return codeRecord(A, "\x80Q") + codeRecord(A, "\xFF\xFF") + codeRecord(A, "TRN\x81") + b +
               c + codeRecord("\x80\x80", "Z");
    case Damage::WrongKeys: // lower case, digits, a leading blank
        return codeRecord(A, "q") + codeRecord(A, "12") + codeRecord(A, " TR") + b + c;
    default:
        return a + b + c;
    }
}

std::string pinyinBytes(Damage d) {
    // Forty characters read "a" (two pages), then A "an", B "ba", C "zhang".
    std::string as;
    for (int i = 0; i < 40; ++i)
        as += pinyinRecord(P(i), "a");
    const std::string an = pinyinRecord(A, "an"), ba = pinyinRecord(B, "ba"),
                      zhang = pinyinRecord(C, "zhang");
    switch (d) {
    case Damage::Partial: // D "zu", cut after 6 of its 8 bytes
        return as + an + ba + zhang + pinyinRecord(D, "zu").substr(0, 6);
    case Damage::Unsorted: // A "an" first
        return an + as + ba + zhang;
    case Damage::NotGbk: {
        std::string bad = pinyinRecord("\x80\x80", "a") + pinyinRecord("\xFF\xFF", "a") +
                          pinyinRecord("\x81 ", "a") + pinyinRecord(" \x81", "a");
        return bad + as.substr(4 * PinyinRecord::kLength) + an + ba + zhang;
    }
    case Damage::WrongKeys: // upper case and digits, sorted as bytes
        return pinyinRecord(E, "1a") + pinyinRecord(F, "A") + as + pinyinRecord(G, "a1") + an + ba +
               zhang;
    default:
        return as + an + ba + zhang;
    }
}

const Dictionary kStrokes{StrokeRecord::kFileName, StrokeRecord::kLength, strokeBytes, strokeProbe};
const Dictionary kPhrases{PhraseRecord::kFileName, PhraseRecord::kLength, phraseBytes, phraseProbe};
const Dictionary kCodes{CodeRecord::kFileName, CodeRecord::kLength, codeBytes, codeProbe};
const Dictionary kPinyin{PinyinRecord::kFileName, PinyinRecord::kLength, pinyinBytes, pinyinProbe};

// How a case should come out: what the probe shows, and whether the user is told of the file
// (and as what).
struct Case {
    Damage damage;
    std::string shows;
    bool told = false;
    LookupState::Problem::Kind kind = LookupState::Problem::Kind::Damaged;
};

constexpr auto kMissing = LookupState::Problem::Kind::Missing;
constexpr auto kUnreadable = LookupState::Problem::Kind::Unreadable;
constexpr auto kDamaged = LookupState::Problem::Kind::Damaged;

const char* damageName(Damage d) {
    switch (d) {
    case Damage::Good:
        return "good";
    case Damage::Missing:
        return "missing";
    case Damage::Folder:
        return "folder";
    case Damage::Empty:
        return "empty";
    case Damage::OneByte:
        return "one byte";
    case Damage::Partial:
        return "partial record";
    case Damage::Unsorted:
        return "unsorted";
    case Damage::NotGbk:
        return "not GBK";
    case Damage::WrongKeys:
        return "wrong keys";
    case Damage::Spaces:
        return "4 MiB of spaces";
    }
    return "?";
}

class Damaged : public ::testing::Test {
protected:
    // A program folder with good copies of the four dictionaries, the one given damaged; the
    // window starts over it, the probe runs, then every other event.
    void run(const Dictionary& dict, const Case& c) {
        SCOPED_TRACE(std::string(dict.file) + ", " + damageName(c.damage));
        TempDir program;
        TempDir settings;
        for (const Dictionary* d : {&kStrokes, &kPhrases, &kCodes, &kPinyin})
            writeFile(program / d->file, d->bytes(Damage::Good));
        const fs::path path = program / dict.file;
        fs::remove(path);
        switch (c.damage) {
        case Damage::Missing:
            break;
        case Damage::Folder:
            fs::create_directory(path);
            break;
        case Damage::Empty:
            writeFile(path, "");
            break;
        case Damage::OneByte:
            writeFile(path, "1");
            break;
        case Damage::Spaces:
            writeFile(path, std::string(std::size_t(4) << 20, ' '));
            break;
        default:
            writeFile(path, dict.bytes(c.damage));
            break;
        }

        LookupState s(codec());
        std::vector<LookupState::Problem> problems =
            s.start(platform::ProgramFiles(program.str(), settings.str()).lookupFiles());
        EXPECT_EQ(dict.probe(s), c.shows);
        everyEventStillWorks(s, settings);
        for (auto& p : s.takeProblems())
            problems.push_back(std::move(p));

        // Only the damaged file is named, and only once; the option file is fine.
        ASSERT_EQ(problems.size(), c.told ? 1u : 0u);
        if (c.told) {
            EXPECT_EQ(problems[0].file, dict.file);
            EXPECT_EQ(problems[0].path, path.string());
            EXPECT_EQ(problems[0].kind, c.kind);
            EXPECT_FALSE(problems[0].reason.empty());
        }
        if (c.damage == Damage::Missing) {
            EXPECT_FALSE(fs::exists(path)); // a dictionary is never created
        }
    }

    // The events that need no dictionary answer as always, whatever state the probe left.
    void everyEventStillWorks(LookupState& s, const TempDir& settings) {
        const LookupView& v = s.view();
        if (v.Image8Visible)
            s.strokeClick(1); // a stroke button closes the keyboard the probe left open
        EXPECT_FALSE(v.Image8Visible);
        s.Command8_Click(); // 清
        EXPECT_TRUE(v.Label1.empty());
        EXPECT_EQ(utf8(LookupView::captionOf(v.Label11[0])), "拜"); // the default list
        s.strokeClick(1);
        EXPECT_EQ(utf8(LookupView::captionOf(v.Label11[0])), "一"); // the preset list of "1"
        s.Command7_Click();
        s.Command7_Click();
        EXPECT_EQ(utf8(LookupView::captionOf(v.Label11[0])),
                  "拜"); // "←" on an empty entry shows the default list
        s.Label11_MouseDown(0);
        EXPECT_EQ(utf8(v.Label19), "拜");
        EXPECT_EQ(utf8(v.Label22), "没有找到"); // no dictionary here knows it

        s.Command1_Click();
        EXPECT_TRUE(v.Image8Visible);
        s.Command18_Click('z');
        s.Label68_Click();
        s.Label67_Click();
        s.Label66_MouseDown(0);
        s.Command7_Click();
        s.Command8_Click();
        EXPECT_TRUE(v.Label63.empty() && v.Label19.empty());
        s.strokeClick(5);
        EXPECT_FALSE(v.Image8Visible);
        EXPECT_EQ(utf8(LookupView::captionOf(v.Label11[0])), "乙"); // the preset list of "5"

        s.Command9_Click();
        EXPECT_TRUE(v.Frame2Visible);
        s.Label42_Click(1);
        s.Label44_Click(2);
        s.Label111_Click(3);
        s.Command14_Click();
        s.Command14_MouseUp();
        EXPECT_FALSE(v.Frame2Visible);
        EXPECT_EQ(s.options(), (LookupOptions{1, 2, 3}));
        EXPECT_EQ(platform::readSmallFile((settings / "setup.txt").string()).bytes, "123\r\n");
    }
};

} // namespace

TEST_F(Damaged, StrokeDictionary) {
    const std::string none = " parked"; // an empty grid, nothing held back
    const Case cases[] = {
        {Damage::Good, "ABDC parked"},
        {Damage::Missing, none, true, kMissing},
        {Damage::Folder, none, true, kUnreadable},
        {Damage::Empty, none, true, kDamaged},
        {Damage::OneByte, none, true, kDamaged},
        // The cut record reads as rank 0 (common, key 0000), ahead of B.
        {Damage::Partial, "AGBDC parked"},
        // The scan stops at the record out of place: C and D are never reached.
        {Damage::Unsorted, "AB parked"},
        // 80 80 and " 81" are two one-byte characters each; their keys no longer line up with
        // the characters, which the table takes as they come.
        {Damage::NotGbk, "<0080><0081><8120><0080><FFFF>  parked"},
        // "14Z1" and "14a" begin with "14"; "x14" ends the scan.
        {Damage::WrongKeys, "ABC parked"},
        // Every record is blank and sorts before the key: the bisection ends past the last
        // record and nothing is scanned.
        {Damage::Spaces, " parked"},
    };
    for (const Case& c : cases)
        run(kStrokes, c);
}

TEST_F(Damaged, PhraseDictionary) {
    const Case cases[] = {
        {Damage::Good, "BC | DAE"},
        {Damage::Missing, " | ", true, kMissing},
        {Damage::Folder, " | ", true, kUnreadable},
        {Damage::Empty, " | ", true, kDamaged},
        {Damage::OneByte, " | ", true, kDamaged},
        {Damage::Partial, "BC | DAEF"},
        // B E stands among A's words: A's passes end at it (the group of A's words ends there),
        // and the walk back from B's hit stops before it, so C, D and E are never listed.
        {Damage::Unsorted, "B | A"},
        // What follows A is listed as it is; the blank before the lone 81 is trimmed away.
        {Damage::NotGbk, "<0080><FFFF><8120> | AE"},
        {Damage::WrongKeys, "BC | DAE"},
        // A sorts before the blanks: one round of the bisection, no pass.
        {Damage::Spaces, " | "},
    };
    for (const Case& c : cases)
        run(kPhrases, c);
}

TEST_F(Damaged, CodeDictionary) {
    const Case cases[] = {
        {Damage::Good, "A Q TRN TRNT | B KB KBSK | C X"},
        {Damage::Missing, "- | - | -", true, kMissing},
        {Damage::Folder, "- | - | -", true, kUnreadable},
        {Damage::Empty, "- | - | -", true, kDamaged},
        {Damage::OneByte, "- | - | -", true, kDamaged},
        {Damage::Partial, "A Q TRN TRNT | B KB KBSK | C X XY"},
        // C among A's codes: past the last B, C is not looked for.
        {Damage::Unsorted, "A Q TRN TRNT | B KB KBSK | -"},
        // Codes of other bytes are shown by their length in units, as they come.
        {Damage::NotGbk, "A <FFFF> <0080>Q TRN<0081> | B KB KBSK | C X"},
        // " TR" is trimmed to two letters and replaces "12".
        {Damage::WrongKeys, "A q TR | B KB KBSK | C X"},
        {Damage::Spaces, "- | - | -"},
    };
    for (const Case& c : cases)
        run(kCodes, c);
}

TEST_F(Damaged, PinyinDictionary) {
    // Without records every search says "no match" (slot -1) and shows nothing.
    const std::string none = "a 0@-1 | next 0@-1 | prev 0@-1 | z 0@-1 | zh 0@-1";
    const Case cases[] = {
        {Damage::Good, "a 36@36>:p | next 5@72<:p | prev 36@36>:p | z 1@36:C | zh 1@36:C"},
        {Damage::Missing, none, true, kMissing},
        {Damage::Folder, none, true, kUnreadable},
        {Damage::Empty, none, true, kDamaged},
        {Damage::OneByte, none, true, kDamaged},
        // D "zu" is read from its cut record.
        {Damage::Partial, "a 36@36>:p | next 5@72<:p | prev 36@36>:p | z 2@36:C | zh 1@36:C"},
        // "an" first: "a" lands on it, so A leads the first page.
        {Damage::Unsorted, "a 36@36>:A | next 5@72<:p | prev 36@36>:A | z 1@36:C | zh 1@36:C"},
        // A cell shows one character, the first: 80 80 reads as two one-byte characters and
        // shows the first, a blank and 81 shows as a blank cell.
        {Damage::NotGbk,
         "a 35@36>:<0080> | next 5@72<:p | prev 35@36>:<0080> | z 1@36:C | zh 1@36:C"},
        // "1a" and "A" sort before "a"; "a1" is one more match on the second page.
        {Damage::WrongKeys, "a 36@36>:p | next 6@72<:p | prev 36@36>:p | z 1@36:C | zh 1@36:C"},
        // Every record is blank and sorts before "a": the search ends past the last record.
        {Damage::Spaces, "a 0@-1 | next 0@-1 | prev 0@-1 | z 0@-1 | zh 0@-1"},
    };
    for (const Case& c : cases)
        run(kPinyin, c);
}

// --- setup.txt ---------------------------------------------------------------------------------

TEST(DamagedSetupFile, StartAndConfirm) {
    enum class Shape { Missing, Empty, Junk, LongLine, LongBlanks, Folder };
    struct Case {
        const char* name;
        Shape shape;
        std::string content;
        LookupOptions read;      // what the start-up takes
        const char* left;        // setup.txt after the start-up; nullptr: no file
        bool unreadable = false; // the start-up names setup.txt as unreadable
        bool unwritable = false; // the first confirm names it as not written
    };
    const std::string oneMiB(std::size_t(1) << 20, 'x');
    const Case cases[] = {
        {"missing: the defaults, written down", Shape::Missing, "", {0, 0, 0}, "000\r\n"},
        {"empty", Shape::Empty, "", {0, 0, 0}, ""},
        {"binary junk", Shape::Junk, std::string("\xFF\xFE\x00\x01\x80zz", 7), {0, 0, 0}, nullptr},
        {"a 1 MiB line after its digits", Shape::LongLine, "124" + oneMiB, {1, 2, 4}, nullptr},
        // Only the first 4,096 bytes are read: blanks there, the digits far behind.
        {"1 MiB of blanks before the digits",
         Shape::LongBlanks,
         std::string(std::size_t(1) << 20, ' ') + "124",
         {0, 0, 0},
         nullptr},
        {"a folder in its place", Shape::Folder, "", {0, 0, 0}, nullptr, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir program;
        TempDir settings;
        const fs::path path = settings / "setup.txt";
        if (c.shape == Shape::Folder)
            fs::create_directory(path);
        else if (c.shape != Shape::Missing)
            writeFile(path, c.content);

        LookupState s(codec());
        auto problems =
            s.start(platform::ProgramFiles(program.str(), settings.str()).lookupFiles());
        std::erase_if(problems, [](const auto& p) { return p.file != "setup.txt"; });
        ASSERT_EQ(problems.size(), c.unreadable ? 1u : 0u);
        if (c.unreadable) {
            EXPECT_EQ(problems[0].kind, LookupState::Problem::Kind::Unreadable);
        }
        EXPECT_EQ(s.options(), c.read);
        if (c.left) {
            EXPECT_EQ(platform::readSmallFile(path.string()).bytes, c.left);
        } else if (c.shape != Shape::Folder) {
            EXPECT_EQ(fs::file_size(path), c.content.size()); // read, never rewritten
        }

        // Confirming writes the choice over whatever was there, or says once that it cannot.
        for (int round = 0; round < 2; ++round) {
            s.Command9_Click();
            s.Label111_Click(2);
            s.Command14_Click();
            s.Command14_MouseUp();
            EXPECT_EQ(s.view().sizeMode, 2);
            const auto told = s.takeProblems();
            ASSERT_EQ(told.size(), c.unwritable && round == 0 ? 1u : 0u) << round;
            if (!told.empty()) {
                EXPECT_EQ(told[0].kind, LookupState::Problem::Kind::NotWritten);
            }
        }
        if (c.shape == Shape::Folder) {
            EXPECT_TRUE(fs::is_directory(path));
        } else {
            EXPECT_EQ(platform::readSmallFile(path.string()).bytes,
                      formatSetup({c.read.showAll, c.read.winPos, 2}));
        }
        // No temporary file is left beside it, whether the write succeeded or not.
        EXPECT_EQ(std::distance(fs::directory_iterator(settings.path()), {}), 1);
    }
}

// --- set.txt -------------------------------------------------------------------------------------

TEST(DamagedSetFile, ReadAndParsed) {
    using settings::SetLine;
    enum class Shape { Missing, File, Folder };
    struct Case {
        const char* name;
        Shape shape;
        std::string content;
        FileBytes::Status status;
        SetLine line; // what its first line sets
    };
    const std::string oneMiB(std::size_t(1) << 20, 'x');
    const Case cases[] = {
        {"missing", Shape::Missing, "", FileBytes::Status::Missing, {}},
        {"empty", Shape::File, "", FileBytes::Status::Ok, {}},
        {"binary junk",
         Shape::File,
         std::string("\xFF\x00\x80\x01\r\nzz", 8),
         FileBytes::Status::Ok,
         {}},
        {"a 1 MiB line after its five digits",
         Shape::File,
         "20312" + oneMiB,
         FileBytes::Status::Ok,
         {2, 114, 123}},
        {"a 1 MiB first line, then a good one",
         Shape::File,
         oneMiB + "\r\n10102\r\n",
         FileBytes::Status::Ok,
         {}},
        {"a folder in its place", Shape::Folder, "", FileBytes::Status::Unreadable, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const fs::path path = dir / "set.txt";
        if (c.shape == Shape::File)
            writeFile(path, c.content);
        else if (c.shape == Shape::Folder)
            fs::create_directory(path);
        const FileBytes r = platform::readSmallFile(path.string());
        EXPECT_EQ(r.status, c.status);
        EXPECT_LE(r.bytes.size(), 4096u); // a huge file is never read whole
        EXPECT_EQ(r.status == FileBytes::Status::Ok, r.reason.empty());
        EXPECT_EQ(settings::parseSetLine(settings::firstLine(r.bytes)), c.line);
    }
}
