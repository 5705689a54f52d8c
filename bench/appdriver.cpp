// Drives the real program in an X server of its own and times it from outside: the program is
// started by this driver, the windows are seen when the X server maps them (MapNotify on the
// root window), keys and clicks are XTest events, memory and CPU time come from /proc.
//
//   bench_app_driver --program=PATH --out=FILE [--probe=LIBRARY] [--strokes=DIGITS]
//                    [--repeats=N] [--clicks=N] [--hotkey-trials=N] [--idle-seconds=S]
//                    [--settle-seconds=S]
//
// The program's folder must hold its files and set.txt with F1 for the chart window and F2 for
// the lookup window (the shipped choice). --probe is the repaint probe, loaded with LD_PRELOAD;
// without it there is no click-to-repaint figure. Figures go to FILE as "name: value" lines.
#include "bench/figures.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using tovrin::bench::Figures;

using Clock = std::chrono::steady_clock;

constexpr const char* kChartTitle = " Tovrin";
constexpr const char* kLookupTitle = "Mirel鼠标打字笔画输入法";
constexpr double kTwipsPerPixel = 15;

struct Options {
    std::string program;
    std::string out;
    std::string probe;
    std::string strokes = "2511";
    int repeats = 20;
    int clicks = 2000;
    int hotkeyTrials = 5;
    double idleSeconds = 60;
    double settleSeconds = 35;
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

Clock::time_point msFromNow(double t) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(
                              std::chrono::duration<double, std::milli>(t));
}

void sleepMs(double t) {
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(t));
}

double median(std::vector<double> v) {
    if (v.empty())
        return std::nan("");
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class Driver {
public:
    explicit Driver(Display* dpy) : dpy_(dpy), root_(DefaultRootWindow(dpy)) {
        XSelectInput(dpy_, root_, SubstructureNotifyMask);
        utf8_ = XInternAtom(dpy_, "UTF8_STRING", False);
        netName_ = XInternAtom(dpy_, "_NET_WM_NAME", False);
        XSync(dpy_, False);
    }

    // Waits for a top-level window with this title to be mapped; its id and when the event
    // arrived, or nothing after `timeoutMs`.
    std::optional<std::pair<Window, Clock::time_point>> waitMapped(const std::string& title,
                                                                   double timeoutMs) {
        const auto deadline = msFromNow(timeoutMs);
        for (;;) {
            while (XPending(dpy_)) {
                XEvent e;
                XNextEvent(dpy_, &e);
                const auto at = Clock::now();
                if (e.type == MapNotify && name(e.xmap.window) == title)
                    return std::pair{e.xmap.window, at};
            }
            if (!waitForEvents(deadline))
                return std::nullopt;
        }
    }

    // Waits for a window to be unmapped or destroyed.
    bool waitGone(Window w, double timeoutMs) {
        const auto deadline = msFromNow(timeoutMs);
        for (;;) {
            while (XPending(dpy_)) {
                XEvent e;
                XNextEvent(dpy_, &e);
                if ((e.type == UnmapNotify && e.xunmap.window == w) ||
                    (e.type == DestroyNotify && e.xdestroywindow.window == w))
                    return true;
            }
            if (!waitForEvents(deadline))
                return false;
        }
    }

    // Puts a key down (true) or up; returns when the server has it.
    void key(KeySym sym, bool down) {
        XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, sym), down ? True : False, 0);
        XSync(dpy_, False);
    }

    void click(int x, int y) {
        XTestFakeMotionEvent(dpy_, -1, x, y, 0);
        XTestFakeButtonEvent(dpy_, 1, True, 0);
        XTestFakeButtonEvent(dpy_, 1, False, 0);
        XSync(dpy_, False);
    }

    // Where a window's top-left corner is on the screen.
    std::pair<int, int> origin(Window w) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(dpy_, w, root_, 0, 0, &x, &y, &child);
        return {x, y};
    }

private:
    bool waitForEvents(Clock::time_point deadline) {
        const double left = ms(deadline - Clock::now());
        if (left <= 0)
            return false;
        pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::ceil(left)));
        return true;
    }

    std::string name(Window w) {
        std::string out;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dpy_, w, netName_, 0, 1024, False, utf8_, &type, &format, &count,
                               &after, &data) == Success &&
            data) {
            out.assign(reinterpret_cast<char*>(data), count);
            XFree(data);
            return out;
        }
        char* plain = nullptr;
        if (XFetchName(dpy_, w, &plain) && plain) {
            out = plain;
            XFree(plain);
        }
        return out;
    }

    Display* dpy_;
    Window root_;
    Atom utf8_;
    Atom netName_;
};

// A field of /proc/PID/status in MiB: VmRSS, or its parts RssAnon (the heap and other private
// memory) and RssFile (pages of mapped files: the program, its libraries, fonts, dictionaries).
double statusMiB(pid_t pid, const std::string& field = "VmRSS") {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024;
    return std::nan("");
}

double rssMiB(pid_t pid) {
    return statusMiB(pid);
}

// utime + stime of every thread, in clock ticks (/proc/PID/stat, fields 14 and 15).
long cpuTicks(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const auto close = all.rfind(')'); // the command name may hold spaces
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(all.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stol(field);
        if (i == 15)
            stime = std::stol(field);
    }
    return utime + stime;
}

// Nanoseconds on the CPU summed over the threads (/proc/PID/task/*/schedstat, first field).
// Adds up what `read` takes from each thread's folder under /proc/PID/task.
template <typename Read> double sumOverThreads(pid_t pid, Read read) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    if (DIR* d = opendir(tasks.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] != '.')
                total += read(tasks + "/" + e->d_name);
        }
        closedir(d);
    }
    return total;
}
double cpuNs(pid_t pid) {
    return sumOverThreads(pid, [](const std::string& task) {
        std::ifstream f(task + "/schedstat");
        double ns = 0;
        return f >> ns ? ns : 0.0;
    });
}
// How often the program's threads were switched in: each wake-up counts once.
double contextSwitches(pid_t pid) {
    return sumOverThreads(pid, [](const std::string& task) {
        std::ifstream f(task + "/status");
        std::string line;
        double n = 0;
        while (std::getline(f, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                n += std::stod(line.substr(line.find(':') + 1));
        return n;
    });
}

std::size_t lineCount(const std::string& path) {
    std::ifstream f(path);
    std::size_t n = 0;
    std::string line;
    while (std::getline(f, line))
        ++n;
    return n;
}

std::vector<double> readNumbers(const std::string& path) {
    std::ifstream f(path);
    std::vector<double> out;
    double v;
    while (f >> v)
        out.push_back(v);
    return out;
}

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&a](const char* flag, std::string& out) {
            const std::size_t n = std::strlen(flag);
            if (a.compare(0, n, flag) != 0)
                return false;
            out = a.substr(n);
            return true;
        };
        std::string v;
        if (value("--program=", o.program) || value("--out=", o.out) ||
            value("--probe=", o.probe) || value("--strokes=", o.strokes))
            continue;
        if (value("--repeats=", v))
            o.repeats = std::stoi(v);
        else if (value("--clicks=", v))
            o.clicks = std::stoi(v);
        else if (value("--hotkey-trials=", v))
            o.hotkeyTrials = std::max(1, std::stoi(v));
        else if (value("--idle-seconds=", v))
            o.idleSeconds = std::stod(v);
        else if (value("--settle-seconds=", v))
            o.settleSeconds = std::stod(v);
        else
            return false;
    }
    return !o.program.empty() && !o.out.empty() && !o.strokes.empty() &&
           o.strokes.find_first_not_of("12345") == std::string::npos;
}

int run(const Options& o) {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::cerr << "bench_app_driver: no X display\n";
        return 3;
    }
    int ev, err, major, minor;
    if (!XTestQueryExtension(dpy, &ev, &err, &major, &minor)) {
        std::cerr << "bench_app_driver: the X server has no XTEST\n";
        return 3;
    }
    fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC); // not the program's
    Driver x(dpy);
    Figures fig(true);
    const std::string repaintLog = o.out + ".repaint";
    std::remove(repaintLog.c_str());

    // --- Start: from just before the process is created to the chart window mapped.
    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!o.probe.empty()) {
            setenv("LD_PRELOAD", o.probe.c_str(), 1);
            setenv("TOVRIN_BENCH_REPAINT_LOG", repaintLog.c_str(), 1);
        }
        execl(o.program.c_str(), o.program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    struct Ender {
        pid_t pid;
        ~Ender() {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    } ender{pid};
    auto fail = [](const std::string& what) {
        std::cerr << "bench_app_driver: " << what << '\n';
        return 1;
    };

    const auto chart = x.waitMapped(kChartTitle, 20000);
    if (!chart)
        return fail("the chart window was not mapped within 20 s");
    fig.add("start_to_chart_ms", ms(chart->second - started), 1);
    sleepMs(1000); // the settings (and with them the hot keys) load 6 ms after the start
    fig.add("rss_start_mb", rssMiB(pid), 1);

    // --- The lookup hot key, held until the window is mapped. Between trials ESC puts both
    // windows away and F1 brings the chart back; the pause before each press varies over a
    // poll period so that the presses fall at every phase of the 66 ms poll.
    std::vector<double> hotkey;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> phase(0, 66);
    Window lookup = 0;
    for (int trial = 0; trial < o.hotkeyTrials; ++trial) {
        if (trial > 0) {
            // Each key is held until what it does has happened: a busy program (a cold font
            // cache, a loaded machine) may poll the keys late, and a tap of fixed length would
            // then be missed.
            x.key(XK_Escape, true);
            const bool gone = x.waitGone(lookup, 30000);
            x.key(XK_Escape, false);
            if (!gone)
                return fail("ESC did not close the lookup window within 30 s");
            x.key(XK_F1, true);
            const bool back = x.waitMapped(kChartTitle, 30000).has_value();
            x.key(XK_F1, false);
            if (!back)
                return fail("F1 did not show the chart window within 30 s");
        }
        sleepMs(300 + phase(random));
        x.key(XK_F2, true);
        const auto down = Clock::now();
        const auto shown = x.waitMapped(kLookupTitle, 30000);
        x.key(XK_F2, false);
        if (!shown)
            return fail("the lookup hot key showed no window within 30 s");
        lookup = shown->first;
        hotkey.push_back(ms(shown->second - down));
    }
    fig.add("hotkey_to_lookup_ms", *std::max_element(hotkey.begin(), hotkey.end()), 1);
    fig.add("hotkey_to_lookup_first_ms", hotkey.front(), 1);
    fig.add("hotkey_to_lookup_median_ms", median(hotkey), 1);
    sleepMs(500);
    fig.add("rss_mb", rssMiB(pid), 1);

    // The lookup window's controls, in pixels on the screen (15 twips to a pixel).
    const auto [left, top] = x.origin(lookup);
    auto at = [left, top](double twipsX, double twipsY) {
        return std::pair{left + static_cast<int>(std::lround(twipsX / kTwipsPerPixel)),
                         top + static_cast<int>(std::lround(twipsY / kTwipsPerPixel))};
    };
    auto strokeButton = [&at](int digit) { return at(90 + 450 * (digit - 1) + 232, 375 + 217); };
    const auto clear = at(2910 + 232, 375 + 217);                                   // "清"
    auto cell = [&at](int i) { return at(195 + 407 * (i % 17) + 140, 990 + 147); }; // row one
    // Clicks a stroke button and waits until the probe logged the repaint, if it runs.
    auto stroke = [&](int digit) {
        const std::size_t before = o.probe.empty() ? 0 : lineCount(repaintLog);
        const auto [bx, by] = strokeButton(digit);
        x.click(bx, by);
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (!o.probe.empty() && lineCount(repaintLog) == before && Clock::now() < deadline)
            sleepMs(1);
        return !o.probe.empty() && lineCount(repaintLog) > before;
    };

    // --- Click to repaint at the given stroke string: "清", then its strokes; the last click's
    // time counts.
    if (!o.probe.empty()) {
        std::vector<double> last;
        for (int r = 0; r < o.repeats; ++r) {
            x.click(clear.first, clear.second);
            sleepMs(50);
            bool logged = true;
            for (char d : o.strokes) {
                logged = stroke(d - '0');
                sleepMs(30);
            }
            if (logged)
                last.push_back(readNumbers(repaintLog).back());
        }
        const std::vector<double> all = readNumbers(repaintLog);
        if (last.empty())
            return fail("the repaint probe logged nothing");
        fig.add("click_to_repaint_ms", median(last), 2);
        fig.add("click_to_repaint_max_ms", *std::max_element(last.begin(), last.end()), 2);
        fig.add("click_to_repaint_all_clicks_max_ms", *std::max_element(all.begin(), all.end()), 2);
        fig.add("click_to_repaint_strokes", std::stod(o.strokes), 0);
        fig.add("click_to_repaint_samples", static_cast<double>(last.size()), 0);
    }

    // --- Memory over many clicks: four strokes, a pick on a cell of the first row, "清".
    sleepMs(500);
    const double rssBefore = rssMiB(pid);
    const double anonBefore = statusMiB(pid, "RssAnon");
    const double fileBefore = statusMiB(pid, "RssFile");
    std::mt19937 digits(11);
    std::uniform_int_distribution<int> digit(1, 5);
    // The last 1,000 clicks (the second half of the 2,000 made unless --clicks says otherwise)
    // are measured by themselves: what they add is what the program keeps adding.
    const int lastFrom = std::max(0, o.clicks - 1000);
    double rssHalfway = rssBefore;
    double anonHalfway = anonBefore;
    for (int i = 0; i < o.clicks; ++i) {
        if (i == lastFrom) {
            sleepMs(1000);
            rssHalfway = rssMiB(pid);
            anonHalfway = statusMiB(pid, "RssAnon");
        }
        if (i % 6 == 4) {
            const auto [cx, cy] = cell(i / 6 % 17);
            x.click(cx, cy);
        } else if (i % 6 == 5) {
            x.click(clear.first, clear.second);
        } else {
            const auto [bx, by] = strokeButton(digit(digits));
            x.click(bx, by);
        }
        sleepMs(8);
    }
    sleepMs(1000);
    const double rssAfter = rssMiB(pid);
    fig.add("rss_after_clicks_mb", rssAfter, 1);
    // Over the clicks made (2,000 unless --clicks says otherwise), and over their second half.
    fig.add("rss_growth_mb_all_clicks", rssAfter - rssBefore, 2);
    fig.add("rss_growth_mb_last_1000_clicks", rssAfter - rssHalfway, 2);
    // Anonymous memory over the last 1,000 clicks is the leak check; file pages (the CJK font
    // mapped as new glyphs are drawn) are reported, not budgeted. Two things there grow until
    // they are full: Qt's glyph cache, with each character drawn for the first time, and the
    // history box, up to its 1,000 lines (a pick in six clicks adds one).
    const double anonAfter = statusMiB(pid, "RssAnon");
    fig.add("rss_anon_growth_mb_last_1000_clicks", anonAfter - anonHalfway, 2);
    fig.add("rss_file_growth_mb", statusMiB(pid, "RssFile") - fileBefore, 2);
    fig.add("rss_growth_anon_mb", anonAfter - anonBefore, 2);
    fig.add("clicks", o.clicks, 0);

    // --- Idle: both windows open, nothing touched. The first seconds after the clicks are
    // reported apart: Qt flushes its pixmap cache 30 s after the last paint (about 10 ms of work,
    // once), which is the clicks' doing, not the idle program's.
    sleepMs(2000);
    if (o.settleSeconds > 0) {
        const long settleTicks = cpuTicks(pid);
        const auto settle0 = Clock::now();
        sleepMs(o.settleSeconds * 1000);
        const double settleWall = ms(Clock::now() - settle0) / 1000;
        fig.add("after_clicks_cpu_percent",
                100.0 * static_cast<double>(cpuTicks(pid) - settleTicks) /
                    static_cast<double>(sysconf(_SC_CLK_TCK)) / settleWall,
                3);
        fig.add("after_clicks_seconds", settleWall, 1);
    }
    const long ticks0 = cpuTicks(pid);
    const double ns0 = cpuNs(pid);
    const double switches0 = contextSwitches(pid);
    const auto idle0 = Clock::now();
    sleepMs(o.idleSeconds * 1000);
    const double wall = ms(Clock::now() - idle0) / 1000;
    const long ticks = cpuTicks(pid) - ticks0;
    const double ns = cpuNs(pid) - ns0;
    fig.add("idle_cpu_percent",
            100.0 * static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK)) / wall,
            3);
    fig.add("idle_cpu_percent_schedstat", 100.0 * ns / 1e9 / wall, 3);
    fig.add("idle_wakeups_per_s", (contextSwitches(pid) - switches0) / wall, 2);
    fig.add("idle_seconds", wall, 1);

    int status = 0;
    if (waitpid(pid, &status, WNOHANG) != 0)
        return fail("the program ended during the run");
    if (!fig.write(o.out))
        return fail("cannot write " + o.out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::cerr << "usage: bench_app_driver --program=PATH --out=FILE [--probe=LIBRARY] "
                     "[--strokes=DIGITS] [--repeats=N] [--clicks=N] [--hotkey-trials=N] "
                     "[--idle-seconds=S] [--settle-seconds=S]\n";
        return 2;
    }
    return run(o);
}
