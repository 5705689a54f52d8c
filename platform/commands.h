// Commands to the running program over a local socket in the user's runtime folder: "chart",
// "lookup", "hide" and "quit", one word and a newline per connection, answered by "ok\n" once
// acted on, or "busy\n" when the program cannot act on it now. Desktops whose hot keys an X client
// cannot read (Wayland) bind `tovrin --chart` and friends to keys in their own settings, and those
// reach the running program this way.
#pragma once

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QLocalServer;
class QLocalSocket;

namespace tovrin::platform {

// The command socket's path in the user's own runtime folder (privateRuntimeFolder(), beside the
// single-instance lock); "" when there is none.
std::string commandSocketPath();

enum class Sent {
    Done,       // the running program acted on the command
    NotRunning, // nothing listens at the path
    NoAnswer,   // something listens but did not answer "ok" in time
    Refused,    // the running program answered "busy": it cannot act on it now
    Foreign,    // another user's process listens there: nothing was sent
    Failed,     // the running program answered "failed": what the command needs could not be had
};
// Sends one command and waits up to timeoutMs for its answer, asking again while the program's
// backlog is full. Needs no Qt application.
Sent sendCommand(const std::string& path, std::string_view word, int timeoutMs = 3000);

// What the program did with a command: acted ("ok"), could not act now ("busy"), could not
// have what the command needs ("failed": the selection's owner did not answer), or did not know
// the word (the connection is dropped). Later: the answer comes through the reply handed to the
// act, once what the command waits for is there (the selection read on a thread).
enum class Acted { Done, Refused, Failed, Unknown, Later };

// The running program's end: takes one word per connection from a process of this user and
// hands it to `act`. Anything else (another user's process, an unknown word, bytes that are no
// word, a line over 32 bytes, a client that connects and never writes, or goes on writing after
// its word) is dropped without waiting on it.
class CommandServer {
public:
    using Reply = std::function<void(Acted)>;
    using Act = std::function<Acted(std::string_view word, const Reply& later)>;
    explicit CommandServer(Act act);
    ~CommandServer();
    CommandServer(const CommandServer&) = delete;
    CommandServer& operator=(const CommandServer&) = delete;

    // Listens at path, in a folder of this user's own, which only this user may use (mode 0600);
    // a socket left there by a copy that ended without cleaning up is replaced, anything else
    // moved aside, so call it only from the single instance. Returns "", or what went wrong.
    std::string listen(const std::string& path);

    static constexpr int kMaxLine = 32;           // bytes of a command with its newline
    static constexpr int kClientTimeoutMs = 2000; // a silent client is dropped after this
    static constexpr int kMaxClients = 16;        // connections served at once; more wait

private:
    void takeClients();
    void run(const QPointer<QLocalSocket>& client, const QByteArray& word,
             const std::function<void()>& release);

    Act act_;
    std::unique_ptr<QLocalServer> server_;
    int clients_ = 0;
};

} // namespace tovrin::platform
