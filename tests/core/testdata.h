// Helpers for tests that write tiny dictionaries of their own.
#pragma once

#include "core/dict/records.h"
#include "core/text/gbk.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tovrin::testdata {

// One codec for all tests of a binary; building it takes a few milliseconds.
inline const gbk::Codec& codec() {
    static const gbk::Codec c;
    return c;
}

inline gbk::Text text(const char* utf8) {
    return codec().fromUtf8(utf8).value();
}
inline std::string gbkBytes(const char* utf8) {
    return gbk::encode(text(utf8));
}
inline std::string utf8(std::u16string_view t) {
    return codec().toUtf8(t);
}

// A folder that is removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tovrin-test-XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

// Sets (or, with no value, unsets) an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

inline void writeFile(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

template <class Record> void append(std::string& out, const Record& r) {
    const auto b = r.bytes();
    out.append(b.data(), b.size());
}

struct StrokeRow {
    gbk::Text character;
    std::string strokes;
    int rank;
};

// The i-th character of GB 2312 (0 is 啊): a plentiful supply of distinct hanzi for tests.
inline gbk::Text hz(int i) {
    return gbk::Text(1, static_cast<gbk::Char>(0xB0A1 + (i / 94) * 0x100 + i % 94));
}

inline std::string strokeBytes(const std::vector<StrokeRow>& rows) {
    std::string out;
    for (const StrokeRow& row : rows) {
        StrokeRecord r;
        writeField(r.character.data(), r.character.size(), gbk::encode(row.character));
        writeField(r.strokes.data(), r.strokes.size(), row.strokes);
        r.rank = static_cast<std::int16_t>(row.rank);
        append(out, r);
    }
    return out;
}

// (character, code) rows, both UTF-8.
inline std::string codeBytes(const std::vector<std::pair<const char*, const char*>>& rows) {
    std::string out;
    for (const auto& [ch, code] : rows) {
        CodeRecord r;
        writeField(r.character.data(), r.character.size(), gbkBytes(ch));
        writeField(r.code.data(), r.code.size(), code);
        append(out, r);
    }
    return out;
}

inline std::string phraseBytes(const std::vector<const char*>& words) {
    std::string out;
    for (const char* w : words) {
        PhraseRecord r;
        writeField(r.text.data(), r.text.size(), gbkBytes(w));
        append(out, r);
    }
    return out;
}

// (character, reading) rows.
inline std::string pinyinBytes(const std::vector<std::pair<const char*, const char*>>& rows) {
    std::string out;
    for (const auto& [ch, py] : rows) {
        PinyinRecord r;
        writeField(r.character.data(), r.character.size(), gbkBytes(ch));
        writeField(r.pinyin.data(), r.pinyin.size(), py);
        append(out, r);
    }
    return out;
}

} // namespace tovrin::testdata
