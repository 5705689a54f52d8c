// The practice store on a deck of 20,000 items with 20,000 reviews: how long opening it takes
// (the practice window opens on it), the due items, the window's pictures and a review.
// Usage: bench_practicestore [--out=FILE] [--keep=FILE]   (--keep: the deck is copied there)
#include "platform/practicestore.h"
#include "bench/figures.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace tovrin;
using practice::Millis;

namespace {

constexpr Millis kStart = 1796724000000; // 2026-12-08T10:00:00Z
constexpr Millis kMinute = 60'000;

// The median of a few runs, in milliseconds.
double medianMs(const std::function<void()>& run, int times = 7) {
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        run();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::nth_element(ms.begin(), ms.begin() + times / 2, ms.end());
    return ms[static_cast<std::size_t>(times / 2)];
}

} // namespace

int main(int argc, char** argv) {
    std::string out;
    std::string keep;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]).starts_with("--out="))
            out = argv[i] + 6;
        else if (std::string_view(argv[i]).starts_with("--keep="))
            keep = argv[i] + 7;
    }
    std::string folder = (std::filesystem::temp_directory_path() / "tovrin-bench-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        return 1;
    const std::string path = folder + "/practice.db";
    const gbk::Codec codec;
    std::vector<std::string> texts;
    for (char32_t cp = U'\u4E00'; texts.size() < 20000; ++cp) {
        std::string t;
        gbk::Codec::appendUtf8(t, cp);
        if (practice::isItem(t, codec))
            texts.push_back(t);
    }
    {
        // Every item reviewed once, a minute apart: a fifth of them due two weeks later.
        auto store = platform::PracticeStore::open(path);
        for (std::size_t i = 0; i < texts.size(); ++i)
            store->review(texts[i], i % 5 == 0 ? practice::Rating::Again : practice::Rating::Easy,
                          kStart + static_cast<Millis>(i) * kMinute,
                          {1500, "trn", "trnt", i % 5 != 0});
    }
    // The deck as the last connection left it (its log checkpointed), for timing whole
    // processes on it.
    if (!keep.empty()) {
        std::error_code ec;
        std::filesystem::copy_file(path, keep, std::filesystem::copy_options::overwrite_existing,
                                   ec);
        if (ec)
            return 1;
    }
    bench::Figures figures(true);
    figures.add("practice_items", static_cast<double>(texts.size()), 0);
    {
        // What a review adds to the file: 5,000 more on the same items, checkpointed by the
        // close, over the growth. The deck's own rows are there before and after.
        const auto before = std::filesystem::file_size(path);
        auto store = platform::PracticeStore::open(path);
        constexpr int kMore = 5000;
        for (int i = 0; i < kMore; ++i)
            store->review(texts[static_cast<std::size_t>(i * 4 % 20000)], practice::Rating::Good,
                          kStart + (20000 + static_cast<Millis>(i)) * kMinute,
                          {1200, "trnt", "trnt", true});
        store.reset();
        figures.add("practice_bytes_per_review",
                    double(std::filesystem::file_size(path) - before) / kMore, 1);
    }
    figures.add("practice_open_ms", medianMs([&] { platform::PracticeStore::open(path); }));
    figures.add("practice_open_schema_ms", medianMs([&] {
                    platform::PracticeStore::open(path, platform::PracticeStore::kBusyMillis,
                                                  platform::PracticeStore::Check::Schema);
                }));
    const auto store = platform::PracticeStore::open(path);
    const Millis twoWeeks = kStart + 14 * 24 * 60 * kMinute;
    std::size_t due = 0;
    figures.add("practice_due_ms", medianMs([&] { due = store->due(twoWeeks, twoWeeks).size(); }));
    figures.add("practice_due_items", static_cast<double>(due), 0);
    figures.add("practice_due_all_ms", medianMs([&] {
                    due = store->due(kStart + 3650 * 24 * 60 * kMinute, kStart).size();
                }));
    figures.add("practice_progress_ms", medianMs([&] { store->progress(twoWeeks, 480); }));
    figures.add("practice_open_due_progress_ms", medianMs([&] {
                    auto s = platform::PracticeStore::open(path);
                    s->due(twoWeeks, twoWeeks);
                    s->progress(twoWeeks, 480);
                }));
    Millis at = twoWeeks;
    figures.add("practice_review_ms", medianMs([&] {
                    store->review(texts[7], practice::Rating::Good, at += kMinute,
                                  {900, "trnt", "trnt", true});
                }));
    std::filesystem::remove_all(folder);
    return out.empty() || figures.write(out) ? 0 : 1;
}
