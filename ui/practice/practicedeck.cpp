#include "ui/practice/practicedeck.h"

#include "core/dict/records.h"

#include <utility>

namespace tovrin {

PracticeDeck::PracticeDeck(const gbk::Codec& codec, std::string path,
                           std::function<FileBytes(std::string_view name)> readDictionary)
    : codec_(codec), path_(std::move(path)), readDictionary_(std::move(readDictionary)) {}

const RecordFile& PracticeDeck::codes() {
    if (!codes_)
        codes_ = RecordFile::fromFile(readDictionary_ ? readDictionary_(CodeRecord::kFileName)
                                                      : FileBytes(),
                                      CodeRecord::kLength);
    return *codes_;
}

const practice::LastStrokes& PracticeDeck::lastStrokes() {
    // Read once, then only the table is kept.
    if (!lastStrokes_)
        lastStrokes_.emplace(RecordFile::fromFile(
            readDictionary_ ? readDictionary_(StrokeRecord::kFileName) : FileBytes(),
            StrokeRecord::kLength));
    return *lastStrokes_;
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
    return practice::codesOf(*text, codes(), &lastStrokes());
}

practice::ItemFacts PracticeDeck::facts() {
    return {[this](const std::string& utf8) { return codesOf(utf8); },
            [this](const std::string& utf8) -> std::optional<practice::Level> {
                const auto [it, added] = levels_.try_emplace(utf8);
                if (added) {
                    const std::optional<gbk::Text> text = codec_.fromUtf8(utf8);
                    it->second = text ? practice::shortestLevel(*text, codes()) : std::nullopt;
                }
                return it->second;
            }};
}

void PracticeDeck::lookedUp(const gbk::Text& text, Source source) {
    const std::string utf8 = codec_.toUtf8(text);
    if (!practice::isItem(utf8, codec_))
        return;
    platform::PracticeStore& s = store();
    if (source == Source::Pick ? s.autoAdd() : s.autoAddText())
        s.lookedUp(utf8, platform::PracticeStore::now());
}

} // namespace tovrin
