#include "core/dict/codelookup.h"

#include "core/dict/records.h"

namespace tovrin {

CodeLine collectCodes(const RecordFile& codes, std::int32_t hit, gbk::Char character) {
    CodeLine line;
    std::int32_t pos = hit - 4 >= 1 ? hit - 4 : 1;
    const std::int32_t count = codes.count();
    for (int i = 1; i <= 10; ++i) {
        const std::string_view raw = codes.record(pos);
        // Another character's record is told by its first bytes, without reading it whole.
        if (raw.size() == CodeRecord::kLength &&
            gbk::firstChar(raw.substr(CodeRecord::kCharacterOffset, CodeRecord::kCharacterWidth)) !=
                character) {
            ++pos;
            if (pos > count)
                break;
            continue;
        }
        const CodeRecord rec = CodeRecord::read(raw);
        if (firstChar(rec.character) == character) {
            const gbk::Text code = gbk::trim(gbk::decode(view(rec.code)));
            if (!code.empty() && code.size() <= 4)
                line.byLength[code.size() - 1] = u" " + code;
        }
        ++pos;
        if (pos > count)
            break;
    }
    if (character != u' ')
        line.summary.push_back(character);
    for (const auto& c : line.byLength)
        line.summary += c;
    return line;
}

} // namespace tovrin
