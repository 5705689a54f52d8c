// mkkeys: writes the key table the core compiles in (core/practice/keyroots.h) from the key
// table the charts are drawn from, so that the core opens no file for it.
// Usage: mkkeys wubi86-keys.tsv OUTPUT.cpp
#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Key {
    char letter = 0; // 'a'..'y'
    int zone = 0;
    std::string name;
    std::vector<std::string> radicals;
};

std::vector<std::string> split(const std::string& s, char sep, bool skipEmpty) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep))
        if (!skipEmpty || !part.empty())
            parts.push_back(part);
    if (!s.empty() && s.back() == sep && !skipEmpty)
        parts.emplace_back();
    return parts;
}

// Every byte escaped, so that the output does not depend on the compiler's source encoding.
std::string literal(const std::string& utf8) {
    std::string out = "\"";
    for (const unsigned char b : utf8) {
        char hex[5];
        std::snprintf(hex, sizeof hex, "\\x%02x", b);
        out += hex;
    }
    return out + '"';
}

// The keys of the table, or an error message.
std::string parse(std::istream& in, std::array<Key, 25>& keys) {
    std::array<bool, 25> seen{};
    std::array<bool, 56> zoneSeen{};
    std::string line;
    int count = 0;
    for (int n = 1; std::getline(in, line); ++n) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const std::string at = "line " + std::to_string(n) + ": ";
        const std::vector<std::string> f = split(line, '\t', false);
        if (f.size() != 5)
            return at + "expected 5 TAB-separated fields";
        if (f[0].size() != 1 || f[0][0] < 'A' || f[0][0] > 'Y')
            return at + "the key must be one letter A to Y";
        const int zone = f[1].size() == 2 ? (f[1][0] - '0') * 10 + (f[1][1] - '0') : 0;
        if (zone / 10 < 1 || zone / 10 > 5 || zone % 10 < 1 || zone % 10 > 5)
            return at + "the code must be 11 to 55";
        if (f[2].empty())
            return at + "the key name is required";
        Key k;
        k.letter = static_cast<char>(f[0][0] - 'A' + 'a');
        k.zone = zone;
        k.name = f[2];
        k.radicals = split(f[3], ' ', true);
        if (k.radicals.empty())
            return at + "no radicals";
        if (seen[k.letter - 'a'] || zoneSeen[zone])
            return at + "the key or its code appears twice";
        seen[k.letter - 'a'] = zoneSeen[zone] = true;
        keys[k.letter - 'a'] = std::move(k);
        ++count;
    }
    if (count != 25)
        return "expected 25 keys, found " + std::to_string(count);
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mkkeys wubi86-keys.tsv OUTPUT.cpp\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "mkkeys: cannot read " << argv[1] << '\n';
        return 1;
    }
    std::array<Key, 25> keys;
    if (const std::string error = parse(in, keys); !error.empty()) {
        std::cerr << "mkkeys: " << argv[1] << ": " << error << '\n';
        return 1;
    }

    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out << "// Written by tools/mkkeys at build time from resources/wubi86-keys.tsv. Do not edit.\n"
           "#include \"core/practice/keyroots.h\"\n\n"
           "namespace tovrin::practice::keytable {\n\nnamespace {\n";
    for (const Key& k : keys) {
        out << "constexpr std::string_view radicals_" << k.letter << "[] = {";
        for (std::size_t i = 0; i < k.radicals.size(); ++i)
            out << (i ? ", " : "") << literal(k.radicals[i]);
        out << "};\n";
    }
    out << "} // namespace\n\nconst KeyRoots keys[25] = {\n";
    for (const Key& k : keys)
        out << "    {'" << k.letter << "', " << k.zone << ", " << literal(k.name) << ", radicals_"
            << k.letter << "},\n";
    out << "};\n\n} // namespace tovrin::practice::keytable\n";
    out.close();
    if (!out) {
        std::cerr << "mkkeys: cannot write " << argv[2] << '\n';
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
