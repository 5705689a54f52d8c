// The operating-system services the windows use.
#include "platform/commands.h"
#include "platform/singleinstance.h"
#include "platform/systeminfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

#include <future>

using namespace tovrin;

class PlatformTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onlyTheFirstCopyHoldsTheLock() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        {
            const platform::SingleInstance first(QStringLiteral("tovrin-test"));
            QVERIFY(first.isFirst());
            // Another process finds the lock held while the first lives.
            QProcess other;
            other.setProgram(QStringLiteral("/bin/sh"));
            other.setArguments({QStringLiteral("-c"), QStringLiteral("test -s \"$0\""),
                                runtime.filePath(QStringLiteral("tovrin-test.lock"))});
            other.start();
            QVERIFY(other.waitForFinished());
            QCOMPARE(other.exitCode(), 0);
            const platform::SingleInstance second(QStringLiteral("tovrin-test"));
            QVERIFY(!second.isFirst());
        }
        // Once the first copy is gone the next one is first again.
        const platform::SingleInstance again(QStringLiteral("tovrin-test"));
        QVERIFY(again.isFirst());
    }

    void somethingButALockFileIsAStaleLock() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        const QString lock = runtime.filePath(QStringLiteral("tovrin-test.lock"));
        // A folder with something in it, then a named pipe (which would block a read).
        QVERIFY(QDir().mkpath(lock + QStringLiteral("/inside")));
        QVERIFY(platform::SingleInstance(QStringLiteral("tovrin-test")).isFirst());
        const QStringList aside =
            QDir(runtime.path()).entryList({QStringLiteral("tovrin-test.lock.stale-*")});
        QCOMPARE(aside.size(), 1); // kept aside, with what is in it
        QVERIFY(QFileInfo(runtime.filePath(aside[0] + QStringLiteral("/inside"))).isDir());
        QVERIFY(::mkfifo(QFile::encodeName(lock).constData(), 0600) == 0);
        QVERIFY(platform::SingleInstance(QStringLiteral("tovrin-test")).isFirst());
    }

    void aCommandOutlivesItsClient() {
        // A command that opens a message waits in it while its client gives up and goes; the
        // answer then goes nowhere, and the program carries on.
        QTemporaryDir runtime;
        const std::string path =
            QFile::encodeName(runtime.filePath(QStringLiteral("s"))).toStdString();
        int acted = 0;
        platform::CommandServer server([&](std::string_view) {
            QEventLoop message;
            QTimer::singleShot(400, &message, &QEventLoop::quit);
            message.exec();
            ++acted;
            return platform::Acted::Done;
        });
        QCOMPARE(server.listen(path), std::string());
        auto gaveUp = std::async(std::launch::async,
                                 [&] { return platform::sendCommand(path, "lookup", 100); });
        QTRY_COMPARE(acted, 1);
        QCOMPARE(gaveUp.get(), platform::Sent::NoAnswer);
        QTest::qWait(100);
        auto next =
            std::async(std::launch::async, [&] { return platform::sendCommand(path, "hide"); });
        QTRY_COMPARE(acted, 2);
        QCOMPARE(next.get(), platform::Sent::Done);
    }

    void versionAndFolders() {
        QVERIFY(QRegularExpression(QStringLiteral("^ \\d+\\.\\d+$"))
                    .match(platform::versionText())
                    .hasMatch());
        QVERIFY(platform::appDataFolder().endsWith(QLatin1Char('/')));
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "instance_test.moc"
