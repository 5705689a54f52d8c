// A program folder of a test's own: links to the built dictionaries and pictures, so nothing is
// ever written beside the built program.
#pragma once

#include "platform/programfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class ProgramFolder {
public:
    explicit ProgramFolder(bool withFiles = true) {
        if (!withFiles)
            return;
        const QString bin = QStringLiteral(TOVRIN_BIN_DIR);
        for (const char* name : {"vezari.dat", "vezaricz.dat", "单字GBK.dat", "vezariPY.dat",
                                 "拼音4.bmp", "J1.bmp", "J2.bmp", "J3.bmp", "86wb.bmp"}) {
            const QString file = QString::fromUtf8(name);
            QFile::link(bin + QLatin1Char('/') + file, dir.filePath(file));
        }
    }
    void write(const char* name, const QByteArray& bytes) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QString path() const { return dir.path(); }
    // The folder's files as the program finds them, its options kept in it too.
    tovrin::platform::ProgramFiles files() const {
        return {path().toStdString(), path().toStdString()};
    }
    QTemporaryDir dir;
};
