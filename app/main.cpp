// The program: the chart window starts it, and the application lives in the tray.
#include "core/gbk.h"
#include "platform/keystate.h"
#include "platform/paths.h"
#include "platform/promotion.h"
#include "platform/showdesktop.h"
#include "platform/singleinstance.h"
#include "ui/chart/form1.h"
#include "ui/common/fonts.h"
#include "ui/common/messagebox.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QSessionManager>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // The first copy takes the lock at its start and holds it until it exits; a later copy
    // refuses when its lookup window would open.
    const tovrin::platform::SingleInstance instance;
    tovrin::platform::registerFontSubstitutions();
    const tovrin::gbk::Codec codec;
    tovrin::platform::KeyState keys;

    const QString folder = QApplication::applicationDirPath();
    const QString settings =
        QString::fromStdString(tovrin::platform::settingsFolder(folder.toStdString()));

    tovrin::Form1::Services services;
    services.tell = [](const QString& title, const QString& text) {
        tovrin::tellOver(title, text);
    };
    services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    services.isFirstInstance = [&instance] { return instance.isFirst(); };
    services.readKeys = [&keys] { keys.read(); };
    services.keyDown = [&keys](int vk) { return keys.keyDown(vk); };
    services.hotKeysAvailable = keys.available();
    services.trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    services.runDialog = [](QDialog* dialog) { dialog->exec(); };
    services.quit = [] { QCoreApplication::quit(); };
    services.showDesktop = [] { tovrin::platform::toggleShowDesktop(); };
    services.bringBack = [](QWidget* window) { tovrin::platform::bringBack(window->winId()); };
    services.promotion = tovrin::platform::promotionSources();
    // With a tray the application lives on when its windows are closed or hidden.
    QApplication::setQuitOnLastWindowClosed(!services.trayAvailable);

    tovrin::Form1 chart(codec, folder, settings, services);
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &chart,
                     [&chart](QSessionManager&) { chart.endSession(); });
    chart.show();
    return QApplication::exec();
}
