// Drives the print dialog on the system's default printer, as the chart window opens it, for
// print_test.sh: chooses a chart, clicks "打印确认" and answers the confirmation with "确定".
// It reports on standard output, one line each:
//   printable MM_LEFT MM_TOP   where the printer's printable area begins on the paper
//   margins MM_LEFT MM_TOP     the page margins as set before the dialog prints
//   message TITLE|ICON|TEXT   each message box, as it comes up (ICON: QMessageBox::Icon)
//   dialog closed|open         the dialog after the click
// Usage: print_driver FOLDER large|small [--chart N] [--job NAME] [--margins MM]
//   FOLDER holds 86wb.bmp and J1.bmp .. J3.bmp; the chart window shows J<N>.bmp (default 1).
//   NAME names the print job (not --title: Qt takes that option for itself); --margins sets page
//   margins of MM before the dialog prints.
#include "ui/common/bitmapfile.h"
#include "ui/printing/form4.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace tovrin;

namespace {

void say(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int usage() {
    std::fputs("usage: print_driver FOLDER large|small [--chart N] [--job NAME] "
               "[--margins MM]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 3)
        return usage();
    const QString folder = args[1];
    const QString choice = args[2];
    if (choice != QLatin1String("large") && choice != QLatin1String("small"))
        return usage();
    int chart = 1;
    QString job = QStringLiteral("Tovrin");
    double margins = -1;
    for (int i = 3; i + 1 < args.size(); i += 2) {
        bool ok = true;
        if (args[i] == QLatin1String("--chart"))
            chart = args[i + 1].toInt(&ok);
        else if (args[i] == QLatin1String("--job"))
            job = args[i + 1];
        else if (args[i] == QLatin1String("--margins"))
            margins = args[i + 1].toDouble(&ok);
        else
            ok = false;
        if (!ok)
            return usage();
    }
    if (args.size() % 2 == 0)
        return usage();

    Form4::Links links;
    links.printChart = folder + QStringLiteral("/86wb.bmp");
    // As the chart window hands it over: the chart at its variant drawn for printing.
    links.currentChart = [folder, chart] {
        return ui::loadBitmap(folder + QStringLiteral("/J%1.bmp").arg(chart), 4);
    };
    links.printer = [job, margins] {
        std::unique_ptr<QPrinter> printer = Form4::defaultPrinter();
        if (!printer)
            return printer;
        printer->setDocName(job);
        if (margins >= 0)
            printer->setPageMargins(QMarginsF(margins, margins, margins, margins),
                                    QPageLayout::Millimeter);
        // Where the printer can print: the corner of its printable area on the paper.
        QPageLayout layout = printer->pageLayout();
        layout.setUnits(QPageLayout::Millimeter);
        const QMarginsF printable = layout.minimumMargins();
        say(QStringLiteral("printable %1 %2")
                .arg(printable.left(), 0, 'f', 3)
                .arg(printable.top(), 0, 'f', 3));
        const QMarginsF set = printer->pageLayout().margins(QPageLayout::Millimeter);
        say(QStringLiteral("margins %1 %2").arg(set.left(), 0, 'f', 3).arg(set.top(), 0, 'f', 3));
        return printer;
    };
    Form4 dialog(links);

    // The dialog's message boxes are real; each is reported and then answered with "确定".
    QTimer answerer;
    answerer.setInterval(20);
    QObject::connect(&answerer, &QTimer::timeout, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        say(QStringLiteral("message %1|%2|%3")
                .arg(box->windowTitle())
                .arg(int(box->icon()))
                .arg(box->text()));
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    answerer.start();

    dialog.show();
    QTimer::singleShot(0, &dialog, [&dialog, choice] {
        const QString option = choice == QLatin1String("small") ? QStringLiteral("Option2")
                                                                : QStringLiteral("Option1");
        QTest::mouseClick(dialog.findChild<QRadioButton*>(option), Qt::LeftButton);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Command1")),
                          Qt::LeftButton);
        say(dialog.isVisible() ? QStringLiteral("dialog open") : QStringLiteral("dialog closed"));
        QApplication::quit();
    });
    return QApplication::exec();
}
