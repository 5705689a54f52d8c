// Keys pressed in a headless mutter through its RemoteDesktop interface, as a user at the
// keyboard would: prints "ready" once its session runs, then for each keysym read on standard
// input (one a line, as 0xff1b) presses and releases that key and prints "sent".
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusInterface desktop(service, QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), service,
                           bus);
    const QDBusReply<QDBusObjectPath> created = desktop.call(QStringLiteral("CreateSession"));
    if (!created.isValid()) {
        std::fprintf(stderr, "no remote desktop session: %s\n",
                     qPrintable(created.error().message()));
        return 1;
    }
    // The session lives as long as this connection does.
    QDBusInterface session(service, created.value().path(), service + QStringLiteral(".Session"),
                           bus);
    if (const QDBusReply<void> started = session.call(QStringLiteral("Start"));
        !started.isValid()) {
        std::fprintf(stderr, "the session did not start: %s\n",
                     qPrintable(started.error().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
        const uint keysym = static_cast<uint>(std::stoul(line, nullptr, 0));
        for (const bool down : {true, false})
            session.call(QStringLiteral("NotifyKeyboardKeysym"), keysym, down);
        std::puts("sent");
        std::fflush(stdout);
    }
    return 0;
}
