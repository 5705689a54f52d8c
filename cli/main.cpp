// tovrin-lookup: the lookup window's searches from a terminal.
#include "cli/common.h"
#include "cli/deck.h"
#include "core/dict/codelookup.h"
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/dict/textcut.h"
#include "core/dict/wordcode.h"
#include "core/lookup/lookupstate.h"
#include "core/session/session.h"
#include "core/text/gbk.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/programfiles.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tovrin;
using namespace tovrin::cli;

constexpr int kNoCode = kNotFound;
constexpr int kDictionary = kUnusable;

constexpr std::string_view kUsageText =
    "usage: tovrin-lookup [--data DIR] COMMAND\n"
    "\n"
    "  code TEXT                     the Wubi codes of each character of TEXT, one line each\n"
    "  word TEXT                     the code that types TEXT as one word\n"
    "  text [TEXT]                   TEXT (or standard input) cut into words and characters,\n"
    "                                each with its codes, as the lookup window looks up a\n"
    "                                selection\n"
    "  strokes DIGITS [--all]        the grid's characters for a stroke string (digits 1-5)\n"
    "  pinyin LETTERS                the characters whose reading begins with LETTERS\n"
    "  session [--show-all] [--size N]\n"
    "                                window events on standard input, one JSON reply a line\n"
    "  deck [--deck FILE] list       the practice deck's items and when each is due\n"
    "  deck [--deck FILE] add TEXT | remove TEXT\n"
    "                                a character or word joins or leaves the deck\n"
    "  deck [--deck FILE] review TEXT again|hard|good|easy [--at TIME]\n"
    "                                a review logged; the card it leads to as JSON\n"
    "  deck [--deck FILE] due [--at TIME]\n"
    "                                the items due, most overdue first, one JSON line each\n"
    "  deck [--deck FILE] new-per-day [COUNT]\n"
    "                                how many new items a day the drill takes (default 20)\n"
    "  practice [--deck FILE] [--at TIME]\n"
    "                                the due items as a drill: type each code on a line\n"
    "  --version                     the tool's version\n"
    "\n"
    "DIR is the program's folder, where the dictionaries lie (default: the tool's own, or\n"
    "../share/tovrin beside it when installed). FILE is the practice deck (default:\n"
    "$XDG_DATA_HOME/tovrin/practice.db); TIME is UTC, as 2026-12-08T10:00:00Z (default: now).\n";

} // namespace

bool tovrin::cli::openDictionary(const std::string& folder, std::string_view name,
                                 std::size_t length, RecordFile& out) {
    const std::string path = platform::joinPath(folder, std::string(name));
    out = RecordFile::fromFile(platform::readWholeFile(path), length);
    if (out.status() == RecordFile::Status::Ok)
        return true;
    std::cerr << "tovrin-lookup: " << path << ": " << out.reason() << '\n';
    return false;
}

namespace {

// Blanks are not characters one looks up, as a blank grid cell is not picked.
bool isBlank(char32_t cp) {
    return cp == U' ' || cp == U'\t' || cp == U'\n' || cp == U'\r' || cp == U'\u3000';
}

// The characters of TEXT in GBK, blanks left out; false, each unconvertible one told, when a
// character is no GBK character.
bool gbkCharacters(const std::u32string& points, const gbk::Codec& codec, gbk::Text& out) {
    bool all = true;
    for (char32_t cp : points) {
        if (isBlank(cp))
            continue;
        if (const auto c = codec.fromUnicode(cp)) {
            out.push_back(*c);
            continue;
        }
        std::string shown;
        gbk::Codec::appendUtf8(shown, cp);
        std::cerr << "tovrin-lookup: " << shown << ": not a GBK character\n";
        all = false;
    }
    return all;
}

int runCode(const std::string& folder, const std::vector<std::string_view>& args,
            const gbk::Codec& codec) {
    if (args.size() != 1)
        return usage("code takes one TEXT");
    const auto points = gbk::Codec::utf8ToCodePoints(args[0]);
    if (!points)
        return usage("TEXT is not valid UTF-8");
    if (std::all_of(points->begin(), points->end(), isBlank))
        return usage("TEXT holds no character to look up");
    RecordFile codes;
    if (!openDictionary(folder, CodeRecord::kFileName, CodeRecord::kLength, codes))
        return kDictionary;

    gbk::Text text;
    int status = gbkCharacters(*points, codec, text) ? kDone : kNoCode;
    std::string out;
    for (const gbk::Char c : text) {
        const Bisection hit = bisectFirstChar(codes, c);
        if (!hit.found) {
            std::cerr << "tovrin-lookup: " << codec.toUtf8(gbk::Text(1, c))
                      << ": no code in the dictionary\n";
            status = kNoCode;
            continue;
        }
        out += codec.toUtf8(collectCodes(codes, hit.pos, c).summary);
        out += '\n';
    }
    std::cout << out << std::flush;
    if (!std::cout)
        return kSystem;
    return status;
}

// TEXT (or standard input) looked up as a selection is: cut into the words the phrase dictionary
// holds and single characters, a line each in reading order, a word's characters under it.
int runText(const std::string& folder, const std::vector<std::string_view>& args,
            const gbk::Codec& codec) {
    if (args.size() > 1)
        return usage("text takes one TEXT, or reads standard input");
    std::string input;
    if (args.empty()) {
        // Only what the characters looked up can come from (four bytes at most each): a stream
        // that never ends, or one of hundreds of megabytes, is not read to its end.
        input.resize(4 * textcut::kLongest);
        std::cin.read(input.data(), static_cast<std::streamsize>(input.size()));
        input.resize(static_cast<std::size_t>(std::cin.gcount()));
        // The buffer filled: a character cut at its end is left out whole.
        if (input.size() == 4 * textcut::kLongest) {
            std::size_t lead = input.size();
            while (lead > 0 && (static_cast<unsigned char>(input[lead - 1]) & 0xC0) == 0x80)
                --lead;
            if (lead > 0) {
                const auto c = static_cast<unsigned char>(input[lead - 1]);
                const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (input.size() - (lead - 1) < length)
                    input.resize(lead - 1);
            }
        }
    }
    const auto points = gbk::Codec::utf8ToCodePoints(args.empty() ? input : args[0]);
    if (!points)
        return usage("TEXT is not valid UTF-8");
    RecordFile phrases, codes;
    if (!openDictionary(folder, PhraseRecord::kFileName, PhraseRecord::kLength, phrases) ||
        !openDictionary(folder, CodeRecord::kFileName, CodeRecord::kLength, codes))
        return kDictionary;
    const std::vector<textcut::Piece> pieces = textcut::cut(*points, phrases, codec);
    const auto notFound = codec.fromUtf8("没有找到");
    std::string out;
    bool found = false;
    for (const textcut::Line& line : textcut::lines(pieces, codes, notFound.value_or(u"?"))) {
        out += codec.toUtf8(line.text);
        out += '\n';
        found = found || line.found;
    }
    std::cout << out << std::flush;
    if (!std::cout)
        return kSystem;
    if (pieces.empty())
        std::cerr << "tovrin-lookup: no Chinese text to look up\n";
    return found ? kDone : kNoCode;
}

// The code that types TEXT as one word ("我们 TRWU"), whether or not the phrase dictionary holds
// the word.
int runWord(const std::string& folder, const std::vector<std::string_view>& args,
            const gbk::Codec& codec) {
    if (args.size() != 1)
        return usage("word takes one TEXT");
    const auto points = gbk::Codec::utf8ToCodePoints(args[0]);
    if (!points)
        return usage("TEXT is not valid UTF-8");
    gbk::Text word;
    const bool converted = gbkCharacters(*points, codec, word);
    if (converted && word.size() < 2)
        return usage("a word has two characters or more");
    RecordFile codes;
    if (!openDictionary(folder, CodeRecord::kFileName, CodeRecord::kLength, codes))
        return kDictionary;
    int status = converted ? kDone : kNoCode;
    for (const gbk::Char c : word) {
        if (wordcode::fullCode(codes, c).empty()) {
            std::cerr << "tovrin-lookup: " << codec.toUtf8(gbk::Text(1, c))
                      << ": no code in the dictionary\n";
            status = kNoCode;
        }
    }
    if (status != kDone)
        return status;
    std::cout << codec.toUtf8(word) << ' ' << wordcode::ofWord(codes, word) << '\n' << std::flush;
    return std::cout ? kDone : kSystem;
}

// The lookup window's start-up on `folder`; the dictionaries that could not be used are told on
// standard error, as the window tells them once.
void tell(const std::vector<LookupState::Problem>& problems) {
    for (const auto& p : problems)
        std::cerr << "tovrin-lookup: " << p.path << ": " << p.reason << '\n';
}

// The program folder's files as a one-shot command reads them: only the dictionary it needs;
// the others stand empty, so they are neither read nor checked.
LookupFiles onlyDictionary(const std::string& folder, std::string_view needed) {
    LookupFiles files;
    for (FileBytes* f : {&files.strokes, &files.phrases, &files.codes, &files.pinyin})
        *f = FileBytes::of({});
    FileBytes& wanted = needed == StrokeRecord::kFileName   ? files.strokes
                        : needed == PhraseRecord::kFileName ? files.phrases
                        : needed == CodeRecord::kFileName   ? files.codes
                                                            : files.pinyin;
    wanted = platform::readWholeFile(platform::joinPath(folder, std::string(needed)));
    return files;
}

// Starts the state without an option file (the one-shot commands read no setup.txt) and with
// only the dictionary the command needs; false, with the message, when that one is unusable.
bool startWithout(LookupState& state, const std::string& folder, std::string_view needed) {
    // One query: the matching run is read record by record, with no stroke index to build.
    for (const auto& p :
         state.start(onlyDictionary(folder, needed), LookupState::StrokeIndexing::Skip)) {
        if (p.file == needed) {
            tell({p});
            return false;
        }
    }
    return true;
}

int runStrokes(const std::string& folder, const std::vector<std::string_view>& args,
               const gbk::Codec& codec) {
    std::string_view digits;
    bool all = false;
    for (std::string_view a : args) {
        if (a == "--all")
            all = true;
        else if (digits.empty() && !a.starts_with("-"))
            digits = a;
        else
            return usage("strokes takes DIGITS and --all");
    }
    if (digits.empty() || digits.find_first_not_of("12345") != std::string_view::npos)
        return usage("DIGITS are the strokes 1 to 5, at least one");

    LookupState state(codec);
    if (!startWithout(state, folder, StrokeRecord::kFileName))
        return kDictionary;
    state.applyOptions({static_cast<std::uint8_t>(all ? 1 : 0), 0, 0});
    for (char d : digits)
        state.strokeClick(d - '0');
    gbk::Text shown;
    for (const gbk::Char cell : state.view().Label11)
        if (LookupView::shows(cell))
            shown.push_back(cell);
    std::cout << codec.toUtf8(shown) << '\n' << std::flush;
    return std::cout ? kDone : kSystem;
}

int runPinyin(const std::string& folder, const std::vector<std::string_view>& args,
              const gbk::Codec& codec) {
    // ü may be typed as such; the dictionary writes it v.
    std::string letters = args.size() == 1 ? std::string(args[0]) : std::string();
    for (std::size_t at; (at = letters.find("\xC3\xBC")) != std::string::npos;)
        letters.replace(at, 2, "v");
    if (args.size() != 1 || letters.empty() ||
        letters.find_first_not_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos)
        return usage("pinyin takes LETTERS, a to z (or ü)");
    LookupState state(codec);
    state.start(onlyDictionary(folder, PinyinRecord::kFileName));
    state.Command1_Click();
    for (const auto& p : state.takeProblems()) {
        if (p.file == PinyinRecord::kFileName) {
            tell({p});
            return kDictionary;
        }
    }
    gbk::Text found;
    // A reading has at most six letters: longer input matches nothing.
    if (letters.size() <= PinyinRecord::kPinyinWidth) {
        for (char c : letters)
            state.Command18_Click(c);
        auto take = [&] {
            for (const gbk::Char cell : state.view().Label66)
                if (LookupView::shows(cell))
                    found.push_back(cell);
        };
        take();
        while (state.view().Label68Active) {
            state.Label68_Click();
            take();
        }
    }
    std::cout << codec.toUtf8(found) << '\n' << std::flush;
    return std::cout ? kDone : kSystem;
}

// A session line is a command of a few words: 64 KB is plenty. A longer line is read to its
// end without being kept, so endless input cannot exhaust the memory.
constexpr std::size_t kLongestLine = 64 * 1024;
enum class LineRead { Line, TooLong, End };

LineRead readLine(std::streambuf& in, std::string& line) {
    line.clear();
    bool any = false;
    bool tooLong = false;
    for (int c; (c = in.sbumpc()) != std::char_traits<char>::eof();) {
        any = true;
        if (c == '\n')
            return tooLong ? LineRead::TooLong : LineRead::Line;
        if (line.size() < kLongestLine)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    if (!any)
        return LineRead::End;
    return tooLong ? LineRead::TooLong : LineRead::Line;
}

int runSession(const platform::ProgramFolders& folders, const std::vector<std::string_view>& args,
               const gbk::Codec& codec) {
    bool showAll = false;
    int size = -1;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--show-all") {
            showAll = true;
        } else if (args[i] == "--size" && i + 1 < args.size()) {
            const std::string_view n = args[++i];
            if (n.size() != 1 || n[0] < '0' || n[0] > '4')
                return usage("--size takes a number from 0 to 4");
            size = n[0] - '0';
        } else {
            return usage("session takes --show-all and --size N");
        }
    }
    LookupState state(codec);
    // No option file that no change of an option asked for.
    LookupFiles files = platform::ProgramFiles(folders).lookupFiles();
    files.writeDefaults = false;
    tell(state.start(std::move(files)));
    LookupOptions options = state.options();
    if (showAll)
        options.showAll = 1;
    if (size >= 0)
        options.sizeMode = static_cast<std::uint8_t>(size);
    state.applyOptions(options);
    Session session(state, codec);
    std::string line;
    for (;;) {
        const LineRead read = readLine(*std::cin.rdbuf(), line);
        if (read == LineRead::End)
            break;
        std::cout << (read == LineRead::TooLong
                          ? session.reply(false, "the line is longer than 65,536 bytes")
                          : session.handle(line))
                  << '\n'
                  << std::flush;
        if (!std::cout)
            return kSystem;
        tell(state.takeProblems());
    }
    return kDone;
}

} // namespace

int tovrin::cli::usage(std::string_view problem) {
    std::cerr << "tovrin-lookup: " << problem << "\n\n" << kUsageText;
    return kUsage;
}

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    platform::ProgramFolders folders = platform::programFolders(platform::programFolder());
    std::size_t i = 0;
    if (i < args.size() && args[i] == "--data") {
        if (i + 1 >= args.size())
            return usage("--data needs a folder");
        folders = {std::string(args[i + 1]), false};
        i += 2;
    } else if (i < args.size() && args[i].starts_with("--data=")) {
        folders = {std::string(args[i].substr(7)), false};
        ++i;
    }
    if (i >= args.size())
        return usage("no command given");
    const std::string_view command = args[i];
    const std::vector<std::string_view> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                             args.end());
    if (command == "--version") {
        std::cout << "tovrin-lookup " TOVRIN_VERSION "\n" << std::flush;
        return std::cout ? kDone : kSystem;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsageText << std::flush;
        return std::cout ? kDone : kSystem;
    }
    try {
        const gbk::Codec codec;
        if (command == "code")
            return runCode(folders.data, rest, codec);
        if (command == "word")
            return runWord(folders.data, rest, codec);
        if (command == "text")
            return runText(folders.data, rest, codec);
        if (command == "strokes")
            return runStrokes(folders.data, rest, codec);
        if (command == "pinyin")
            return runPinyin(folders.data, rest, codec);
        if (command == "session")
            return runSession(folders, rest, codec);
        if (command == "deck")
            return runDeck(folders.data, rest, codec);
        if (command == "practice")
            return runPractice(folders.data, rest, codec);
    } catch (const std::exception& e) {
        std::cerr << "tovrin-lookup: " << e.what() << '\n';
        return kSystem;
    }
    return usage("unknown command: " + std::string(command));
}
