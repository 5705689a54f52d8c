#include "ui/practice/practicedeck.h"

#include "core/dict/records.h"

#include <QDateTime>

#include <utility>

namespace tovrin {

PracticeDeck::PracticeDeck(const gbk::Codec& codec, std::string path,
                           std::function<FileBytes()> readCodes)
    : codec_(codec), path_(std::move(path)), readCodes_(std::move(readCodes)) {}

const RecordFile& PracticeDeck::codes() {
    if (!codes_)
        codes_ = RecordFile::fromFile(readCodes_ ? readCodes_() : FileBytes(), CodeRecord::kLength);
    return *codes_;
}

std::string PracticeDeck::codesProblem() {
    const RecordFile& file = codes();
    if (file.status() == RecordFile::Status::Ok)
        return {};
    return (file.path().empty() ? std::string(CodeRecord::kFileName) : file.path()) + ": " +
           file.reason();
}

platform::PracticeStore& PracticeDeck::store() {
    if (!store_)
        store_ = platform::PracticeStore::open(path_);
    return *store_;
}

std::optional<practice::ItemCodes> PracticeDeck::codesOf(const std::string& utf8) {
    const std::optional<gbk::Text> text = codec_.fromUtf8(utf8);
    if (!text)
        return std::nullopt;
    return practice::codesOf(*text, codes());
}

void PracticeDeck::lookedUp(const gbk::Text& text) {
    const std::string utf8 = codec_.toUtf8(text);
    if (!practice::isItem(utf8, codec_))
        return;
    platform::PracticeStore& s = store();
    if (s.autoAdd())
        s.lookedUp(utf8, platform::PracticeStore::now());
}

int PracticeDeck::localOffsetMinutes() {
    return QDateTime::currentDateTime().offsetFromUtc() / 60;
}

} // namespace tovrin
