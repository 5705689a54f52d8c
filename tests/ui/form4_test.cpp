// The print dialog driven through its real controls, offscreen. Printers are PDF files in a
// temporary folder; the test never reaches a real printer.
#include "tests/ui/controls.h"
#include "ui/printing/form4.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <memory>

using namespace tovrin;

namespace {

const QString kTitle = QStringLiteral("提示！");
const QString kReady =
    QStringLiteral("准备好A4打印纸一张，连接好打印机，点“确定”进行打印，点“取消”不打印");
const QString kFailed =
    QStringLiteral("打印出错，检查打印机是否联接好？打印纸是否放好？打印机驱动程序是否安装好？");

// A picture of the given size with a pattern of its own, so that one picture can be told from
// another in a printed page.
QImage pattern(int width, int height, quint32 seed) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    return image;
}

// What a PDF written by QPrinter holds: its pages and its pictures, decoded.
struct PdfContents {
    int pages = 0;
    QList<QImage> images;
};

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Reads the few plain objects QPrinter writes; enough to count pages and to decode the
// pictures it embeds losslessly (Flate, 8 bits, RGB or grey).
PdfContents readPdf(const QByteArray& pdf) {
    PdfContents contents;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    contents.pages = int(QString::fromLatin1(pdf).count(page));

    auto number = [&pdf](const QByteArray& dict, const char* key) -> int {
        const QRegularExpression re(QString::fromLatin1(key) +
                                    QStringLiteral("\\s+(\\d+)(\\s+0\\s+R)?"));
        const QRegularExpressionMatch m = re.match(QString::fromLatin1(dict));
        if (!m.hasMatch())
            return -1;
        const int value = m.captured(1).toInt();
        if (m.captured(2).isEmpty())
            return value;
        // An indirect number: "N 0 obj value endobj".
        const QRegularExpression object(
            QStringLiteral("(^|\\s)%1\\s+0\\s+obj\\s+(\\d+)\\s+endobj").arg(value));
        const QRegularExpressionMatch o = object.match(QString::fromLatin1(pdf));
        return o.hasMatch() ? o.captured(2).toInt() : -1;
    };

    qsizetype at = 0;
    while ((at = pdf.indexOf("/Subtype /Image", at)) >= 0) {
        const qsizetype dictStart = pdf.lastIndexOf("<<", at);
        const qsizetype streamAt = pdf.indexOf("stream", at);
        if (dictStart < 0 || streamAt < 0)
            break;
        const QByteArray dict = pdf.mid(dictStart, streamAt - dictStart);
        at = streamAt;
        const int width = number(dict, "/Width");
        const int height = number(dict, "/Height");
        const int length = number(dict, "/Length");
        const bool grey = dict.contains("/DeviceGray");
        if (width <= 0 || height <= 0 || length < 0 || !dict.contains("/FlateDecode") ||
            number(dict, "/BitsPerComponent") != 8) {
            contents.images << QImage(); // a picture this reader cannot decode
            continue;
        }
        qsizetype dataAt = streamAt + 6;
        if (pdf.at(dataAt) == '\r')
            ++dataAt;
        if (pdf.at(dataAt) == '\n')
            ++dataAt;
        const int channels = grey ? 1 : 3;
        QByteArray zipped(4, '\0');
        qToBigEndian<quint32>(quint32(width * height * channels), zipped.data());
        zipped += pdf.mid(dataAt, length);
        const QByteArray raw = qUncompress(zipped);
        if (raw.size() != qsizetype(width) * height * channels) {
            contents.images << QImage();
            continue;
        }
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const auto* p =
                    reinterpret_cast<const uchar*>(raw.constData()) + (y * width + x) * channels;
                image.setPixel(x, y, grey ? qRgb(p[0], p[0], p[0]) : qRgb(p[0], p[1], p[2]));
            }
        contents.images << image;
    }
    return contents;
}

// How a test sets the dialog up.
struct Setup {
    bool largeChart = true;     // 86wb.bmp in the program's folder
    bool systemPrinter = false; // the system's default printer rather than a PDF file
    bool realBoxes = false;     // message boxes on screen rather than recorded answers
};

struct Message {
    QString title;
    QString text;
    bool question;
};

} // namespace

class Form4Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder; // the program's folder, with 86wb.bmp
    std::unique_ptr<QTemporaryDir> out;    // where the stand-in printers write
    std::unique_ptr<Form4> form;
    QImage large;            // 86wb.bmp
    QImage chart1, chart3;   // J1.bmp, J3.bmp
    QPixmap shown;           // the chart the chart window shows now
    QList<Message> messages; // every message, in order
    int answer = QMessageBox::Ok;
    int printersMade = 0;
    QStringList printed;                                // the PDF files the printers were given
    std::function<std::unique_ptr<QPrinter>()> printer; // what the next print uses

    std::unique_ptr<QPrinter> pdfPrinter(const QString& path) {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(path);
        return p;
    }

    void open(Setup setup = {}) {
        form.reset();
        folder = std::make_unique<QTemporaryDir>();
        out = std::make_unique<QTemporaryDir>();
        if (setup.largeChart)
            QVERIFY(large.save(folder->filePath(QStringLiteral("86wb.bmp")), "BMP"));
        messages.clear();
        printed.clear();
        printersMade = 0;
        answer = QMessageBox::Ok;
        shown = QPixmap::fromImage(chart1);
        printer = [this] {
            const QString path = out->filePath(QStringLiteral("page%1.pdf").arg(printersMade));
            printed << path;
            return pdfPrinter(path);
        };
        Form4::Links links;
        links.printChart = folder->path() + QStringLiteral("/86wb.bmp");
        links.currentChart = [this] { return shown; };
        if (!setup.realBoxes)
            links.ask = [this](const QString& title, const QString& text, bool question) {
                messages << Message{title, text, question};
                return question ? answer : int(QMessageBox::Ok);
            };
        if (!setup.systemPrinter)
            links.printer = [this] {
                ++printersMade;
                return printer();
            };
        form = std::make_unique<Form4>(std::move(links));
        form->show();
    }
    template <class T> T* child(const QString& name) { return control<T>(form.get(), name); }
    void click(const QString& name) { QTest::mouseClick(child<QWidget>(name), Qt::LeftButton); }
    void choose(bool small) {
        click(small ? QStringLiteral("Option2") : QStringLiteral("Option1"));
    }
    QStringList texts() const {
        QStringList t;
        for (const Message& m : messages)
            t << m.text;
        return t;
    }
    // Every message has the one title, and only the confirmation asks.
    void checkMessageKinds() {
        for (const Message& m : messages) {
            QCOMPARE(m.title, kTitle);
            QCOMPARE(m.question, m.text == kReady);
        }
    }
    bool stillOpen() const { return form->isVisible() && form->result() != QDialog::Accepted; }

private Q_SLOTS:
    void initTestCase() {
        // No CUPS scheduler can be reached from here, so the system has no printer.
        qputenv("CUPS_SERVER", QFile::encodeName(QDir::tempPath()) + "/no-cups-here.sock");
        QVERIFY(!Form4::defaultPrinter());
        large = pattern(700, 1000, 86);
        chart1 = pattern(670, 400, 1);
        chart3 = pattern(670, 400, 3);
    }

    void pageArithmetic_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("dpiX");
        QTest::addColumn<int>("dpiY");
        QTest::addColumn<QRect>("expected");
        // 600 twips are 5/12 inch; a pixel is 15 twips, 1/96 inch.
        QTest::newRow("small chart at 300 dpi")
            << QSize(670, 400) << 300 << 300 << QRect(125, 125, 2094, 1250);
        QTest::newRow("small chart at 600 dpi")
            << QSize(670, 400) << 600 << 600 << QRect(250, 250, 4188, 2500);
        QTest::newRow("small chart at 1200 dpi")
            << QSize(670, 400) << 1200 << 1200 << QRect(500, 500, 8375, 5000);
        QTest::newRow("large chart at 300 dpi")
            << QSize(700, 1000) << 300 << 300 << QRect(125, 125, 2188, 3125);
        QTest::newRow("large chart at 600 dpi")
            << QSize(700, 1000) << 600 << 600 << QRect(250, 250, 4375, 6250);
        QTest::newRow("large chart at 1200 dpi")
            << QSize(700, 1000) << 1200 << 1200 << QRect(500, 500, 8750, 12500);
        QTest::newRow("screen pixels stay pixels")
            << QSize(670, 400) << 96 << 96 << QRect(40, 40, 670, 400);
        QTest::newRow("each axis its own resolution")
            << QSize(700, 1000) << 300 << 600 << QRect(125, 250, 2188, 6250);
    }
    void pageArithmetic() {
        QFETCH(QSize, picture);
        QFETCH(int, dpiX);
        QFETCH(int, dpiY);
        QFETCH(QRect, expected);
        QCOMPARE(Form4::printRect(picture, dpiX, dpiY), expected);
    }

    void twipsToDevice_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("expected");
        QTest::newRow("an inch") << 1440 << 300 << 300;
        QTest::newRow("600 twips at 300 dpi") << 600 << 300 << 125;
        QTest::newRow("600 twips at 600 dpi") << 600 << 600 << 250;
        QTest::newRow("600 twips at 1200 dpi") << 600 << 1200 << 500;
        QTest::newRow("a pixel at 300 dpi, rounded") << 15 << 300 << 3; // 3.125
        QTest::newRow("half a unit rounds up") << 15 << 48 << 1;        // 0.5
        QTest::newRow("nothing") << 0 << 1200 << 0;
    }
    void twipsToDevice() {
        QFETCH(int, twips);
        QFETCH(int, dpi);
        QFETCH(int, expected);
        QCOMPARE(Form4::toDevice(twips, dpi), expected);
    }

    void controls() {
        open();
        QCOMPARE(form->windowTitle(), QStringLiteral("打印选择"));
        QCOMPARE(form->size(), QSize(334, 213)); // 5010 x 3195 twips
        QVERIFY(form->isModal());
        auto* frame = child<QGroupBox>(QStringLiteral("Frame1"));
        QCOMPARE(frame->title(), QStringLiteral("选择"));
        QCOMPARE(frame->geometry(), QRect(20, 12, 289, 129));
        auto* large = child<QRadioButton>(QStringLiteral("Option1"));
        auto* small = child<QRadioButton>(QStringLiteral("Option2"));
        QCOMPARE(large->parentWidget(), frame);
        QCOMPARE(small->parentWidget(), frame);
        QCOMPARE(large->text(), QStringLiteral("打印大的字根图（需要一张A4纸）"));
        QCOMPARE(small->text(), QStringLiteral("打印小的字根图（需要半张A4纸）"));
        QCOMPARE(large->geometry(), QRect(44, 32, 215, 23));
        QCOMPARE(small->geometry(), QRect(44, 78, 217, 25));
        QVERIFY(large->isChecked());
        QVERIFY(!small->isChecked());
        choose(true);
        QVERIFY(small->isChecked() && !large->isChecked());
        auto* confirm = child<QPushButton>(QStringLiteral("Command1"));
        QCOMPARE(confirm->text(), QStringLiteral("打印确认"));
        QCOMPARE(confirm->geometry(), QRect(110, 160, 117, 35));
    }

    void cancelPrintsNothing_data() {
        QTest::addColumn<bool>("small");
        QTest::newRow("large chart") << false;
        QTest::newRow("small chart") << true;
    }
    void cancelPrintsNothing() {
        QFETCH(bool, small);
        open();
        choose(small);
        answer = QMessageBox::Cancel;
        click(QStringLiteral("Command1"));
        QCOMPARE(texts(), QStringList{kReady});
        checkMessageKinds();
        QCOMPARE(printersMade, 0);
        QVERIFY(stillOpen());
        QCOMPARE(child<QRadioButton>(QStringLiteral("Option2"))->isChecked(), small);
        QCOMPARE(child<QRadioButton>(QStringLiteral("Option1"))->isChecked(), !small);
        // The choice stays for another try, which then prints.
        answer = QMessageBox::Ok;
        click(QStringLiteral("Command1"));
        QCOMPARE(printersMade, 1);
        QVERIFY(!form->isVisible());
    }

    void largeChartUnreadable_data() {
        QTest::addColumn<QByteArray>("file"); // 86wb.bmp's bytes; empty: no file at all
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("BM this is no bitmap");
        QTest::newRow("empty file") << QByteArray("");
        // The real chart cut to 1,000 bytes: its header promises far more rows.
        QFile real(QStringLiteral(TOVRIN_BIN_DIR "/86wb.bmp"));
        QVERIFY(real.open(QIODevice::ReadOnly));
        QTest::newRow("cut short") << real.read(1000);
    }
    void largeChartUnreadable() {
        QFETCH(QByteArray, file);
        open({.largeChart = false});
        if (!file.isNull()) {
            QFile f(folder->filePath(QStringLiteral("86wb.bmp")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        click(QStringLiteral("Command1"));
        // Told at once, before any question, and nothing is printed.
        QCOMPARE(texts(), QStringList{kFailed});
        checkMessageKinds();
        QCOMPARE(printersMade, 0);
        QVERIFY(stillOpen());
        QVERIFY(child<QRadioButton>(QStringLiteral("Option1"))->isChecked());
    }

    // Failures once the user has confirmed: no printer, a printer that cannot begin the job,
    // nothing to print. Each is told after the question, and the dialog stays open.
    void failureAfterConfirmation_data() {
        QTest::addColumn<bool>("small");
        QTest::addColumn<QString>("fault");
        for (const bool small : {false, true}) {
            const char* choice = small ? "small chart" : "large chart";
            QTest::addRow("%s, no default printer", choice) << small << QStringLiteral("none");
            QTest::addRow("%s, the system's default printer, none set", choice)
                << small << QStringLiteral("system");
            QTest::addRow("%s, the job cannot begin", choice) << small << QStringLiteral("begin");
        }
        QTest::addRow("small chart, the chart window shows none")
            << true << QStringLiteral("no chart");
    }
    void failureAfterConfirmation() {
        QFETCH(bool, small);
        QFETCH(QString, fault);
        open({.systemPrinter = fault == QLatin1String("system")});
        if (fault == QLatin1String("none"))
            printer = [] { return std::unique_ptr<QPrinter>(); };
        if (fault == QLatin1String("begin"))
            printer = [this] {
                return pdfPrinter(out->filePath(QStringLiteral("no such folder/page.pdf")));
            };
        if (fault == QLatin1String("no chart"))
            shown = QPixmap();
        choose(small);
        click(QStringLiteral("Command1"));
        QCOMPARE(texts(), (QStringList{kReady, kFailed}));
        checkMessageKinds();
        QVERIFY(stillOpen());
        QCOMPARE(child<QRadioButton>(QStringLiteral("Option2"))->isChecked(), small);
    }

    // A print: one page holding the chosen picture, and the dialog closes with no further word.
    void printsAndCloses_data() {
        QTest::addColumn<bool>("small");
        QTest::newRow("large chart: 86wb.bmp") << false;
        QTest::newRow("small chart: the chart shown now") << true;
    }
    void printsAndCloses() {
        QFETCH(bool, small);
        open();
        choose(small);
        // The user has switched the chart window from chart 1 to chart 3 meanwhile.
        shown = QPixmap::fromImage(chart3);
        click(QStringLiteral("Command1"));
        QCOMPARE(texts(), QStringList{kReady});
        checkMessageKinds();
        QCOMPARE(printersMade, 1);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Accepted));

        const PdfContents pdf = readPdf(readFile(printed.value(0)));
        QCOMPARE(pdf.pages, 1);
        QCOMPARE(pdf.images.size(), 1);
        const QImage& got = pdf.images.first();
        const QImage& want = small ? chart3 : large;
        QCOMPARE(got.size(), want.size());
        QVERIFY2(got == want.convertToFormat(QImage::Format_RGB32),
                 "the page holds another picture than the one chosen");
    }

    // The dialog's own message boxes, as the user sees them.
    void messageBoxes() {
        open({.realBoxes = true});
        struct Seen {
            QString title, text;
            QMessageBox::Icon icon;
            QStringList buttons;
            QString defaultButton;
        };
        QList<Seen> seen;
        // Answers each box as it comes up: the question with Enter (its default button), the
        // failure with its only button.
        QTimer answerer;
        answerer.setInterval(10);
        connect(&answerer, &QTimer::timeout, this, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            Seen s{box->windowTitle(), box->text(), box->icon(), {}, {}};
            for (QAbstractButton* b : box->buttons())
                s.buttons << b->text();
            s.buttons.sort();
            if (box->defaultButton())
                s.defaultButton = box->defaultButton()->text();
            seen << s;
            QTest::keyClick(box, Qt::Key_Return);
        });
        answerer.start();

        click(QStringLiteral("Command1"));
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].title, kTitle);
        QCOMPARE(seen[0].text, kReady);
        QCOMPARE(seen[0].icon, QMessageBox::Question);
        QCOMPARE(seen[0].buttons, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
        QCOMPARE(seen[0].defaultButton, QStringLiteral("取消"));
        QCOMPARE(printersMade, 0); // Enter chose Cancel
        QVERIFY(stillOpen());

        QFile::remove(folder->filePath(QStringLiteral("86wb.bmp")));
        click(QStringLiteral("Command1"));
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[1].title, kTitle);
        QCOMPARE(seen[1].text, kFailed);
        QCOMPARE(seen[1].icon, QMessageBox::NoIcon);
        QCOMPARE(seen[1].buttons, QStringList{QStringLiteral("确定")});
        QVERIFY(stillOpen());
    }
};

QTEST_MAIN(Form4Test)
#include "form4_test.moc"
