// The global shortcuts through a desktop portal of the tests' own (fakeportal.cpp), on a private
// session bus: the client is tested across the bus, by the protocol the real portal speaks.
#include "platform/globalshortcuts.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using tovrin::platform::GlobalShortcuts;

// A bus of its own and, unless told otherwise, the portal on it; both end with it.
struct PrivateBus {
    QTemporaryDir dir;
    QProcess daemon, portal;
    QString address;
    QString log;

    bool start(const QStringList& portalOptions) {
        QFile config(dir.filePath(u"bus.conf"_s));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write("<busconfig><type>session</type><listen>unix:dir=" + dir.path().toUtf8() +
                     "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                     "<allow own=\"*\"/></policy></busconfig>");
        config.close();
        daemon.start(u"dbus-daemon"_s, {u"--nofork"_s, u"--print-address"_s,
                                        u"--config-file="_s + config.fileName()});
        if (!daemon.waitForReadyRead(5000))
            return false;
        address = QString::fromUtf8(daemon.readLine().trimmed());
        if (portalOptions.contains(u"--none"_s))
            return true;
        portal.start(QCoreApplication::applicationDirPath() + u"/fake_portal"_s,
                     QStringList{address} + portalOptions);
        return portal.waitForReadyRead(5000) && portal.readLine() == "ready\n";
    }
    QDBusConnection connect() { return QDBusConnection::connectToBus(address, address); }
    // The calls the portal has taken, one line each.
    QStringList calls() {
        log += QString::fromUtf8(portal.readAll());
        return log.split(u'\n', Qt::SkipEmptyParts);
    }
    void order(const QString& line) { portal.write((line + u'\n').toUtf8()); }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(address);
        portal.kill();
        portal.waitForFinished();
        daemon.kill();
        daemon.waitForFinished();
    }
};

const QList<GlobalShortcuts::Shortcut> kKeys = {
    {u"chart"_s, u"Show the chart"_s, u"F1"_s},
    {u"lookup"_s, u"Look up a character"_s, u"F2"_s},
    {u"escape"_s, u"Put the windows away"_s, u"Escape"_s},
};
const QString kAppId = u"example.tovrin.Tovrin"_s;

class GlobalShortcutsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bindsPassesPressesAndBindsAgain() {
        PrivateBus bus;
        QVERIFY(bus.start({}));
        int offered = -1;
        GlobalShortcuts::probe(bus.connect(), this, [&](bool yes) { offered = yes; });
        QTRY_COMPARE(offered, 1);
        GlobalShortcuts keys(bus.connect(), kAppId);
        QSignalSpy bound(&keys, &GlobalShortcuts::bound),
            pressed(&keys, &GlobalShortcuts::activated), failed(&keys, &GlobalShortcuts::failed);
        keys.bind(kKeys);
        QTRY_COMPARE(bound.size(), 1);
        QCOMPARE(bound[0][0].toStringList(),
                 QStringList({u"Press F1"_s, u"Press F2"_s, u"Press Escape"_s}));
        QTRY_COMPARE(bus.calls().size(), 3);
        QStringList calls = bus.calls();
        QCOMPARE(calls[0], u"Register "_s + kAppId); // before any other call
        const QString first = calls[1].section(u' ', 1);
        QCOMPARE(calls[1], u"CreateSession "_s + first);
        QCOMPARE(calls[2], u"BindShortcuts "_s + first + u" chart=F1 lookup=F2 escape=Escape"_s);
        // Another session's key comes first and is not ours.
        bus.order(u"activate /org/freedesktop/portal/desktop/session/x/y chart"_s);
        bus.order(u"activate "_s + first + u" lookup"_s);
        QTRY_COMPARE(pressed.size(), 1);
        QCOMPARE(pressed[0][0].toString(), u"lookup"_s);

        // Other keys from the settings: the first session ends, another binds them, its keys
        // alone count, and the desktop ending it fails the keys.
        auto other = kKeys;
        other[0].preferredTrigger = u"F5"_s;
        keys.bind(other);
        QTRY_COMPARE(bound.size(), 2);
        QTRY_COMPARE(bus.calls().size(), 6); // no second Register: the portal refuses one
        calls = bus.calls();
        QCOMPARE(calls[3], u"Close "_s + first);
        const QString second = calls[4].section(u' ', 1);
        QVERIFY(second != first);
        QCOMPARE(calls[5], u"BindShortcuts "_s + second + u" chart=F5 lookup=F2 escape=Escape"_s);
        bus.order(u"activate "_s + first + u" chart"_s);
        bus.order(u"activate "_s + second + u" escape"_s);
        QTRY_COMPARE(pressed.size(), 2);
        QCOMPARE(pressed[1][0].toString(), u"escape"_s);
        QVERIFY(failed.isEmpty());
        bus.order(u"close "_s + second);
        QTRY_COMPARE(failed.size(), 1);
    }

    void whatFailsIsSaid() {
        for (const char* option : {"--refuse", "--none"}) {
            PrivateBus bus;
            QVERIFY(bus.start({QString::fromLatin1(option)}));
            int offered = -1;
            GlobalShortcuts::probe(bus.connect(), this, [&](bool yes) { offered = yes; });
            QTRY_VERIFY(offered >= 0);
            QCOMPARE(offered == 1, bus.portal.state() == QProcess::Running);
            GlobalShortcuts keys(bus.connect(), kAppId);
            QSignalSpy bound(&keys, &GlobalShortcuts::bound),
                failed(&keys, &GlobalShortcuts::failed);
            keys.bind(kKeys);
            QTRY_COMPARE(failed.size(), 1);
            QVERIFY(bound.isEmpty());
            if (offered == 0) {
                QCOMPARE(failed[0][0].toString(), u"no desktop portal runs in this session"_s);
                continue;
            }
            // The learner cancelled the dialog; the session, good for nothing now, is closed.
            QVERIFY(failed[0][0].toString().contains(u"cancelled"_s));
            QTRY_COMPARE(bus.calls().size(), 4);
            QCOMPARE(bus.calls()[3], u"Close "_s + bus.calls()[1].section(u' ', 1));
        }
    }
};

QTEST_GUILESS_MAIN(GlobalShortcutsTest)
#include "globalshortcuts_test.moc"
