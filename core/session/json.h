// A small writer for the one-line JSON replies of the session.
#pragma once

#include <string>
#include <string_view>

namespace tovrin::json {

// Appends `text` (UTF-8) as a JSON string, escaping quotes, backslashes and control characters.
void appendString(std::string& out, std::string_view text);

// Builds one object, key by key, in the order given.
class Object {
public:
    Object& raw(std::string_view key, std::string_view json);
    Object& string(std::string_view key, std::string_view utf8);
    Object& boolean(std::string_view key, bool value);
    Object& number(std::string_view key, long long value);
    std::string str() const { return text_ + '}'; }

private:
    void keyPart(std::string_view key);
    std::string text_ = "{";
};

} // namespace tovrin::json
