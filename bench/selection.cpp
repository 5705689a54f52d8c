// A selection looked up, offscreen: 200 characters of Chinese text with punctuation taken from
// the clipboard, cut into words and characters, their code lines put on top of the lookup
// window's history box and painted. The median and the slowest of several runs.
// Usage: bench_selection --data=DIR [--out=FILE]
#include "bench/figures.h"
#include "platform/programfiles.h"
#include "ui/common/fonts.h"
#include "ui/lookup/form3.h"

#include <QApplication>
#include <QClipboard>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tovrin;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string data, out;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a.starts_with("--data="))
            data = a.substr(7);
        else if (a.starts_with("--out="))
            out = a.substr(6);
    }
    if (data.empty()) {
        std::fprintf(stderr, "usage: bench_selection --data=DIR [--out=FILE]\n");
        return 2;
    }
    QApplication app(argc, argv);
    platform::registerFontSubstitutions();
    const gbk::Codec codec;
    Form3::Services services;
    services.isFirstInstance = [] { return true; };
    Form3 lookup(codec, platform::ProgramFiles(data, std::string()), services);
    if (!lookup.Form_Load())
        return 1;
    lookup.show();
    lookup.repaint();

    // 200 characters of running text: words, single characters, punctuation.
    const QString sentence = QStringLiteral("我们的学习计划是每天练习五笔输入法，中华人民共和国的"
                                            "汉字很多，常用的大约三千个。");
    QString text;
    while (text.size() < 200)
        text += sentence;
    QGuiApplication::clipboard()->setText(text.left(200));

    std::vector<double> ms;
    for (int run = 0; run < 15; ++run) {
        const auto t0 = Clock::now();
        const QString selected = QGuiApplication::clipboard()->text();
        if (!lookup.lookUpText(selected))
            return 1;
        lookup.repaint();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        QApplication::processEvents();
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    bench::Figures figures(true);
    figures.add("selection_to_painted_lines_ms", sorted[sorted.size() / 2]);
    figures.add("selection_to_painted_lines_max_ms", sorted.back());
    return out.empty() || figures.write(out) ? 0 : 1;
}
