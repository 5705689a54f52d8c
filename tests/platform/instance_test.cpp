// The operating-system services the windows use.
#include "platform/singleinstance.h"
#include "platform/systeminfo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

    void versionAndFolders() {
        QVERIFY(QRegularExpression(QStringLiteral("^ \\d+\\.\\d+$"))
                    .match(platform::versionText())
                    .hasMatch());
        QVERIFY(platform::appDataFolder().endsWith(QLatin1Char('/')));
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "instance_test.moc"
