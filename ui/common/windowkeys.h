// The hot keys where the program cannot read the keyboard of the whole desktop (natively on
// Wayland): F1-F12 and ESC pressed while one of its own windows has the focus, kept as the key
// state the chart window's tick reads, as the X key reader keeps it elsewhere.
#pragma once

#include <QObject>
#include <QPointer>

#include <array>
#include <bitset>

namespace tovrin {

class WindowKeys : public QObject {
    Q_OBJECT

public:
    // Takes the keys pressed since the last read; keyDown() then answers from them.
    void read();
    // Whether the key (27 ESC, 112-123 F1-F12) was down at the last read, or went down since
    // the one before.
    bool keyDown(int virtualKey) const;

Q_SIGNALS:
    void wentDown();

protected:
    // Installed on the application: sees every key event once, before any window does, and
    // lets it go on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::bitset<256> down_;    // down now
    std::bitset<256> pressed_; // went down since the last read
    std::bitset<256> read_;    // the last read
    qulonglong lastEvent_ = 0; // the last key event seen, as a key event propagates to parents
    std::array<QPointer<QObject>, 256> in_; // the window each key down went down in
};

} // namespace tovrin
