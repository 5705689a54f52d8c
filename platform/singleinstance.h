// Telling whether another copy of the program runs.
#pragma once

#include <QString>

#include <memory>
#include <string>

class QLockFile;

namespace tovrin::platform {

// The first process of the program takes a lock in the user's own runtime folder
// (privateRuntimeFolder()) at its start and holds it until it exits; a later process finds the
// lock held.
class SingleInstance {
public:
    enum class State {
        First,     // this process holds the lock
        Another,   // a running copy holds it
        Unchecked, // no lock could be had (why() says why): whether another copy runs is unknown
    };

    explicit SingleInstance(const QString& name = QStringLiteral("tovrin"));
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    State state() const { return state_; }
    // Whether this process may go on as the program: no running copy is known.
    bool isFirst() const { return state_ != State::Another; }
    // For Another, the running copy's process id (0 when unknown).
    qint64 holder() const { return holder_; }
    // For Unchecked, why not, for the user.
    const std::string& why() const { return why_; }

private:
    std::unique_ptr<QLockFile> lock_;
    State state_ = State::Unchecked;
    qint64 holder_ = 0;
    std::string why_;
};

} // namespace tovrin::platform
