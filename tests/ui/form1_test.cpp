// The chart window, its tray menu and its timers, offscreen, with stand-ins for the keyboard,
// the browser and the end of the application.
#include "tests/ui/programfolder.h"
#include "ui/chart/form1.h"
#include "ui/common/fonts.h"
#include "ui/common/messagebox.h"
#include "ui/common/windowkeys.h"
#include "ui/lookup/form3.h"
#include "ui/practice/practicedeck.h"
#include "ui/practice/practicewindow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <set>

using namespace tovrin;

class Form1Test : public QObject {
    Q_OBJECT

private:
    gbk::Codec codec;
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<Form1> form;
    QStringList told;
    QList<QUrl> opened;
    std::set<int> down; // the keys held down
    int quits = 0;
    bool tray = true;
    bool keyEvents = false;       // the keys come as events: the tick runs only while one is held
    std::set<int> heldAtOpen;     // keys already down when the window is made
    std::function<void()> onTell; // what happens while a message is up
    WindowKeys* windowKeys = nullptr; // the keys come from the program's own windows
    bool canRestoreMinimised = true;
    PracticeDeck* practiceDeck = nullptr;

    void open(const QByteArray& setLine = "10102\r\n", bool withSetFile = true) {
        form.reset();
        folder = std::make_unique<ProgramFolder>();
        if (withSetFile)
            folder->write("set.txt", setLine);
        told.clear();
        onTell = nullptr;
        opened.clear();
        down = heldAtOpen;
        quits = 0;
        Form1::Services s;
        s.keyEvents = keyEvents;
        s.tell = [this](const QString&, const QString& text) {
            told << text;
            if (onTell)
                onTell();
        };
        s.openUrl = [this](const QUrl& url) { opened << url; };
        s.isFirstInstance = [] { return true; };
        s.readKeys = [] {};
        s.keyDown = [this](int vk) { return down.count(vk) > 0; };
        if (WindowKeys* keys = windowKeys) {
            s.readKeys = [keys] { keys->read(); };
            s.keyDown = [keys](int vk) { return keys->keyDown(vk); };
        }
        s.canRestoreMinimised = canRestoreMinimised;
        s.trayAvailable = tray;
        s.runDialog = [](QDialog* d) { d->show(); };
        s.quit = [this] { ++quits; };
        s.practiceDeck = practiceDeck;
        form = std::make_unique<Form1>(codec, folder->files(), s);
        if (windowKeys)
            connect(
                windowKeys, &WindowKeys::wentDown, form.get(), [this] { form->keyWentDown(); },
                Qt::QueuedConnection); // as the program does
        form->show();
        QTRY_VERIFY(!form->Timer2->isActive()); // set.txt has been read
    }
    QLabel* label(const QString& name) {
        auto* l = form->findChild<QLabel*>(name);
        if (!l)
            qFatal("no label %s", qPrintable(name));
        return l;
    }
    QLabel* link(int i) { return label(QStringLiteral("Label1_%1").arg(i)); }
    bool red(int i) { return link(i)->styleSheet().contains(QStringLiteral("#c00000")); }
    void tick(std::initializer_list<int> keys) {
        down = keys;
        form->Timer1_Timer();
        down.clear();
    }
    QAction* item(const char* name) {
        auto* a = form->trayMenu()->findChild<QAction*>(QString::fromLatin1(name));
        if (!a)
            qFatal("no tray item %s", name);
        return a;
    }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }

    void theSettingsTimerLoadsTheChartAndTheKeys() {
        open("20312\r\n");
        QCOMPARE(QString::fromStdString(form->state().Label2), QStringLiteral("20312"));
        QCOMPARE(form->state().chartKey, 114);
        QCOMPARE(form->state().lookupKey, 123);
        QVERIFY(!label(QStringLiteral("Picture1"))->pixmap().isNull());
        QCOMPARE(label(QStringLiteral("Picture1"))->pixmap().size(), QSize(670, 400));
        QVERIFY(told.isEmpty());

        // Key numbers that are no F-key leave the keys as they were.
        folder->write("set.txt", "30013\r\n");
        form->Timer2->start();
        QTRY_VERIFY(!form->Timer2->isActive());
        QCOMPARE(form->state().chartKey, 114);
        QCOMPARE(form->state().lookupKey, 123);
        QCOMPARE(QString::fromStdString(form->state().Label2), QStringLiteral("30013"));
    }

    void aHotKeyHeldBeforeTheSettingsAreReadActsOnceTheyAre() {
        keyEvents = true;
        heldAtOpen = {113}; // F2, pressed while the program starts; no event comes after
        open();
        keyEvents = false;
        heldAtOpen.clear();
        QVERIFY(form->lookupWindow() && form->lookupWindow()->isVisible());
        QVERIFY(form->Timer1->isActive()); // held: the ticks go on until it is let go
        down.clear();
        QTRY_VERIFY(!form->Timer1->isActive());
    }

    void missingFilesGiveTheDefaultsAndATellOnce() {
        open({}, false); // no set.txt: chart 1, F1 and F2
        QCOMPARE(form->state().chartKey, 112);
        QCOMPARE(form->state().lookupKey, 113);
        QVERIFY(!label(QStringLiteral("Picture1"))->pixmap().isNull());
        QFile::remove(folder->dir.filePath(QStringLiteral("J2.bmp")));
        form->loadChart(2);
        form->loadChart(2);
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(QStringLiteral("J2.bmp")));
        QVERIFY(label(QStringLiteral("Picture1"))->pixmap().isNull());
        // A chart cut short is damaged, as a missing one is: no half-black picture.
        QFile whole(QStringLiteral(TOVRIN_BIN_DIR "/J3.bmp"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile::remove(folder->dir.filePath(QStringLiteral("J3.bmp")));
        folder->write("J3.bmp", whole.read(whole.size() / 2));
        form->loadChart(3);
        QCOMPARE(told.size(), 2);
        QVERIFY(told[1].contains(QStringLiteral("J3.bmp")));
        QVERIFY(label(QStringLiteral("Picture1"))->pixmap().isNull());
        QVERIFY(form->isVisible()); // the application carries on
    }

    void hoverTurnsOneLinkRed() {
        open();
        QTest::mouseMove(link(3));
        QVERIFY(red(3));
        QVERIFY(!red(0) && !red(5));
        QTest::mouseMove(link(0));
        QVERIFY(red(0) && !red(3));
        QTest::mouseMove(label(QStringLiteral("Picture1")));
        for (int i = 0; i < 6; ++i)
            QVERIFY(!red(i));
    }

    void theLinksOpenTheLookupWindowAndTheHomePage() {
        open();
        QTest::mouseClick(link(0), Qt::LeftButton);
        QVERIFY(form->lookupWindow());
        QVERIFY(form->lookupWindow()->isVisible());
        Form3* lookup = form->lookupWindow();
        // Again while it is shown: no second window, the layout reset instead.
        QTest::mouseClick(link(0), Qt::LeftButton);
        QCOMPARE(form->lookupWindow(), lookup);
        QVERIFY(lookup->Timer1->isActive());

        QTest::mouseClick(link(5), Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].host(), QStringLiteral("www.tovrin.example"));
    }

    void closeRequestsHideIntoTheTrayUntilAnExit() {
        open();
        form->close();
        QVERIFY(form->windowState() & Qt::WindowMinimized);
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(quits, 0);
        QCOMPARE(QString::fromStdString(form->state().Label8), QStringLiteral("Label8"));

        form->trayLeftClick();
        QVERIFY(form->isVisible());
        QVERIFY(!(form->windowState() & Qt::WindowMinimized));

        QTest::mouseClick(link(4), Qt::LeftButton); // 关闭
        QCOMPARE(QString::fromStdString(form->state().Label8), QStringLiteral("真退"));
        QVERIFY(!form->isVisible());
        QCOMPARE(quits, 1);
    }

    void theTrayRemembersTheStateToReturnTo() {
        open();
        QVERIFY(!item("show1")->text().isEmpty());
        QVERIFY(!form->trayMenu()->actions().contains(item("mnuTrayRestore")));
        QCOMPARE(form->trayMenu()->actions().size(), 4); // 主界面, 查询界面, a line, 退出
        item("mnuTrayMaximize")->trigger();
        QCOMPARE(form->state().LastState, 2);
        QVERIFY(!item("mnuTrayMaximize")->isEnabled());
        QVERIFY(item("mnuTrayRestore")->isEnabled());
        item("mnuTrayMinimize")->trigger();
        QCOMPARE(form->state().LastState, 2); // never the minimised state
        QVERIFY(item("mnuTrayMaximize")->isEnabled());
        QVERIFY(!item("mnuTrayMinimize")->isEnabled());
        QTRY_VERIFY(!form->isVisible());
        form->show1();
        QVERIFY(form->isVisible());
        QVERIFY(form->windowState() & Qt::WindowMaximized);
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        item("mnuTrayRestore")->trigger();
        QCOMPARE(form->state().LastState, 0);
        QVERIFY(item("mnuTrayMove")->isEnabled());

        // The lookup window is made anew at each opening; its missing dictionary is told once
        // a run, not at every opening.
        QFile::remove(folder->dir.filePath(QStringLiteral("vezari.dat")));
        item("show2")->trigger();
        QVERIFY(form->lookupWindow() && form->lookupWindow()->isVisible());
        tick({27});
        QVERIFY(!form->lookupWindow());
        item("show2")->trigger();
        QVERIFY(form->lookupWindow() && form->lookupWindow()->isVisible());
        QCOMPARE(told.filter(QStringLiteral("vezari.dat")).size(), 1);
        item("mnuTrayClose")->trigger();
        QCOMPARE(QString::fromStdString(form->state().Label8), QStringLiteral("真退"));
        QCOMPARE(quits, 1);
    }

    void theLookupWindowIsBuiltAheadAndAnewAfterEachClosing() {
        open();
        auto spare = [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<Form3*>(w); f && !f->isVisible())
                    return QPointer<Form3>(f);
            return QPointer<Form3>();
        };
        QTRY_VERIFY(spare());
        QPointer<Form3> ahead = spare();
        QTRY_VERIFY(!ahead->Timer2->isActive()); // built long before the press
        tick({113});
        QCOMPARE(form->lookupWindow(), ahead.data());
        QVERIFY(ahead->Timer2->isActive()); // it reads the start page once it is open
        tick({27});
        QTRY_VERIFY(!ahead); // closed: deleted with its dictionaries
        QTRY_VERIFY(spare());
        QVERIFY(!form->lookupWindow());
    }

    void hotKeysShowAndEscapePutsEverythingAway() {
        open("10102\r\n");
        form->hide();
        tick({112});
        QVERIFY(form->isVisible());
        tick({113});
        QVERIFY(form->lookupWindow() && form->lookupWindow()->isVisible());
        tick({113}); // held: the lookup window goes back to its place again
        QVERIFY(form->lookupWindow()->Timer1->isActive());
        tick({27});
        QVERIFY(!form->isVisible());
        QVERIFY(!form->lookupWindow()); // closed, its dictionaries with it
        QCOMPARE(quits, 0);             // ESC does not end the application
        // A hot key and ESC in one tick: ESC runs last and wins.
        tick({112, 27});
        QVERIFY(!form->isVisible());
        tick({}); // nothing down: nothing happens
        QVERIFY(!form->isVisible());
    }

    void escapeWhileTheLookupWindowTellsSomething() {
        // ESC pressed while the lookup window's message is up (the message's own event loop
        // runs the hot-key tick): the window goes once its message has returned, not under it.
        open("10102\r\n");
        QVERIFY(QFile::remove(folder->path() + QStringLiteral("/拼音4.bmp")));
        tick({113});
        QPointer<Form3> lookup = form->lookupWindow();
        QVERIFY(lookup);
        onTell = [this] { tick({27}); };
        QTest::mouseClick(lookup->findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(told.size(), 1); // the keyboard's missing picture
        QVERIFY(!form->lookupWindow());
        QTRY_VERIFY(!lookup); // deleted after its handler returned
        onTell = nullptr;
        tick({113}); // and a new one opens
        QVERIFY(form->lookupWindow() && form->lookupWindow()->isVisible());
    }

    // tovrin --practice --at TIME: the practice session's clock starts at TIME.
    void thePracticeCommandStartsItsClockAtTheTimeGiven() {
        QTemporaryDir data;
        PracticeDeck deck(
            codec, data.filePath(QStringLiteral("practice.db")).toStdString(),
            [this](std::string_view name) { return folder->files().dictionary(name); });
        deck.store().add("我", *practice::parseTime("2030-01-01T00:00:00Z"));
        practiceDeck = &deck;
        open();
        practiceDeck = nullptr;
        QCOMPARE(form->command("practice 2030-01-01T00:00:01"), platform::Acted::Unknown);
        QCOMPARE(form->command("practice 2030-01-01T00:00:01Z"), platform::Acted::Done);
        QCOMPARE(label(QStringLiteral("item"))->text(), QStringLiteral("我"));
        form.reset();
    }

    void aDialogStopsTheLookupKey() {
        open();
        QTest::mouseClick(link(3), Qt::LeftButton); // 关于, shown without blocking here
        QVERIFY(form->anyDialogShown());
        tick({113});
        QVERIFY(!form->lookupWindow());
        form->show2();
        QVERIFY(!form->lookupWindow());
        tick({112}); // the chart key still shows the chart window
        QVERIFY(form->isVisible());
    }

    void theSettingsDialogPreviewsAndSavesTheChart() {
        open("10102\r\n");
        QTest::mouseClick(link(1), Qt::LeftButton); // 设置
        auto* dialog = form->findChild<QDialog*>(QStringLiteral("Form2"));
        QVERIFY(dialog && dialog->isVisible());
        QVERIFY(form->anyDialogShown());
        const QImage j3(folder->dir.filePath(QStringLiteral("J3.bmp")));
        QVERIFY(label(QStringLiteral("Picture1"))->pixmap().toImage() != j3);
        QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("Option3")), Qt::LeftButton);
        QCOMPARE(label(QStringLiteral("Picture1"))->pixmap().toImage(), j3); // at once
        QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("Command1")), Qt::LeftButton);
        QTRY_VERIFY(!form->anyDialogShown());
        QTRY_COMPARE(QString::fromStdString(form->state().Label2),
                     QStringLiteral("30102")); // read again through Timer2
        QFile set(folder->dir.filePath(QStringLiteral("set.txt")));
        QVERIFY(set.open(QIODevice::ReadOnly));
        QCOMPARE(set.readAll(), QByteArray("30102\r\n"));
    }

    void aMessageStandsOverTheDialogItSpeaksFor() {
        // A dialog that stays on top, as the settings dialog does, with a message told while
        // it is up: the box is the dialog's own and stays on top too.
        QDialog dialog(nullptr, Qt::WindowStaysOnTopHint);
        dialog.open();
        QWidget* owner = nullptr;
        bool onTop = false;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (box && box->objectName() == QStringLiteral("messageBox")) {
                owner = box->parentWidget();
                onTop = box->windowFlags() & Qt::WindowStaysOnTopHint;
                box->close();
            }
        });
        tellOver(QStringLiteral("提示！"), QStringLiteral("无法写入设置文件"));
        QCOMPARE(owner, &dialog);
        QVERIFY(onTop);
    }

    void theEndOfTheSessionEndsTheApplication() {
        open();
        QVERIFY(form->Timer1->isActive());
        form->endSession();
        QCOMPARE(QString::fromStdString(form->state().Label8), QStringLiteral("真退"));
        QVERIFY(!form->Timer1->isActive());
        QCOMPARE(quits, 1);
    }

    void keysInTheProgramsOwnWindowsWhereNoneCanBeReadGlobally() {
        // Natively on Wayland: F1, F2 and ESC pressed in a window of the program act, and with
        // no tray ESC hides the chart (a minimised one could not be brought back) so that F1,
        // pressed in the lookup window, shows it again.
        WindowKeys keys;
        qApp->installEventFilter(&keys);
        windowKeys = &keys;
        keyEvents = true;
        tray = false;
        canRestoreMinimised = false;
        open();
        windowKeys = nullptr;
        keyEvents = false;
        tray = true;
        canRestoreMinimised = true;
        const auto press = [](QWidget* w, Qt::Key key) {
            QTest::keyPress(w, key);
            QTest::keyRelease(w, key);
        };
        press(form.get(), Qt::Key_F2);
        QTRY_VERIFY(form->lookupWindow() && form->lookupWindow()->isVisible());
        press(form->lookupWindow(), Qt::Key_Escape);
        QTRY_VERIFY(!form->lookupWindow());
        QVERIFY(!form->isVisible());
        QVERIFY(!(form->windowState() & Qt::WindowMinimized));
        form->command("lookup");
        press(form->lookupWindow(), Qt::Key_F1);
        QTRY_VERIFY(form->isVisible());
        // ESC closes the settings dialog it is pressed in, and its release reaches no window: it
        // is not taken as held, so the chart that --chart shows next stays.
        QTest::mouseClick(link(1), Qt::LeftButton); // 设置
        auto* dialog = form->findChild<QDialog*>(QStringLiteral("Form2"));
        QVERIFY(dialog);
        dialog->activateWindow();
        QTRY_VERIFY(dialog->isActiveWindow());
        QTest::keyPress(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!form->anyDialogShown() && !form->isVisible()); // everything put away
        form->command("chart");
        QTest::qWait(300);
        QVERIFY(form->isVisible());
        form.reset();
    }

    void withoutATrayTheWindowMinimisesNormally() {
        tray = false;
        open();
        tray = true;
        QVERIFY(!form->trayIcon());
        QVERIFY(!(form->windowFlags() & Qt::Tool) || form->windowFlags() & Qt::Window);
        form->close();
        QVERIFY(form->windowState() & Qt::WindowMinimized);
        QTest::qWait(20);
        QVERIFY(form->isVisible()); // still reachable from the taskbar
        // ESC puts it away the same way: minimised, not withdrawn beyond reach.
        form->showNormal();
        tick({27});
        QVERIFY(form->windowState() & Qt::WindowMinimized);
        QTest::qWait(20);
        QVERIFY(form->isVisible());
        QTest::mouseClick(link(4), Qt::LeftButton);
        QCOMPARE(quits, 1);
    }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
