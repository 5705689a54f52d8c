// The lookup window's state and procedures, without any window: the Qt window (Form3) and
// tovrin-lookup's session both drive this class, so what the tests see is what the window does.
// Its events are the only way to change it; view() is what they leave for the window to show.
#pragma once

#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/dict/strokeindex.h"
#include "core/dict/textcut.h"
#include "core/lookup/layout.h"
#include "core/lookup/lookupfiles.h"
#include "core/lookup/lookupview.h"
#include "core/lookup/strokegrid.h"
#include "core/settings/setupfile.h"
#include "core/text/gbk.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tovrin {

class LookupState : private LookupView {
public:
    // A dictionary that could not be used, to be told to the user once.
    struct Problem {
        enum class Kind { Missing, Unreadable, Damaged, NotWritten };
        std::string file;   // the file name, as the user knows it
        std::string path;   // where it was looked for
        std::string reason; // why it is unusable, for a log or a terminal
        Kind kind = Kind::Damaged;
    };

    explicit LookupState(const gbk::Codec& codec);

    static Problem::Kind problemKind(const RecordFile& file) {
        switch (file.status()) {
        case RecordFile::Status::Missing:
            return Problem::Kind::Missing;
        case RecordFile::Status::Unreadable:
            return Problem::Kind::Unreadable;
        default:
            return Problem::Kind::Damaged;
        }
    }

    // The start-up of the window that touches this state: clears the key and the stroke
    // string, opens the stroke and phrase dictionaries of `files`, shows the default list,
    // opens the character-code dictionary, takes setup.txt's options (writing "000" when it is
    // missing; nothing when `files` hold no option file) and lays the grids out by sizeMode.
    // The pinyin dictionary is opened when the keyboard first opens. Returns what the user is
    // to be told: dictionaries that could not be used (they behave as empty) and an option file
    // that could not be read or written (the defaults apply).
    //
    // The stroke index and the grids of the strings of up to four strokes (about a millisecond
    // together) make every later click quick; a one-shot query that clicks once reads the
    // matching run record by record instead (the same answers) and is quicker without them.
    enum class StrokeIndexing { Build, Skip };
    std::vector<Problem> start(LookupFiles files, StrokeIndexing indexing = StrokeIndexing::Build);

    // What went wrong since the last call, each told once: the pinyin dictionary when the
    // keyboard first opens, setup.txt when it cannot be written.
    std::vector<Problem> takeProblems();

    // Why the last write of setup.txt failed, every time it fails; "" when it was written or
    // there is no option file.
    const std::string& setupWriteError() const { return setupWriteError_; }

    // Closes every dictionary (the close spot, or the chart window unloading this window).
    void closeDictionaries();

    // Options given from outside setup.txt (tovrin-lookup's --show-all and --size): they apply
    // at once, the grid laid out again for the size; nothing is written.
    void applyOptions(const LookupOptions& options);
    LookupOptions options() const { return {showAll, winPos, sizeMode}; }

    // Whether a stroke string of digits has a fixed list of frequent characters (such strings
    // are never searched).
    static bool hasPresetList(std::string_view digits);

    // --- Events -------------------------------------------------------------------------
    // The window's events, for the one rule of which the user can make at a given moment.
    enum class Event {
        Stroke,
        Back,
        Clear,
        More,
        Pick,
        Pinyin,
        Panel,
        Letter,
        Page,
        PinyinPick,
        Choose,
        Confirm,
        Text // a whole text looked up
    };
    // Why the user cannot make `event` now, "" when they can. The options panel covers the
    // window but for its own rows and button; the pinyin keyboard covers the character grid
    // and its more link, and its letters, page labels and grid are there only while it is open;
    // the more link can be clicked only where it shows inside the compact window. The window
    // and the session both ask it.
    std::string_view refusal(Event event) const;
    bool allowed(Event event) const { return refusal(event).empty(); }

    void strokeClick(int digit); // Command2..Command6: digit 1..5
    void Command7_Click();       // "←"
    void Command8_Click();       // "清"
    void Label10_Click();        // "更多"

    // Picks: any mouse button, on press. The character grid first runs the promotion trigger.
    std::function<void()> promotionTrigger;
    void Label11_MouseDown(int index); // cell 0..50 of the character grid
    void Label66_MouseDown(int index); // cell 0..35 of the pinyin grid

    // The pinyin keyboard.
    void Command1_Click();             // "用拼音查": open or restart it
    void Command18_Click(char letter); // a letter button, by its caption 'a'..'z'
    void Label67_Click();              // previous page (only while active)
    void Label68_Click();              // next page (only while active)

    // The options panel.
    void Command9_Click();          // "设置"
    void Label42_Click(int index);  // a display option
    void Label44_Click(int index);  // a position option
    void Label111_Click(int index); // a size option
    void Command14_Click();         // "确 定": apply, lay out once, write setup.txt, close
    void Command14_MouseUp();       // the second layout pass when the mouse confirmed

    // The collapse spot: the window folds into its bar, and the options panel is hidden.
    void Label23_MouseDown();

    // A whole text looked up (a selection): its first 200 characters cut into the words the
    // phrase dictionary holds and single characters, their code lines put on top of the
    // history box in the text's order, the first character made the current one with its codes
    // and link box, as after a pick (the first line is the one in view, beside the link box). A
    // text with more to look up past its first 200 characters says so at the end of its first
    // line. The grid, the pick history and the association list stay as they are; the word the
    // picks spelt gives way to these lines. Returns the pieces looked up: none when the text
    // held nothing to look up, and then nothing changes.
    std::vector<textcut::Piece> lookUpText(std::u32string_view text);

    // What the window shows; only the events above change it.
    const LookupView& view() const { return *this; }

private:
    // The procedures the events run.
    void cccc1();                    // preset list or stroke search
    void ppp(const gbk::Text& list); // the grid from a fixed list
    void cc();                       // the default list
    void cccc();                     // bisection in the stroke dictionary, then display
    // Collects, ranks and shows the candidates from record `first` on: over the stroke index
    // when the dictionary takes one, else record by record.
    void display(std::int32_t first);
    // The same collection reading every matching record one by one: the search of a damaged
    // dictionary, or of one read without its index.
    void displayWalk(std::int32_t first);
    // Shows candidates collected over the index; `grid` is their precomputed grid, if any.
    void displayCandidates(const StrokeCandidates& c, const StrokeGrids::Grid* grid);
    void find1234(); // the association list from the pick history
    // Bisection in the phrase dictionary for Label18: the first word of its group, or 0.
    std::int32_t ccccz();
    void Label5_Click();              // code look-up of the current character
    void display3(std::int32_t hit);  // collect its codes, log them, set the link box
    void showCodes(std::int32_t hit); // the same without the log
    void findWord();                  // pickedWord and its code from the pick history
    void ccccPY();                    // bisection in the pinyin dictionary, then displayPY
    void layOutGrid(); // Label11 from the size layout table; nothing for an unknown size
    // The list of a stroke string that has one.
    const gbk::Text* presetFor(const gbk::Text& strokes) const;

    // The candidates of one class (exact matches, the 3,000 most frequent characters, the rest
    // of the common ones, the rare ones) in file order, with their sort keys: the last four
    // digits of a (boosted) rank, one per record read, so a record that held two single-byte
    // characters gives two characters and one key. Only the first 51 of either can reach the
    // grid, so only they are kept; the counts are of all.
    struct Bucket {
        std::array<gbk::Char, layout::kGridCells> chars;
        std::array<std::int32_t, layout::kGridCells> keys;
        std::size_t charCount = 0;
        std::size_t keyCount = 0;
        bool nonBlank = false; // a character other than a space was collected
        void clear() {
            charCount = keyCount = 0;
            nonBlank = false;
        }
        void add(gbk::Char c) {
            if (charCount < chars.size())
                chars[charCount] = c;
            ++charCount;
            nonBlank = nonBlank || c != u' ';
        }
        void addKey(std::int32_t key) {
            if (keyCount < keys.size())
                keys[keyCount] = key;
            ++keyCount;
        }
    };
    enum BucketIndex { Exact, Common, Middle, Rare };
    // The last search's candidates, kept for the more link: those of the index (candidates_,
    // and grid_ when they were worked out at the start), or else the walk's buckets.
    std::array<Bucket, 4> buckets_;
    const StrokeCandidates* candidates_ = nullptr;
    const StrokeGrids::Grid* grid_ = nullptr;
    StrokeCandidates indexed_;  // the last search over the index of a string of 5+ strokes
    std::int32_t posPY_ = 1;    // the pinyin record the first cell of the page shows
    bool pinyinOpened_ = false; // the pinyin dictionary was read (the keyboard opened once)

    struct Preset {
        gbk::Text key;
        gbk::Text list;
    };
    std::size_t longestPreset_ = 0; // strokes in the longest preset key
    // The picks the word search looks back over, oldest first: as many as the longest word the
    // phrase dictionary can hold, where the pick history keeps four for the association.
    gbk::Text wordPicks_;
    void dropLastWordPick() {
        if (!wordPicks_.empty())
            wordPicks_.pop_back();
    }
    static constexpr std::size_t kLongestWord = PhraseRecord::kTextWidth / 2;

    gbk::Text fromUtf8(const char* utf8) const;
    void readSetup();
    void writeSetup();
    void pickHistory(const gbk::Text& c);
    void passOver(std::int32_t& pos, int records, const gbk::Text& context, bool trim);
    void addAssoc(gbk::Char c, bool trim);
    bool pinyinMatches(std::int64_t n, std::string_view typed, gbk::Char& character) const;
    std::string typedBytes() const; // the key without its padding, as GBK bytes
    void displayPY(std::string_view typed);
    // Fills the 36 pinyin cells from posPY_: a record whose reading begins with `typed` shows its
    // character, any other cell is emptied. Says whether the last cell and whether every cell
    // showed one.
    struct PinyinPage {
        bool lastShown = false;
        bool allShown = true;
    };
    PinyinPage fillPinyinCells(std::string_view typed);
    void addSlots(int delta);
    void layOutPinyinCells(bool setFont, bool setTops, bool setSize);
    void selectRow(gbk::Text* row, std::size_t size, const char* const* texts, std::size_t index);
    void clearBuckets();
    // Ranks the candidates of the first three buckets (and the rare ones) into the grid.
    void showCandidates(bool withRare, bool placeLink);
    void beginCollection();
    Bucket& bucketFor(int rank, bool exact);
    void collect(const gbk::Text& ch, int rank, bool exact);
    // Chooses the grid's list and the more link's state from the buckets: `first3` characters
    // of the first three buckets, `rare` rare ones, `rareShown` when a rare one is not blank.
    void select(std::size_t first3, std::size_t rare, bool rareShown);
    void placeMoreLink(int cell);
    void parkMoreLink();
    bool beginsWithPrefix(const std::array<char, StrokeRecord::kStrokesWidth>& strokes) const;
    bool inAssoc(const gbk::Text& ch) const;
    void markAssoc(const gbk::Text& list, bool value);
    void forgetAssoc(); // clears the bits of inAssocOf_, and it

    const gbk::Codec& codec_;
    RecordFile strokes_; // vezari.dat
    StrokeIndex strokeIndex_;
    StrokeGrids strokeGrids_; // the grids of the strings of up to four strokes
    RecordFile phrases_;      // vezaricz.dat
    RecordFile codes_;        // 单字GBK.dat
    RecordFile pinyin_;       // vezariPY.dat, opened with the keyboard
    // Where the readings whose first byte is b or a later one start, for every b (a pass over
    // the file when it is opened); with the entry after it, the records a search for a first
    // byte reads.
    std::array<std::int32_t, 257> readingStarts_{};

    std::array<gbk::Text, 5> strokeShapes_; // 一 丨 丿 丶 乛
    gbk::Text found_, notFound_;            // 找到, 没有找到
    gbk::Text cutNote_;                     // after the first line of a text cut short
    gbk::Text defaultList_;
    std::vector<Preset> presets_;
    LookupFiles files_;
    std::string setupPath_; // where setup.txt was read, to name it to the user
    bool setupWriteTold_ = false;
    std::string setupWriteError_;
    std::vector<Problem> problems_;
    std::array<char, StrokeRecord::kStrokesWidth> key_{}; // the padded query key
    std::string prefix_;                                  // the stroke string's digits
    // One bit per GBK unit of assocHz, so the ranking's look-up is constant time; built again
    // only when assocHz is no longer the text it was built from.
    std::bitset<0x10000> inAssoc_;
    gbk::Text inAssocOf_;
};

} // namespace tovrin
