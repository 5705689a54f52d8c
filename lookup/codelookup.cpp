#include "codelookup.h"

#include "records.h"

namespace tovrin {

namespace {

std::int16_t firstCode(const RecordFile& codes, std::int32_t n) {
    return gbk::code(firstChar(CodeRecord::read(codes.record(n)).character));
}

} // namespace

CodeSearch searchCode(const RecordFile& codes, gbk::Char character) {
    CodeSearch s;
    const std::int32_t count = codes.count();
    // An empty dictionary has no record to bisect: nothing is found.
    if (count < 1)
        return s;
    const std::int16_t key = gbk::code(character);
    s.lo = 1;
    s.hi = count;
    do {
        const std::int16_t a = firstCode(codes, s.lo);
        const std::int16_t b = firstCode(codes, s.hi);
        s.pos = s.hi;
        if (key < a || key > b) {
            s.found = false;
            break;
        }
        if (a < key && key < b) {
            const std::int32_t mid = s.lo + (s.hi - s.lo) / 2;
            s.pos = mid;
            const std::int16_t m = firstCode(codes, mid);
            if (m < key) {
                s.lo = mid;
            } else if (key < m) {
                s.hi = mid;
            } else {
                s.found = true;
                break;
            }
        } else {
            s.found = true;
            s.pos = a == key ? s.lo : s.hi;
            break;
        }
    } while (s.hi - s.lo != 1);
    return s;
}

CodeLine collectCodes(const RecordFile& codes, std::int32_t hit, gbk::Char character) {
    CodeLine line;
    std::int32_t pos = hit - 4 >= 1 ? hit - 4 : 1;
    const std::int32_t count = codes.count();
    for (int i = 1; i <= 10; ++i) {
        const CodeRecord rec = CodeRecord::read(codes.record(pos));
        if (firstChar(rec.character) == character) {
            const gbk::Text code = gbk::trim(gbk::decode(view(rec.code)));
            if (!code.empty() && code.size() <= 4)
                line.byLength[code.size() - 1] = u" " + code;
        }
        ++pos;
        if (pos > count)
            break;
    }
    line.pos = pos;
    if (character != u' ')
        line.summary.push_back(character);
    for (const auto& c : line.byLength)
        line.summary += c;
    return line;
}

} // namespace tovrin
