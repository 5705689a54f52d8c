// The practice deck as the windows share it: the store is opened at its first use (a pick in the
// lookup window, or the practice window), and what it cannot save is told by the practice window;
// the lookup window only hands it what the learner looked up.
#pragma once

#include "core/dict/filebytes.h"
#include "core/dict/recordfile.h"
#include "core/practice/grading.h"
#include "core/text/gbk.h"
#include "platform/practicestore.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tovrin {

class PracticeDeck {
public:
    // `path`: the store's file; `readCodes`: reads the character-code dictionary, which gives
    // the items their codes, at the first item that needs them.
    PracticeDeck(const gbk::Codec& codec, std::string path, std::function<FileBytes()> readCodes);

    platform::PracticeStore& store();
    // The item's codes; nothing when it has none (or the dictionary is unusable).
    std::optional<practice::ItemCodes> codesOf(const std::string& utf8);
    // Why the character-code dictionary cannot be used, naming it; "" when it can.
    std::string codesProblem();

    // The learner looked a character or a word up in the lookup window: it joins the deck, or is
    // due at once, unless the learner turned that off.
    void lookedUp(const gbk::Text& text);

    const gbk::Codec& codec() const { return codec_; }

    // The local day's offset from UTC in minutes.
    static int localOffsetMinutes();

private:
    const RecordFile& codes();

    const gbk::Codec& codec_;
    std::string path_;
    std::function<FileBytes()> readCodes_;
    std::optional<RecordFile> codes_;
    std::unique_ptr<platform::PracticeStore> store_;
};

} // namespace tovrin
