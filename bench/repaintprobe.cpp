// Loaded into the real program with LD_PRELOAD by the app benchmark; the program itself is not
// changed. With TOVRIN_BENCH_REPAINT_LOG set, each release of a mouse button on a stroke button
// of the lookup window appends one line to that file: the milliseconds from the release
// reaching the application to the end of the repaint pass that next paints the character grid
// (the ruled box or a cell), flush to the X server included. A release after which the grid
// is not repainted before the next release writes nothing.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QWidget>

namespace {

class RepaintProbe : public QObject {
public:
    RepaintProbe(QString path, QObject* parent) : QObject(parent), log_(std::move(path)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonRelease && inLookupWindow(watched) &&
            strokeButton(watched->objectName())) {
            clock_.start();
            armed_ = true;
            ++click_;
        } else if (type == QEvent::Paint && armed_ && !pending_ && inLookupWindow(watched) &&
                   gridPart(watched->objectName())) {
            // Posted now, run once the repaint pass that sent this paint event has returned.
            pending_ = true;
            const int click = click_;
            QMetaObject::invokeMethod(
                this, [this, click] { finish(click); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    static bool inLookupWindow(QObject* o) {
        const auto* w = qobject_cast<QWidget*>(o);
        return w && w->window() && w->window()->objectName() == QStringLiteral("Form3");
    }
    // Command2 ... Command6: the strokes 一 丨 丿 丶 乛.
    static bool strokeButton(const QString& name) {
        return name.size() == 8 && name.startsWith(QStringLiteral("Command")) &&
               name.back() >= QLatin1Char('2') && name.back() <= QLatin1Char('6');
    }
    static bool gridPart(const QString& name) {
        return name == QStringLiteral("Label20") || name.startsWith(QStringLiteral("Label11_"));
    }

    void finish(int click) {
        const double ms = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        pending_ = false;
        if (click != click_)
            return; // another release came before the pass ended
        armed_ = false;
        QFile f(log_);
        if (f.open(QIODevice::Append | QIODevice::Text))
            f.write(QByteArray::number(ms, 'f', 3) + '\n');
    }

    QString log_;
    QElapsedTimer clock_;
    bool armed_ = false;
    bool pending_ = false;
    int click_ = 0;
};

void install() {
    const QString path = qEnvironmentVariable("TOVRIN_BENCH_REPAINT_LOG");
    QCoreApplication* app = QCoreApplication::instance();
    if (path.isEmpty() || !app)
        return;
    app->installEventFilter(new RepaintProbe(path, app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(install)
