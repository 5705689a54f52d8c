#include "core/dict/textcut.h"

#include "core/dict/bisect.h"
#include "core/dict/codelookup.h"
#include "core/dict/wordcode.h"

namespace tovrin::textcut {

bool looksUp(gbk::Char c) {
    const unsigned lead = c >> 8;
    const unsigned trail = c & 0xFFu;
    if (c == 0xA996) // 〇, among the symbols
        return true;
    if (lead >= 0x81 && lead <= 0xA0) // GBK/3
        return trail >= 0x40;
    if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1) // GB 2312's hanzi
        return gbk::isGb2312Hanzi(c);
    if (lead >= 0xAA && lead <= 0xFE && trail < 0xA1) // GBK/4
        return trail >= 0x40 && trail != 0x7F;
    return false;
}

std::vector<Piece> cut(std::u32string_view text, const RecordFile& phrases,
                       const gbk::Codec& codec) {
    // The characters looked up, with a break (0) wherever something was passed over.
    gbk::Text run;
    for (std::size_t i = 0; i < text.size() && i < kLongest; ++i) {
        const std::optional<gbk::Char> c = codec.fromUnicode(text[i]);
        const gbk::Char kept = c && looksUp(*c) ? *c : 0;
        if (kept != 0 || (!run.empty() && run.back() != 0))
            run.push_back(kept);
    }
    std::vector<Piece> pieces;
    for (std::size_t i = 0; i < run.size();) {
        if (run[i] == 0) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < run.size() && run[end] != 0)
            ++end;
        const std::size_t word =
            wordcode::longestWordAt(phrases, std::u16string_view(run).substr(i, end - i));
        const std::size_t length = word >= 2 ? word : 1;
        pieces.push_back({run.substr(i, length), word >= 2});
        i += length;
    }
    return pieces;
}

bool cutShort(std::u32string_view text, const gbk::Codec& codec) {
    for (std::size_t i = kLongest; i < text.size(); ++i)
        if (const std::optional<gbk::Char> c = codec.fromUnicode(text[i]); c && looksUp(*c))
            return true;
    return false;
}

std::vector<Line> lines(const std::vector<Piece>& pieces, const RecordFile& codes,
                        const gbk::Text& notFound) {
    std::vector<Line> out;
    auto character = [&](gbk::Char c, bool indented) {
        Line line;
        if (indented)
            line.text = u"  ";
        const Bisection b = bisectFirstChar(codes, c);
        line.found = b.found;
        if (b.found) {
            line.text += collectCodes(codes, b.pos, c).summary.view();
        } else {
            line.text += c;
            line.text += u' ';
            line.text += notFound;
        }
        out.push_back(std::move(line));
    };
    for (const Piece& p : pieces) {
        if (!p.word) {
            character(p.text[0], false);
            continue;
        }
        const std::string code = wordcode::ofWord(codes, p.text);
        Line line{p.text + u' ', !code.empty()};
        if (code.empty())
            line.text += notFound;
        else
            line.text.append(code.begin(), code.end());
        out.push_back(std::move(line));
        for (gbk::Char c : p.text)
            character(c, true);
    }
    return out;
}

} // namespace tovrin::textcut
