#include "fuzz/jsoncheck.h"

#include "core/session/session.h"
#include "core/text/gbk.h"
#include "fuzz/fuzzing.h"

#include <cstddef>

namespace tovrin::fuzz {

bool isWellFormedUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t extra;
        char32_t cp;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
            cp = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            cp = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            cp = b & 0x07u;
        } else {
            return false;
        }
        if (s.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0u) != 0x80u)
                return false;
            cp = cp << 6 | (c & 0x3Fu);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

namespace {

class Parser {
public:
    explicit Parser(std::string_view text) : t_(text) {}

    bool object(int depth) {
        if (depth > 16 || !eat('{'))
            return false;
        if (eat('}'))
            return true;
        do {
            if (!string() || !eat(':') || !value(depth + 1))
                return false;
        } while (eat(','));
        return eat('}');
    }

    bool atEnd() const { return i_ == t_.size(); }

private:
    bool eat(char c) {
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }

    bool literal(std::string_view word) {
        if (t_.substr(i_, word.size()) != word)
            return false;
        i_ += word.size();
        return true;
    }

    bool value(int depth) {
        if (i_ >= t_.size())
            return false;
        switch (t_[i_]) {
        case '{':
            return object(depth);
        case '[':
            return array(depth);
        case '"':
            return string();
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }

    bool array(int depth) {
        if (depth > 16 || !eat('['))
            return false;
        if (eat(']'))
            return true;
        do {
            if (!value(depth + 1))
                return false;
        } while (eat(','));
        return eat(']');
    }

    bool digits() {
        const std::size_t start = i_;
        while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9')
            ++i_;
        return i_ > start;
    }

    bool number() {
        eat('-');
        if (eat('0')) {
            // no leading zeros
        } else if (!digits()) {
            return false;
        }
        if (eat('.') && !digits())
            return false;
        if (eat('e') || eat('E')) {
            if (!eat('+'))
                eat('-');
            return digits();
        }
        return true;
    }

    bool hex4() {
        for (int k = 0; k < 4; ++k, ++i_) {
            if (i_ >= t_.size())
                return false;
            const char c = t_[i_];
            if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
                return false;
        }
        return true;
    }

    bool string() {
        if (!eat('"'))
            return false;
        const std::size_t start = i_;
        while (i_ < t_.size() && t_[i_] != '"') {
            const auto c = static_cast<unsigned char>(t_[i_]);
            if (c < 0x20)
                return false;
            if (c == '\\') {
                ++i_;
                if (i_ >= t_.size())
                    return false;
                const char e = t_[i_++];
                if (e == 'u') {
                    if (!hex4())
                        return false;
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    return false;
                }
            } else {
                ++i_;
            }
        }
        return isWellFormedUtf8(t_.substr(start, i_ - start)) && eat('"');
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

} // namespace

bool isJsonObject(std::string_view text) {
    Parser p(text);
    return p.object(0) && p.atEnd();
}

void requireValidReply(LookupState& state, const gbk::Codec& codec) {
    require(isJsonObject(Session(state, codec).reply(true)),
            "the session shows the state as one JSON object");
}

} // namespace tovrin::fuzz
