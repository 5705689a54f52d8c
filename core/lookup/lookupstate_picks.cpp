// Picks from either grid, the association list over the phrase dictionary, and the code
// look-up of the picked character.
#include "core/lookup/lookupstate.h"

#include "core/dict/bisect.h"
#include "core/dict/codelookup.h"
#include "core/dict/quwei.h"
#include "core/dict/wordcode.h"

#include <array>
#include <cstring>

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
    wordPicks_ += c;
    if (wordPicks_.size() > kLongestWord)
        wordPicks_.erase(0, wordPicks_.size() - kLongestWord);
}

void LookupState::Label11_MouseDown(int index) {
    if (index < 0 || index >= layout::kGridCells)
        return;
    if (promotionTrigger)
        promotionTrigger();
    const gbk::Char c = Label11[static_cast<std::size_t>(index)];
    if (!shows(c))
        return;
    const gbk::Text caption(1, c);
    Label10.visible = false;
    Label1.clear();
    Label6.clear();
    Label18 = caption;
    pickHistory(caption);
    find1234();
    Label25 = caption;
    Label5_Click();
    for (std::size_t i = 0; i < Label11.size(); ++i)
        Label11[i] = charAt(assocHz, i);
    findWord();
}

void LookupState::Label66_MouseDown(int index) {
    if (index < 0 || index >= layout::kPinyinCells)
        return;
    const gbk::Char c = Label66[static_cast<std::size_t>(index)];
    if (!shows(c))
        return;
    const gbk::Text caption(1, c);
    Label10.visible = false;
    Label1.clear();
    Label6.clear();
    Label63.clear();
    Label18 = caption;
    pickHistory(caption);
    Label25 = caption;
    Label5_Click();
    find1234();
    for (std::size_t i = 0; i < Label66.size(); ++i) {
        const gbk::Char a = charAt(assocHz, i);
        Label66[i] = a == u' ' ? kNoCaption : a;
    }
    findWord();
}

void LookupState::findWord() {
    pickedWord.clear();
    pickedWordCode.clear();
    for (std::size_t length = wordPicks_.size(); length >= 2; --length) {
        const std::u16string_view ending =
            std::u16string_view(wordPicks_).substr(wordPicks_.size() - length);
        if (!wordcode::isWord(phrases_, ending))
            continue;
        pickedWordCode = wordcode::ofWord(codes_, ending);
        if (!pickedWordCode.empty())
            pickedWord = ending;
        return;
    }
}

gbk::Text LookupView::wordLine() const {
    if (pickedWord.empty())
        return {};
    gbk::Text line = pickedWord + u' ';
    line.append(pickedWordCode.begin(), pickedWordCode.end());
    return line;
}

std::int32_t LookupState::ccccz() {
    const gbk::Char key = Label18.empty() ? u' ' : Label18[0];
    const Bisection b = bisectFirstChar(phrases_, key);
    if (!b.found)
        return 0;
    // Back to the first word of the group.
    return firstOfRun(b.pos,
                      [&](std::int32_t n) { return gbk::firstChar(phrases_.record(n)) == key; });
}

// Adds a character to the association list unless it is there already; inAssoc_ holds the
// list's characters while it is built.
void LookupState::addAssoc(gbk::Char c, bool trim) {
    if (inAssoc_[c])
        return;
    assocHz.push_back(c);
    inAssoc_[c] = true;
    if (trim)
        while (!assocHz.empty() && assocHz.back() == u' ') {
            assocHz.pop_back();
            inAssoc_[u' '] = false;
        }
}

// One pass of the association builder: `records` words from `pos` on (left after them); each that
// begins with the context adds the character that follows it, once. Passes over longer contexts
// trim trailing spaces after each addition (so the blank after a word exactly as long as the
// context is dropped); the one-character pass does not.
void LookupState::passOver(std::int32_t& pos, int records, const gbk::Text& context, bool trim) {
    const gbk::Char groupChar = context.empty() ? u' ' : context[0];
    // A context of two-byte characters is its bytes: a word begins with it exactly when the
    // word's bytes begin with those, and the character after it starts at the next byte.
    std::array<char, PhraseRecord::kTextWidth> contextBytes{};
    std::size_t contextWidth = 0;
    bool twoByte = 2 * context.size() <= contextBytes.size();
    for (std::size_t i = 0; twoByte && i < context.size(); ++i) {
        twoByte = context[i] >> 8 >= 0x81;
        contextBytes[contextWidth++] = static_cast<char>(context[i] >> 8);
        contextBytes[contextWidth++] = static_cast<char>(context[i] & 0xFF);
    }
    for (int i = 0; i < records; ++i, ++pos) {
        const std::string_view raw = phrases_.record(pos);
        // The group of words that begin with the context's first character ends here: the
        // records after it begin with another character, so none of them can match.
        if (gbk::firstChar(raw) != groupChar) {
            pos += records - i;
            return;
        }
        if (twoByte && raw.size() == PhraseRecord::kLength) {
            // The first character is the group's; the rest of the context is compared.
            if (contextWidth > 2 &&
                std::memcmp(raw.data() + 2, contextBytes.data() + 2, contextWidth - 2) != 0)
                continue;
            gbk::Char c = u' ';
            if (contextWidth < raw.size()) {
                const auto lead = static_cast<unsigned char>(raw[contextWidth]);
                c = lead >= 0x81 && contextWidth + 1 < raw.size()
                        ? static_cast<gbk::Char>(lead << 8 |
                                                 static_cast<unsigned char>(raw[contextWidth + 1]))
                        : lead;
            }
            addAssoc(c, trim);
            continue;
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
        addAssoc(context.size() < length ? text[context.size()] : u' ', trim);
    }
}

void LookupState::find1234() {
    const gbk::Text history = Label19;
    const std::size_t n = history.size();
    Label18 = history.substr(0, 1);
    std::int32_t pos = ccccz();
    // The ranking's bit set follows the list as it is built.
    forgetAssoc();
    assocHz.clear();
    auto finish = [this] {
        assocHz.append(51, u' ');
        inAssoc_[u' '] = true;
        inAssocOf_ = assocHz;
    };
    if (n == 0) {
        finish();
        return;
    }
    // Longer contexts first: the whole history, then its last three, two and one characters.
    if (pos != 0)
        passOver(pos, 201, history, true);
    for (std::size_t len : {std::size_t(3), std::size_t(2), std::size_t(1)}) {
        if (n < len + 1)
            continue;
        const gbk::Text tail = history.substr(n - len);
        Label18 = tail.substr(0, 1);
        pos = ccccz();
        if (pos != 0)
            passOver(pos, 101, tail, len > 1);
    }
    finish();
}

void LookupState::Label5_Click() {
    const gbk::Char key = Label25.empty() ? u' ' : Label25[0];
    const Bisection b = bisectFirstChar(codes_, key);
    if (b.found)
        display3(b.pos);
    Label22 = b.found ? found_ : notFound_;
}

void LookupState::display3(std::int32_t hit) {
    showCodes(hit);
    Text1.push_front(Label8);
    ++text1Added;
}

std::vector<textcut::Piece> LookupState::lookUpText(std::u32string_view text) {
    std::vector<textcut::Piece> pieces = textcut::cut(text, phrases_, codec_);
    if (pieces.empty())
        return pieces;
    std::vector<textcut::Line> lines = textcut::lines(pieces, codes_, notFound_);
    // A text cut short says so in its first line, the one the box shows.
    if (textcut::cutShort(text, codec_))
        lines.front().text += cutNote_;
    // Read from the top down in the text's order: the last line goes in first.
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        Text1.push_front(it->text);
        ++text1Added;
    }
    // These lines are on top now, not the word the picks spelt.
    pickedWord.clear();
    pickedWordCode.clear();
    // The first character is the current one, its codes and link box as after a pick: the link
    // box stands beside the line in view, the first, and acts on what it shows.
    Label25 = gbk::Text(1, pieces.front().text.front());
    const Bisection b = bisectFirstChar(codes_, Label25[0]);
    if (b.found)
        showCodes(b.pos);
    Label22 = b.found ? found_ : notFound_;
    return pieces;
}

void LookupState::showCodes(std::int32_t hit) {
    const gbk::Text current = gbk::trim(Label25);
    const gbk::Char c = current.empty() ? u' ' : current[0];
    const CodeLine line = collectCodes(codes_, hit, c);
    Label38 = line.byLength[0];
    Label45 = line.byLength[1];
    Label46 = line.byLength[2];
    Label48 = line.byLength[3];
    Label8.assign(current);
    for (const auto* code : {&Label38, &Label45, &Label46, &Label48})
        Label8.append(*code);

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
