// A desktop portal of the tests' own on the bus at argv[1]: answers the global shortcuts' calls
// as the real one does, each request's Response on its request path (here before the call's
// reply, which the real one may do too), and prints "ready", then a line for each call. With
// --refuse the learner cancels the shortcuts' dialog. Orders on its input, one a line:
// "activate SESSION ID" (the key ID of that session was pressed), "close SESSION" (the desktop
// ends it).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QSocketNotifier>

#include <unistd.h>

#include <cstdio>

namespace {

using Entry = QPair<QString, QVariantMap>;
const QString kPath = "/org/freedesktop/portal/desktop";

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

struct Portal : QDBusVirtualObject {
    bool refuse = false;
    QString client; // the last caller's unique name

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        const QVariantList args = m.arguments();
        client = m.service();
        const QString member = m.member(), sender = client.mid(1).replace('.', '_');
        const auto respond = [&](const QVariant& token, uint code, const QVariantMap& results) {
            const QString request = kPath + "/request/" + sender + '/' + token.toString();
            bus.send(
                QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response")
                << code << results);
            bus.send(m.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        };
        if (member == "Get") {
            bus.send(args.value(0) == "org.freedesktop.portal.GlobalShortcuts"
                         ? m.createReply(QVariant::fromValue(QDBusVariant(1u)))
                         : m.createErrorReply(QDBusError::InvalidArgs, "no such interface"));
        } else if (member == "Register") {
            say("Register " + args.value(0).toString());
            bus.send(m.createReply());
        } else if (member == "CreateSession") {
            const auto options = qdbus_cast<QVariantMap>(args.value(0));
            const QString session =
                kPath + "/session/" + sender + '/' + options["session_handle_token"].toString();
            say("CreateSession " + session);
            respond(options["handle_token"], 0, {{"session_handle", session}});
        } else if (member == "BindShortcuts") {
            QString line = "BindShortcuts " + args.value(0).value<QDBusObjectPath>().path();
            QList<Entry> bound;
            for (Entry e : qdbus_cast<QList<Entry>>(args.value(1))) {
                const QString trigger = e.second["preferred_trigger"].toString();
                line += ' ' + e.first + '=' + trigger;
                e.second = {{"trigger_description", "Press " + trigger}};
                bound.prepend(e); // in an order of the desktop's own
            }
            say(line);
            respond(qdbus_cast<QVariantMap>(args.value(3))["handle_token"], refuse ? 1 : 0,
                    {{"shortcuts", QVariant::fromValue(bound)}});
        } else if (member == "Close") {
            say("Close " + m.path());
            bus.send(m.createReply());
        } else {
            bus.send(m.createErrorReply(QDBusError::UnknownMethod, member));
        }
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qDBusRegisterMetaType<Entry>();
    qDBusRegisterMetaType<QList<Entry>>();
    QDBusConnection bus = QDBusConnection::connectToBus(app.arguments().value(1), "bus");
    Portal portal;
    portal.refuse = app.arguments().contains("--refuse");
    if (!bus.registerVirtualObject(kPath, &portal, QDBusConnection::SubPath) ||
        !bus.registerService("org.freedesktop.portal.Desktop"))
        return 1;
    QByteArray input;
    QSocketNotifier orders(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&orders, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0)
            QCoreApplication::quit(); // the test is gone
        input.append(buffer, std::max<ssize_t>(n, 0));
        for (qsizetype end; (end = input.indexOf('\n')) >= 0; input.remove(0, end + 1)) {
            const QStringList order = QString::fromUtf8(input.left(end)).split(' ');
            if (order[0] == "activate")
                bus.send(
                    QDBusMessage::createTargetedSignal(
                        portal.client, kPath, "org.freedesktop.portal.GlobalShortcuts", "Activated")
                    << QVariant::fromValue(QDBusObjectPath(order.value(1))) << order.value(2)
                    << quint64(0) << QVariantMap());
            else
                bus.send(QDBusMessage::createTargetedSignal(portal.client, order.value(1),
                                                            "org.freedesktop.portal.Session",
                                                            "Closed")
                         << QVariantMap());
        }
    });
    say("ready");
    return app.exec();
}
