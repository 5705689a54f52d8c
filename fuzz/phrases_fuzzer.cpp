// The phrase dictionary. The input's file becomes vezaricz.dat in the files of a program folder of
// its own, beside a stroke dictionary that gives every character of the file a stroke string of
// its own (the other dictionaries are missing, so the grid starts with the default list), and its
// events are picks that build the association list:
//
//   byte % 4   0 a pick of a grid cell (next byte: which)
//              1 a character of a record typed by its strokes, which must show it in cell 0,
//                and picked there (next byte: which record, the one after: which character of
//                its text)
//              2 "清"      3 "←"
//
// After every pick the association list is checked: 51 blanks at its end, no character twice,
// every character the continuation of a record that begins with the end of the pick history,
// and, in a file sorted by first character, every continuation of the last pick among the
// records the one-character pass reads.
//
// After every event the state, shown as tovrin-lookup's session shows it (every caption turned
// into UTF-8), must be one JSON object.
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"
#include "fuzz/fuzzing.h"
#include "fuzz/jsoncheck.h"

#include <algorithm>
#include <bitset>
#include <utility>
#include <vector>

using namespace tovrin;
using fuzz::require;

namespace {

const gbk::Codec codec;
fuzz::MemoryFiles files;

gbk::Text textOf(const RecordFile& file, std::int64_t n) {
    return gbk::decode(view(PhraseRecord::read(file.record(n)).text));
}

bool beginsWith(const gbk::Text& text, const gbk::Text& prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin());
}

// The characters that follow a suffix of the history at the start of some record's text.
std::bitset<0x10000> continuations(const std::vector<gbk::Text>& texts, const gbk::Text& history) {
    std::bitset<0x10000> out;
    for (const gbk::Text& text : texts) {
        for (std::size_t len = 1; len <= history.size() && len < text.size(); ++len) {
            if (beginsWith(text, history.substr(history.size() - len)))
                out[text[len]] = true;
        }
    }
    return out;
}

void checkAssociation(const LookupView& s, const RecordFile& file,
                      const std::vector<gbk::Text>& texts, bool sorted) {
    const gbk::Text& a = s.assocHz;
    require(s.Label19.size() <= 4, "the pick history keeps at most four characters");
    require(a.size() >= 51 && a.find_first_not_of(u' ', a.size() - 51) == gbk::Text::npos,
            "the association list ends in 51 blanks");
    const gbk::Text listed = a.substr(0, a.size() - 51);
    const auto words = continuations(texts, s.Label19);
    std::bitset<0x10000> seen;
    for (const gbk::Char c : listed) {
        if (c == u' ')
            continue;
        require(!seen[c], "no character is listed twice");
        seen[c] = true;
        require(words[c], "every character continues a word");
    }
    for (std::size_t i = 0; i < s.Label11.size(); ++i)
        require(s.Label11[i] == (i < a.size() ? a[i] : u' '),
                "the grid shows the association list");

    if (!sorted || s.Label19.empty())
        return;
    // The one-character pass (the whole-history pass for a single pick) reads at least 101
    // records from the first word of the last pick's group.
    const gbk::Char last = s.Label19.back();
    std::int64_t group = 0;
    for (std::int64_t n = 1; n <= file.count() && group == 0; ++n)
        if (gbk::firstChar(file.record(n)) == last)
            group = n;
    if (group == 0)
        return;
    for (std::int64_t n = group; n < group + 101 && n <= file.count(); ++n) {
        const gbk::Text& text = texts[static_cast<std::size_t>(n - 1)];
        if (gbk::firstChar(file.record(n)) != last || text.empty() || text[0] != last)
            continue;
        const gbk::Char c = text.size() > 1 ? text[1] : u' ';
        if (c != u' ')
            require(seen[c], "a sorted file: no continuation is missed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::Input input = fuzz::split(data, size);
    files.write(PhraseRecord::kFileName, input.file);
    const RecordFile file = RecordFile::fromBytes(input.file, PhraseRecord::kLength);
    const bool sorted = fuzz::firstCharsSorted(file);
    std::vector<gbk::Text> texts; // each record's text, as the association builder reads it
    std::vector<gbk::Char> characters;
    for (std::int64_t n = 1; n <= file.count(); ++n) {
        texts.push_back(textOf(file, n));
        characters.insert(characters.end(), texts.back().begin(), texts.back().end());
    }
    const fuzz::StrokeKeys keys(std::move(characters));
    files.write(StrokeRecord::kFileName, keys.dictionary());

    LookupState s(codec);
    s.start(files.files(false));

    auto pick = [&](int cell) {
        const gbk::Char c = s.view().Label11[static_cast<std::size_t>(cell)];
        s.Label11_MouseDown(cell);
        if (LookupView::shows(c))
            checkAssociation(s.view(), file, texts, sorted);
    };
    fuzz::Events events(input.events);
    while (!events.done()) {
        const unsigned op = events.next() % 4;
        if (op == 0) {
            pick(static_cast<int>(events.next() % layout::kGridCells));
        } else if (op == 1) {
            const gbk::Text text = textOf(file, fuzz::recordAt(events.next(), file.count()));
            const std::size_t k = events.next() % PhraseRecord::kTextWidth;
            if (k < text.size() && keys.type(s, text[k])) {
                require(s.view().Label11[0] == text[k],
                        "a stroke string that one record holds shows its character first");
                pick(0);
            }
        } else if (op == 2) {
            s.Command8_Click();
        } else {
            s.Command7_Click();
        }
        require(s.view().Label19.size() <= 4, "the pick history keeps at most four characters");
        fuzz::requireValidReply(s, codec);
    }
    return 0;
}
