// The practice deck on disk: the one place that speaks SQL. One SQLite file, by default
// $XDG_DATA_HOME/tovrin/practice.db, shared by the practice window and the terminal's drills:
// two processes may write to it at once, and every change is committed before the call returns.
//
// Each item keeps its card as a cache beside an append-only log of its reviews and of the times
// it was looked up again, so every card can be computed again from the logs (recheck()).
//
// A store that cannot be used (not a database, damaged, locked by another program for longer
// than the busy timeout, not writable, or written by a newer Tovrin) is told once, through
// takeProblem(), and practice goes on without saving: in a database in memory, holding what
// could still be read of the file. A file of another program, a damaged or a newer one is then
// never written, truncated or deleted. One of ours that failed for a while (a full disk, a lock,
// rights) is tried again, and the changes made meanwhile are written to it once it takes them.
// The store and its folder are the user's alone (0600, 0700).
#pragma once

#include "core/practice/deck.h"
#include "core/practice/drill.h"
#include "core/practice/fsrs.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace tovrin::platform {

class PracticeStore {
public:
    // The schema this program writes, kept in PRAGMA user_version; a file of a higher one is
    // left alone.
    static constexpr int kSchemaVersion = 1;
    // How long a change waits for another process's to finish before the store is taken for
    // locked.
    static constexpr int kBusyMillis = 3000;
    // How every problem told ends.
    static constexpr std::string_view kGoesOn = "; practice goes on without saving";

    // What the learner did to answer a drill, kept in the review log.
    // The log keeps in first_try 1 for a right first answer, 0 for a wrong one (a miss), 2 for
    // a later answer at the same showing, which the pictures and the misses leave out.
    struct Answer {
        int millis = 0;       // from the drill shown to the answer given
        std::string typed;    // the letters typed
        std::string expected; // the code asked for
        bool firstTry = true; // the right code at the first try
        bool retry = false;   // an answer after a wrong one at the same showing
    };
    // The answer a drill gave, as the log keeps it.
    static Answer answerOf(const practice::Drill::Answer& answer);

    // The moment now, by the system's clock: what the store and the core are handed.
    static practice::Millis now();
    // The local time's offset from UTC at `at`, in minutes (480 in China).
    static int localOffsetMinutes(practice::Millis at);

    // $XDG_DATA_HOME/tovrin/practice.db (~/.local/share when unset); "" when neither is known.
    static std::string defaultPath();

    // Opens the store at `path`, making it (and its folder) at first use. Never fails: a store
    // that cannot be used is told by takeProblem() and replaced by one in memory.
    //
    // A store opened to practise on reads every page once first (PRAGMA quick_check, about 9 ms
    // on 20,000 items), so damage is found before anything is written. One opened to look at
    // (a terminal's list or due) checks only that it is a store of ours: reading writes nothing,
    // and a damaged page it reads is told then.
    enum class Check { Pages, Schema };
    static std::unique_ptr<PracticeStore>
    open(const std::string& path, int busyMillis = kBusyMillis, Check check = Check::Pages);
    ~PracticeStore();
    PracticeStore(const PracticeStore&) = delete;
    PracticeStore& operator=(const PracticeStore&) = delete;

    const std::string& path() const { return path_; }
    // Whether changes still reach the file.
    bool saving() const { return saving_; }
    // While they do not: why not, and whether the file is tried again (before each change, and
    // by saveAgain()) with the changes kept meanwhile, how many.
    const std::string& whyNotSaving() const { return why_; }
    bool savesAgainLater() const { return !saving_ && retryable_; }
    std::size_t unsavedChanges() const { return unsaved_.size(); }
    // Writes the changes kept in memory to the file, all in one transaction, and goes back to
    // it; false while it still cannot take them. Waits at most kRetryBusyMillis for a lock.
    bool saveAgain();
    static constexpr int kRetryBusyMillis = 100;
    // What went wrong with the file, naming it, the first time it is asked; "" after and before.
    std::string takeProblem();

    // Items are texts that practice::isItem() accepts, in UTF-8.
    // Adds an item, new and due at `now`; false when the deck holds it already.
    bool add(const std::string& text, practice::Millis now);
    // The learner looked the item up: it joins (true), or, when the deck holds it already, it is
    // due at once: it was needed again, and forgotten when it was in review (false; see
    // practice::lookedUpAgain()).
    bool lookedUp(const std::string& text, practice::Millis now);
    // Takes the item out of the deck; its past reviews stay in the log. False when not there.
    bool remove(const std::string& text);
    // Logs a review and returns the card it leads to; an item not in the deck joins first.
    // The scheduler is given the rating practice::scheduledRating() makes of `rating`, and the
    // log keeps that. A later answer at the same showing (Answer::retry) is logged as practice,
    // with rating 0, and leaves the card as it was. Nothing, and nothing logged, when `at` is
    // before the item's last review: a review cannot be dated into the past of its card.
    std::optional<practice::Card> review(const std::string& text, practice::Rating rating,
                                         practice::Millis at, const Answer& answer);

    std::optional<practice::Item> find(const std::string& text);
    // The items due at `at`, in the order they are drilled: the most overdue first, items due
    // at the same moment in the order they joined (an index on due holds them so). New items
    // come only as far as the day's limit allows (newPerDay() less those first reviewed since
    // `dayStart`, the local day's first moment); the rest wait their turn in the same order.
    std::vector<practice::Item> due(practice::Millis at, practice::Millis dayStart);
    // How many items had their first review since `since`.
    int newSince(practice::Millis since);
    // Every item, in the order they joined.
    std::vector<practice::Item> list();
    // The earliest due time later than `after`.
    std::optional<practice::Millis> nextDue(practice::Millis after);
    // Up to `count` items, those answered wrong at the first try most often first.
    std::vector<std::string> mostMissed(std::size_t count);
    // What the practice window draws; days are local, UTC moved by `localOffsetMinutes`.
    practice::Progress progress(practice::Millis now, int localOffsetMinutes,
                                const practice::ItemFacts& facts = {});

    // Whether picks in the lookup window join the deck by themselves (on by default).
    bool autoAdd();
    void setAutoAdd(bool on);
    // Whether the words and characters of a text looked up join too (off by default).
    bool autoAddText();
    void setAutoAddText(bool on);
    // How many new items a day brings into the drill (practice::kNewPerDay by default, at most
    // kMostNewPerDay).
    static constexpr int kMostNewPerDay = 1000;
    int newPerDay();
    void setNewPerDay(int count);

    // Computes every card again from the logs and compares it with the card kept: the texts of
    // the items whose card (or count of misses) differs; none when the logs and the cards agree.
    std::vector<std::string> recheck();

private:
    PracticeStore(std::string path, int busyMillis);
    void openFile();
    void setUpFile();
    void fallBack(const std::string& what, bool copyFile);
    // Cards with values out of range are made again from their logs, and told.
    void repairCards();
    template <class F> auto write(F&& change);

    // A change to the deck, as it can be applied again.
    struct Change {
        enum class Kind { Add, LookedUp, Remove, Review, Setting };
        Kind kind = Kind::Add;
        std::string text; // the item, or the setting's name
        practice::Millis at = 0;
        practice::Rating rating = practice::Rating::Good;
        Answer answer;
        long long value = 0; // a setting's
    };
    struct Applied {
        bool flag = false;                  // add, lookedUp, remove: their answer
        std::optional<practice::Card> card; // review: the card
    };
    static Change change(Change::Kind kind, std::string text, practice::Millis at);
    Applied apply(const Change& change);
    // Applies a change to the store, and keeps it while the file cannot take it.
    Applied record(Change change);
    template <class F> auto read(F&& query);
    long long setting(const char* name, long long byDefault);
    void setSetting(const char* name, long long value);

    std::string path_;
    int busyMillis_;
    Check check_ = Check::Pages;
    sqlite3* db_ = nullptr;
    bool saving_ = true;
    bool retryable_ = false;
    std::vector<Change> unsaved_;
    std::string why_;
    std::string problem_;
};

} // namespace tovrin::platform
