#include "core/session/json.h"

namespace tovrin::json {

void appendString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        } else {
            out += ch;
        }
    }
    out += '"';
}

void Object::keyPart(std::string_view key) {
    if (text_.size() > 1)
        text_ += ',';
    appendString(text_, key);
    text_ += ':';
}

Object& Object::raw(std::string_view key, std::string_view json) {
    keyPart(key);
    text_ += json;
    return *this;
}

Object& Object::string(std::string_view key, std::string_view utf8) {
    keyPart(key);
    appendString(text_, utf8);
    return *this;
}

Object& Object::boolean(std::string_view key, bool value) {
    return raw(key, value ? "true" : "false");
}

Object& Object::number(std::string_view key, long long value) {
    return raw(key, std::to_string(value));
}

} // namespace tovrin::json
