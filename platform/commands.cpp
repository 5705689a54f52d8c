#include "platform/commands.h"

#include "platform/paths.h"
#include "platform/runtimefolder.h"

#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <utility>

namespace tovrin::platform {

std::string commandSocketPath() {
    const RuntimeFolder folder = privateRuntimeFolder();
    return folder.path.empty() ? std::string() : joinPath(folder.path, "tovrin.socket");
}

namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Whether the process at the other end of a connected unix socket runs as this user.
bool sameUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

// Ends a connection at once, unanswered.
void dropClient(QLocalSocket* client) {
    client->abort();
    client->deleteLater();
}

// Waits until fd is ready for `events` or the deadline passes.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
            return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(left));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

Sent sendCommand(const std::string& path, std::string_view word, int timeoutMs) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return Sent::NotRunning;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const Descriptor s{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (s.fd < 0)
        return Sent::NotRunning;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    // A listener whose backlog is full (a program busy or stopped for a moment) refuses at once
    // with EAGAIN, and nothing is under way: the connection is asked again until the deadline.
    while (::connect(s.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return Sent::NotRunning; // no socket, or none listening (a copy that ended)
        if (std::chrono::steady_clock::now() >= deadline)
            return Sent::NoAnswer;
        ::poll(nullptr, 0, 10);
    }
    // Only a program run by this user is told anything, and only its answer is believed.
    if (!sameUser(s.fd))
        return Sent::Foreign;
    const std::string line = std::string(word) + '\n';
    std::size_t sent = 0;
    while (sent < line.size()) {
        if (!waitFor(s.fd, POLLOUT, deadline))
            return Sent::NoAnswer;
        const ssize_t n = ::send(s.fd, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return Sent::NoAnswer;
        if (n > 0)
            sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    char buffer[16];
    while (answer.find('\n') == std::string::npos && answer.size() < sizeof buffer) {
        if (!waitFor(s.fd, POLLIN, deadline))
            return Sent::NoAnswer;
        const ssize_t n = ::recv(s.fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            break;
        if (n > 0)
            answer.append(buffer, static_cast<std::size_t>(n));
    }
    if (answer.rfind("ok\n", 0) == 0)
        return Sent::Done;
    if (answer.rfind("busy\n", 0) == 0)
        return Sent::Refused;
    if (answer.rfind("failed\n", 0) == 0)
        return Sent::Failed;
    return Sent::NoAnswer;
}

CommandServer::CommandServer(Act act) : act_(std::move(act)) {}

CommandServer::~CommandServer() = default;

void CommandServer::takeClients() {
    QLocalServer* server = server_.get();
    // Past kMaxClients the next connections wait in the backlog, and their clients keep asking,
    // until one of these is done.
    while (clients_ < kMaxClients) {
        QLocalSocket* client = server->nextPendingConnection();
        if (!client)
            break;
        // Another user's process (root among them) has nothing to say to this program.
        if (!sameUser(static_cast<int>(client->socketDescriptor()))) {
            dropClient(client);
            continue;
        }
        ++clients_;
        // A client stops counting once it is answered, dropped or gone, not once its socket is
        // deleted: a deletion put off while a message box waits must not keep the rest out.
        auto counted = std::make_shared<bool>(true);
        auto release = [this, counted] {
            if (!std::exchange(*counted, false))
                return;
            --clients_;
            QTimer::singleShot(0, server_.get(), [this] { takeClients(); });
        };
        auto drop = [client, release] {
            release();
            dropClient(client);
        };
        QObject::connect(client, &QObject::destroyed, server, release);
        QObject::connect(client, &QLocalSocket::disconnected, client, [client, release] {
            release();
            client->deleteLater();
        });
        // Whatever has not sent its word in time is dropped; no read ever waits.
        auto* timer = new QTimer(client);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, client, drop);
        timer->start(kClientTimeoutMs);
        // Qt holds no more than a line of what the client sends, however much it sends.
        client->setReadBufferSize(kMaxLine);
        struct Read {
            QByteArray line;
            qsizetype after = -1; // bytes read after the word, once it was taken
        };
        auto read = std::make_shared<Read>();
        QObject::connect(client, &QLocalSocket::readyRead, client,
                         [this, client, read, drop, timer, release] {
                             if (read->after >= 0) {
                                 // One command a connection: what follows its word is read and
                                 // thrown away while the command runs, and a client that goes on
                                 // sending is closed.
                                 read->after += client->skip(kMaxLine);
                                 if (read->after >= kMaxLine)
                                     drop();
                                 return;
                             }
                             read->line.append(client->read(kMaxLine - read->line.size()));
                             const qsizetype end = read->line.indexOf('\n');
                             if (end < 0) {
                                 if (read->line.size() >= kMaxLine)
                                     drop(); // a line too long for any command
                                 return;
                             }
                             read->after = read->line.size() - end - 1;
                             timer->stop();
                             // Run once this signal has returned: the command may wait in a
                             // message, and the client may go and its socket be deleted meanwhile,
                             // never under its own feet.
                             QTimer::singleShot(0, server_.get(),
                                                [this, alive = QPointer<QLocalSocket>(client),
                                                 word = read->line.left(end),
                                                 release] { run(alive, word, release); });
                         });
    }
}

void CommandServer::run(const QPointer<QLocalSocket>& client, const QByteArray& word,
                        const std::function<void()>& release) {
    auto answer = [client, release](Acted acted) {
        if (client) { // the client may have gone meanwhile
            if (acted == Acted::Unknown) {
                dropClient(client);
            } else {
                client->write(acted == Acted::Done     ? "ok\n"
                              : acted == Acted::Failed ? "failed\n"
                                                       : "busy\n");
                client->flush(); // now: after "quit" the event loop may not run again
                client->disconnectFromServer();
            }
        }
        release();
    };
    const Acted acted =
        act_(std::string_view(word.constData(), static_cast<std::size_t>(word.size())), answer);
    if (acted != Acted::Later)
        answer(acted);
}

std::string CommandServer::listen(const std::string& path) {
    const std::string folder = path.substr(0, path.rfind('/'));
    if (const std::string problem = notOwnFolder(folder); !problem.empty())
        return folder + ": " + problem;
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return "the path is " + std::to_string(path.size()) + " bytes long, over the " +
               std::to_string(sizeof address.sun_path - 1) + " a socket's path may have";
    // Only the single instance listens: a socket found here is a stale one, and anything else
    // is moved aside.
    moveStrayAside(path, S_IFSOCK);
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    QLocalServer::removeServer(name);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name)) {
        const std::string why = server_->errorString().toStdString();
        server_.reset();
        return why;
    }
    if (::chmod(path.c_str(), 0600) != 0) {
        const std::string why = std::strerror(errno);
        server_.reset();
        return why;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                     [this] { takeClients(); });
    return {};
}

} // namespace tovrin::platform
