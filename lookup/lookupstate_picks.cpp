// Picks from either grid, the association list over the phrase dictionary, and the code
// look-up of the picked character.
#include "lookupstate.h"

#include "bisect.h"
#include "codelookup.h"
#include "quwei.h"

#include <array>

namespace tovrin {

namespace {

// Character k (0-based) of a record's text as the window reads it: the text is padded with
// blanks to its width, so a place past its last character is a space.
gbk::Char charAt(const gbk::Text& text, std::size_t k) {
    return k < text.size() ? text[k] : u' ';
}

} // namespace

void LookupState::pickHistory(const gbk::Text& c) {
    if (Label19.size() >= 4)
        Label19 = Label19.substr(Label19.size() - 3) + c;
    else
        Label19 += c;
}

void LookupState::Label11_MouseDown(int index) {
    if (index < 0 || index >= layout::kGridCells)
        return;
    if (promotionTrigger)
        promotionTrigger();
    const gbk::Text caption = Label11[static_cast<std::size_t>(index)];
    if (gbk::trim(caption).empty())
        return;
    Label10.visible = false;
    Label1.clear();
    Label6.clear();
    Label18 = caption;
    pickHistory(caption);
    find1234();
    Label25 = caption;
    if (!gbk::trim(Label25).empty())
        Label5_Click();
    for (std::size_t i = 0; i < Label11.size(); ++i)
        Label11[i] = gbk::Text(1, charAt(assocHz, i));
}

void LookupState::Label66_MouseDown(int index) {
    if (index < 0 || index >= layout::kPinyinCells)
        return;
    const gbk::Text caption = Label66[static_cast<std::size_t>(index)];
    if (caption.empty() || caption == u" ")
        return;
    Label10.visible = false;
    Label1.clear();
    Label6.clear();
    Label63.clear();
    Label18 = caption;
    pickHistory(caption);
    Label25 = caption;
    if (!gbk::trim(Label25).empty())
        Label5_Click();
    find1234();
    for (std::size_t i = 0; i < Label66.size(); ++i) {
        const gbk::Char c = charAt(assocHz, i);
        Label66[i] = c == u' ' ? gbk::Text() : gbk::Text(1, c);
    }
}

void LookupState::ccccz() {
    count2 = phrases_.count();
    const gbk::Char key = Label18.empty() ? u' ' : Label18[0];
    const Bisection b = bisectFirstChar(phrases_, key);
    lo2 = b.lo;
    hi2 = b.hi;
    pos2 = b.pos;
    found2 = b.found ? -1 : 0;
    if (!b.found)
        return;
    // Walk back to the first word of the group.
    while (pos2 > 1 && gbk::firstChar(phrases_.record(pos2 - 1)) == key)
        --pos2;
}

// One pass of the association builder: `records` words from pos2 on; each that begins with the
// context adds the character that follows it, once. Passes over longer contexts trim trailing
// spaces after each addition (so the blank after a word exactly as long as the context is
// dropped); the one-character pass does not.
void LookupState::passOver(int records, const gbk::Text& context, bool trim) {
    const gbk::Char groupChar = context.empty() ? u' ' : context[0];
    for (int i = 0; i < records; ++i, ++pos2) {
        const std::string_view raw = phrases_.record(pos2);
        // The group of words that begin with the context's first character ends here: the
        // records after it begin with another character, so none of them can match.
        if (gbk::firstChar(raw) != groupChar) {
            pos2 += records - i;
            return;
        }
        // The text's characters, decoded in place (a word is at most 16 bytes); past its last
        // character the text reads as blanks.
        std::array<gbk::Char, PhraseRecord::kTextWidth> text;
        std::size_t length = 0;
        const PhraseRecord rec = PhraseRecord::read(raw);
        for (std::size_t b = 0; b < rec.text.size(); ++b) {
            const auto lead = static_cast<unsigned char>(rec.text[b]);
            if (lead >= 0x81 && b + 1 < rec.text.size())
                text[length++] =
                    static_cast<gbk::Char>(lead << 8 | static_cast<unsigned char>(rec.text[++b]));
            else
                text[length++] = lead;
        }
        if (length < context.size() || !std::equal(context.begin(), context.end(), text.begin()))
            continue;
        const gbk::Char c = context.size() < length ? text[context.size()] : u' ';
        if (assocHz.find(c) == gbk::Text::npos) {
            assocHz.push_back(c);
            if (trim)
                while (!assocHz.empty() && assocHz.back() == u' ')
                    assocHz.pop_back();
        }
    }
}

void LookupState::find1234() {
    const gbk::Text history = Label19;
    const std::size_t n = history.size();
    Label18 = history.substr(0, 1);
    ccccz();
    assocHz.clear();
    if (n == 0) {
        assocHz.append(51, u' ');
        return;
    }
    // Longer contexts first: the whole history, then its last three, two and one characters.
    if (found2 == -1)
        passOver(201, history, true);
    for (std::size_t len : {std::size_t(3), std::size_t(2), std::size_t(1)}) {
        if (n < len + 1)
            continue;
        const gbk::Text tail = history.substr(n - len);
        Label18 = tail.substr(0, 1);
        ccccz();
        if (found2 == -1)
            passOver(101, tail, len > 1);
    }
    assocHz.append(51, u' ');
}

void LookupState::Label5_Click() {
    count4 = codes_.count();
    const gbk::Char key = Label25.empty() ? u' ' : Label25[0];
    const Bisection b = bisectFirstChar(codes_, key);
    lo = b.lo;
    hi = b.hi;
    pos4 = b.pos;
    found1 = b.found;
    if (found1)
        display3();
    Label22 = found1 ? fromUtf8("找到") : fromUtf8("没有找到");
}

void LookupState::display3() {
    const gbk::Text current = gbk::trim(Label25);
    const gbk::Char c = current.empty() ? u' ' : current[0];
    const CodeLine line = collectCodes(codes_, pos4, c);
    pos4 = line.pos;
    Label38 = line.byLength[0];
    Label45 = line.byLength[1];
    Label46 = line.byLength[2];
    Label48 = line.byLength[3];
    Label8 = current + Label38 + Label45 + Label46 + Label48;
    Text1.push_front(Label8);
    if (Text1.size() > kText1Lines)
        Text1.pop_back();

    // A GB 2312 hanzi links to the code search, any other character to the article.
    Picture1.visible = true;
    if (isGb2312ByQuwei(Label25)) {
        Picture1.image = LinkBox::Image::Search;
        Picture1.width = 795;
        Picture1.left = 5310;
    } else {
        Picture1.image = LinkBox::Image::Article;
        Picture1.width = 2595;
        Picture1.left = 4050;
    }
}

} // namespace tovrin
