// The program: the chart window starts it, and the application lives in the tray.
#include "core/gbk.h"
#include "platform/keystate.h"
#include "platform/paths.h"
#include "platform/promotion.h"
#include "platform/showdesktop.h"
#include "platform/singleinstance.h"
#include "ui/chart/form1.h"
#include "ui/common/fonts.h"
#include "ui/common/messagebox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QSessionManager>
#include <QSystemTrayIcon>

#include <cstdio>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "usage: tovrin [--help] [--version]\n"
    "\n"
    "Starts the Wubi 86 radical chart and its lookup window, which live in the tray; F1 and F2\n"
    "(chosen in the chart window's settings) call them up from any application, ESC puts them\n"
    "away. Qt's own options (-platform, -display, ...) are understood as well.\n";

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

// Anything left once Qt has taken its own options is not understood: a usage error, 2.
int refuseTheRest() {
    const QStringList args = QCoreApplication::arguments();
    if (args.size() <= 1)
        return -1;
    std::fprintf(stderr, "tovrin: not understood: %s\n%s", args[1].toLocal8Bit().constData(),
                 kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (const int status = answerAtOnce(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    QApplication::setApplicationVersion(QStringLiteral(TOVRIN_VERSION));
    if (const int status = refuseTheRest(); status >= 0)
        return status;
    // The first copy takes the lock at its start and holds it until it exits; a later copy
    // refuses when its lookup window would open.
    const tovrin::platform::SingleInstance instance;
    tovrin::platform::registerFontSubstitutions();
    const tovrin::gbk::Codec codec;
    tovrin::platform::KeyState keys;

    // The dictionaries and pictures beside the program, or where it is installed.
    const tovrin::platform::ProgramFolders folders =
        tovrin::platform::programFolders(QApplication::applicationDirPath().toStdString());
    const QString folder = QString::fromStdString(folders.data);
    const QString settings = QString::fromStdString(tovrin::platform::settingsFolder(folders));

    tovrin::Form1::Services services;
    services.tell = [](const QString& title, const QString& text) {
        tovrin::tellOver(title, text);
    };
    services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    services.isFirstInstance = [&instance] { return instance.isFirst(); };
    services.readKeys = [&keys] { keys.read(); };
    services.keyDown = [&keys](int vk) { return keys.keyDown(vk); };
    services.hotKeysAvailable = keys.available();
    services.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    services.runDialog = [](QDialog* dialog) { dialog->exec(); };
    services.quit = [] { QCoreApplication::quit(); };
    services.showDesktop = [] { tovrin::platform::toggleShowDesktop(); };
    services.bringBack = [](QWidget* window) { tovrin::platform::bringBack(window->winId()); };
    services.promotion = tovrin::platform::promotionSources();
    // With a tray the application lives on when its windows are closed or hidden.
    QApplication::setQuitOnLastWindowClosed(!services.trayAvailable);

    tovrin::Form1 chart(codec, folder, settings, services);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &chart,
                     [&chart](QSessionManager&) { chart.endSession(); });
    chart.show();
    return QApplication::exec();
}
