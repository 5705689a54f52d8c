// The text another X client holds as the primary selection or the clipboard, read on a thread
// of its own over a connection of its own: an owner that is slow, stalls midway or never
// answers holds up nothing but this read, which gives up at its deadline.
#pragma once

#include <functional>
#include <string>

namespace tovrin::platform {

struct SelectionText {
    enum class Outcome {
        Read,      // `text` holds what the owner sent (UTF-8), perhaps cut at `limit` bytes
        Empty,     // no client owns it, or its owner has no text
        NoAnswer,  // the owner did not answer before the deadline
        NoDisplay, // no X display to ask
    };
    Outcome outcome = Outcome::Empty;
    std::string text;
};

// Asks the X server's PRIMARY (`primary`) or CLIPBOARD owner for its text as UTF-8 (else as
// Latin-1 STRING), taking at most `limit` bytes, and hands the outcome to `done` on the reading
// thread once it is known or `timeoutMs` have passed. Returns at once.
void readSelection(bool primary, int timeoutMs, std::size_t limit,
                   std::function<void(SelectionText)> done);

} // namespace tovrin::platform
