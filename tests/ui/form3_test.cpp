// The lookup window driven through its real controls, offscreen.
#include "core/dict/codelookup.h"
#include "core/dict/quwei.h"
#include "core/dict/records.h"
#include "tests/ui/controls.h"
#include "tests/ui/programfolder.h"
#include "ui/common/fonts.h"
#include "ui/lookup/form3.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWheelEvent>

#include <memory>

using namespace tovrin;

namespace {

struct Told {
    QStringList texts;
};

} // namespace

class Form3Test : public QObject {
    Q_OBJECT

private:
    gbk::Codec codec;
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<Form3> form;
    Told told;
    QList<QUrl> opened;
    int desktops = 0;
    QString startPage = QStringLiteral("www.start.example");
    promo::Sources promotion; // none: no offer

    void open(bool withFiles = true, const QByteArray& setup = {}) {
        form.reset();
        folder = std::make_unique<ProgramFolder>(withFiles);
        if (!setup.isEmpty()) {
            QFile f(folder->dir.filePath(QStringLiteral("setup.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(setup);
        }
        told.texts.clear();
        Form3::Services services;
        services.tell = [this](const QString&, const QString& text) { told.texts << text; };
        services.isFirstInstance = [] { return true; };
        services.openUrl = [this](const QUrl& url) { opened << url; };
        services.showDesktop = [this] { ++desktops; };
        services.portalAddress = [] { return QStringLiteral("http://nav.portal.example/?542"); };
        services.startPage = [this] { return startPage; };
        services.promotion = promotion;
        opened.clear();
        desktops = 0;
        form = std::make_unique<Form3>(codec, folder->files(), services);
        QVERIFY(form->Form_Load());
        form->show();
    }
    template <class T> T* child(const QString& name) { return control<T>(form.get(), name); }
    QLabel* label(const QString& name) { return child<QLabel>(name); }
    void click(const QString& name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    void press(const QString& name, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(child<QWidget>(name), button);
        QTest::mouseRelease(child<QWidget>(name), button);
    }
    // The strokes 1..5 through their buttons Command2..Command6.
    void strokes(const char* digits) {
        for (const char* d = digits; *d; ++d)
            click(QStringLiteral("Command%1").arg(*d - '0' + 1));
    }
    QString cell(int i) { return label(QStringLiteral("Label11_%1").arg(i))->text(); }
    QString pinyinCell(int i) { return label(QStringLiteral("Label66_%1").arg(i))->text(); }
    QString firstHistoryLine() {
        return child<QPlainTextEdit>(QStringLiteral("Text1"))->toPlainText().section(u'\n', 0, 0);
    }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }

    void theWindowIsAFramelessToolOnTop() {
        open();
        QCOMPARE(form->size(), QSize(478, 213)); // 7170 x 3200 twips
        QVERIFY(form->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(form->windowFlags() & Qt::Tool, Qt::Tool);
        QCOMPARE(child<QPushButton>(QStringLiteral("Command2"))->focusPolicy(), Qt::NoFocus);
        QCOMPARE(child<QPushButton>(QStringLiteral("Command2"))->geometry(),
                 Form3::pxRect(90, 375, 465, 435));
        QCOMPARE(cell(0), QStringLiteral("拜"));
        QCOMPARE(cell(50), QStringLiteral("饿"));
        QVERIFY(told.texts.isEmpty());
        // setup.txt was created with the defaults.
        QFile setup(folder->dir.filePath(QStringLiteral("setup.txt")));
        QVERIFY(setup.open(QIODevice::ReadOnly));
        QCOMPARE(setup.readAll(), QByteArray("000\r\n"));
    }

    void strokeClicksRefreshTheGrid() {
        open();
        strokes("3121534");
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QStringLiteral("丿一丨一乛丿丶"));
        QCOMPARE(cell(0), QStringLiteral("我"));
        click(QStringLiteral("Command7")); // "←"
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QStringLiteral("丿一丨一乛丿"));
        click(QStringLiteral("Command8")); // "清"
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QString());
        QCOMPARE(cell(0), QStringLiteral("拜"));
    }

    void theKeysOfStrokeInputMethodsClickTheButtons() {
        open();
        QTest::keyClicks(form.get(), QStringLiteral("p1s")); // 丿 一 丨, by letter and digit
        QTest::keyClick(form.get(), Qt::Key_1, Qt::KeypadModifier);
        QTest::keyClicks(form.get(), QStringLiteral("zpn"));
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QStringLiteral("丿一丨一乛丿丶"));
        QTest::keyClick(form.get(), Qt::Key_Backspace); // "←"
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QStringLiteral("丿一丨一乛丿"));
        QTest::keyClick(form.get(), Qt::Key_Delete); // "清"
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QString());
        QTest::keyClick(form.get(), Qt::Key_H, Qt::ControlModifier); // not a stroke
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QString());
        press(QStringLiteral("Label11_14")); // 我
        QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("我"));
    }

    void theHistoryBoxScrollsByLinesAndShowsTheNewestAfterAPick() {
        open();
        press(QStringLiteral("Label11_14")); // 我
        press(QStringLiteral("Label11_0"));  // 们: three lines, 我们 TRWU on top
        auto* box = child<QPlainTextEdit>(QStringLiteral("Text1"));
        QScrollBar* lines = box->verticalScrollBar();
        QCOMPARE(lines->value(), 0);
        auto wheel = [box](int notches) {
            QWheelEvent e(QPointF(10, 10), box->mapToGlobal(QPointF(10, 10)), QPoint(),
                          QPoint(0, -120 * notches), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(box->viewport(), &e);
        };
        wheel(1);
        QCOMPARE(lines->value(), 1); // 们 WU WUN
        QTest::keyClick(form.get(), Qt::Key_Down);
        QCOMPARE(lines->value(), 2); // 我 Q TRN TRNT
        QTest::keyClick(form.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(lines->value(), lines->maximum());
        press(QStringLiteral("Label11_0")); // the next pick: its line is the one shown
        QCOMPARE(lines->value(), 0);
    }

    void theLinkBoxCoversNoLetterOfAnyCharactersCodes() {
        // Every character of the code dictionary, its summary line shown beside the link box of
        // its kind (the search for GB 2312, the wider article for the rest): the line's letters
        // as laid out end before the box, and the box stays inside the history box.
        open();
        auto* box = child<QPlainTextEdit>(QStringLiteral("Text1"));
        QWidget* link = child<QWidget>(QStringLiteral("Picture1"));
        QFile file(folder->dir.filePath(QStringLiteral("单字GBK.dat")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const RecordFile codes = RecordFile::fromBytes(
            {bytes.constData(), std::size_t(bytes.size())}, CodeRecord::kLength);
        std::array<QStringList, 2> lines; // outside GB 2312, in it
        for (std::int32_t i = 1; i <= codes.count(); ++i) {
            const gbk::Char c = gbk::firstChar(codes.record(i).substr(0, 2));
            if (i > 1 && gbk::firstChar(codes.record(i - 1).substr(0, 2)) == c)
                continue;
            QString line;
            const CodeLine codeLine = collectCodes(codes, i, c);
            for (gbk::Char g : codeLine.summary.view()) {
                const char32_t u = g < 0x80 ? g : codec.toUnicode(g);
                line += QString::fromUcs4(&u, 1);
            }
            lines[isGb2312ByQuwei(gbk::Text(1, c))] << line;
        }
        QVERIFY(lines[0].size() > 10000 && lines[1].size() > 6000);
        const auto check = [&](const QStringList& summaries) {
            const int right =
                box->viewport()->mapTo(form.get(), QPoint(box->viewport()->width(), 0)).x();
            for (const QString& line : summaries) {
                box->setPlainText(line);
                form->fitLinkBox();
                const QTextBlock block = box->document()->firstBlock();
                box->document()->documentLayout()->blockBoundingRect(block); // laid out now
                const int start =
                    box->viewport()
                        ->mapTo(form.get(), box->cursorRect(QTextCursor(block)).topLeft())
                        .x();
                const double end = start + block.layout()->lineAt(0).naturalTextWidth();
                if (end > link->x() || link->geometry().right() >= right)
                    QFAIL(qPrintable(
                        QStringLiteral("%1: the letters end at %2, the link box spans %3-%4")
                            .arg(line)
                            .arg(end)
                            .arg(link->x())
                            .arg(link->geometry().right())));
            }
        };
        press(QStringLiteral("Label11_14")); // 我: the search link
        check(lines[1]);
        click(QStringLiteral("Command8")); // 一丶, past "更多": a character outside GB 2312
        strokes("14");
        click(QStringLiteral("Label10"));
        press(QStringLiteral("Label11_40"));
        QVERIFY(label(QStringLiteral("Image5"))->isVisible());
        check(lines[0]);
    }

    void theMoreLinkShowsWhatWasHeldBack() {
        open();
        strokes("14");
        QLabel* more = label(QStringLiteral("Label10"));
        QVERIFY(more->isVisible());
        // At the first empty cell, cell 40: 66 twips left of and 22 below it at size 0.
        QCOMPARE(more->geometry(), Form3::pxRect(195 + 407 * 6 - 66, 1800 + 22, 375, 180));
        QVERIFY(cell(40).isEmpty());
        click(QStringLiteral("Label10"));
        QVERIFY(!more->isVisible());
        QVERIFY(!cell(40).isEmpty());
    }

    void aPickLogsTheCodesAndOffersTheNextCharacters() {
        open();
        QCOMPARE(cell(14), QStringLiteral("我"));
        press(QStringLiteral("Label11_14"), Qt::RightButton); // any button picks
        QCOMPARE(firstHistoryLine(), QStringLiteral("我 Q TRN TRNT"));
        QCOMPARE(cell(0), QStringLiteral("们"));
        QVERIFY(label(QStringLiteral("Picture1"))->isVisible());
        QVERIFY(label(QStringLiteral("Image4"))->isVisible());
        QVERIFY(!label(QStringLiteral("Image5"))->isVisible());
        QCOMPARE(label(QStringLiteral("Picture1"))->geometry(), // the search picture whole
                 Form3::pxRect(5310, 2460, 855, 405));
        // 们 from the association grid spells 我们: the word's code stands in front of the
        // character's own line.
        press(QStringLiteral("Label11_0"));
        const QString history = child<QPlainTextEdit>(QStringLiteral("Text1"))->toPlainText();
        QCOMPARE(history.section(u'\n', 0, 0), QStringLiteral("我们 TRWU"));
        QCOMPARE(history.section(u'\n', 1, 1), QStringLiteral("们 WU WUN"));
        QCOMPARE(history.section(u'\n', 2, 2), QStringLiteral("我 Q TRN TRNT"));
        QCOMPARE(QString::fromStdString(codec.toUtf8(form->state().view().Label19)),
                 QStringLiteral("我们"));
    }

    void theHistoryBoxKeepsItsLinesAsPicksComeIn() {
        // New lines go in at the top, a word line in front of them while the picks spell one,
        // and the oldest leave past 1,000 lines: the box always shows exactly the state's lines.
        open();
        auto shown = [this] {
            return child<QPlainTextEdit>(QStringLiteral("Text1"))->toPlainText();
        };
        auto wanted = [this] {
            QStringList lines;
            const gbk::Text word = form->state().view().wordLine();
            if (!word.empty())
                lines << QString::fromStdString(codec.toUtf8(word));
            for (std::u16string_view line : form->state().view().Text1)
                lines << QString::fromStdString(codec.toUtf8(line));
            return lines.join(u'\n');
        };
        for (int i = 0; i < 503; ++i) {
            click(QStringLiteral("Command8"));   // 清: the default grid
            press(QStringLiteral("Label11_14")); // 我
            if (i < 2)
                QCOMPARE(shown(), wanted());
            press(QStringLiteral("Label11_0")); // 们, offered next: the word 我们
            if (i < 2 || i % 100 == 0)
                QCOMPARE(shown(), wanted());
        }
        QCOMPARE(form->state().view().Text1.size(), LookupView::kText1Lines);
        QCOMPARE(shown(), wanted());
    }

    void thePinyinKeyboardTypesPagesAndPicks() {
        open();
        click(QStringLiteral("Command1"));
        QVERIFY(label(QStringLiteral("Image8"))->isVisible());
        QVERIFY(!label(QStringLiteral("Label11_0"))->isVisible()); // the grid hides beneath it
        QVERIFY(!label(QStringLiteral("Image8"))->pixmap().isNull());
        for (int letter : {'z', 'h', 'a', 'n', 'g'})
            click(QStringLiteral("Command18_%1").arg(letter - 'a'));
        QCOMPARE(label(QStringLiteral("Label63"))->text(), QStringLiteral("zhang"));
        QCOMPARE(pinyinCell(0) + pinyinCell(1) + pinyinCell(2), QStringLiteral("张涨长"));
        // The cells moved to the table's places when the keyboard opened.
        QCOMPARE(label(QStringLiteral("Label66_13"))->geometry(),
                 Form3::pxRect(2200 + 408, 1395, 280, 295));
        const QString first = pinyinCell(0);
        click(QStringLiteral("Label68"));
        QVERIFY(pinyinCell(0) != first);
        click(QStringLiteral("Label67"));
        QCOMPARE(pinyinCell(0), first);
        click(QStringLiteral("Label67")); // inactive on the first page: nothing happens
        QCOMPARE(pinyinCell(0), first);
        press(QStringLiteral("Label66_0"));
        QCOMPARE(firstHistoryLine(), QStringLiteral("张 XT XTA XTAY"));
        QVERIFY(label(QStringLiteral("Label63"))->text().isEmpty());
        click(QStringLiteral("Command2")); // a stroke closes the keyboard
        QVERIFY(!label(QStringLiteral("Image8"))->isVisible());
        QCOMPARE(cell(0), QStringLiteral("一"));
    }

    void theOptionsPanelResizesBothGridsAndWritesSetup() {
        open();
        click(QStringLiteral("Command9"));
        QWidget* panel = child<QWidget>(QStringLiteral("Frame2"));
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->geometry(), Form3::pxRect(60, 330, 7050, 2805));
        QCOMPARE(label(QStringLiteral("Label111_0"))->text(), QStringLiteral("● 小四"));
        click(QStringLiteral("Label111_4"));
        QCOMPARE(label(QStringLiteral("Label111_4"))->text(), QStringLiteral("● 小二"));
        QCOMPARE(label(QStringLiteral("Label111_0"))->text(), QStringLiteral("○ 小四"));
        click(QStringLiteral("Command14"));
        QVERIFY(!panel->isVisible());
        QCOMPARE(label(QStringLiteral("Label11_16"))->geometry(),
                 Form3::pxRect(150 + 405 * 16, 940, 375, 360));
        QCOMPARE(label(QStringLiteral("Label11_16"))->font().pointSizeF(), 18.0);
        QCOMPARE(label(QStringLiteral("Label66_11"))->geometry(),
                 Form3::pxRect(2145 + 407 * 11, 940, 375, 360));
        QFile setup(folder->dir.filePath(QStringLiteral("setup.txt")));
        QVERIFY(setup.open(QIODevice::ReadOnly));
        QCOMPARE(setup.readAll(), QByteArray("004\r\n"));
    }

    void eventsTheStateRefusesAreNotForwarded() {
        open();
        click(QStringLiteral("Command9")); // the options panel covers the window
        child<QPushButton>(QStringLiteral("Command2"))->click();
        press(QStringLiteral("Label11_0"));
        QVERIFY(label(QStringLiteral("Label1"))->text().isEmpty());
        QVERIFY(firstHistoryLine().isEmpty());
        QVERIFY(child<QWidget>(QStringLiteral("Frame2"))->isVisible());
    }

    void setupChoosesTheSizeAtStart() {
        open(true, "102\r\n");
        QCOMPARE(label(QStringLiteral("Label11_34"))->geometry(),
                 Form3::pxRect(150, 1780, 325, 325));
        QCOMPARE(label(QStringLiteral("Label11_0"))->font().pointSizeF(), 15.0);
        // The pinyin cells keep their designed places until the keyboard opens.
        QCOMPARE(label(QStringLiteral("Label66_1"))->geometry(),
                 Form3::pxRect(2205 + 407, 990, 325, 325));
    }

    void theLayoutResetPlacesTheWindowBySetting() {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size() * 15;
        for (const char* setup : {"000", "010", "020"}) {
            open(true, QByteArray(setup) + "\r\n");
            form->move(0, 0);
            form->Timer1->start();
            QTRY_VERIFY(!form->Timer1->isActive());
            const int w = 7170, h = 3200;
            const QPoint want =
                setup[1] == '0' ? QPoint(screen.width() - w - 250, screen.height() - h - 500)
                : setup[1] == '1'
                    ? QPoint((screen.width() - w - 100) / 2, screen.height() - h - 500)
                    : QPoint((screen.width() - w) / 2, (screen.height() - h) / 2);
            QCOMPARE(form->pos(), QPoint(Form3::px(want.x()), Form3::px(want.y())));
        }
        // An unknown position leaves the window where it is.
        open(true, "090\r\n");
        form->move(7, 9);
        form->Label97();
        QCOMPARE(form->pos(), QPoint(7, 9));
    }

    void theCloseSpotClosesTheDictionaries() {
        open();
        QSignalSpy unloaded(form.get(), &Form3::unloaded);
        click(QStringLiteral("Label13"));
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(!form->isVisible());
        // A stroke search now finds nothing: the dictionaries are closed.
        strokes("14");
        QCOMPARE(form->state().view().Label11[0], LookupView::kNoCaption);
    }

    void missingFilesAreToldOnceAndTheWindowCarriesOn() {
        open(false);
        // The stroke, phrase and code dictionaries, each named once.
        QCOMPARE(told.texts.size(), 3);
        QVERIFY(told.texts[0].contains(QStringLiteral("vezari.dat")));
        QVERIFY(told.texts[2].contains(QStringLiteral("单字GBK.dat")));
        strokes("14");
        QVERIFY(cell(0).isEmpty());
        click(QStringLiteral("Command1"));
        // The pinyin dictionary and the keyboard picture, once each.
        QCOMPARE(told.texts.size(), 5);
        click(QStringLiteral("Command1"));
        click(QStringLiteral("Command18_0"));
        QCOMPARE(told.texts.size(), 5);
        QVERIFY(pinyinCell(0).isEmpty());
    }

    void dragTheTitleStrip() {
        open();
        form->move(100, 100);
        QWidget* strip = child<QWidget>(QStringLiteral("Label24"));
        QTest::mousePress(strip, Qt::LeftButton, {}, QPoint(10, 5));
        // 300 twips right and 150 down.
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 15), strip->mapToGlobal(QPointF(30, 15)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip, &move);
        QCOMPARE(form->pos(), QPoint(100 + Form3::px(300), 100 + Form3::px(150)));
        QTest::mouseRelease(strip, Qt::RightButton, {}, QPoint(30, 15)); // any button ends it
        QMouseEvent after(QEvent::MouseMove, QPointF(60, 40), strip->mapToGlobal(QPointF(60, 40)),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(strip, &after);
        QCOMPARE(form->pos(), QPoint(120, 110));
    }

    void aCloseFromTheWindowManagerTogglesTheWidth() {
        open();
        QCOMPARE(form->widthTwips(), 7170);
        form->refuseUserClose();
        QCOMPARE(form->widthTwips(), 9495);
        QCOMPARE(form->width(), Form3::px(9495));
        form->refuseUserClose();
        QCOMPARE(form->widthTwips(), 5555);
        form->refuseUserClose();
        QCOMPARE(form->widthTwips(), 9495);
        QVERIFY(form->isVisible());
        // A close from the program goes through.
        QVERIFY(form->close());
    }

    void collapseToTheBarAndBack() {
        open();
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size() * 15;
        click(QStringLiteral("Command9")); // an open options panel
        press(QStringLiteral("Label23"), Qt::RightButton);
        QVERIFY(!form->collapsed());
        press(QStringLiteral("Label23"));
        QVERIFY(form->collapsed());
        QCOMPARE(form->size(), QSize(Form3::px(1560), Form3::px(370)));
        QCOMPARE(form->pos(), QPoint(Form3::px(screen.width() - 1560 - 250),
                                     Form3::px(screen.height() - 370 - 540)));
        QVERIFY(label(QStringLiteral("Image1"))->isVisible());
        QVERIFY(!child<QWidget>(QStringLiteral("Frame2"))->isVisible());
        QVERIFY(!label(QStringLiteral("Label14"))->isVisible());
        QCOMPARE(label(QStringLiteral("Label97"))->pos(), QPoint(Form3::px(660), Form3::px(60)));

        click(QStringLiteral("Label95"));
        QCOMPARE(desktops, 1);
        click(QStringLiteral("Label96"));
        QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://nav.portal.example/?542"))});

        click(QStringLiteral("Label97")); // restore
        QVERIFY(!form->collapsed());
        QCOMPARE(form->size(), QSize(478, 213));
        QCOMPARE(form->pos(), QPoint(Form3::px(screen.width() - 7170 - 250),
                                     Form3::px(screen.height() - 3200 - 500)));
        QVERIFY(!label(QStringLiteral("Image1"))->isVisible());
        QVERIFY(label(QStringLiteral("Label14"))->isVisible());
        QVERIFY(!child<QWidget>(QStringLiteral("Frame2"))->isVisible()); // stays hidden
        QCOMPARE(label(QStringLiteral("Label97"))->x(), Form3::px(-1111));
        // The two spots take presses again, over the drag strip the collapse raised.
        for (const char* name : {"Label23", "Label13"}) {
            const QWidget* spot = label(QString::fromLatin1(name));
            QCOMPARE(form->childAt(spot->geometry().center()), spot);
        }
    }

    void theLinkBoxOpensTheSearchTheArticleAndThePortal() {
        open();
        press(QStringLiteral("Label11_14")); // 我, a GB 2312 character: the search link
        click(QStringLiteral("Image4"));
        QCOMPARE(opened.size(), 1);
        // The character goes as its GBK bytes, percent-encoded.
        QCOMPARE(opened[0].toEncoded(),
                 QByteArray("http://www.tovrin.example/wbcx/search.asp?page=1&type=title&"
                            "searchtxt=%CE%D2"));
        // Outside its picture the box opens the portal.
        QTest::mouseClick(child<QWidget>(QStringLiteral("Picture1")), Qt::LeftButton, {},
                          QPoint(2, 2));
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[1], QUrl(QStringLiteral("http://nav.portal.example/?542")));

        // A character outside GB 2312 (held back behind "更多" for the strokes 一丶): the article.
        click(QStringLiteral("Command8"));
        strokes("14");
        click(QStringLiteral("Label10"));
        press(QStringLiteral("Label11_40"));
        QVERIFY(label(QStringLiteral("Image5"))->isVisible());
        QVERIFY(!label(QStringLiteral("Image4"))->isVisible());
        click(QStringLiteral("Image5"));
        QCOMPARE(opened.size(), 3);
        QCOMPARE(opened[2], QUrl(QStringLiteral("http://www.tovrin.example/wbwz/news.asp?id=40")));
    }

    void aPickMayOfferThePortalFirst() {
        // A day after the offer began, and a draw that gives 2 of 3.
        promotion.today = [] {
            return std::chrono::year_month_day{std::chrono::year{2026} / 12 / 7};
        };
        promotion.reseed = [] {};
        promotion.uniform = [] { return 0.7; };
        open();
        QTRY_VERIFY(form->isActiveWindow());
        press(QStringLiteral("Label11_14"));
        auto* offer = form->findChild<QDialog*>(QStringLiteral("Form5"));
        QVERIFY(offer && offer->isVisible());
        QCOMPARE(firstHistoryLine(), QStringLiteral("我 Q TRN TRNT")); // the pick goes on
        // The keyboard stays with the window: the stroke typed next is on its stroke line.
        QTRY_COMPARE(QGuiApplication::focusWindow(), form->windowHandle());
        QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_H);
        QCOMPARE(label(QStringLiteral("Label1"))->text(), QStringLiteral("一"));
        // The pinyin grid's picks never offer it; a start page that is the portal stops it.
        delete offer;
        startPage = QStringLiteral("http://nav.portal.example/?542");
        form->Timer2->start();
        QTRY_COMPARE(form->Label9, startPage);
        press(QStringLiteral("Label11_0"));
        QVERIFY(!form->findChild<QDialog*>(QStringLiteral("Form5")));
        promotion = {};
        startPage = QStringLiteral("www.start.example");
    }

    void theStartPageIsReadAgainByTimer2() {
        open();
        QCOMPARE(form->Label9, QStringLiteral("http://www.start.example"));
        QCOMPARE(form->Label64, QStringLiteral("http://nav.portal.example/?542"));
        startPage = QStringLiteral("http://nav.portal.example/?542");
        QVERIFY(form->Timer2->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(form->Label9, QStringLiteral("http://nav.portal.example/?542"),
                                  3000);
        QVERIFY(!form->Timer2->isActive());
    }

    void aSecondCopyIsRefused() {
        ProgramFolder f;
        QStringList texts;
        Form3::Services services;
        services.tell = [&texts](const QString&, const QString& text) { texts << text; };
        services.isFirstInstance = [] { return false; };
        Form3 second(codec, f.files(), services);
        QVERIFY(!second.Form_Load());
        QCOMPARE(texts, QStringList{QStringLiteral(
                            "程序已经运行或最小化到桌面右下角,请用鼠标点击右下角的工具条使用。")});
        QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("setup.txt"))));
    }
};

QTEST_MAIN(Form3Test)
#include "form3_test.moc"
