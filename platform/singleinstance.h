// Telling whether another copy of the program runs.
#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace tovrin::platform {

// The first process of the program takes a lock in the user's runtime folder at its start and
// holds it until it exits; a later process finds the lock held.
class SingleInstance {
public:
    explicit SingleInstance(const QString& name = QStringLiteral("tovrin"));
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool isFirst() const { return first_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = false;
};

} // namespace tovrin::platform
