#include "ui/practice/practicedeck.h"

#include "core/dict/records.h"

#include <QDateTime>

#include <utility>

namespace tovrin {

PracticeDeck::PracticeDeck(const gbk::Codec& codec, std::string path, FileBytes codes)
    : codec_(codec), path_(std::move(path)),
      codes_(RecordFile::fromFile(std::move(codes), CodeRecord::kLength)) {}

platform::PracticeStore& PracticeDeck::store() {
    if (!store_)
        store_ = platform::PracticeStore::open(path_);
    return *store_;
}

std::optional<practice::ItemCodes> PracticeDeck::codesOf(const std::string& utf8) const {
    const std::optional<gbk::Text> text = codec_.fromUtf8(utf8);
    if (!text)
        return std::nullopt;
    return practice::codesOf(*text, codes_);
}

void PracticeDeck::lookedUp(const gbk::Text& text) {
    const std::string utf8 = codec_.toUtf8(text);
    if (!practice::isItem(utf8, codec_))
        return;
    platform::PracticeStore& s = store();
    if (s.autoAdd())
        s.lookedUp(utf8, now());
}

practice::Millis PracticeDeck::now() {
    return QDateTime::currentMSecsSinceEpoch();
}

int PracticeDeck::localOffsetMinutes() {
    return QDateTime::currentDateTime().offsetFromUtc() / 60;
}

} // namespace tovrin
