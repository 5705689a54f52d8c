#include "cli/deck.h"

#include "cli/common.h"
#include "core/dict/records.h"
#include "core/practice/deck.h"
#include "core/practice/grading.h"
#include "core/session/json.h"
#include "platform/practicestore.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace tovrin::cli {

namespace {

using practice::Millis;

std::string number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string cardLine(const std::string& text, const practice::Card& card) {
    return json::Object()
        .string("text", text)
        .string("due", practice::formatTime(card.due))
        .raw("stability", number(card.stability))
        .raw("difficulty", number(card.difficulty))
        .string("state", practice::stateName(card.state))
        .number("reps", card.reps)
        .number("lapses", card.lapses)
        .str();
}

std::optional<practice::Rating> rating(std::string_view word) {
    if (word == "again")
        return practice::Rating::Again;
    if (word == "hard")
        return practice::Rating::Hard;
    if (word == "good")
        return practice::Rating::Good;
    if (word == "easy")
        return practice::Rating::Easy;
    return std::nullopt;
}

// The deck's file could not be saved to: a terminal command does not go on in memory.
int unsaved(platform::PracticeStore& store) {
    std::string problem = store.takeProblem();
    if (problem.ends_with(platform::PracticeStore::kGoesOn))
        problem.resize(problem.size() - platform::PracticeStore::kGoesOn.size());
    if (problem.empty())
        problem = store.path() + ": cannot be saved to";
    problem += "; nothing was saved";
    std::cerr << "tovrin-lookup: " << problem << '\n';
    return kUnusable;
}

// deck new-per-day [N]: shows, or sets, how many new items a day brings into the drill.
int newPerDay(const std::optional<std::string>& file, const std::vector<std::string_view>& words) {
    std::optional<int> count;
    if (words.size() > 2)
        return usage("deck new-per-day takes at most one COUNT");
    if (words.size() == 2) {
        int n = -1;
        const std::string_view w = words[1];
        const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), n);
        if (ec != std::errc() || end != w.data() + w.size() || n < 0 ||
            n > platform::PracticeStore::kMostNewPerDay)
            return usage("COUNT is a number from 0 to " +
                         std::to_string(platform::PracticeStore::kMostNewPerDay));
        count = n;
    }
    if (file && file->empty())
        return usage("--deck needs a file");
    int opened = kDone;
    const auto store = openDeck(file, opened,
                                count ? platform::PracticeStore::Check::Pages
                                      : platform::PracticeStore::Check::Schema);
    if (!store)
        return opened;
    if (count)
        store->setNewPerDay(*count);
    const int now = store->newPerDay();
    if (!store->saving())
        return unsaved(*store);
    std::cout << now << '\n' << std::flush;
    return std::cout ? kDone : kSystem;
}

} // namespace

std::unique_ptr<platform::PracticeStore> openDeck(const std::optional<std::string>& file,
                                                  int& status,
                                                  platform::PracticeStore::Check check) {
    const std::string path = file ? *file : platform::PracticeStore::defaultPath();
    if (path.empty()) {
        std::cerr << "tovrin-lookup: no folder for the practice deck ($XDG_DATA_HOME and $HOME "
                     "are unset); name one with --deck\n";
        status = kUnusable;
        return nullptr;
    }
    auto store = platform::PracticeStore::open(path, platform::PracticeStore::kBusyMillis, check);
    if (!store->saving()) {
        status = unsaved(*store);
        return nullptr;
    }
    // What was mended on the way (cards made again from their logs) is told.
    if (const std::string told = store->takeProblem(); !told.empty())
        std::cerr << "tovrin-lookup: " << told << '\n';
    return store;
}

int runDeck(const std::string& folder, const std::vector<std::string_view>& args,
            const gbk::Codec& codec) {
    std::optional<std::string> file;
    std::optional<std::string_view> atText;
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        auto value = [&](std::string_view name) -> std::optional<std::string_view> {
            if (a == name && i + 1 < args.size())
                return args[++i];
            if (a.starts_with(name) && a.size() > name.size() && a[name.size()] == '=')
                return a.substr(name.size() + 1);
            return std::nullopt;
        };
        if (const auto v = value("--deck"))
            file = std::string(*v);
        else if (const auto t = value("--at"))
            atText = *t;
        else if (a == "--deck" || a == "--at")
            return usage(std::string(a) + (a == "--deck" ? " needs a file" : " needs a TIME"));
        else if (a.starts_with("--"))
            return usage("deck does not take " + std::string(a));
        else
            words.push_back(a);
    }
    if (words.empty())
        return usage("deck takes list, add, remove, review, due or new-per-day");
    const std::string_view action = words[0];
    if (action == "new-per-day")
        return atText ? usage("--at goes with review and due") : newPerDay(file, words);
    const std::size_t wanted = action == "list" || action == "due"     ? 1
                               : action == "add" || action == "remove" ? 2
                               : action == "review"                    ? 3
                                                                       : 0;
    if (wanted == 0)
        return usage("unknown deck command: " + std::string(action));
    if (words.size() != wanted)
        return usage("deck " + std::string(action) + " takes " +
                     (wanted == 1   ? std::string("no TEXT")
                      : wanted == 2 ? std::string("one TEXT")
                                    : std::string("TEXT and again, hard, good or easy")));
    if (atText && action != "review" && action != "due")
        return usage("--at goes with review and due");
    if (file && file->empty())
        return usage("--deck needs a file");

    Millis at = platform::PracticeStore::now();
    if (atText) {
        const auto parsed = practice::parseTime(*atText);
        if (!parsed)
            return usage("TIME is a UTC time such as 2026-12-08T10:00:00Z");
        at = *parsed;
    }
    const std::string text = wanted >= 2 ? std::string(words[1]) : std::string();
    if (wanted >= 2 && !practice::isItem(text, codec))
        return usage("an item is a hanzi or a word of them");
    std::optional<practice::Rating> rated;
    if (wanted == 3 && !(rated = rating(words[2])))
        return usage("a review is again, hard, good or easy");
    if (action == "add" || action == "review") {
        // An item joins only with a code to drill.
        RecordFile codes;
        if (!openDictionary(folder, CodeRecord::kFileName, CodeRecord::kLength, codes))
            return kUnusable;
        if (!practice::codesOf(*codec.fromUtf8(text), codes)) {
            std::cerr << "tovrin-lookup: " << text << ": no code in the dictionary\n";
            return kNotFound;
        }
    }
    // Listing a deck that was never made shows nothing, and makes nothing.
    if (action == "list" || action == "due") {
        const std::string path = file ? *file : platform::PracticeStore::defaultPath();
        std::error_code ec;
        if (!path.empty() && !std::filesystem::exists(path, ec) && !ec)
            return kDone;
    }

    int opened = kDone;
    // Listing reads only: the store's pages are not all read first.
    const auto store =
        openDeck(file, opened,
                 action == "list" || action == "due" ? platform::PracticeStore::Check::Schema
                                                     : platform::PracticeStore::Check::Pages);
    if (!store)
        return opened;

    std::string out;
    int status = kDone;
    if (action == "list") {
        for (const practice::Item& item : store->list())
            out += item.text + '\t' + practice::formatTime(item.card.due) + '\n';
    } else if (action == "due") {
        const practice::Millis today =
            practice::dayStart(at, platform::PracticeStore::localOffsetMinutes(at));
        for (const practice::Item& item : store->due(at, today))
            out += cardLine(item.text, item.card) + '\n';
    } else if (action == "add") {
        if (!store->add(text, at)) {
            std::cerr << "tovrin-lookup: " << text << ": already in the deck\n";
            status = kNotFound;
        }
    } else if (action == "remove") {
        if (!store->remove(text)) {
            std::cerr << "tovrin-lookup: " << text << ": not in the deck\n";
            status = kNotFound;
        }
    } else {
        // A review from the terminal types nothing: an Again counts as missed at the first try.
        platform::PracticeStore::Answer answer;
        answer.firstTry = *rated != practice::Rating::Again;
        const std::optional<practice::Card> card = store->review(text, *rated, at, answer);
        if (card) {
            out = cardLine(text, *card) + '\n';
        } else if (store->saving()) {
            const std::optional<practice::Item> item = store->find(text);
            std::cerr << "tovrin-lookup: " << text << ": a review at " << practice::formatTime(at)
                      << " is before its last review"
                      << (item && item->card.lastReview
                              ? " at " + practice::formatTime(*item->card.lastReview)
                              : std::string())
                      << "; nothing was saved\n";
            status = kNotFound;
        }
    }
    if (!store->saving())
        return unsaved(*store);
    std::cout << out << std::flush;
    return std::cout ? status : kSystem;
}

} // namespace tovrin::cli
