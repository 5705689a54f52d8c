// tovrin-lookup practice: the practice window's drill in a plain terminal. Each item is shown on
// a line of its own and its code read as the next line; the feedback follows, after the answer
// is in the store. A wrong answer may be tried again (an empty line moves on); q or the end of
// the input ends the drill, except that q answers an item whose code it is (我's, for one).
#include "cli/common.h"
#include "cli/deck.h"
#include "core/dict/records.h"
#include "core/practice/drill.h"

#include <algorithm>
#include <iostream>
#include <string>

namespace tovrin::cli {

namespace {

// An answer is a code: a few letters. A longer line is read to its end but not kept.
constexpr std::size_t kLongestLine = 16;

// The next line of input without the blanks around it, at most kLongestLine bytes of it; false
// at the end of the input.
bool readLine(std::string& line) {
    line.clear();
    bool any = false;
    for (int c; (c = std::cin.get()) != EOF;) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() <= kLongestLine)
            line += static_cast<char>(c);
    }
    if (!any)
        return false;
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!line.empty() && blank(line.back()))
        line.pop_back();
    std::size_t start = 0;
    while (start < line.size() && blank(line[start]))
        ++start;
    line.erase(0, start);
    return true;
}

bool isCodeOf(const practice::ItemCodes& item, std::string_view letters) {
    for (const practice::Code& c : item.codes)
        if (c.letters == letters)
            return true;
    return false;
}

} // namespace

int runPractice(const std::string& folder, const std::vector<std::string_view>& args,
                const gbk::Codec& codec) {
    std::optional<std::string> file;
    std::optional<std::string_view> atText;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--deck" && i + 1 < args.size())
            file = std::string(args[++i]);
        else if (args[i].starts_with("--deck="))
            file = std::string(args[i].substr(7));
        else if (args[i] == "--at" && i + 1 < args.size())
            atText = args[++i];
        else if (args[i].starts_with("--at="))
            atText = args[i].substr(5);
        else
            return usage("practice takes only --deck FILE and --at TIME");
    }
    if (file && file->empty())
        return usage("--deck needs a file");
    // The session's clock: from --at on, as the system's clock runs.
    const practice::Millis started = platform::PracticeStore::now();
    practice::Millis start = started;
    if (atText) {
        const auto parsed = practice::parseTime(*atText);
        if (!parsed)
            return usage("TIME is a UTC time such as 2026-12-08T10:00:00Z");
        start = *parsed;
    }
    const auto now = [&] { return start + (platform::PracticeStore::now() - started); };

    RecordFile codes;
    if (!openDictionary(folder, CodeRecord::kFileName, CodeRecord::kLength, codes))
        return kUnusable;
    // The stroke dictionary tells each character's last stroke, for the hints; without it they
    // say less.
    RecordFile strokes;
    const practice::LastStrokes lastStrokes(
        openDictionary(folder, StrokeRecord::kFileName, StrokeRecord::kLength, strokes)
            ? practice::LastStrokes(strokes)
            : practice::LastStrokes());
    int status = kDone;
    const auto store = openDeck(file, status);
    if (!store)
        return status;

    practice::Drill drill;
    practice::DrillQueue queue(
        {[&] {
             std::vector<std::string> texts;
             const practice::Millis at = now();
             for (practice::Item& due : store->due(
                      at, practice::dayStart(at, platform::PracticeStore::localOffsetMinutes(at))))
                 texts.push_back(std::move(due.text));
             return texts;
         },
         [&](std::size_t count) { return store->mostMissed(count); },
         [&](const std::string& text) -> std::optional<practice::ItemCodes> {
             const auto g = codec.fromUtf8(text);
             return g ? practice::codesOf(*g, codes, &lastStrokes) : std::nullopt;
         }});
    std::string line;
    for (;;) {
        std::optional<std::pair<std::string, practice::ItemCodes>> item = queue.next();
        if (!item) {
            const auto next = store->nextDue(now());
            std::cout << (next ? "暂无待练；下一项 " + practice::formatTime(*next)
                               : std::string("练习库是空的"))
                      << '\n';
            if (store->mostMissed(1).empty())
                return kDone;
            std::cout << "输入 m 练习答错最多的，其他结束\n> " << std::flush;
            if (!readLine(line) || line != "m")
                return kDone;
            queue.missedMost();
            continue;
        }
        const std::string text = std::move(item->first);
        drill.show(std::move(item->second), now());
        std::cout << text << '\n';
        for (;;) {
            std::cout << "> " << std::flush;
            if (!readLine(line) || ((line == "q" || line == "Q") && !isCodeOf(drill.item(), "q")))
                return std::cout ? kDone : kSystem;
            if (line.empty())
                break; // on to the next item
            // Only letters make a code: anything else is no answer, and nothing is kept of it.
            if (line.size() > practice::Drill::kLongestCode ||
                !std::all_of(line.begin(), line.end(),
                             [](char c) { return practice::keyRoots(c) != nullptr; })) {
                std::cout << "编码是 1 到 4 个字母 a-y\n";
                continue;
            }
            const auto answer = drill.answer(line, now());
            if (!answer)
                continue;
            const practice::Feedback& f = answer->feedback;
            // An item taken out of the deck meanwhile is not put back by its answer.
            if (!store->find(text))
                break;
            // The answer is kept before its feedback is shown.
            const practice::Millis at = now();
            const bool kept =
                store->review(text, f.rating, at, platform::PracticeStore::answerOf(*answer))
                    .has_value();
            if (!store->saving()) {
                std::cerr << "tovrin-lookup: " << store->takeProblem() << '\n';
                return kUnusable;
            }
            if (!kept) {
                std::cerr << "tovrin-lookup: " << text << ": an answer at "
                          << practice::formatTime(at)
                          << " is before its last review; nothing was saved\n";
                return kNotFound;
            }
            for (const std::string& l : practice::feedbackLines(drill.item(), f, codec))
                std::cout << l << '\n';
            std::cout << std::flush;
            if (f.right)
                break;
        }
    }
}

} // namespace tovrin::cli
