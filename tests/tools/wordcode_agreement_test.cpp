// The word codes made from the built dictionaries against an independent table: the Wubi 86
// phrase table of rime-data-wubi, which lists words with the codes that type them.
#include "core/dict/recordfile.h"
#include "core/dict/records.h"
#include "core/dict/wordcode.h"
#include "platform/files.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace tovrin;

TEST(WordCodes, AgreeWithRimesWubi86PhraseTable) {
    const gbk::Codec codec;
    const std::string dir = TOVRIN_DICTIONARY_DIR;
    const RecordFile codes = RecordFile::fromFile(
        platform::readWholeFile(dir + "/" + std::string(CodeRecord::kFileName)),
        CodeRecord::kLength);
    const RecordFile phrases = RecordFile::fromFile(
        platform::readWholeFile(dir + "/" + std::string(PhraseRecord::kFileName)),
        PhraseRecord::kLength);
    ASSERT_EQ(codes.status(), RecordFile::Status::Ok);
    ASSERT_EQ(phrases.status(), RecordFile::Status::Ok);

    // Rime's rows after the header: text TAB code [TAB weight]; the words have two or more
    // characters. Codes are lower case there.
    std::ifstream yaml(std::string(TOVRIN_RIME_DIR) + "/wubi86.dict.yaml");
    ASSERT_TRUE(yaml) << "rime-data-wubi's wubi86.dict.yaml is missing";
    std::map<gbk::Text, std::set<std::string>> rime;
    std::string line;
    bool body = false;
    while (std::getline(yaml, line)) {
        if (!body) {
            body = line == "...";
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        const auto tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        const auto end = line.find('\t', tab + 1);
        const auto text = codec.fromUtf8(line.substr(0, tab));
        std::string code = line.substr(tab + 1, end == std::string::npos ? end : end - tab - 1);
        if (!text || text->size() < 2)
            continue;
        for (char& c : code)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        rime[*text].insert(code);
    }
    ASSERT_GT(rime.size(), 10000u);

    std::size_t both = 0, agree = 0;
    std::vector<std::string> disagreements;
    for (std::int32_t n = 1; n <= phrases.count(); ++n) {
        const gbk::Text word = gbk::trimRight(gbk::decode(
            phrases.record(n).substr(PhraseRecord::kTextOffset, PhraseRecord::kTextWidth)));
        const auto it = rime.find(word);
        if (it == rime.end())
            continue;
        ++both;
        const std::string ours = wordcode::ofWord(codes, word);
        if (it->second.count(ours)) {
            ++agree;
            continue;
        }
        std::string theirs;
        for (const std::string& c : it->second)
            theirs += " " + c;
        disagreements.push_back(codec.toUtf8(word) + " " + ours + " (rime:" + theirs + ")");
    }
    const double share = both ? static_cast<double>(agree) / static_cast<double>(both) : 0;
    std::printf("word codes: %zu of %zu words in both tables agree (%.2f%%)\n", agree, both,
                100 * share);
    for (std::size_t i = 0; i < disagreements.size() && i < 20; ++i)
        std::printf("  %s\n", disagreements[i].c_str());
    EXPECT_GT(both, 10000u);
    EXPECT_GE(share, 0.99);
}
