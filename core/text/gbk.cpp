#include "core/text/gbk.h"

#include "core/text/gbktables.h"

#include <algorithm>

namespace tovrin::gbk {

Text decode(std::string_view bytes) {
    Text out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b >= 0x81 && i + 1 < bytes.size()) {
            const auto t = static_cast<unsigned char>(bytes[i + 1]);
            out.push_back(static_cast<Char>(b << 8 | t));
            ++i;
        } else {
            out.push_back(static_cast<Char>(b));
        }
    }
    return out;
}

void appendBytes(std::string& out, Char c) {
    if (isTwoByte(c))
        out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
}

std::string encode(const Text& text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (Char c : text)
        appendBytes(out, c);
    return out;
}

Text trimRight(Text text) {
    while (!text.empty() && text.back() == u' ')
        text.pop_back();
    return text;
}

Text trim(Text text) {
    text = trimRight(std::move(text));
    const auto first = text.find_first_not_of(u' ');
    return first == Text::npos ? Text() : text.substr(first);
}

char32_t Codec::toUnicode(Char c) const {
    if (c < 0x80)
        return c;
    const unsigned lead = c >> 8;
    const unsigned trail = c & 0xFFu;
    // GBK's lead bytes run from 0x81 to 0xFE: a unit with lead 0xFF (a damaged record) is no
    // character, and lies outside the table.
    if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE)
        return 0xFFFD;
    return tables::toUnicode[(lead - 0x81) * tables::kTrails + (trail - 0x40)];
}

std::optional<Char> Codec::fromUnicode(char32_t cp) const {
    if (cp < 0x80)
        return static_cast<Char>(cp);
    const tables::FromUnicode* end = tables::fromUnicode + tables::fromUnicodeCount;
    const tables::FromUnicode* it =
        std::lower_bound(tables::fromUnicode, end, cp,
                         [](const tables::FromUnicode& e, char32_t v) { return e.codePoint < v; });
    if (it == end || it->codePoint != cp)
        return std::nullopt;
    return it->unit;
}

void Codec::appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string Codec::toUtf8(std::u16string_view text) const {
    std::string out;
    out.reserve(text.size() * 3);
    for (Char c : text)
        appendUtf8(out, toUnicode(c));
    return out;
}

std::optional<std::u32string> Codec::utf8ToCodePoints(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        int extra;
        char32_t cp;
        if (b < 0x80) {
            extra = 0;
            cp = b;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07;
        } else {
            return std::nullopt;
        }
        if (i + static_cast<std::size_t>(extra) >= utf8.size())
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((cont & 0xC0) != 0x80)
                return std::nullopt;
            cp = cp << 6 | (cont & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::optional<Text> Codec::fromUtf8(std::string_view utf8) const {
    const auto cps = utf8ToCodePoints(utf8);
    if (!cps)
        return std::nullopt;
    Text out;
    out.reserve(cps->size());
    for (char32_t cp : *cps) {
        const auto c = fromUnicode(cp);
        if (!c)
            return std::nullopt;
        out.push_back(*c);
    }
    return out;
}

} // namespace tovrin::gbk
