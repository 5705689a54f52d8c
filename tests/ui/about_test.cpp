// The About box driven through its real controls, offscreen, with the opened addresses recorded.
#include "resources/pictures.h"
#include "tests/ui/controls.h"
#include "ui/about/form16.h"
#include "ui/common/fonts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <memory>

using namespace tovrin;

namespace {

int px(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form16> form;
    QList<QUrl> opened;

    void open() {
        opened.clear();
        form = std::make_unique<Form16>([this](const QUrl& url) { opened << url; });
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    template <class T> T* child(const QString& name) { return control<T>(form.get(), name); }
    QLabel* label(const QString& name) { return child<QLabel>(name); }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }
    void init() { open(); }

    // The banner fills the top of the box at any scale: its pale top edge from the first row,
    // its coloured stripe in its last rows (run at 1.5 too: a 2x picture placed by its pixel
    // size, not its size on the screen, sank into a label twice its height).
    void theBannerFillsTheTopAtAnyScale() {
        const QImage shot = form->grab().toImage();
        const double scale = shot.devicePixelRatio();
        auto at = [&](int x, int y) {
            return shot.pixelColor(static_cast<int>(x * scale), static_cast<int>(y * scale));
        };
        auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <
                   40;
        };
        QVERIFY2(near(at(10, 1), QColor(222, 234, 246)), qPrintable(at(10, 1).name()));
        QVERIFY2(near(at(10, 64), QColor(198, 61, 61)), qPrintable(at(10, 64).name()));
    }

    void isAFixedDialogAboveOtherWindows() {
        QCOMPARE(form->objectName(), QStringLiteral("Form16"));
        QCOMPARE(form->windowTitle(), QStringLiteral(" 关于"));
        QCOMPARE(form->size(), QSize(404, 301)); // 6060 x 4515 twips
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(form->windowFlags() & Qt::WindowStaysOnTopHint);
    }

    void theBannerAndTheTitle() {
        QLabel* banner = label(QStringLiteral("Image1"));
        QVERIFY(!banner->pixmap().isNull());
        QCOMPARE(banner->geometry(), QRect(0, 0, 404, 66));
        QLabel* white = label(QStringLiteral("Label12_0"));
        QLabel* red = label(QStringLiteral("Label12_1"));
        QCOMPARE(white->geometry(), QRect(px(2190), px(300), px(3240), px(525)));
        QCOMPARE(red->geometry(), QRect(px(2170), px(280), px(3240), px(525)));
        for (QLabel* title : {white, red}) {
            QCOMPARE(title->text(), QStringLiteral("Tovrin"));
            QVERIFY(title->font().bold());
            QCOMPARE(title->font().pointSizeF(), 26.25);
            QVERIFY(title->isVisible());
        }
        QCOMPARE(white->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(red->palette().color(QPalette::WindowText), QColor(Qt::red));
        // The red copy lies over the white one, which would vanish on the pale banner.
        QCOMPARE(form->childAt(white->geometry().center()), red);

        // The title is drawn: red pixels where it stands on the banner.
        const QImage shot = form->grab().toImage();
        int reddish = 0;
        for (int y = red->y(); y < red->geometry().bottom() && y < 66; ++y)
            for (int x = red->x(); x < red->geometry().right(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                reddish += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        QVERIFY2(reddish > 150, qPrintable(QString::number(reddish)));
    }

    void theControlsStandWhereTheyWereLaidOut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("width");
        auto row = [](const char* name, const char* caption, int left, int top, int width) {
            QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption) << left
                                << top << width;
        };
        row("Label1", "软件名称： Tovrin 2.0", 1200, 1260, 2430);
        row("Label2", "官方网站： ", 1200, 1638, 990);
        row("Label6", "www.tovrin.example", 2250, 1638, 1710);
        row("Label3", "联系邮箱： ", 1200, 2016, 990);
        row("Label5", "contact@tovrin.example", 2250, 2016, 1260);
        row("Label4", "联系ＱＱ： 00000000", 1200, 2394, 1710);
        row("Label8", "其它软件： ", 1200, 2772, 990);
        row("Label7", "www.tovrin.example/down.htm", 2250, 2772, 2520);
        row("Label14", "相关网址： ", 1200, 3150, 990);
        row("Label11", "五笔字根口诀解释 ", 2250, 3150, 1530);
        row("Label13", "各键位字根示例", 4020, 3150, 1260);
    }
    void theControlsStandWhereTheyWereLaidOut() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, width);
        QLabel* l = label(name);
        QCOMPARE(l->text(), caption);
        QCOMPARE(l->pos(), QPoint(px(left), px(top)));
        // At least as wide as laid out, and wide enough for the whole text, inside the dialog.
        QVERIFY(l->width() >= px(width));
        QVERIFY(l->width() > l->fontMetrics().horizontalAdvance(caption));
        QVERIFY(l->height() >= l->fontMetrics().height());
        QVERIFY(l->geometry().right() < form->width());
        QCOMPARE(l->font().pointSizeF(), 9.0);
    }

    void theLinesAndTheButton() {
        QCOMPARE(child<QFrame>(QStringLiteral("Line2"))->geometry(), QRect(0, 66, px(6255), 1));
        QCOMPARE(child<QFrame>(QStringLiteral("Line1_0"))->geometry(),
                 QRect(px(270), px(3630), px(5725 - 270), 1));
        QCOMPARE(child<QFrame>(QStringLiteral("Line1_1"))->geometry(),
                 QRect(px(270), px(3645), px(5710 - 270), 1));
        auto* ok = child<QPushButton>(QStringLiteral("Command1"));
        QCOMPARE(ok->text(), QStringLiteral("确   定"));
        QCOMPARE(ok->geometry(), QRect(px(2340), px(3930), px(1365), px(345)));
        // The articles lie side by side on one line without overlapping.
        QVERIFY(label(QStringLiteral("Label11"))->geometry().right() <
                label(QStringLiteral("Label13"))->x());
    }

    void eachLinkOpensItsAddress_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QUrl>("target");
        QTest::addColumn<QColor>("colour");
        const QColor blue(0, 0, 255);
        const QColor darkRed(128, 0, 0);
        QTest::newRow("home page") << QStringLiteral("Label6")
                                   << QUrl(QStringLiteral("http://www.tovrin.example")) << blue;
        QTest::newRow("mail") << QStringLiteral("Label5")
                              << QUrl(QStringLiteral("mailto:contact@tovrin.example")) << blue;
        QTest::newRow("download") << QStringLiteral("Label7")
                                  << QUrl(QStringLiteral("http://www.tovrin.example/down.htm"))
                                  << blue;
        QTest::newRow("radical verses")
            << QStringLiteral("Label11")
            << QUrl(QStringLiteral("http://www.tovrin.example/wbwz/news.asp?id=42")) << darkRed;
        QTest::newRow("radicals per key")
            << QStringLiteral("Label13")
            << QUrl(QStringLiteral("http://www.tovrin.example/wbwz/news.asp?id=34")) << darkRed;
    }
    void eachLinkOpensItsAddress() {
        QFETCH(QString, name);
        QFETCH(QUrl, target);
        QFETCH(QColor, colour);
        QLabel* link = label(name);
        QVERIFY(link->font().underline());
        QCOMPARE(link->palette().color(QPalette::WindowText), colour);
        // The hand of the About box, at its hot spot.
        const QCursor cursor = link->cursor();
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.hotSpot(),
                 QPoint(pictures::kCursorHandHotSpot.x, pictures::kCursorHandHotSpot.y));
        QCOMPARE(cursor.pixmap().toImage(),
                 QPixmap(QString::fromLatin1(pictures::kCursorHand)).toImage());

        // Only the left button released over the link opens it.
        QTest::mouseClick(link, Qt::RightButton);
        QTest::mousePress(link, Qt::LeftButton);
        QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(-5, link->height() / 2));
        QVERIFY(opened.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(opened, QList<QUrl>{target});
        QCOMPARE(opened.front().toString(), target.toString());
        QVERIFY(form->isVisible()); // the dialog stays open
    }

    void plainLinesAreNoLinks() {
        for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label8", "Label14"}) {
            QLabel* l = label(QString::fromLatin1(name));
            QVERIFY(!l->font().underline());
            QCOMPARE(l->cursor().shape(), Qt::ArrowCursor);
            QTest::mouseClick(l, Qt::LeftButton);
        }
        QVERIFY(opened.isEmpty());
        QVERIFY(!label(QStringLiteral("Image2"))->isVisible());
    }

    void okCloses() {
        QTest::mouseClick(child<QPushButton>(QStringLiteral("Command1")), Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));
        QVERIFY(opened.isEmpty());
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
