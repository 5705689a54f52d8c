// The program's global keys through the desktop portal (org.freedesktop.portal.GlobalShortcuts).
// On Wayland an X client reads no key pressed in another application; where the session offers
// this portal (KDE Plasma 5.27 and later, GNOME 48 and later) the program names its keys and what
// it would like them to be, the learner confirms or assigns them once in the desktop's own dialog
// or settings, and the desktop tells the program whenever one is pressed.
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>

class QDBusConnection;
class QDBusMessage;

namespace tovrin::platform {

class GlobalShortcuts : public QObject {
    Q_OBJECT

public:
    struct Shortcut {
        QString id;               // "chart", "lookup", "escape": what activated() names
        QString description;      // what the key does, shown in the desktop's dialog
        QString preferredTrigger; // the portal's key format ("F1", "Escape"); "" for no wish
    };

    // Asks, without waiting for the answer, whether the bus has the portal with global keys (its
    // GlobalShortcuts interface at a version above 0). `answer` runs once, unless context (which
    // must be given) is gone by then. The portal may first have to be started, which can take
    // seconds.
    static void probe(const QDBusConnection& bus, QObject* context,
                      std::function<void(bool)> answer);

    // bus: the session bus. appId: the desktop entry's id ("example.tovrin.Tovrin"), under which
    // the desktop lists the keys.
    GlobalShortcuts(const QDBusConnection& bus, const QString& appId, QObject* parent = nullptr);
    ~GlobalShortcuts() override;

    // Binds the keys, and binds them anew when called again (other keys chosen in the settings):
    // the portal lets a session bind its keys only once, so each call ends the session before it
    // and opens another. The desktop may keep a key the learner assigned there over the wish.
    void bind(const QList<Shortcut>& shortcuts);

Q_SIGNALS:
    // A bound key was pressed.
    void activated(const QString& id);
    // The keys as the desktop describes them ("F1", "Ctrl+F1"), one for each shortcut given to
    // bind(), in its order; "" for one the learner left without a key.
    void bound(const QStringList& triggers);
    // The keys do not work (any more), and why; nothing is tried again until the next bind().
    void failed(const QString& why);

private:
    // What a portal request comes back with: its response code (0 done, 1 cancelled by the
    // learner, 2 otherwise ended) and its results.
    using Answer = std::function<void(uint code, const QVariantMap& results)>;
    void request(int attempt, const QString& token, const QDBusMessage& message, Answer answer);
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage& reply)> done);
    void createSession(int attempt);
    void sessionCreated(int attempt, uint code, const QVariantMap& results);
    void bindShortcuts(int attempt);
    void closeSession();
    void fail(const QString& why);

    std::unique_ptr<QDBusConnection> bus_;
    QString appId_;
    QList<Shortcut> shortcuts_;
    bool registered_ = false; // the app id went to the portal: it takes it once a connection
    int attempt_ = 0;         // bumped by each bind(): answers to an earlier one are stale
    QString session_;         // the open session's object path; "" when there is none
    QPointer<QObject> scope_; // the session's signal subscriptions, which end with it
};

} // namespace tovrin::platform
