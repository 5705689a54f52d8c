#include "core/dict/codelookup.h"

#include "core/dict/records.h"

namespace tovrin {

CodeLine collectCodes(const RecordFile& codes, std::int32_t hit, gbk::Char character) {
    CodeLine line;
    std::int32_t pos = hit - 4 >= 1 ? hit - 4 : 1;
    const std::int32_t count = codes.count();
    for (int i = 1; i <= 10; ++i) {
        // The character field as read() pads it, looked at in place: most of the ten records
        // are another character's, and only the character's own are read whole.
        const std::string_view raw = codes.record(pos);
        auto at = [&raw](std::size_t i) { return i < raw.size() ? raw[i] : ' '; };
        const char field[] = {at(CodeRecord::kCharacterOffset),
                              at(CodeRecord::kCharacterOffset + 1)};
        static_assert(sizeof field == CodeRecord::kCharacterWidth);
        if (gbk::firstChar({field, sizeof field}) == character) {
            const CodeRecord rec = CodeRecord::read(raw);
            const gbk::Text code = gbk::trim(gbk::decode(view(rec.code)));
            if (!code.empty() && code.size() <= 4) {
                auto& shown = line.byLength[code.size() - 1];
                shown.assign(u" ");
                shown.append(code);
            }
        }
        ++pos;
        if (pos > count)
            break;
    }
    if (character != u' ')
        line.summary.push_back(character);
    for (const auto& c : line.byLength)
        line.summary.append(c);
    return line;
}

} // namespace tovrin
