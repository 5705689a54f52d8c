// The lookup window's state and procedures, without any window: the Qt window (Form3) and
// tovrin-lookup's session both drive this class, so what the tests see is what the window does.
//
// Fields keep the names of the window's controls and variables. Captions are GBK text; a
// holder label that the user never sees is a plain field named after the label.
#pragma once

#include "core/files.h"
#include "core/gbk.h"
#include "core/layout.h"
#include "core/recordfile.h"
#include "core/records.h"
#include "core/setupfile.h"
#include "core/strokeindex.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tovrin {

class LookupState {
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
    // string, reads the stroke and phrase dictionaries through `files`, shows the default
    // list, reads the character-code dictionary, reads setup.txt (writing "000" when it is
    // missing; nothing when `files` keep no option file) and lays the grids out by sizeMode.
    // The pinyin dictionary is read when the keyboard first opens. Returns what the user is to
    // be told: dictionaries that could not be used (they behave as empty) and an option file
    // that could not be read or written (the defaults apply).
    //
    // The stroke index makes every later click quick; a one-shot query that clicks once reads
    // the matching run record by record instead (the same answers) and is quicker without it.
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
        Confirm
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

    // --- Procedures -----------------------------------------------------------------------
    void cccc1(); // preset list or stroke search
    void ppp();   // grid from gridList
    void cc();    // the default list
    void cccc();  // bisection in the stroke dictionary, then display
    // Collects, ranks and shows the candidates: over the stroke index when the dictionary
    // takes one, else by displayWalk().
    void display();
    // The same collection reading every matching record one by one: the search of a damaged
    // dictionary, and what the index's answers are checked against.
    void displayWalk();
    void find1234();     // the association list from the pick history
    void ccccz();        // bisection in the phrase dictionary for Label18
    void Label5_Click(); // code look-up of the current character
    void display3();     // collect its codes, log them, set the link box
    void findWord();     // pickedWord and its code from the pick history
    void ccccPY();       // bisection in the pinyin dictionary, then displayPY
    void displayPY();    // the 36 cells from posPY

    // Lays Label11 out from the size layout table (start-up step); nothing for an unknown size.
    void layOutGrid();

    // Whether a stroke string has a preset list (those strings are never searched).
    const gbk::Text* presetFor(const gbk::Text& strokes) const;

    // --- The entry (stroke line, digits, key) -----------------------------------------------
    gbk::Text Label1; // the stroke shapes entered, one character per stroke
    gbk::Text Label6; // the same strokes as the digits "1".."5"
    gbk::Text Label2; // the query key: the stroke (or pinyin) string, padded by the search

    // --- The character grid -----------------------------------------------------------------
    struct MoreLink { // Label10, "更多"
        bool visible = false;
        int left = layout::kMoreParkedLeft;
        int top = layout::kMoreDesignedTop;
    };
    MoreLink Label10;
    std::array<gbk::Text, layout::kGridCells> Label11;        // the 51 cells' captions
    std::array<layout::Rect, layout::kGridCells> Label11Rect; // their places
    double gridFontPoints = 12.0;

    // The characters behind the grid in cell order, and their sort keys: the last four digits
    // of a (boosted) rank, one per record read, so a record that held two single-byte
    // characters gives two characters and one key.
    gbk::Text gridList;
    std::vector<std::int32_t> gridKeys;
    gbk::Text exactHz, commonHz, middleHz, rareHz;
    std::vector<std::int32_t> exactKeys, commonKeys, middleKeys, rareKeys;
    // A row of the candidate table: one character of gridList, or none. Kept small, so the
    // sort moves three plain values rather than strings.
    struct Candidate {
        gbk::Char character = 0;
        bool used = false; // false for an unused row
        std::int32_t key = 9999;
    };
    std::array<Candidate, layout::kGridCells> cand;
    std::size_t candInUse_ = 0; // rows of cand that hold a candidate

    // --- Options ----------------------------------------------------------------------------
    std::uint8_t showAll = 0;  // 0: common characters first; otherwise all GBK characters
    std::uint8_t winPos = 0;   // 0 bottom right, 1 bottom centre, 2 centre
    std::uint8_t sizeMode = 0; // candidate size 0..4

    // --- Picks ------------------------------------------------------------------------------
    gbk::Text Label19; // the pick history, oldest first, at most four characters
    gbk::Text Label18; // the character the phrase search looks for
    gbk::Text Label25; // the current character
    gbk::Text assocHz; // the association list, followed by 51 spaces

    // --- Code look-up -----------------------------------------------------------------------
    gbk::Text Label38, Label45, Label46, Label48; // " " + the code of 1, 2, 3, 4 letters
    gbk::Text Label8;                             // the summary line of the last look-up
    gbk::Text Label22;                            // "找到" or "没有找到"
    // The history box's lines, newest first. It keeps the newest 1,000 lines: a learner reads
    // the first few, and a window left open for weeks must not grow without end.
    std::deque<gbk::Text> Text1;
    static constexpr std::size_t kText1Lines = 1000;
    std::uint64_t text1Added = 0; // lines ever put in front of Text1: what a view has not shown
    // The word the picks spell: the longest ending of the picks (up to eight, beyond the pick
    // history's four), of two or more characters, that the phrase dictionary holds whole, and the
    // code that types it. The history box shows "word code" in front of its lines. Both are empty
    // after a pick that ends no word (or whose word has a character without a code), and keep until
    // the next pick.
    gbk::Text pickedWord;
    std::string pickedWordCode;
    gbk::Text wordLine() const; // "我们 TRWU", or empty
    struct LinkBox {            // Picture1 with Image4 (search) or Image5 (article)
        bool visible = false;
        enum class Image { None, Search, Article } image = Image::None;
        int left = 4050;
        int width = 2595;
    };
    LinkBox Picture1;

    // --- Pinyin keyboard --------------------------------------------------------------------
    bool Image8Visible = false; // the keyboard is open
    gbk::Text Label63;          // the letters typed
    std::array<gbk::Text, layout::kPinyinCells> Label66;
    std::array<layout::Rect, layout::kPinyinCells> Label66Rect;
    double pinyinFontPoints = 12.0;
    gbk::Text Label69;          // the slot counter, as text
    gbk::Text Label70;          // "关闭" until the pinyin dictionary was opened, then "打开"
    bool Label67Active = false; // previous page
    bool Label68Active = false; // next page

    // --- Options panel (Frame2) ---------------------------------------------------------------
    bool Frame2Visible = false;
    bool Label11AutoSize = false; // cells take the size of their text (a keyboard confirm)
    bool Label66AutoSize = false;
    std::array<gbk::Text, 2> Label42;  // "候选汉字显示： "
    std::array<gbk::Text, 3> Label44;  // "界面默认位置： "
    std::array<gbk::Text, 5> Label111; // "候选汉字大小： "

    // --- Search state -----------------------------------------------------------------------
    std::int32_t count1 = 0, count2 = 0, count4 = 0, countPY = 0;
    std::int32_t pos1 = 1, pos2 = 1, pos4 = 1, posPY = 1;
    std::int32_t lo = 0, hi = 0;
    bool found1 = false;
    int found2 = 0; // -1 found, 0 not found
    std::int32_t lo2 = 0, hi2 = 0;

private:
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
    void passOver(int records, const gbk::Text& context, bool trim);
    void addAssoc(gbk::Char c, bool trim);
    bool pinyinMatches(std::int64_t n, std::string_view typed, gbk::Text& character) const;
    std::string typedBytes() const; // the key without its padding, as GBK bytes
    void displayPY(std::string_view typed);
    // Fills the 36 pinyin cells from posPY: a record whose reading begins with `typed` shows its
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
    void showCandidates(bool placeLink); // fills, sorts and shows the candidate table
    void beginCollection();
    void takeBuckets(bool withRare); // gridList and gridKeys from the buckets
    struct Bucket {
        gbk::Text* hz;
        std::vector<std::int32_t>* keys;
    };
    Bucket bucketFor(int rank, bool exact);
    static std::int32_t keyFor(int rank, bool exact, bool boost);
    void collect(const gbk::Text& ch, int rank, bool exact);
    void collect(gbk::Char ch, int rank, bool exact);
    void displayIndexed(); // display() over the stroke index
    // Chooses the grid's list and the more link's state from the buckets: `first3` characters
    // of the first three buckets, `rare` rare ones, `rareShown` when a rare one is not blank.
    void select(std::size_t first3, std::size_t rare, bool rareShown);
    void placeMoreLink(int cell);
    void parkMoreLink();
    bool beginsWithPrefix(const std::array<char, StrokeRecord::kStrokesWidth>& strokes) const;
    // Whether record n's strokes field begins with `text` (a cut record reads as padded).
    bool strokesBeginWith(std::int64_t n, std::string_view text) const;
    bool inAssoc(const gbk::Text& ch) const;
    void markAssoc(const gbk::Text& list, bool value);
    void forgetAssoc(); // clears the bits of inAssocOf_, and it

    const gbk::Codec& codec_;
    RecordFile strokes_; // vezari.dat
    StrokeIndex strokeIndex_;
    RecordFile phrases_;         // vezaricz.dat
    bool phrasesSorted_ = false; // by the code of each word's first character
    RecordFile codes_;           // 单字GBK.dat
    RecordFile pinyin_;          // vezariPY.dat, opened with the keyboard
    bool pinyinSorted_ = false;  // by reading, and no reading byte below the space
    // Where the readings beginning with each byte (or a later one) start; with the one after
    // it, the records a search for that first byte can land on.
    std::array<std::int32_t, 257> readingStarts_{};
    void indexReadings();

    std::array<gbk::Text, 5> strokeShapes_; // 一 丨 丿 丶 乛
    gbk::Text found_, notFound_;            // 找到, 没有找到
    gbk::Text closed_, opened_;             // 关闭, 打开
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
