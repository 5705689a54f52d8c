// The print dialog: prints one radical chart on the default printer, either the large chart
// 86wb.bmp from the program's folder (a whole A4 sheet) or the chart the chart window shows now
// (half a sheet).
#pragma once

#include "core/lookup/layout.h"

#include <QDialog>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class QGroupBox;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace tovrin {

class Form4 : public QDialog {
    Q_OBJECT

public:
    // What the dialog takes from the chart window and the program around it; tests give
    // stand-ins.
    struct Links {
        QString printChart;                    // where 86wb.bmp stands
        std::function<QPixmap()> currentChart; // the picture the chart window shows now
        // Shows a message and returns the button chosen (QMessageBox::Ok or Cancel): with
        // `question`, OK and Cancel with Cancel the default; otherwise OK alone. None: a
        // message box over the dialog.
        std::function<int(const QString& title, const QString& text, bool question)> ask;
        // The printer to print on, made afresh for each print; nothing (or a printer that is
        // not valid) means there is none. None: the system's default printer.
        std::function<std::unique_ptr<QPrinter>()> printer;
    };

    explicit Form4(Links links, QWidget* parent = nullptr);
    ~Form4() override;

    // The system's default printer with its default settings; null when the system has none.
    static std::unique_ptr<QPrinter> defaultPrinter();

    // Where a picture goes on the page, in the device units of a printer with the given
    // resolution: 600 twips right of and below the printable area's corner (the origin of a
    // printer that does not print on the full page), at the picture's natural size, a pixel
    // being 15 twips.
    static QRect printRect(QSize picture, int dpiX, int dpiY);
    // Twips to device units at `dpi` units per inch, to the nearest unit.
    static int toDevice(int twips, int dpi);

    static constexpr int kTwipsPerInch = 1440;
    static constexpr int kTwipsPerPixel = layout::kTwipsPerPixel;
    static constexpr int kMarginTwips = 600;

    void Command1_Click();

private:
    void buildControls();
    int ask(const QString& text, bool question);
    // Draws the picture on one page of the printer and ends the job; false on any failure.
    bool print(const QPixmap& picture);

    Links links_;
    QPixmap Picture2; // the large chart, loaded for printing

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* Command1 = nullptr;
};

} // namespace tovrin
