#include "ui/printing/form4.h"

#include "ui/common/bitmapfile.h"
#include "ui/common/twips.h"

#include "platform/printstatus.h"

#include <QGroupBox>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace tovrin {

namespace {

// Places on screen are kept in twips, 15 to a pixel; Qt scales pixels for high-DPI screens.
const QString kTitle = QStringLiteral("提示！");
const QString kReady = QStringLiteral("准备好A4打印纸一张，连接好打印机，点“确定”进行打印，"
                                      "点“取消”不打印");
const QString kFailed = QStringLiteral("打印出错，检查打印机是否联接好？打印纸是否放好？"
                                       "打印机驱动程序是否安装好？");

} // namespace

Form4::Form4(Links links, QWidget* parent) : QDialog(parent), links_(std::move(links)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("打印选择"));
    setModal(true);
    setFont(twips::font("宋体", 9));
    setFixedSize(twips::px(5010), twips::px(3195));
    buildControls();
}

Form4::~Form4() = default;

void Form4::buildControls() {
    Frame1 = twips::named(new QGroupBox(QStringLiteral("选择"), this), QStringLiteral("Frame1"),
                          twips::rect(300, 180, 4335, 1935));
    Option1 =
        twips::named(new QRadioButton(QStringLiteral("打印大的字根图（需要一张A4纸）"), Frame1),
                     QStringLiteral("Option1"), twips::rect(660, 480, 3225, 345));
    Option2 =
        twips::named(new QRadioButton(QStringLiteral("打印小的字根图（需要半张A4纸）"), Frame1),
                     QStringLiteral("Option2"), twips::rect(660, 1170, 3255, 375));
    Option1->setChecked(true);
    Command1 = twips::named(new QPushButton(QStringLiteral("打印确认"), this),
                            QStringLiteral("Command1"), twips::rect(1650, 2400, 1755, 525));
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

int Form4::toDevice(int twips, int dpi) {
    return static_cast<int>(std::lround(double(twips) * dpi / kTwipsPerInch));
}

QRect Form4::printRect(QSize picture, int dpiX, int dpiY) {
    return {toDevice(kMarginTwips, dpiX), toDevice(kMarginTwips, dpiY),
            toDevice(picture.width() * kTwipsPerPixel, dpiX),
            toDevice(picture.height() * kTwipsPerPixel, dpiY)};
}

std::unique_ptr<QPrinter> Form4::defaultPrinter() {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("Tovrin"));
    return printer;
}

int Form4::ask(const QString& text, bool question) {
    if (links_.ask)
        return links_.ask(kTitle, text, question);
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::NoIcon, kTitle, text,
                    QMessageBox::NoButton, this);
    box.setObjectName(question ? QStringLiteral("confirmBox") : QStringLiteral("failureBox"));
    // The question names the buttons “确定” and “取消”: they carry those captions whatever the
    // desktop's language.
    box.addButton(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (question) {
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        cancel->setText(QStringLiteral("取消"));
        box.setDefaultButton(cancel);
    }
    return box.exec();
}

void Form4::Command1_Click() {
    QPixmap picture;
    if (Option2->isChecked()) {
        if (ask(kReady, true) != QMessageBox::Ok)
            return;
        picture = links_.currentChart ? links_.currentChart() : QPixmap();
    } else {
        // The large chart is loaded before the question, so a missing file is told at once.
        // At the variant drawn for printing where there is one (384 dots per inch).
        Picture2 = ui::loadBitmap(links_.printChart, 4);
        if (Picture2.isNull()) {
            ask(kFailed, false);
            return;
        }
        if (ask(kReady, true) != QMessageBox::Ok)
            return;
        picture = Picture2;
    }
    if (!print(picture)) {
        ask(kFailed, false);
        return;
    }
    accept();
}

bool Form4::print(const QPixmap& picture) {
    if (picture.isNull())
        return false;
    const std::unique_ptr<QPrinter> printer = links_.printer ? links_.printer() : defaultPrinter();
    if (!printer || !printer->isValid())
        return false;
    // Not on the full page, and the page margins are the printer's own (the smallest it can
    // print with): the painter's origin is then the printable area's top-left corner. Qt's
    // default margins would move the chart a further 10 pt in.
    printer->setFullPage(false);
    printer->setPageMargins(printer->pageLayout().minimumMargins(), printer->pageLayout().units());
    QPainter painter;
    if (!painter.begin(printer.get()))
        return false;
    // A chart is line art and small print: kept whole rather than as a JPEG in the printer's
    // PDF.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    // At the picture's natural size, whatever pixels it is drawn from: a variant carries its
    // scale as its device pixel ratio.
    painter.drawPixmap(printRect(picture.deviceIndependentSize().toSize(), printer->logicalDpiX(),
                                 printer->logicalDpiY()),
                       picture);
    // Ending the painter ends the job, which sends the page to the printer. The print engine
    // does not look at the print system's answer to that: a queue that refused the job would
    // pass for a print, so its answer is asked for here.
    if (!painter.end() || printer->printerState() == QPrinter::Error)
        return false;
    return printer->outputFormat() != QPrinter::NativeFormat || !platform::lastPrintJobRefused();
}

} // namespace tovrin
