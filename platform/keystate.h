// Whether a key is down at this moment, anywhere on the desktop.
#pragma once

#include <array>
#include <cstdint>

namespace tovrin::platform {

// Reads the keyboard of the whole display, so the keys act whichever application has the focus.
// Keys are named by their virtual-key codes: 27 ESC, 112-123 F1-F12.
//
// Where the X server has XInput2, the keys' state is kept from its raw key events, which reach
// the root window whichever client has the focus: nothing needs to be polled while no key is
// down, and a press is seen even when it is released before the next read. Without XInput2 each
// read() asks the server for the whole keymap, and the caller polls.
class KeyState {
public:
    // Opens the X display only when `open`: where the windows are not X windows (natively on
    // Wayland) the program touches no X server, which would start Xwayland and could go away.
    explicit KeyState(bool open = true);
    ~KeyState();
    KeyState(const KeyState&) = delete;
    KeyState& operator=(const KeyState&) = delete;

    // False without an X display (natively on Wayland, a terminal): no key is ever down.
    bool available() const { return display_ != nullptr; }

    // The descriptor to watch for readability when the keys come as events; -1 when they must
    // be polled (no display, or no XInput2).
    int eventSource() const { return events_ ? fd_ : -1; }
    // Takes the key events that have arrived; true when a key went down among them.
    bool takeEvents();

    // Reads every key's state at once; keyDown() then answers from this reading. With events, a
    // key pressed since the last read counts as down once, even when it is up again.
    void read();
    // Whether the key was down at the last read(). A code of 0 (no key) is never down.
    bool keyDown(int virtualKey) const;

private:
    using KeyMap = std::array<unsigned char, 32>; // one bit per X keycode

    void* display_ = nullptr;         // the X display, opened for this alone
    int fd_ = -1;                     // its connection
    bool events_ = false;             // raw key events selected on the root window
    int xinputOpcode_ = 0;            // XInput's major opcode, which marks its events
    KeyMap map_{};                    // the last read()
    KeyMap down_{};                   // from the events: down now
    KeyMap pressed_{};                // from the events: went down since the last read()
    std::array<int, 256> keycodes_{}; // virtual-key code -> X keycode, 0 when unmapped
};

// Whether the desktop session is Wayland, where an X client reads no key pressed in another
// application (its hot keys are bound in the desktop's own keyboard settings instead).
bool waylandSession();

} // namespace tovrin::platform
