// The promotion dialog, offscreen, writing under temporary XDG folders.
#include "platform/startpage.h"
#include "tests/ui/controls.h"
#include "ui/common/fonts.h"
#include "ui/promo/form5.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace tovrin;

namespace {

constexpr char kPortal[] = "http://nav.tovrin.example/?542";

int px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

// Every file under `folder`, relative to it, sorted.
QStringList filesUnder(const QString& folder) {
    QStringList files;
    QDir dir(folder);
    for (const QFileInfo& info :
         dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (info.isDir()) {
            for (const QString& inner : filesUnder(info.filePath()))
                files << info.fileName() + QLatin1Char('/') + inner;
        } else {
            files << info.fileName();
        }
    }
    files.sort();
    return files;
}

} // namespace

class Form5Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> tmp;
    std::unique_ptr<Form5> form;
    int timerStarts = 0;

    QString path(const char* relative) const { return tmp->filePath(QString::fromUtf8(relative)); }
    template <class T> T* child(const QString& name) { return control<T>(form.get(), name); }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(QString::fromLatin1(name)), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }

    void init() {
        tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp->isValid());
        QVERIFY(QDir().mkpath(path("home/Desktop")));
        qputenv("HOME", path("home").toUtf8());
        qputenv("XDG_CONFIG_HOME", path("config").toUtf8());
        qputenv("XDG_DATA_HOME", path("data").toUtf8());
        timerStarts = 0;
        form = std::make_unique<Form5>(QString::fromLatin1(kPortal), [this] { ++timerStarts; });
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        form.reset();
        tmp.reset();
    }

    void showsTheOfferAboveOtherWindows() {
        QCOMPARE(form->objectName(), QStringLiteral("Form5"));
        QCOMPARE(form->windowTitle(), QStringLiteral("强烈推荐"));
        QCOMPARE(form->size(), QSize(px(5760), px(1830)));
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        auto* first = child<QLabel>(QStringLiteral("Label1"));
        QVERIFY(first->text().endsWith(QStringLiteral("nav.tovrin.example")));
        QVERIFY(first->font().bold());
        QCOMPARE(child<QLabel>(QStringLiteral("Label2"))->palette().color(QPalette::WindowText),
                 QColor(Qt::red));
        QCOMPARE(child<QLabel>(QStringLiteral("Label3"))->text(),
                 QStringLiteral("奖品有iPhone手机、移动充值卡，QQ币等"));
        // Each line keeps the middle it was laid out around and shows its whole text.
        const struct {
            const char* name;
            QRect place;
        } lines[] = {{"Label1", QRect(585, 150, 4590, 210)},
                     {"Label2", QRect(900, 495, 3960, 180)},
                     {"Label3", QRect(1260, 810, 3240, 180)}};
        for (const auto& line : lines) {
            auto* l = child<QLabel>(QString::fromLatin1(line.name));
            const QPoint middle(px(line.place.left() + line.place.width() / 2),
                                px(line.place.top() + line.place.height() / 2));
            QVERIFY(qAbs(l->geometry().center().x() - middle.x()) <= 1);
            QVERIFY(qAbs(l->geometry().center().y() - middle.y()) <= 1);
            QVERIFY(l->width() > l->fontMetrics().horizontalAdvance(l->text()));
            QVERIFY(l->geometry().left() >= 0 && l->geometry().right() < form->width());
        }
        auto* no = child<QPushButton>(QStringLiteral("Command2"));
        auto* yes = child<QPushButton>(QStringLiteral("Command1"));
        QCOMPARE(no->text(), QStringLiteral("不要帮我设置。"));
        QCOMPARE(yes->text(), QStringLiteral("好，请帮我设置好导航网址。"));
        QCOMPARE(no->geometry(), QRect(px(510), px(1200), px(1605), px(435)));
        QCOMPARE(yes->geometry(), QRect(px(2310), px(1200), px(3015), px(435)));
    }

    void consentStoresTheStartPageAndMakesTheLaunchers() {
        click("Command1");
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QCOMPARE(platform::StartPageStore().read(), std::string(kPortal));
        QCOMPARE(filesUnder(path("config")), QStringList{QStringLiteral("tovrin/startpage.txt")});
        QCOMPARE(filesUnder(path("home")),
                 QStringList{QStringLiteral("Desktop/nav.tovrin.example.desktop")});
        QCOMPARE(filesUnder(path("data")),
                 QStringList{QStringLiteral("applications/nav.tovrin.example.desktop")});
        QFile launcher(path("data/applications/nav.tovrin.example.desktop"));
        QVERIFY(launcher.open(QIODevice::ReadOnly));
        const QByteArray entry = launcher.readAll();
        QVERIFY(entry.contains("\nName=nav.tovrin.example\n"));
        QVERIFY(entry.contains("\nExec=xdg-open \"http://nav.tovrin.example/?542\"\n"));
        QCOMPARE(timerStarts, 1);
    }

    void consentGoesOnWhenTheStartPageCannotBeStored() {
        // A file where the configuration folder should be.
        QFile blocker(path("config"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        click("Command1");
        QVERIFY(!form->isVisible());
        QCOMPARE(platform::StartPageStore().read(), std::string());
        QCOMPARE(filesUnder(path("home")),
                 QStringList{QStringLiteral("Desktop/nav.tovrin.example.desktop")});
        QCOMPARE(filesUnder(path("data")),
                 QStringList{QStringLiteral("applications/nav.tovrin.example.desktop")});
        QCOMPARE(timerStarts, 1);
    }

    void consentGoesOnWhenNoLauncherCanBeMade() {
        QVERIFY(QDir(path("home/Desktop")).removeRecursively());
        QFile blocker(path("data"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        click("Command1");
        QVERIFY(!form->isVisible());
        QCOMPARE(platform::StartPageStore().read(), std::string(kPortal));
        QCOMPARE(filesUnder(path("home")), QStringList());
        QCOMPARE(timerStarts, 1);
    }

    void declineStoresNothing() {
        click("Command2");
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QCOMPARE(filesUnder(tmp->path()), QStringList());
        QVERIFY(QDir(path("home/Desktop")).exists());
        QCOMPARE(timerStarts, 0);
    }

    void closingTheWindowDeclines() {
        form->close();
        QVERIFY(!form->isVisible());
        QCOMPARE(filesUnder(tmp->path()), QStringList());
        QCOMPARE(timerStarts, 0);
    }
};

QTEST_MAIN(Form5Test)
#include "form5_test.moc"
