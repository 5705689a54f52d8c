// The practice window over a deck the lookup window filled, driven through their real controls
// and keys, offscreen, with a store of the test's own.
#include "tests/core/testdata.h"
#include "tests/ui/controls.h"
#include "tests/ui/programfolder.h"
#include "ui/common/fonts.h"
#include "ui/lookup/form3.h"
#include "ui/practice/practicewindow.h"

#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>

using namespace tovrin;

class PracticeTest : public QObject {
    Q_OBJECT

    gbk::Codec codec;

    static QString plain(const QLabel* label) {
        return QTextDocumentFragment::fromHtml(label->text()).toPlainText();
    }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }

    void picksJoinTheDeckAndTheDrillShowsWhatWasWrong() {
        ProgramFolder folder;
        QTemporaryDir data;
        PracticeDeck deck(
            codec, data.filePath(QStringLiteral("practice.db")).toStdString(),
            [&folder](std::string_view name) { return folder.files().dictionary(name); });

        // 我, then 们 from the association list the pick shows: the word 我们 is spelt.
        Form3::Services services;
        services.isFirstInstance = [] { return true; };
        services.lookedUp = [&deck](const gbk::Text& item, bool inText) {
            deck.lookedUp(item, inText ? PracticeDeck::Source::Text : PracticeDeck::Source::Pick);
        };
        Form3 lookup(codec, folder.files(), services);
        QVERIFY(lookup.Form_Load());
        lookup.show();
        auto pick = [&lookup](const QString& character) {
            for (int i = 0; i < 51; ++i) {
                auto* cell = control<QLabel>(&lookup, QStringLiteral("Label11_%1").arg(i));
                if (cell->text() == character) {
                    QTest::mousePress(cell, Qt::LeftButton);
                    QTest::mouseRelease(cell, Qt::LeftButton);
                    return true;
                }
            }
            return false;
        };
        QVERIFY(pick(QStringLiteral("我")));
        QVERIFY(pick(QStringLiteral("们")));
        platform::PracticeStore& store = deck.store();
        QTRY_VERIFY(store.find("我们").has_value());
        QVERIFY(store.find("我") && store.find("们"));
        QCOMPARE(store.list().size(), std::size_t(3));

        // The first due item is the one looked up first.
        QStringList told;
        PracticeWindow window(deck, {[&told](const QString&, const QString& t) { told << t; }, {}});
        window.open();
        QVERIFY(told.isEmpty());
        auto* item = control<QLabel>(&window, QStringLiteral("item"));
        auto* feedback = control<QLabel>(&window, QStringLiteral("feedback"));
        QCOMPARE(item->text(), QStringLiteral("我"));
        QTRY_VERIFY(control<QLabel>(&window, QStringLiteral("dueToday"))->text().contains(u'3'));

        // TRNQ for TRNT: the fourth letter answers, wrongly; it alone is marked, and both keys
        // show.
        QTest::keyClicks(&window, QStringLiteral("trnq"));
        QVERIFY(plain(feedback).contains(QStringLiteral("错")));
        QCOMPARE(feedback->text().count(QStringLiteral("<u>")), 1);
        QVERIFY(plain(feedback).contains(QStringLiteral("应为 T 禾")));
        QVERIFY(plain(feedback).contains(QStringLiteral("打成 Q 金")));
        QVERIFY(!plain(feedback).contains(u'<'));     // markup is drawn, never shown
        QCOMPARE(item->text(), QStringLiteral("我")); // a wrong answer keeps the item

        // The full code of a character that has a one-letter code: right, with the short one.
        QTest::keyClicks(&window, QStringLiteral("TRNT"));
        QVERIFY(plain(feedback).contains(QStringLiteral("对")));
        QVERIFY(plain(feedback).contains(QStringLiteral("可用简码 Q")));
        QVERIFY(item->text() != QStringLiteral("我")); // on to the next item
        // Both answers were kept before the next item showed; the showing is one review, the
        // wrong first answer's.
        QCOMPARE(store.find("我")->card.reps, 1);
        QCOMPARE(store.mostMissed(5), std::vector<std::string>{"我"});
    }

    // Nothing due now: the window says what is due now and when the next item comes, wakes by
    // itself when it does, and starts by key; a text looked up joins only when asked.
    void nothingDueWaitsForTheNextItemAndStartsByKey() {
        ProgramFolder folder;
        QTemporaryDir data;
        PracticeDeck deck(
            codec, data.filePath(QStringLiteral("practice.db")).toStdString(),
            [&folder](std::string_view name) { return folder.files().dictionary(name); });
        platform::PracticeStore& store = deck.store();
        deck.lookedUp(testdata::text("你"), PracticeDeck::Source::Text);
        QVERIFY(!store.find("你"));
        const practice::Millis hour = 3600 * 1000;
        const practice::Millis start = *practice::parseTime("2026-12-08T02:00:00Z");
        practice::Millis clock = start;
        store.add("我", start + hour);
        PracticeWindow window(deck, {{}, [&clock] { return clock; }});
        window.open();
        auto* item = control<QLabel>(&window, QStringLiteral("item"));
        auto* due = control<QLabel>(&window, QStringLiteral("dueToday"));
        QCOMPARE(item->text(), QStringLiteral("暂无待练"));
        QTRY_VERIFY2(due->text().startsWith(QStringLiteral("现在待练 0 项；今天稍后还有 1 项")),
                     qPrintable(due->text()));
        clock += hour;
        QTest::keyClick(&window, Qt::Key_Space);
        QCOMPARE(item->text(), QStringLiteral("我"));

        // On the system's clock, an item due in a moment shows by itself.
        store.remove("我");
        store.add("们", platform::PracticeStore::now() + 300);
        PracticeWindow waiting(deck, {});
        waiting.open();
        QTest::keyClick(&waiting, Qt::Key_Return); // nothing due yet: the timer is set again
        QCOMPARE(control<QLabel>(&waiting, QStringLiteral("item"))->text(),
                 QStringLiteral("暂无待练"));
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&waiting, QStringLiteral("item"))->text(),
                                  QStringLiteral("们"), 5000);
    }
};

QTEST_MAIN(PracticeTest)
#include "practice_test.moc"
