// Every caption of every window shows its whole ink. For each visible text the ink a control
// draws for it (where the control's picture with the text differs from its picture without it)
// must be as tall and as wide as the text's own ink drawn freely in the same font, and the
// control must lie inside its parents. A caption cut by its box, its frame or its line box
// shows less ink than the text has.
#include "tests/ui/controls.h"
#include "tests/ui/programfolder.h"
#include "ui/about/form16.h"
#include "ui/chart/form1.h"
#include "ui/common/fonts.h"
#include "ui/lookup/form3.h"
#include "ui/printing/form4.h"
#include "ui/promo/form5.h"
#include "ui/settings/form2.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextDocument>

#include <functional>
#include <memory>
#include <optional>

using namespace tovrin;

namespace {

// A text a control shows, and how to take it away and give it back.
struct Caption {
    QString text;
    std::function<void(const QString&)> set;
    bool wrapped = false;
    bool rich = false;
};

std::optional<Caption> captionOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) {
        const bool rich = l->textFormat() == Qt::RichText ||
                          (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(l->text()));
        return Caption{l->text(), [l](const QString& t) { l->setText(t); }, l->wordWrap(), rich};
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return Caption{b->text(), [b](const QString& t) { b->setText(t); }};
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return Caption{g->title(), [g](const QString& t) { g->setTitle(t); }};
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return Caption{e->text(), [e](const QString& t) { e->setText(t); }};
    if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
        // Only the newest line shows; the box keeps all of them.
        const QString all = box->toPlainText();
        return Caption{all.section(QLatin1Char('\n'), 0, 0),
                       [box, all](const QString& t) { box->setPlainText(t.isEmpty() ? t : all); }};
    }
    return std::nullopt;
}

// The box around the pixels where two pictures of the same size differ clearly (by at least
// a quarter of the largest difference, so pale and anti-aliased text counts alike).
QRect differenceBox(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    auto diff = [&](int i, int j) {
        const QRgb p = x.pixel(i, j), q = y.pixel(i, j);
        return std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                         std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    };
    int largest = 0;
    for (int j = 0; j < x.height(); ++j)
        for (int i = 0; i < x.width(); ++i)
            largest = std::max(largest, diff(i, j));
    QRect box;
    if (largest == 0)
        return box;
    for (int j = 0; j < x.height(); ++j)
        for (int i = 0; i < x.width(); ++i)
            if (diff(i, j) * 4 >= largest)
                box |= QRect(i, j, 1, 1);
    return box;
}

// The ink of the text drawn freely in the font, black on white, on a page large enough.
QRect freeInk(const Caption& c, const QFont& font, int wrapWidth) {
    const QFontMetrics m(font);
    const int em = m.height();
    const QSize page(wrapWidth > 0 ? wrapWidth + 2 * em : m.horizontalAdvance(c.text) * 2 + 4 * em,
                     em * (4 + int(c.text.size())));
    QImage blank(page, QImage::Format_ARGB32);
    blank.fill(Qt::white);
    QImage inked = blank;
    QPainter p(&inked);
    p.setFont(font);
    p.setPen(Qt::black);
    if (c.rich) {
        QTextDocument doc;
        doc.setDefaultFont(font);
        doc.setHtml(c.text);
        doc.setTextWidth(wrapWidth > 0 ? wrapWidth : -1);
        p.translate(em, em);
        doc.drawContents(&p);
    } else {
        const int flags = wrapWidth > 0 ? Qt::TextWordWrap : 0;
        p.drawText(QRect(em, em, page.width() - 2 * em, page.height() - 2 * em),
                   flags | Qt::AlignLeft | Qt::AlignTop, c.text);
    }
    p.end();
    return differenceBox(blank, inked);
}

// Every visible caption in `window` whose ink is cut, as "name: text (shown W x H of W x H)".
QStringList cutCaptions(QWidget* window) {
    QStringList cut;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* w : widgets) {
        if (!w->isVisible() || qobject_cast<QLineEdit*>(w->parentWidget()))
            continue;
        const std::optional<Caption> c = captionOf(w);
        if (!c || c->text.trimmed().isEmpty())
            continue;
        const QString name = w->objectName().isEmpty()
                                 ? QString::fromLatin1(w->metaObject()->className())
                                 : w->objectName();
        // A control reaching out of its parent is cut by it, whatever it draws.
        for (QWidget* child = w; child != window; child = child->parentWidget()) {
            if (!QRect(QPoint(), child->parentWidget()->size()).contains(child->geometry())) {
                cut << QStringLiteral("%1: %2 (outside %3)")
                           .arg(name, c->text, child->parentWidget()->objectName());
                break;
            }
        }
        const QImage with = w->grab().toImage();
        c->set(QString());
        const QImage without = w->grab().toImage();
        c->set(c->text);
        const QRect shown = differenceBox(with, without);
        const int wrap = c->wrapped ? qobject_cast<QLabel*>(w)->contentsRect().width() : 0;
        const QRect whole = freeInk(*c, w->font(), wrap);
        // One pixel either way is anti-aliasing, not a cut.
        if (shown.height() < whole.height() - 1 || shown.width() < whole.width() - 1)
            cut << QStringLiteral("%1: %2 (shown %3 x %4 of %5 x %6)")
                       .arg(name, c->text)
                       .arg(shown.width())
                       .arg(shown.height())
                       .arg(whole.width())
                       .arg(whole.height());
    }
    return cut;
}

} // namespace

class TextFitTest : public QObject {
    Q_OBJECT

private:
    gbk::Codec codec;

    static void expectWhole(QWidget* window) {
        const QStringList cut = cutCaptions(window);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }
    static void click(QWidget* window, const QString& name) {
        QTest::mouseClick(control<QWidget>(window, name), Qt::LeftButton);
    }

private Q_SLOTS:
    void initTestCase() { platform::registerFontSubstitutions(); }

    void theLookupWindowAtEverySize() {
        for (char size = '0'; size <= '4'; ++size) {
            ProgramFolder folder;
            folder.write("setup.txt", QByteArray("00") + size + "\r\n");
            Form3::Services services;
            services.isFirstInstance = [] { return true; };
            Form3 form(codec, folder.files(), services);
            QVERIFY(form.Form_Load());
            form.show();
            // The grid after two strokes, then a pick: the history box with the link box shown.
            click(&form, QStringLiteral("Command4"));
            click(&form, QStringLiteral("Command2"));
            QTest::mousePress(control<QWidget>(&form, QStringLiteral("Label11_0")), Qt::LeftButton);
            expectWhole(&form);
            // The pinyin keyboard with a page of characters.
            click(&form, QStringLiteral("Command1"));
            for (int letter : {'z', 'h'})
                click(&form, QStringLiteral("Command18_%1").arg(letter - 'a'));
            expectWhole(&form);
            // The options panel over it all.
            click(&form, QStringLiteral("Command9"));
            expectWhole(&form);
        }
    }

    void theChartWindowAndItsDialogs() {
        ProgramFolder folder;
        Form1::Services services;
        services.trayAvailable = false;
        Form1 chart(codec, folder.files(), services);
        chart.show();
        expectWhole(&chart);

        Form2::Links links;
        links.setLine = QStringLiteral("10102");
        links.hotKeysAvailable = false; // with the note on the missing hot keys
        Form2 settings(links);
        settings.show();
        expectWhole(&settings);

        Form4::Links printing;
        printing.printChart = folder.path() + QStringLiteral("/86wb.bmp");
        Form4 print(printing);
        print.show();
        expectWhole(&print);

        Form16 about([](const QUrl&) {});
        about.show();
        expectWhole(&about);

        Form5 offer(QStringLiteral("http://nav.tovrin.example/?542"), [] {});
        offer.show();
        expectWhole(&offer);
    }
};

QTEST_MAIN(TextFitTest)
#include "textfit_test.moc"
