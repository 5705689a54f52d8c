// The practice deck as the windows share it: the store is opened at its first use (a pick in the
// lookup window, or the practice window), and what it cannot save is told by the practice window;
// the lookup window only hands it what the learner looked up.
#pragma once

#include "core/dict/filebytes.h"
#include "core/dict/recordfile.h"
#include "core/practice/deck.h"
#include "core/practice/grading.h"
#include "core/text/gbk.h"
#include "platform/practicestore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tovrin {

class PracticeDeck {
public:
    // `path`: the store's file; `readDictionary`: reads a dictionary by its file name: the
    // character-code dictionary gives the items their codes, the stroke dictionary their last
    // strokes, each read at the first item that needs it.
    PracticeDeck(const gbk::Codec& codec, std::string path,
                 std::function<FileBytes(std::string_view name)> readDictionary);

    platform::PracticeStore& store();
    // The item's codes; nothing when it has none (or the dictionary is unusable).
    std::optional<practice::ItemCodes> codesOf(const std::string& utf8);
    // What the progress pictures ask of the items: their codes and levels.
    practice::ItemFacts facts();
    // Why the character-code dictionary cannot be used, naming it; "" when it can.
    std::string codesProblem();

    // How the learner looked something up in the lookup window.
    enum class Source { Pick, Text };
    // The learner looked a character or a word up: it joins the deck, or is due at once, unless
    // the learner turned that off (for a text looked up it is off until turned on).
    void lookedUp(const gbk::Text& text, Source source);

    const gbk::Codec& codec() const { return codec_; }

private:
    const RecordFile& codes();
    const practice::LastStrokes& lastStrokes();

    const gbk::Codec& codec_;
    std::string path_;
    std::function<FileBytes(std::string_view name)> readDictionary_;
    std::optional<RecordFile> codes_;
    std::optional<practice::LastStrokes> lastStrokes_;
    // Each item's level as first worked out: the pictures ask for every item's after each answer.
    std::unordered_map<std::string, std::optional<practice::Level>> levels_;
    std::unique_ptr<platform::PracticeStore> store_;
};

} // namespace tovrin
