#include "platform/selection.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <poll.h>

#include <chrono>
#include <thread>
#include <utility>

namespace tovrin::platform {

namespace {

using Clock = std::chrono::steady_clock;

struct Atoms {
    Atom selection, utf8, prop, incr;
};

// The next event for `w` until the deadline; false once it has passed.
bool nextEvent(Display* d, XEvent& e, Clock::time_point deadline) {
    for (;;) {
        while (XPending(d) > 0) {
            XNextEvent(d, &e);
            return true;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left));
    }
}

void appendLatin1(std::string& out, const unsigned char* bytes, unsigned long n) {
    for (unsigned long i = 0; i < n; ++i) {
        const unsigned char c = bytes[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

// Takes the property's value off the window (deleting it, which tells an INCR owner to send
// on); false when there is none. `incr` is set when the owner sends in pieces.
bool takeProperty(Display* d, Window w, const Atoms& a, Atom target, std::string& out,
                  std::size_t limit, bool& incr) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    const long longs = static_cast<long>((limit + 3) / 4);
    if (XGetWindowProperty(d, w, a.prop, 0, longs, True, AnyPropertyType, &type, &format, &items,
                           &after, &data) != Success)
        return false;
    incr = type == a.incr;
    if (!incr && data && format == 8) {
        const unsigned long room = limit > out.size() ? limit - out.size() : 0;
        const unsigned long n = std::min(items, room);
        if (target == XA_STRING)
            appendLatin1(out, data, n);
        else
            out.append(reinterpret_cast<const char*>(data), n);
    }
    if (data)
        XFree(data);
    return type != None;
}

SelectionText read(Display* d, bool primary, int timeoutMs, std::size_t limit) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const Atoms a{primary ? XA_PRIMARY : XInternAtom(d, "CLIPBOARD", False),
                  XInternAtom(d, "UTF8_STRING", False), XInternAtom(d, "TOVRIN_SELECTION", False),
                  XInternAtom(d, "INCR", False)};
    SelectionText result;
    if (XGetSelectionOwner(d, a.selection) == None)
        return result;
    const Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d, w, PropertyChangeMask);
    for (const Atom target : {a.utf8, XA_STRING}) {
        XConvertSelection(d, a.selection, target, a.prop, w, CurrentTime);
        XFlush(d);
        XEvent e;
        bool answered = false;
        while (!answered) {
            if (!nextEvent(d, e, deadline)) {
                result.outcome = SelectionText::Outcome::NoAnswer;
                XDestroyWindow(d, w);
                return result;
            }
            answered = e.type == SelectionNotify && e.xselection.requestor == w;
        }
        if (e.xselection.property == None)
            continue; // not as this target: the next
        bool incr = false;
        if (!takeProperty(d, w, a, target, result.text, limit, incr))
            continue;
        // Sent in pieces: each new value is the next piece, an empty one the end.
        while (incr && result.text.size() < limit) {
            if (!nextEvent(d, e, deadline)) {
                result.outcome = result.text.empty() ? SelectionText::Outcome::NoAnswer
                                                     : SelectionText::Outcome::Read;
                XDestroyWindow(d, w);
                return result;
            }
            if (e.type != PropertyNotify || e.xproperty.atom != a.prop ||
                e.xproperty.state != PropertyNewValue)
                continue;
            const std::size_t before = result.text.size();
            bool more = false;
            takeProperty(d, w, a, target, result.text, limit, more);
            if (result.text.size() == before)
                break;
        }
        result.outcome =
            result.text.empty() ? SelectionText::Outcome::Empty : SelectionText::Outcome::Read;
        break;
    }
    XDestroyWindow(d, w);
    return result;
}

} // namespace

void readSelection(bool primary, int timeoutMs, std::size_t limit,
                   std::function<void(SelectionText)> done) {
    std::thread([primary, timeoutMs, limit, done = std::move(done)] {
        Display* d = XOpenDisplay(nullptr);
        if (!d) {
            done({SelectionText::Outcome::NoDisplay, {}});
            return;
        }
        SelectionText result = read(d, primary, timeoutMs, limit);
        XCloseDisplay(d);
        done(std::move(result));
    }).detach();
}

} // namespace tovrin::platform
