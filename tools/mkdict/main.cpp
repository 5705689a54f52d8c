// mkdict: compiles the four dictionaries from the open data sources.
#include "tools/mkdict/compiler.h"
#include "tools/mkdict/output.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace tovrin;
using namespace tovrin::mkdict;

namespace {

enum Exit : int {
    kOk = 0,
    kCannotWrite = 1,
    kUsage = 2,
    kMissingSource = 3,
    kBadSource = 4,
    kCountsOff = 5,
};

constexpr const char* kUsageText =
    "usage: mkdict --rime DIR --haifeng FILE --unihan DIR --stroke-orders FILE --out DIR\n"
    "              [--expect NAME=COUNT]... [--tolerance PERCENT] [--no-count-check]\n"
    "\n"
    "  --rime DIR            folder with stroke.dict.yaml, wubi86.dict.yaml and\n"
    "                        pinyin_simp.dict.yaml\n"
    "  --haifeng FILE        wubi-haifeng86.db\n"
    "  --unihan DIR          folder with Unihan_OtherMappings.txt, Unihan_Readings.txt and\n"
    "                        Unihan_IRGSources.txt (not compressed)\n"
    "  --stroke-orders FILE  cnchar-order's stroke letters as TSV\n"
    "  --out DIR             where the dictionaries are written\n"
    "  --expect NAME=COUNT   the record count to expect, NAME one of strokes, codes, phrases,\n"
    "                        pinyin (defaults: those of the pinned sources)\n"
    "  --tolerance PERCENT   how far a count may be from its expectation (default 2)\n"
    "  --no-count-check      write whatever the sources give\n"
    "\n"
    "exit status: 0 written, 1 cannot write, 2 usage, 3 a source is missing,\n"
    "             4 a source cannot be read, 5 a count is far from its expectation\n";

struct Arguments {
    fs::path rime, haifeng, unihan, strokeOrders, out;
    Expectations expected;
    bool checkCounts = true;
};

template <typename T> bool parseNumber(std::string_view s, T& value) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

bool setExpectation(Expectations& e, std::string_view assignment) {
    const auto eq = assignment.find('=');
    if (eq == std::string_view::npos)
        return false;
    const auto name = assignment.substr(0, eq);
    std::size_t* slot = name == "strokes"   ? &e.strokes
                        : name == "codes"   ? &e.codes
                        : name == "phrases" ? &e.phrases
                        : name == "pinyin"  ? &e.pinyin
                                            : nullptr;
    return slot && parseNumber(assignment.substr(eq + 1), *slot);
}

// Nothing when the command line is wrong; the reason is printed.
std::optional<Arguments> parseArguments(int argc, char** argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--no-count-check") {
            a.checkCounts = false;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "mkdict: %s needs a value or is unknown\n", argv[i]);
            return std::nullopt;
        }
        const std::string_view value = argv[++i];
        if (arg == "--rime")
            a.rime = value;
        else if (arg == "--haifeng")
            a.haifeng = value;
        else if (arg == "--unihan")
            a.unihan = value;
        else if (arg == "--stroke-orders")
            a.strokeOrders = value;
        else if (arg == "--out")
            a.out = value;
        else if (arg == "--expect" && setExpectation(a.expected, value))
            continue;
        else if (arg == "--tolerance" && parseNumber(value, a.expected.tolerancePercent) &&
                 a.expected.tolerancePercent >= 0)
            continue;
        else {
            std::fprintf(stderr, "mkdict: bad option %s %s\n", argv[i - 1], argv[i]);
            return std::nullopt;
        }
    }
    if (a.rime.empty() || a.haifeng.empty() || a.unihan.empty() || a.strokeOrders.empty() ||
        a.out.empty()) {
        std::fputs("mkdict: --rime, --haifeng, --unihan, --stroke-orders and --out are needed\n",
                   stderr);
        return std::nullopt;
    }
    return a;
}

void printReport(const Report& report, std::size_t records) {
    std::printf("%s: %zu records\n", report.fileName().c_str(), records);
    for (const auto& n : report.notes())
        std::printf("  %-56s %7zu\n", n.what.c_str(), n.count);
    for (const auto& d : report.drops()) {
        const std::string what = "dropped, " + d.source + ": " + d.what;
        std::printf("  %-56s %7zu\n", what.c_str(), d.count);
    }
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsageText, stderr);
            return kOk;
        }
    }
    const auto args = parseArguments(argc, argv);
    if (!args) {
        std::fputs("try mkdict --help\n", stderr);
        return kUsage;
    }

    const auto sources =
        SourcePaths::inFolders(args->rime, args->haifeng, args->unihan, args->strokeOrders);
    bool missing = false;
    for (const auto& file : sources.all()) {
        try {
            requireFile(file);
        } catch (const SourceError& e) {
            std::fprintf(stderr, "mkdict: source %s\n", e.what());
            missing = true;
        }
    }
    if (missing)
        return kMissingSource;

    Dictionaries dictionaries;
    try {
        const gbk::Codec codec;
        dictionaries = compile(sources, codec);
    } catch (const SourceError& e) {
        std::fprintf(stderr, "mkdict: %s\n", e.what());
        return e.kind() == SourceError::Kind::Missing ? kMissingSource : kBadSource;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdict: %s\n", e.what());
        return kBadSource;
    }

    printReport(dictionaries.strokesReport, dictionaries.strokes.size());
    printReport(dictionaries.codesReport, dictionaries.codes.size());
    printReport(dictionaries.phrasesReport, dictionaries.phrases.size());
    printReport(dictionaries.pinyinReport, dictionaries.pinyin.size());
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "mkdict: cannot write the report: %s\n", std::strerror(errno));
        return kCannotWrite;
    }

    if (args->checkCounts) {
        const auto problems = checkCounts(dictionaries, args->expected);
        for (const auto& p : problems)
            std::fprintf(stderr, "mkdict: %s\n", p.c_str());
        if (!problems.empty()) {
            std::fputs("mkdict: the sources are not the expected ones; nothing written\n", stderr);
            return kCountsOff;
        }
    }

    try {
        fs::create_directories(args->out);
        writeDictionaries(dictionaries, args->out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdict: %s\n", e.what());
        return kCannotWrite;
    }
    return kOk;
}
