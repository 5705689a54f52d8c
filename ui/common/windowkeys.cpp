#include "ui/common/windowkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace tovrin {

namespace {

int virtualKey(int key) {
    if (key == Qt::Key_Escape)
        return 27;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return 112 + (key - Qt::Key_F1);
    return 0;
}

// The program's window an event went to: a key comes first to the platform's window, then to
// the widgets in it.
QObject* windowOf(QObject* o) {
    if (auto* w = qobject_cast<QWidget*>(o))
        return w->window();
    if (auto* handle = qobject_cast<QWindow*>(o))
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowHandle() == handle)
                return w;
    return nullptr;
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
    } else if (type == QEvent::Hide) {
        // A window put away by the key pressed in it (ESC closes a dialog) never gets its
        // release: the key is not held any more.
        if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow())
            for (std::size_t vk = 0; vk < in_.size(); ++vk)
                if (in_[vk] == w)
                    down_.reset(vk);
    } else if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int vk = virtualKey(key->key());
        // An event that no widget takes goes on to the widget's parents: it counts once.
        const qulonglong id = (key->timestamp() << 1) | (type == QEvent::KeyPress ? 1 : 0);
        if (vk != 0 && !key->isAutoRepeat() && id != lastEvent_) {
            lastEvent_ = id;
            down_.set(static_cast<std::size_t>(vk), type == QEvent::KeyPress);
            if (type == QEvent::KeyPress) {
                in_[static_cast<std::size_t>(vk)] = windowOf(watched);
                pressed_.set(static_cast<std::size_t>(vk));
                Q_EMIT wentDown();
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tovrin
