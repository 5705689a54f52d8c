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

#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

using namespace tovrin;

// A command socket's path in a folder of the test's own.
std::string socketIn(const QTemporaryDir& runtime) {
    return QFile::encodeName(runtime.filePath(QStringLiteral("s"))).toStdString();
}

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
        const std::string path = socketIn(runtime);
        int acted = 0;
        platform::CommandServer server(
            [&](std::string_view, const platform::CommandServer::Reply&) {
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

    void aHundredCommandsWhileTheProgramIsStopped() {
        // The program handles nothing for a second while a hundred commands come in at once:
        // those past its backlog keep asking, and every one is answered once it goes on.
        QTemporaryDir runtime;
        const std::string path = socketIn(runtime);
        int acted = 0;
        platform::CommandServer server(
            [&](std::string_view, const platform::CommandServer::Reply&) {
                ++acted;
                return platform::Acted::Done;
            });
        QCOMPARE(server.listen(path), std::string());
        std::vector<std::future<platform::Sent>> sent;
        for (int i = 0; i < 100; ++i)
            sent.push_back(std::async(std::launch::async,
                                      [&] { return platform::sendCommand(path, "hide", 3000); }));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        QTRY_COMPARE_WITH_TIMEOUT(acted, 100, 5000);
        for (auto& s : sent)
            QCOMPARE(s.get(), platform::Sent::Done);
    }

    void aClientThatGoesOnSendingIsClosed() {
        // While its command waits in a message, a client streams data after the word: the
        // program keeps none of it and closes the connection.
        QTemporaryDir runtime;
        const std::string path = socketIn(runtime);
        platform::CommandServer server(
            [&](std::string_view, const platform::CommandServer::Reply&) {
                QEventLoop message;
                QTimer::singleShot(1500, &message, &QEventLoop::quit);
                message.exec();
                return platform::Acted::Done;
            });
        QCOMPARE(server.listen(path), std::string());
        const auto peakKb = [] {
            rusage use{};
            ::getrusage(RUSAGE_SELF, &use);
            return use.ru_maxrss;
        };
        const long before = peakKb();
        auto cut = std::async(std::launch::async, [&path] {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strcpy(address.sun_path, path.c_str());
            const timeval wait{0, 200000};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
            bool closed = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0;
            const std::string chunk = "lookup\n" + std::string(1 << 20, 'x');
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
            for (long total = 0;
                 !closed && total < 300L << 20 && std::chrono::steady_clock::now() < until;) {
                const ssize_t n = ::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL);
                closed = n < 0 && errno != EAGAIN && errno != EINTR;
                total += std::max<ssize_t>(n, 0);
            }
            ::close(fd);
            return closed;
        });
        QTRY_VERIFY_WITH_TIMEOUT(cut.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                                 5000);
        QVERIFY(cut.get());
        QVERIFY2(peakKb() - before < 50 * 1024, "the program held what the client streamed");
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
