#include "platform/globalshortcuts.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <atomic>
#include <utility>

namespace tovrin::platform::portal {

// Hands a D-Bus signal to a function, as QtDBus delivers signals only to slots named by string.
// Deleting the relay ends the subscription.
class Relay : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    std::function<void(const QDBusMessage&)> then;

public Q_SLOTS:
    void take(const QDBusMessage& message) {
        const auto f = then; // it may be replaced, or the relay deleted, from within
        f(message);
    }
};

} // namespace tovrin::platform::portal

namespace tovrin::platform {

namespace {

using portal::Relay;

// One shortcut as the portal passes it either way, a(sa{sv}): its id and its properties.
using Entry = QPair<QString, QVariantMap>;

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
const char* const kTake = SLOT(take(QDBusMessage));

QDBusMessage portalCall(const QString& interface, const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, interface, method);
}

// A token for a request or session path: unique among this process's, as the portal asks of
// the tokens of one connection.
QString newToken() {
    static std::atomic<unsigned> serial{0};
    return QStringLiteral("tovrin%1").arg(++serial);
}

// What went wrong with a call, for the learner's eyes.
QString callFailure(const QDBusMessage& reply) {
    switch (QDBusError(reply).type()) {
    case QDBusError::ServiceUnknown:
        return QStringLiteral("no desktop portal runs in this session");
    case QDBusError::UnknownMethod:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownObject:
        return QStringLiteral("the desktop portal offers no global shortcuts");
    default:
        return QStringLiteral("the desktop portal failed: ") + reply.errorMessage();
    }
}

} // namespace

void GlobalShortcuts::probe(const QDBusConnection& bus, QObject* context,
                            std::function<void(bool)> answer) {
    QDBusMessage get =
        portalCall(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kShortcuts << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), context);
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, context,
        [watcher, answer = std::move(answer)] {
            watcher->deleteLater();
            const QDBusMessage reply = watcher->reply();
            answer(reply.type() == QDBusMessage::ReplyMessage &&
                   qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant().toUInt() > 0);
        });
}

GlobalShortcuts::GlobalShortcuts(const QDBusConnection& bus, const QString& appId, QObject* parent)
    : QObject(parent), bus_(std::make_unique<QDBusConnection>(bus)), appId_(appId) {
    static const bool registered = [] {
        qDBusRegisterMetaType<Entry>();
        qDBusRegisterMetaType<QList<Entry>>();
        return true;
    }();
    (void)registered;
}

// The desktop ends a session when its program leaves the bus; this ends it when the object goes
// first.
GlobalShortcuts::~GlobalShortcuts() {
    closeSession();
}

void GlobalShortcuts::bind(const QList<Shortcut>& shortcuts) {
    const int attempt = ++attempt_;
    shortcuts_ = shortcuts;
    closeSession();
    if (registered_) {
        createSession(attempt);
        return;
    }
    // A program outside a sandbox gives the portal its desktop entry's id before any other portal
    // call, so that the desktop lists the keys under the program's name. A portal older than this
    // method, or one that knows the program from its sandbox, refuses; the keys are bound anyway.
    registered_ = true;
    QDBusMessage reg = portalCall(QStringLiteral("org.freedesktop.host.portal.Registry"),
                                  QStringLiteral("Register"));
    reg << appId_ << QVariantMap();
    call(reg, [this, attempt](const QDBusMessage&) {
        if (attempt == attempt_)
            createSession(attempt);
    });
}

void GlobalShortcuts::call(const QDBusMessage& message,
                           std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(watcher->reply());
    });
}

void GlobalShortcuts::request(int attempt, const QString& token, const QDBusMessage& message,
                              Answer answer) {
    // The answer comes as the Response signal of a request object, which the portal may send
    // before its reply to the call, and a signal that no one listens for when it comes is lost. So
    // the subscription comes first, at the path the portal is bound to give the request:
    // /org/freedesktop/portal/desktop/request/SENDER/TOKEN, SENDER being this connection's unique
    // name without its ':' and with '_' for each '.'.
    const QString sender = bus_->baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
    auto* relay = new Relay(this);
    relay->then = [relay, answer = std::move(answer)](const QDBusMessage& response) {
        relay->deleteLater(); // one response to a request
        answer(response.arguments().value(0).toUInt(),
               qdbus_cast<QVariantMap>(response.arguments().value(1)));
    };
    if (!bus_->connect(kService, path, kRequest, QStringLiteral("Response"), relay, kTake)) {
        delete relay;
        fail(QStringLiteral("cannot listen to the desktop portal: ") + bus_->lastError().message());
        return;
    }
    call(message, [this, attempt, path, relay = QPointer<Relay>(relay)](const QDBusMessage& reply) {
        if (reply.type() == QDBusMessage::ErrorMessage) {
            delete relay;
            if (attempt == attempt_)
                fail(callFailure(reply));
            return;
        }
        // A portal from before the tokens names the request itself: the answer comes there.
        const QString named = qvariant_cast<QDBusObjectPath>(reply.arguments().value(0)).path();
        if (relay && named != path) {
            bus_->disconnect(kService, path, kRequest, QStringLiteral("Response"), relay, kTake);
            bus_->connect(kService, named, kRequest, QStringLiteral("Response"), relay, kTake);
        }
    });
}

void GlobalShortcuts::createSession(int attempt) {
    const QString token = newToken();
    QDBusMessage create = portalCall(kShortcuts, QStringLiteral("CreateSession"));
    create << QVariantMap{{QStringLiteral("handle_token"), token},
                          {QStringLiteral("session_handle_token"), token}};
    request(attempt, token, create, [this, attempt](uint code, const QVariantMap& results) {
        sessionCreated(attempt, code, results);
    });
}

void GlobalShortcuts::sessionCreated(int attempt, uint code, const QVariantMap& results) {
    // The portal gives the session's path as a string; a portal that gives an object path is
    // understood too.
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    const QString session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>()
                                ? qvariant_cast<QDBusObjectPath>(handle).path()
                                : handle.toString();
    if (attempt != attempt_) {
        // bind() was called again meanwhile: this session is not wanted any more.
        if (code == 0 && !session.isEmpty())
            bus_->send(QDBusMessage::createMethodCall(kService, session, kSession,
                                                      QStringLiteral("Close")));
        return;
    }
    if (code != 0 || session.isEmpty()) {
        fail(QStringLiteral("the desktop refused a session for global shortcuts"));
        return;
    }
    session_ = session;
    scope_ = new QObject(this);
    auto* closed = new Relay(scope_);
    closed->then = [this](const QDBusMessage& signal) {
        if (signal.path() != session_)
            return;       // a session bind() has already left
        session_.clear(); // nothing left to close
        fail(QStringLiteral("the desktop ended the global shortcuts' session"));
    };
    // Activated names its session: one that was closed, or another object's on this connection,
    // is not this one.
    auto* activated = new Relay(scope_);
    activated->then = [this](const QDBusMessage& signal) {
        const QVariantList args = signal.arguments();
        if (qvariant_cast<QDBusObjectPath>(args.value(0)).path() == session_)
            Q_EMIT this->activated(args.value(1).toString());
    };
    if (!bus_->connect(kService, session_, kSession, QStringLiteral("Closed"), closed, kTake) ||
        !bus_->connect(kService, kPath, kShortcuts, QStringLiteral("Activated"), activated,
                       kTake)) {
        fail(QStringLiteral("cannot listen to the desktop portal: ") + bus_->lastError().message());
        return;
    }
    bindShortcuts(attempt);
}

void GlobalShortcuts::bindShortcuts(int attempt) {
    QList<Entry> entries;
    for (const Shortcut& s : shortcuts_) {
        QVariantMap properties{{QStringLiteral("description"), s.description}};
        if (!s.preferredTrigger.isEmpty())
            properties.insert(QStringLiteral("preferred_trigger"), s.preferredTrigger);
        entries.append({s.id, properties});
    }
    const QString token = newToken();
    QDBusMessage bindCall = portalCall(kShortcuts, QStringLiteral("BindShortcuts"));
    // No parent window: the dialog is the desktop's, over whatever has the focus.
    bindCall << QVariant::fromValue(QDBusObjectPath(session_)) << QVariant::fromValue(entries)
             << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    request(attempt, token, bindCall, [this, attempt](uint code, const QVariantMap& results) {
        if (attempt != attempt_)
            return; // its session was closed by the next bind()
        if (code == 1) {
            fail(QStringLiteral("the global shortcuts were cancelled in the desktop's dialog"));
            return;
        }
        if (code != 0) {
            fail(QStringLiteral("the desktop did not bind the global shortcuts"));
            return;
        }
        // The desktop answers with the keys it bound, in an order of its own.
        const auto bound = qdbus_cast<QList<Entry>>(results.value(QStringLiteral("shortcuts")));
        QStringList triggers;
        for (const Shortcut& s : shortcuts_) {
            QString trigger;
            for (const Entry& e : bound)
                if (e.first == s.id)
                    trigger = e.second.value(QStringLiteral("trigger_description")).toString();
            triggers.append(trigger);
        }
        Q_EMIT this->bound(triggers);
    });
}

void GlobalShortcuts::closeSession() {
    // Later: this may run from within one of the session's own subscriptions.
    if (scope_)
        scope_->deleteLater();
    scope_ = nullptr;
    if (session_.isEmpty())
        return;
    // Sent without waiting: there is nothing to do about a session that will not close.
    bus_->send(
        QDBusMessage::createMethodCall(kService, session_, kSession, QStringLiteral("Close")));
    session_.clear();
}

void GlobalShortcuts::fail(const QString& why) {
    closeSession();
    Q_EMIT failed(why);
}

} // namespace tovrin::platform

#include "globalshortcuts_dbus.moc"
