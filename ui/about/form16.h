// The About box: the program's name and version, and links to the maker's pages and mail.
#pragma once

#include <QDialog>
#include <QUrl>

#include <array>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace tovrin {

class Form16 : public QDialog {
    Q_OBJECT

public:
    // `openUrl` opens an address with the system's handler (the browser, or the mail program for
    // a mailto: address); a handler that cannot be started is the caller's to ignore.
    explicit Form16(std::function<void(const QUrl&)> openUrl, QWidget* parent = nullptr);
    ~Form16() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* makeLabel(const QString& name, const QString& caption, int left, int top, int width);
    QLabel* makeLink(const QString& name, const QString& caption, const QUrl& target,
                     const QColor& colour, int left, int top, int width);

    std::function<void(const QUrl&)> openUrl_;

    QLabel* Image1 = nullptr;         // the banner
    std::array<QLabel*, 2> Label12{}; // the title: 0 white, 1 red over it
    QFrame* Line2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr; // link: the home page
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr; // link: mail
    QLabel* Label4 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label7 = nullptr; // link: the download page
    QLabel* Label14 = nullptr;
    QLabel* Label11 = nullptr;      // link: the article explaining the radical verses
    QLabel* Label13 = nullptr;      // link: the article with radical examples per key
    std::array<QFrame*, 2> Line1{}; // the etched separator: grey, then white below it
    QPushButton* Command1 = nullptr;
    QLabel* Image2 = nullptr; // hidden: the hand cursor's picture
};

} // namespace tovrin
