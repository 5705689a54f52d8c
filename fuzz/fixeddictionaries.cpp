#include "fuzz/fixeddictionaries.h"

#include "core/dict/records.h"
#include "tests/core/testdata.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tovrin::fuzz {

using testdata::hz;

void writeFixedDictionaries(MemoryFiles& files) {
    // 120 characters over stroke strings with and without preset lists, in every rank band
    // (common, middle, rare), so searches fill the grid, hold rare ones back and show the more
    // link.
    const char* const strokes[] = {"14",  "141",  "1412", "1413", "21", "213", "2134", "33",
                                   "331", "3312", "41",   "412",  "5",  "512", "5121", "3121534"};
    const int ranks[] = {5, 800, 2999, 3500, 6763, 7000, 9000};
    std::vector<testdata::StrokeRow> strokeRows;
    for (int i = 0; i < 120; ++i)
        strokeRows.push_back({hz(i), strokes[i % std::size(strokes)], ranks[i % std::size(ranks)]});
    std::stable_sort(strokeRows.begin(), strokeRows.end(), [](const auto& a, const auto& b) {
        return a.strokes + std::string(12 - a.strokes.size(), ' ') <
               b.strokes + std::string(12 - b.strokes.size(), ' ');
    });
    files.write(StrokeRecord::kFileName, testdata::strokeBytes(strokeRows));

    // Words of two to four characters for the first 40 characters, grouped by the first one
    // (hz() rises with its argument, so the groups are in the dictionary's order).
    std::string phrases;
    for (int i = 0; i < 40; ++i) {
        for (int k = 1; k <= 4; ++k) {
            gbk::Text word = hz(i) + hz((i + k) % 120);
            if (k % 2 == 0)
                word += hz((i + 2 * k) % 120);
            if (k == 4)
                word += hz((i + 7) % 120);
            PhraseRecord r;
            writeField(r.text.data(), r.text.size(), gbk::encode(word));
            testdata::append(phrases, r);
        }
    }
    files.write(PhraseRecord::kFileName, phrases);

    // One to three codes for each character, sorted by the character.
    const char* const codes[] = {"A", "AB", "ABC", "ABCD", "Q", "TRNT"};
    std::string codeBytes;
    for (int i = 0; i < 120; ++i) {
        for (int k = 0; k <= i % 3; ++k) {
            CodeRecord r;
            writeField(r.character.data(), r.character.size(), gbk::encode(hz(i)));
            writeField(r.code.data(), r.code.size(), codes[(i + k) % std::size(codes)]);
            testdata::append(codeBytes, r);
        }
    }
    files.write(CodeRecord::kFileName, codeBytes);

    // Readings, sorted; "a" and "an" have more characters than one page holds.
    const char* const readings[] = {"a", "a", "a", "an", "an", "ba", "zhang", "zhuang"};
    std::vector<std::pair<std::string, gbk::Text>> rows;
    for (int i = 0; i < 120; ++i)
        rows.emplace_back(readings[i % std::size(readings)], hz(i));
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        return a.first + std::string(6 - a.first.size(), ' ') <
               b.first + std::string(6 - b.first.size(), ' ');
    });
    std::string pinyin;
    for (const auto& [reading, ch] : rows) {
        PinyinRecord r;
        writeField(r.character.data(), r.character.size(), gbk::encode(ch));
        writeField(r.pinyin.data(), r.pinyin.size(), reading);
        testdata::append(pinyin, r);
    }
    files.write(PinyinRecord::kFileName, pinyin);
}

} // namespace tovrin::fuzz
