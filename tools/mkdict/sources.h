// Readers for the open data the dictionaries are compiled from. Each reader checks the shape of
// every line it keeps and throws SourceError naming the file and line when one does not fit;
// what the lines mean is left to the compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tovrin::mkdict {

// Where each source lives.
struct SourcePaths {
    std::filesystem::path strokeTable;    // rime stroke.dict.yaml
    std::filesystem::path wubiTable;      // rime wubi86.dict.yaml
    std::filesystem::path pinyinTable;    // rime pinyin_simp.dict.yaml
    std::filesystem::path haifengDb;      // ibus-table wubi-haifeng86.db (SQLite)
    std::filesystem::path unihanMappings; // Unihan_OtherMappings.txt: kTGH
    std::filesystem::path unihanReadings; // Unihan_Readings.txt: kMandarin
    std::filesystem::path unihanSources;  // Unihan_IRGSources.txt: kTotalStrokes
    std::filesystem::path strokeOrders;   // cnchar-order's stroke letters, dumped as TSV

    // The usual file names inside the folders the build passes.
    static SourcePaths inFolders(const std::filesystem::path& rimeDir,
                                 const std::filesystem::path& haifengDb,
                                 const std::filesystem::path& unihanDir,
                                 const std::filesystem::path& strokeOrders);
    // Every path, for checking that they all exist.
    std::vector<std::filesystem::path> all() const;
};

class SourceError : public std::runtime_error {
public:
    enum class Kind { Missing, Malformed };

    // `line` is 1-based; 0 when the fault is not on one line. For the SQLite table it is the
    // row id.
    SourceError(Kind kind, std::filesystem::path file, std::size_t line, const std::string& what);

    Kind kind() const { return kind_; }
    const std::filesystem::path& file() const { return file_; }
    std::size_t line() const { return line_; }

private:
    Kind kind_;
    std::filesystem::path file_;
    std::size_t line_;
};

// Throws a Missing SourceError unless `file` is a readable regular file.
void requireFile(const std::filesystem::path& file);

// One data line of a rime dictionary file: its TAB-separated fields, at least two.
struct RimeRow {
    std::size_t line = 0;
    int section = 0; // 1 after the section comment the reader was asked to watch for, else 0
    std::vector<std::string> fields;
};

// Reads the rows after the line "..." that ends the YAML header, skipping blank lines and lines
// that begin with '#'. When `sectionComment` is not empty, rows after a comment line that begins
// with it are marked as section 1.
std::vector<RimeRow> readRimeTable(const std::filesystem::path& file,
                                   std::string_view sectionComment = {});

// A rime weight: a decimal number, possibly fractional (one wubi86 weight is 450.5).
double parseWeight(const std::filesystem::path& file, const RimeRow& row, std::size_t column);

// The values of one Unihan field, by code point: lines "U+XXXX TAB field TAB value".
struct UnihanValue {
    std::size_t line = 0;
    std::string value;
};
std::unordered_map<char32_t, UnihanValue> readUnihanField(const std::filesystem::path& file,
                                                          std::string_view field);

// One line of the stroke-order TSV: a character and its cnchar stroke letters.
struct StrokeOrderRow {
    std::size_t line = 0;
    std::string character;
    std::string letters;
};
std::vector<StrokeOrderRow> readStrokeOrders(const std::filesystem::path& file);

// One row of the haifeng86 table phrases(tabkeys, phrase, freq).
struct HaifengRow {
    std::int64_t id = 0;
    std::string phrase;
    std::int64_t freq = 0;
};
std::vector<HaifengRow> readHaifengPhrases(const std::filesystem::path& db);

} // namespace tovrin::mkdict
