// Whether a key is down at this moment, anywhere on the desktop.
#pragma once

#include <array>
#include <cstdint>

namespace tovrin::platform {

// Reads the keyboard of the whole display, so the keys act whichever application has the focus.
// Keys are named by their virtual-key codes: 27 ESC, 112-123 F1-F12.
class KeyState {
public:
    KeyState();
    ~KeyState();
    KeyState(const KeyState&) = delete;
    KeyState& operator=(const KeyState&) = delete;

    // False without an X display (a pure Wayland session, a terminal): no key is ever down.
    bool available() const { return display_ != nullptr; }

    // Reads every key's state at once; keyDown() then answers from this reading.
    void read();
    // Whether the key was down at the last read(). A code of 0 (no key) is never down.
    bool keyDown(int virtualKey) const;

private:
    void* display_ = nullptr;             // the X display, opened for this alone
    std::array<unsigned char, 32> map_{}; // one bit per X keycode
    std::array<int, 256> keycodes_{};     // virtual-key code -> X keycode, 0 when unmapped
};

} // namespace tovrin::platform
