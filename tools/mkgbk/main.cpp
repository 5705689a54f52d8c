// mkgbk: writes the GBK tables the core compiles in, so that no conversion is set up when a
// program starts. iconv runs here, at build time, once.
// Usage: mkgbk OUTPUT.cpp
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <utility>
#include <vector>

namespace {

// The single code point that two GBK bytes stand for, or U+FFFD.
char32_t convert(iconv_t cd, unsigned char lead, unsigned char trail) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t inLeft = 2;
    std::size_t outLeft = sizeof out;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0 || outLeft != 4)
        return 0xFFFD;
    return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: mkgbk OUTPUT.cpp\n";
        return 2;
    }
    const iconv_t cd = iconv_open("UTF-32LE", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::cerr << "mkgbk: iconv cannot convert from GBK on this system\n";
        return 1;
    }
    std::vector<char32_t> toUnicode;
    std::vector<std::pair<char32_t, unsigned>> fromUnicode;
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            const char32_t cp = trail == 0x7F ? 0xFFFD
                                              : convert(cd, static_cast<unsigned char>(lead),
                                                        static_cast<unsigned char>(trail));
            toUnicode.push_back(cp);
            if (cp != 0xFFFD)
                fromUnicode.emplace_back(cp, lead << 8 | trail);
        }
    }
    iconv_close(cd);
    // Where two GBK codes map to one code point, the first (lowest) code wins.
    std::stable_sort(fromUnicode.begin(), fromUnicode.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "// Written by tools/mkgbk at build time from iconv's GBK table. Do not edit.\n"
           "#include \"core/text/gbktables.h\"\n\n"
           "namespace tovrin::gbk::tables {\n\n"
           "const char32_t toUnicode[kLeads * kTrails] = {\n";
    for (std::size_t i = 0; i < toUnicode.size(); ++i)
        out << "0x" << std::hex << static_cast<unsigned long>(toUnicode[i])
            << (i % 12 == 11 ? ",\n" : ",");
    out << std::dec << "};\n\nconst FromUnicode fromUnicode[] = {\n";
    for (const auto& [cp, code] : fromUnicode)
        out << "{0x" << std::hex << static_cast<unsigned long>(cp) << ",0x" << code << "},\n";
    out << std::dec << "};\n\nconst std::size_t fromUnicodeCount = " << fromUnicode.size()
        << ";\n\n} // namespace tovrin::gbk::tables\n";
    out.close();
    if (!out) {
        std::cerr << "mkgbk: cannot write " << argv[1] << '\n';
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
