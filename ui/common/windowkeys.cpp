#include "ui/common/windowkeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace tovrin {

namespace {

int virtualKey(int key) {
    if (key == Qt::Key_Escape)
        return 27;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    return 0;
}

} // namespace

void WindowKeys::read() {
    read_ = down_ | pressed_;
    pressed_.reset();
}

bool WindowKeys::keyDown(int key) const {
    return key > 0 && key < 256 && read_.test(static_cast<std::size_t>(key));
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationDeactivate) {
        down_.reset(); // the releases go to another program now
    } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int vk = virtualKey(key->key());
        // An event that no widget takes goes on to the widget's parents: it counts once.
        const qulonglong id = (key->timestamp() << 1) | (type == QEvent::KeyPress ? 1 : 0);
        if (vk != 0 && !key->isAutoRepeat() && id != lastEvent_) {
            lastEvent_ = id;
            down_.set(static_cast<std::size_t>(vk), type == QEvent::KeyPress);
            if (type == QEvent::KeyPress) {
                pressed_.set(static_cast<std::size_t>(vk));
                Q_EMIT wentDown();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tovrin
