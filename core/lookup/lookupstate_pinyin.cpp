// The pinyin keyboard: letters typed, the bisection over the pinyin dictionary, and paging
// through the 36-cell grid.
#include "core/lookup/lookupstate.h"

#include "core/dict/bisect.h"
#include "core/text/numeric.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <utility>

namespace tovrin {

void LookupState::layOutPinyinCells(bool setFont, bool setTops, bool setSize) {
    if (sizeMode >= layout::kSizeLayouts.size())
        return;
    const layout::SizeLayout& s = layout::kSizeLayouts[sizeMode];
    if (setFont)
        pinyinFontPoints = s.fontPoints;
    for (int i = 0; i < layout::kPinyinCells; ++i) {
        layout::Rect& r = Label66Rect[static_cast<std::size_t>(i)];
        r.left = s.pinyinLeft + s.pinyinPitch * (i % layout::kPinyinColumns);
        if (setTops)
            r.top = s.pinyinTops[static_cast<std::size_t>(i / layout::kPinyinColumns)];
        if (setSize) {
            r.width = s.cellWidth;
            r.height = s.cellHeight;
        }
    }
}

void LookupState::Command1_Click() {
    Label10.visible = false;
    if (!pinyinOpened_) {
        pinyin_ = RecordFile::fromFile(std::exchange(files_.pinyin, {}), PinyinRecord::kLength);
        if (pinyin_.status() != RecordFile::Status::Ok)
            problems_.push_back({std::string(PinyinRecord::kFileName), pinyin_.path(),
                                 pinyin_.reason(), problemKind(pinyin_)});
        pinyinOpened_ = true;
        std::size_t nextByte = 0;
        for (std::int32_t n = 1; n <= pinyin_.count(); ++n) {
            const auto first =
                static_cast<unsigned char>(PinyinRecord::read(pinyin_.record(n)).pinyin[0]);
            while (nextByte <= first)
                readingStarts_[nextByte++] = n;
        }
        while (nextByte < readingStarts_.size())
            readingStarts_[nextByte++] = pinyin_.count() + 1;
    }
    posPY_ = 1;
    Label66.fill(u' ');
    Label1.clear();
    Label6.clear();
    Label2.clear();
    Label69 = u"0";
    layOutPinyinCells(true, true, false);
    Image8Visible = true;
    Label63.clear();
    Label2.clear();
    Label67Active = false;
    Label68Active = false;
}

void LookupState::Command18_Click(char letter) {
    if (letter < 'a' || letter > 'z')
        return;
    Label63.push_back(static_cast<gbk::Char>(letter));
    Label2 = Label63;
    ccccPY();
}

namespace {

// The number the slot counter's text begins with.
std::int64_t slotNumber(const gbk::Text& text) {
    return leadingNumber(std::u16string_view(text));
}

// A reading's six bytes as one number (a four- and a two-byte load), for comparing under a mask.
std::uint64_t readingBits(const char* p) {
    static_assert(PinyinRecord::kPinyinWidth == 6);
    std::uint32_t head;
    std::uint16_t tail;
    std::memcpy(&head, p, 4);
    std::memcpy(&tail, p + 4, 2);
    return head | std::uint64_t(tail) << 32;
}

// Byte i of a reading where readingBits puts it.
std::uint64_t readingByte(std::size_t i, unsigned char byte) {
    if constexpr (std::endian::native == std::endian::little) {
        return std::uint64_t(byte) << 8 * i;
    } else {
        const std::size_t inWord = i < 4 ? 3 - i : 4 + (5 - i);
        return std::uint64_t(byte) << 8 * inWord;
    }
}

} // namespace

void LookupState::addSlots(int delta) {
    const std::int64_t slots = slotNumber(Label69) + delta;
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, slots);
    (void)ec;
    Label69.assign(buf, end);
}

// Whether record n's reading begins with `typed` (the key without its padding); its character
// goes to `character` (the first of a padded character field, kNoCaption for a blank one).
bool LookupState::pinyinMatches(std::int64_t n, std::string_view typed,
                                gbk::Char& character) const {
    // Read in place, a cut record as PinyinRecord::read pads it.
    const std::string_view raw = pinyin_.record(n);
    auto at = [&raw](std::size_t i) { return i < raw.size() ? raw[i] : ' '; };
    if (typed.size() > PinyinRecord::kPinyinWidth)
        return false;
    for (std::size_t i = 0; i < typed.size(); ++i)
        if (at(PinyinRecord::kPinyinOffset + i) != typed[i])
            return false;
    // The field's first character; a blank field shows nothing.
    const char field[] = {at(PinyinRecord::kCharacterOffset),
                          at(PinyinRecord::kCharacterOffset + 1)};
    static_assert(sizeof field == PinyinRecord::kCharacterWidth);
    character =
        field[0] == ' ' && field[1] == ' ' ? kNoCaption : gbk::firstChar({field, sizeof field});
    return true;
}

void LookupState::ccccPY() {
    if (Label63.size() > PinyinRecord::kPinyinWidth)
        return; // further letters show but start no search
    Label2.resize(PinyinRecord::kPinyinWidth, u' ');
    const std::string typed = typedBytes();
    // The key is the letters padded with spaces: for letters, their bytes padded.
    std::string key = typed;
    if (key.size() < PinyinRecord::kPinyinWidth &&
        std::all_of(Label2.begin(), Label2.end(), [](gbk::Char c) { return c < 0x80; }))
        key.resize(PinyinRecord::kPinyinWidth, ' ');
    else
        key = gbk::encode(Label2);
    // The first reading not below the key among those of its first byte: in a sorted file the
    // first that begins with the typed letters when any does.
    const auto firstByte = static_cast<unsigned char>(key[0]);
    posPY_ = lowerBound(pinyin_, PinyinRecord::kPinyinOffset, key, readingStarts_[firstByte],
                        readingStarts_[firstByte + 1u] - 1);
    gbk::Char ignored;
    Label69 = pinyinMatches(posPY_, typed, ignored) ? u"0" : u"-1";
    displayPY(typed);
}

std::string LookupState::typedBytes() const {
    std::size_t end = Label2.size();
    while (end > 0 && Label2[end - 1] == u' ')
        --end;
    std::string out;
    for (std::size_t i = 0; i < end; ++i) {
        if (Label2[i] >= 0x80)
            return gbk::encode(Label2.substr(0, end));
        out.push_back(static_cast<char>(Label2[i]));
    }
    // Pinyin writes the ü of lüe and nüe as u, and learners type it so; the dictionary writes
    // it v. No other syllable begins with lue or nue.
    if (out.size() >= 3 && (out[0] == 'l' || out[0] == 'n') && out[1] == 'u' && out[2] == 'e')
        out[1] = 'v';
    return out;
}

void LookupState::displayPY(std::string_view typed) {
    if (slotNumber(Label69) == -1) {
        Label66.fill(kNoCaption);
        Label67Active = false;
        Label68Active = false;
        return;
    }
    // Every cell counts one slot; the counter is text, written once for the page.
    addSlots(layout::kPinyinCells);
    Label68Active = fillPinyinCells(typed).lastShown;
    Label67Active = false;
}

LookupState::PinyinPage LookupState::fillPinyinCells(std::string_view typed) {
    PinyinPage page;
    // The typed letters as the first bytes of a number, so a whole record's reading is tested
    // with one comparison.
    const bool wide = typed.size() <= PinyinRecord::kPinyinWidth;
    std::uint64_t want = 0;
    std::uint64_t mask = 0;
    for (std::size_t i = 0; wide && i < typed.size(); ++i) {
        want |= readingByte(i, static_cast<unsigned char>(typed[i]));
        mask |= readingByte(i, 0xFF);
    }
    // Whole records are read in place; a cut last record or another kind of character goes the
    // long way.
    const std::int64_t whole =
        static_cast<std::int64_t>(pinyin_.byteSize() / PinyinRecord::kLength);
    const char* first = whole > 0 ? pinyin_.record(1).data() : nullptr;
    const std::int64_t start = posPY_;
    // The cells whose records are whole: i from inFrom to inTo - 1.
    const std::int64_t inFrom =
        wide ? std::clamp<std::int64_t>(1 - start, 0, layout::kPinyinCells) : 0;
    const std::int64_t inTo =
        wide ? std::clamp<std::int64_t>(whole - start + 1, inFrom, layout::kPinyinCells) : 0;
    // Every cell shows its record's character or nothing; the flags follow what was shown.
    auto show = [&page](gbk::Char& cell, bool shown) {
        if (!shown)
            cell = kNoCaption;
        page.lastShown = shown;
        page.allShown = page.allShown && shown;
    };
    auto longWay = [&](std::int64_t i) {
        gbk::Char& cell = Label66[static_cast<std::size_t>(i)];
        show(cell, pinyinMatches(start + i, typed, cell));
    };
    for (std::int64_t i = 0; i < inFrom; ++i)
        longWay(i);
    const char* p = inFrom < inTo ? first + (start + inFrom - 1) * PinyinRecord::kLength : nullptr;
    for (std::int64_t i = inFrom; i < inTo; ++i, p += PinyinRecord::kLength) {
        const auto lead = static_cast<unsigned char>(p[PinyinRecord::kCharacterOffset]);
        if (lead < 0x81) [[unlikely]] {
            longWay(i);
            continue;
        }
        gbk::Char& cell = Label66[static_cast<std::size_t>(i)];
        const bool shown = (readingBits(p + PinyinRecord::kPinyinOffset) & mask) == want;
        if (shown)
            cell = static_cast<gbk::Char>(
                lead << 8 | static_cast<unsigned char>(p[PinyinRecord::kCharacterOffset + 1]));
        show(cell, shown);
    }
    for (std::int64_t i = inTo; i < layout::kPinyinCells; ++i)
        longWay(i);
    return page;
}

void LookupState::Label68_Click() {
    if (!Label68Active)
        return;
    const std::string typed = typedBytes();
    Label67Active = true;
    posPY_ += layout::kPinyinCells;
    addSlots(layout::kPinyinCells);
    if (!fillPinyinCells(typed).allShown)
        Label68Active = false;
}

void LookupState::Label67_Click() {
    if (!Label67Active)
        return;
    const std::string typed = typedBytes();
    Label68Active = true;
    posPY_ -= layout::kPinyinCells;
    addSlots(-layout::kPinyinCells);
    if (!fillPinyinCells(typed).allShown)
        Label68Active = false;
    if (Label69 == u"36")
        Label67Active = false;
}

} // namespace tovrin
