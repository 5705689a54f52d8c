// What the lookup window shows, as plain data: the Qt window (Form3) draws it and tovrin-lookup's
// session writes it as JSON. Only LookupState writes it; everyone else reads it through
// LookupState::view().
//
// Fields keep the names of the window's controls. Captions are GBK text; a grid cell is one
// character, or kNoCaption for an empty cell.
#pragma once

#include "core/dict/codelookup.h"
#include "core/lookup/layout.h"
#include "core/text/fixedtext.h"
#include "core/text/gbk.h"

#include <array>
#include <cstdint>
#include <string>

namespace tovrin {

struct LookupView {
    // A cell of either grid shows one character or nothing. A NUL byte read from a damaged
    // dictionary is no character, so it shows as nothing too.
    static constexpr gbk::Char kNoCaption = 0;
    // Whether a cell shows a character a pick can take: neither empty nor blank.
    static constexpr bool shows(gbk::Char cell) { return cell != kNoCaption && cell != u' '; }
    // A cell's caption: its character, or nothing.
    static gbk::Text captionOf(gbk::Char cell) {
        return cell == kNoCaption ? gbk::Text() : gbk::Text(1, cell);
    }
    using Cells = std::array<gbk::Char, layout::kGridCells>;
    using PinyinCells = std::array<gbk::Char, layout::kPinyinCells>;

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
    Cells Label11{};                                          // the 51 cells
    std::array<layout::Rect, layout::kGridCells> Label11Rect; // their places
    double gridFontPoints = 12.0;

    // --- Options ----------------------------------------------------------------------------
    std::uint8_t showAll = 0;  // 0: common characters first; otherwise all GBK characters
    std::uint8_t winPos = 0;   // 0 bottom right, 1 bottom centre, 2 centre
    std::uint8_t sizeMode = 0; // candidate size 0..4

    // --- Picks ------------------------------------------------------------------------------
    gbk::Text Label19; // the pick history, oldest first, at most four characters
    gbk::Text Label18; // the character the phrase search looked for last
    gbk::Text Label25; // the current character
    gbk::Text assocHz; // the association list, followed by 51 spaces

    // --- Code look-up -----------------------------------------------------------------------
    gbk::FixedText<5> Label38, Label45, Label46, Label48; // " " + the code of 1, 2, 3, 4 letters
    gbk::FixedText<CodeLine::kSummaryLength> Label8;      // the summary line of the last look-up
    gbk::Text Label22;                                    // "找到" or "没有找到"
    // The history box's lines, newest first. It keeps the newest 1,000 lines: a learner reads
    // the first few, and a window left open for weeks must not grow without end.
    static constexpr std::size_t kText1Lines = 1000;
    // Room for the longest first line of a text looked up: a character's line (as long as the
    // summary, longer than a word's) and the note of a text cut short (11 characters).
    static constexpr std::size_t kText1LineLength = CodeLine::kSummaryLength + 11;
    gbk::LineRing<kText1LineLength> Text1{kText1Lines};
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
    PinyinCells Label66{};      // a blank cell holds a space
    std::array<layout::Rect, layout::kPinyinCells> Label66Rect;
    double pinyinFontPoints = 12.0;
    gbk::Text Label69;          // the slot counter, as text
    bool Label67Active = false; // previous page
    bool Label68Active = false; // next page

    // --- Options panel (Frame2) ---------------------------------------------------------------
    bool Frame2Visible = false;
    bool Label11AutoSize = false; // cells take the size of their text (a keyboard confirm)
    bool Label66AutoSize = false;
    std::array<gbk::Text, 2> Label42;  // "候选汉字显示： "
    std::array<gbk::Text, 3> Label44;  // "界面默认位置： "
    std::array<gbk::Text, 5> Label111; // "候选汉字大小： "
};

} // namespace tovrin
