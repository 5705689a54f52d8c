// The practice window on a deck of 20,000 items (bench_practicestore --keep makes one), offscreen:
// from nothing to the window painted with its first item, and from the key that answers to the
// feedback painted (the answer committed to the store on the way). Medians of several runs, each
// on a fresh copy of the deck, and the slowest answer.
// Usage: bench_practice_window --deck=FILE --data=DIR [--at=MILLIS] [--out=FILE]
#include "ui/practice/practicewindow.h"
#include "bench/figures.h"
#include "platform/programfiles.h"
#include "ui/common/fonts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using namespace tovrin;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

void press(QWidget& w, Qt::Key key, char letter) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(QLatin1Char(letter)));
    QApplication::sendEvent(&w, &down);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string deckFile, data, out;
    practice::Millis at = 1797933600000; // 2026-12-22T10:00:00Z: 10,912 of the items due
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a.starts_with("--deck="))
            deckFile = a.substr(7);
        else if (a.starts_with("--data="))
            data = a.substr(7);
        else if (a.starts_with("--at="))
            at = std::stoll(std::string(a.substr(5)));
        else if (a.starts_with("--out="))
            out = a.substr(6);
    }
    if (deckFile.empty() || data.empty()) {
        std::fprintf(stderr, "usage: bench_practice_window --deck=FILE --data=DIR [--out=FILE]\n");
        return 2;
    }
    QApplication app(argc, argv);
    platform::registerFontSubstitutions();
    const gbk::Codec codec;
    const platform::ProgramFiles files(data, std::string());
    const std::filesystem::path copy =
        std::filesystem::temp_directory_path() / ("tovrin-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(copy);

    std::vector<double> open, answer;
    for (int run = 0; run < 7; ++run) {
        const std::string path = (copy / ("deck" + std::to_string(run) + ".db")).string();
        std::filesystem::copy_file(deckFile, path);
        PracticeWindow::Services services;
        services.now = [&at] { return at; };
        const auto t0 = Clock::now();
        PracticeDeck deck(codec, path,
                          [&files](std::string_view name) { return files.dictionary(name); });
        PracticeWindow window(deck, services);
        window.open();
        window.repaint();
        const auto t1 = Clock::now();
        open.push_back(ms(t0, t1));
        // Wrong answers keep the item: three letters typed, the fourth answers and is timed.
        for (int i = 0; i < 10; ++i) {
            for (int k = 0; k < 3; ++k)
                press(window, Qt::Key_X, 'x');
            const auto a0 = Clock::now();
            press(window, Qt::Key_X, 'x');
            window.repaint();
            answer.push_back(ms(a0, Clock::now()));
            QApplication::processEvents(); // the pictures follow
        }
    }
    std::filesystem::remove_all(copy);

    bench::Figures figures(true);
    figures.add("practice_window_open_ms", median(open));
    figures.add("practice_key_to_feedback_ms", median(answer));
    figures.add("practice_key_to_feedback_max_ms", *std::max_element(answer.begin(), answer.end()));
    return out.empty() || figures.write(out) ? 0 : 1;
}
