// The program: the chart window starts it, and the application lives in the tray.
#include "core/practice/deck.h"
#include "core/settings/setline.h"
#include "core/text/gbk.h"
#include "platform/commands.h"
#include "platform/globalshortcuts.h"
#include "platform/keystate.h"
#include "platform/paths.h"
#include "platform/programfiles.h"
#include "platform/promotion.h"
#include "platform/runtimefolder.h"
#include "platform/selection.h"
#include "platform/showdesktop.h"
#include "platform/singleinstance.h"
#include "ui/chart/form1.h"
#include "ui/common/fonts.h"
#include "ui/common/messagebox.h"
#include "ui/common/windowkeys.h"
#include "ui/practice/practicedeck.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDialog>
#include <QFontDatabase>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>

namespace {

constexpr const char* kUsage =
    "usage: tovrin [--help] [--version]\n"
    "              [--chart | --lookup | --selection | --practice [--at TIME] | --hide | --quit]\n"
    "\n"
    "Starts the Wubi 86 radical chart and its lookup window, which live in the tray; F1 and F2\n"
    "(chosen in the chart window's settings) call them up from any application, ESC puts them\n"
    "away. Qt's own options (-platform, -display, ...) are understood as well.\n"
    "\n"
    "The commands act on the running program, for desktops whose hot keys are bound in their\n"
    "own settings (Wayland): --chart and --lookup do what the two hot keys do (starting the\n"
    "program first when none runs), --selection opens the lookup window with the text selected\n"
    "(or else copied) looked up, --practice opens the practice window (the tray's 练习;\n"
    "with --at TIME, such as 2026-12-08T10:00:00Z, its session's clock starts then),\n"
    "--hide does what ESC does, --quit ends the program.\n";

// --help and --version answer before anything starts (no display is needed for them).
// -1: go on.
int answerAtOnce(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return std::fflush(stdout) == 0 ? 0 : 4;
        }
        if (a == "--version") {
            std::fputs("tovrin " TOVRIN_VERSION "\n", stdout);
            return std::fflush(stdout) == 0 ? 0 : 4;
        }
    }
    return -1;
}

// The command among the arguments, taken out of them so that Qt does not see it; "" for none.
// --practice may be followed by --at TIME, the practice session's start: "practice TIME".
// Two commands, or --at without --practice or with a TIME that is none, are a usage error ("?").
std::string takeCommand(int& argc, char** argv) {
    std::string command;
    std::string at;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--chart" || a == "--lookup" || a == "--selection" || a == "--practice" ||
            a == "--hide" || a == "--quit") {
            if (!command.empty())
                return "?";
            command = a.substr(2);
        } else if (a == "--at" && i + 1 < argc) {
            at = argv[++i];
        } else if (a.starts_with("--at=")) {
            at = a.substr(5);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (!at.empty()) {
        if (command != "practice" || !tovrin::practice::parseTime(at))
            return "?";
        command += ' ' + at;
    }
    return command;
}

// Passes the command to the running program. Returns the exit status, or -1 when none runs and
// this process is to start the program and then act.
int passCommand(std::string_view command) {
    using tovrin::platform::Sent;
    const int length = static_cast<int>(command.size());
    const std::string path = tovrin::platform::commandSocketPath();
    switch (tovrin::platform::sendCommand(path, command)) {
    case Sent::Done:
        return 0;
    case Sent::NoAnswer:
        std::fprintf(stderr, "tovrin: the running program did not answer --%.*s\n", length,
                     command.data());
        return 1;
    case Sent::Refused:
        std::fprintf(stderr,
                     "tovrin: the running program cannot do --%.*s while one of its dialogs is "
                     "open: close the dialog first\n",
                     length, command.data());
        return 1;
    case Sent::Failed:
        std::fprintf(stderr,
                     "tovrin: --%.*s: the text selected or copied could not be read: the program "
                     "that holds it did not answer within a second\n",
                     length, command.data());
        return 1;
    case Sent::Foreign:
        std::fprintf(stderr, "tovrin: %s belongs to another user's process: --%.*s not sent\n",
                     path.c_str(), length, command.data());
        return 1;
    case Sent::NotRunning:
        break;
    }
    if (command == "hide" || command == "quit") {
        // Nothing listens; a running copy that could not listen still holds the lock.
        const tovrin::platform::SingleInstance probe;
        using State = tovrin::platform::SingleInstance::State;
        if (probe.state() == State::Another) {
            std::fprintf(stderr,
                         "tovrin: the program runs (process %lld) but takes no commands (its "
                         "error output says why): --%.*s not done\n",
                         static_cast<long long>(probe.holder()), length, command.data());
            return 1;
        }
        if (probe.state() == State::Unchecked) {
            std::fprintf(stderr, "tovrin: cannot tell whether the program runs: %s\n",
                         probe.why().c_str());
            return 1;
        }
        std::printf("tovrin: the program is not running: nothing to do\n");
        return std::fflush(stdout) == 0 ? 0 : 4;
    }
    return -1;
}

// Anything left once Qt has taken its own options is not understood: a usage error, 2.
int refuseTheRest() {
    const QStringList args = QCoreApplication::arguments();
    if (args.size() <= 1)
        return -1;
    std::fprintf(stderr, "tovrin: not understood: %s\n%s", args[1].toLocal8Bit().constData(),
                 kUsage);
    return 2;
}

// In a Wayland session with an X server beside it (Xwayland), the windows run through it unless
// the user chose a platform: there the desktop's own window manager keeps the lookup window at
// its place and on top, moves it as the program asks, and shows the desktop; a Wayland
// compositor lets a program do none of these. Natively on Wayland (QT_QPA_PLATFORM=wayland, or
// no Xwayland) the windows still work, at places the compositor chooses.
void choosePlatform(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY") ||
        !tovrin::platform::waylandSession())
        return;
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            return;
    qputenv("QT_QPA_PLATFORM", "xcb");
}

// The application, with the one boundary no exception passes: whatever an event's handler
// throws (a file that cannot be read as it should, memory run out) is told and the program
// goes on; Qt itself cannot carry an exception out of its event loop.
class Application : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            failed(e.what());
        } catch (...) {
            failed("an unknown error");
        }
        return false;
    }

private:
    void failed(const char* what) {
        std::fprintf(stderr, "tovrin: %s; the program goes on\n", what);
        const QString text =
            QStringLiteral("出错了：%1。程序继续运行。").arg(QString::fromLocal8Bit(what));
        // Told after the event, once: the same failure again is not told again.
        if (told_.contains(text))
            return;
        told_ << text;
        QTimer::singleShot(0, this, [text] { tovrin::tellOver(QStringLiteral("提示！"), text); });
    }

    QStringList told_;
};

} // namespace

int main(int argc, char** argv) {
    if (const int status = answerAtOnce(argc, argv); status >= 0)
        return status;
    const std::string command = takeCommand(argc, argv);
    if (command == "?") {
        std::fprintf(stderr,
                     "tovrin: one command at a time; --at TIME only with --practice, TIME as "
                     "2026-12-08T10:00:00Z\n%s",
                     kUsage);
        return 2;
    }
    if (!command.empty())
        if (const int status = passCommand(command); status >= 0)
            return status;
    choosePlatform(argc, argv);
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // The desktop ties the windows to the menu entry and its icon by this id.
    QGuiApplication::setDesktopFileName(QStringLiteral(TOVRIN_APP_ID));
    QApplication::setApplicationVersion(QStringLiteral(TOVRIN_VERSION));
    if (const int status = refuseTheRest(); status >= 0)
        return status;
    // The first copy takes the lock at its start and holds it until it exits; a later copy
    // refuses when its lookup window would open.
    const tovrin::platform::SingleInstance instance;
    if (!command.empty() && !instance.isFirst()) {
        // Another copy is starting at this moment: it takes the command once it listens.
        for (int i = 0; i < 100; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (const int status = passCommand(command); status >= 0)
                return status;
        }
        std::fprintf(stderr,
                     "tovrin: the running program (process %lld) did not take --%.*s: it takes "
                     "no commands (its error output says why)\n",
                     static_cast<long long>(instance.holder()), static_cast<int>(command.size()),
                     command.data());
        return 1;
    }
    if (instance.state() == tovrin::platform::SingleInstance::State::Unchecked)
        std::fprintf(stderr,
                     "tovrin: runs without the check for another copy and without commands: %s\n",
                     instance.why().c_str());
    tovrin::platform::registerFontSubstitutions();
    const tovrin::gbk::Codec codec;
    // X is spoken only where Qt itself runs on X: natively on Wayland the program never opens
    // (or starts) an X server, and the keys come from its own windows and the desktop's portal.
    const bool onX = QGuiApplication::platformName() == QLatin1String("xcb");
    tovrin::platform::KeyState keys(onX);

    // The dictionaries and pictures beside the program, or where it is installed.
    const tovrin::platform::ProgramFolders folders =
        tovrin::platform::programFolders(QApplication::applicationDirPath().toStdString());

    tovrin::Form1::Services services;
    services.tell = [](const QString& title, const QString& text) {
        tovrin::tellOver(title, text);
    };
    services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    services.isFirstInstance = [&instance] { return instance.isFirst(); };
    services.hotKeysAvailable = keys.available();
    // Without an X key reader the keys come from the program's own windows.
    tovrin::WindowKeys windowKeys;
    if (keys.available()) {
        services.readKeys = [&keys] { keys.read(); };
        services.keyDown = [&keys](int vk) { return keys.keyDown(vk); };
        services.keyEvents = keys.eventSource() >= 0;
    } else {
        app.installEventFilter(&windowKeys);
        services.readKeys = [&windowKeys] { windowKeys.read(); };
        services.keyDown = [&windowKeys](int vk) { return windowKeys.keyDown(vk); };
        services.keyEvents = true;
    }
    services.waylandSession = tovrin::platform::waylandSession();
    // The keys the desktop bound through its portal, as it names them.
    QString desktopKeys;
    services.desktopKeys = [&desktopKeys] { return desktopKeys; };
    services.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    services.runDialog = [](QDialog* dialog) { dialog->exec(); };
    services.quit = [] { QCoreApplication::quit(); };
    // Natively on Wayland an X server (where there is one) still shows the desktop of GNOME and
    // KDE, its own windows and the native ones; where nothing can, the user is told so.
    services.showDesktop = [] {
        if (!tovrin::platform::toggleShowDesktop())
            tovrin::tellOver(QStringLiteral("提示！"),
                             QStringLiteral("这个桌面不让程序显示桌面，请用桌面自己的方法。"));
    };
    // Only where the windows are X windows: elsewhere their ids mean nothing to an X server.
    if (onX) {
        services.bringBack = [](QWidget* window) { tovrin::platform::bringBack(window->winId()); };
        services.mapNormal = [](QWidget* window) { tovrin::platform::mapNormal(window->winId()); };
        services.keepShown = [](QWidget* window) {
            tovrin::platform::keepShownWhenInactive(window->winId());
        };
    }
    // A minimised window that is not an X window cannot be brought back by the program: it is
    // hidden instead.
    services.canRestoreMinimised = onX;
    services.promotion = tovrin::platform::promotionSources();
    // With a tray the application lives on when its windows are closed or hidden.
    QApplication::setQuitOnLastWindowClosed(!services.trayAvailable);

    const tovrin::platform::ProgramFiles files(folders);
    // The practice deck's store is opened at its first use.
    tovrin::PracticeDeck deck(codec, tovrin::platform::PracticeStore::defaultPath(),
                              [&files](std::string_view name) { return files.dictionary(name); });
    services.practiceDeck = &deck;
    // What is selected (where the desktop offers a primary selection), and what is copied. On X
    // another client serves it, and one that is slow or never answers would hold up the whole
    // program inside Qt's clipboard: it is read on a thread of its own, given a second.
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        services.readText = [&app](bool primary, tovrin::Form1::Services::TextRead done) {
            tovrin::platform::readSelection(
                primary, 1000, 16 * 1024,
                [&app, done = std::move(done)](tovrin::platform::SelectionText read) {
                    using Outcome = tovrin::platform::SelectionText::Outcome;
                    std::optional<QString> text;
                    if (read.outcome != Outcome::NoAnswer)
                        text = QString::fromUtf8(read.text);
                    QMetaObject::invokeMethod(
                        &app, [done, text] { done(text); }, Qt::QueuedConnection);
                });
        };
    } else {
        services.readText = [](bool primary, tovrin::Form1::Services::TextRead done) {
            QClipboard* clipboard = QGuiApplication::clipboard();
            if (primary && !clipboard->supportsSelection())
                done(QString());
            else
                done(clipboard->text(primary ? QClipboard::Selection : QClipboard::Clipboard));
        };
    }

    tovrin::Form1 chart(codec, files, services);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &chart,
                     [&chart](QSessionManager&) { chart.endSession(); });
    chart.show();
    // Without a face for simplified Chinese every caption shows boxes, and so would a message in
    // Chinese: this one says in English which package brings a face.
    if (QFontDatabase::families(QFontDatabase::SimplifiedChinese).isEmpty()) {
        static const char* const kNoFont =
            "No installed font covers simplified Chinese, so the windows show boxes instead of "
            "characters. Install the package fonts-noto-cjk (sudo apt install fonts-noto-cjk) "
            "and start Tovrin again.";
        std::fprintf(stderr, "tovrin: %s\n", kNoFont);
        QTimer::singleShot(0, &chart, [] {
            tovrin::tellOver(QStringLiteral("Tovrin"), QString::fromLatin1(kNoFont));
        });
    }

    // The keys as events: each batch that holds a press runs the chart window's tick at once.
    std::unique_ptr<QSocketNotifier> keyEvents;
    // A key pressed in one of the program's own windows acts once that window has had it: what
    // the key does may delete the window (ESC puts the lookup window away), never inside its
    // own event.
    QObject::connect(
        &windowKeys, &tovrin::WindowKeys::wentDown, &chart, [&chart] { chart.keyWentDown(); },
        Qt::QueuedConnection);
    if (keys.eventSource() >= 0) {
        keyEvents = std::make_unique<QSocketNotifier>(keys.eventSource(), QSocketNotifier::Read);
        QObject::connect(keyEvents.get(), &QSocketNotifier::activated, &chart, [&keys, &chart] {
            if (keys.takeEvents())
                chart.keyWentDown();
        });
        if (keys.takeEvents()) // what arrived before the watch began
            chart.keyWentDown();
    }

    // On Wayland no key pressed in another application reaches an X client or a native window:
    // where the desktop has the global-shortcuts portal, the keys chosen in the settings are
    // bound through it (the learner confirms them once in the desktop's dialog), bound anew
    // whenever the settings change them.
    tovrin::platform::GlobalShortcuts shortcuts(QDBusConnection::sessionBus(),
                                                QGuiApplication::desktopFileName());
    QObject::connect(&shortcuts, &tovrin::platform::GlobalShortcuts::activated, &chart,
                     [&chart](const QString& id) {
                         chart.command(id == QLatin1String("escape") ? "hide" : id.toStdString());
                     });
    QObject::connect(&shortcuts, &tovrin::platform::GlobalShortcuts::bound, &chart,
                     [&desktopKeys](const QStringList& triggers) {
                         QStringList named;
                         for (const QString& key : triggers.mid(0, 2))
                             if (!key.isEmpty())
                                 named << key;
                         desktopKeys = named.join(QStringLiteral(", "));
                     });
    QObject::connect(&shortcuts, &tovrin::platform::GlobalShortcuts::failed, &chart,
                     [&desktopKeys](const QString& why) {
                         desktopKeys.clear();
                         std::fprintf(stderr, "tovrin: no global keys from the desktop: %s\n",
                                      why.toLocal8Bit().constData());
                     });
    // Bound again only when the choice changed: each binding may ask the learner.
    std::pair<int, int> boundKeys{-1, -1};
    const auto bindKeys = [&shortcuts, &boundKeys](int chartKey, int lookupKey) {
        if (boundKeys == std::pair(chartKey, lookupKey))
            return;
        boundKeys = {chartKey, lookupKey};
        const auto name = [](int vk) {
            return QString::fromStdString(tovrin::settings::keyName(vk));
        };
        shortcuts.bind(
            {{QStringLiteral("chart"), QStringLiteral("显示五笔字根表"), name(chartKey)},
             {QStringLiteral("lookup"), QStringLiteral("打开五笔编码查询"), name(lookupKey)},
             // ESC bound for the whole desktop would be taken from every other
             // program: no key is asked for, the learner may give it one.
             {QStringLiteral("escape"), QStringLiteral("全部隐藏（同 ESC）"), QString()}});
    };
    if (tovrin::platform::waylandSession())
        tovrin::platform::GlobalShortcuts::probe(
            QDBusConnection::sessionBus(), &chart, [&chart, &shortcuts, bindKeys](bool offered) {
                if (!offered)
                    return;
                bindKeys(chart.state().chartKey, chart.state().lookupKey);
                QObject::connect(&chart, &tovrin::Form1::keysChosen, &shortcuts, bindKeys);
            });

    // Commands from `tovrin --chart` and friends; only the single instance listens.
    tovrin::platform::CommandServer commands(
        [&chart](std::string_view word, const tovrin::platform::CommandServer::Reply& later) {
            return chart.command(word, later);
        });
    if (instance.state() == tovrin::platform::SingleInstance::State::First) {
        const std::string path = tovrin::platform::commandSocketPath();
        if (path.empty())
            std::fprintf(stderr, "tovrin: no commands: %s\n",
                         tovrin::platform::privateRuntimeFolder().why.c_str());
        else if (const std::string why = commands.listen(path); !why.empty())
            std::fprintf(stderr, "tovrin: no commands: cannot listen at %s: %s\n", path.c_str(),
                         why.c_str());
    }
    if (command == "lookup" || command == "selection" || command.starts_with("practice"))
        QTimer::singleShot(0, &chart, [&chart, command] { chart.command(command); });
    return QApplication::exec();
}
