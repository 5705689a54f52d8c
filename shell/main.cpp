// The program: until the chart window takes its place, it opens the lookup window.
#include "fonts.h"
#include "form3.h"
#include "gbk.h"
#include "paths.h"
#include "singleinstance.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tovrin"));
    // The first copy takes the lock at its start and holds it until it exits.
    const tovrin::platform::SingleInstance instance;
    tovrin::platform::registerFontSubstitutions();
    const tovrin::gbk::Codec codec;

    const QString folder = QApplication::applicationDirPath();
    tovrin::Form3::Services services;
    services.tell = [](const QString& title, const QString& text) {
        QMessageBox::warning(nullptr, title, text);
    };
    services.isFirstInstance = [&instance] { return instance.isFirst(); };
    tovrin::Form3 lookup(
        codec, folder,
        QString::fromStdString(tovrin::platform::settingsFolder(folder.toStdString())), services);
    if (!lookup.Form_Load())
        return 0;
    QObject::connect(&lookup, &tovrin::Form3::unloaded, &app, &QApplication::quit);
    lookup.show();
    return QApplication::exec();
}
