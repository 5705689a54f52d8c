#include "ui/about/form16.h"

#include "ui/common/bitmapfile.h"
#include "ui/common/click.h"
#include "ui/common/twips.h"

#include "core/lookup/layout.h"
#include "core/promo/maker.h"
#include "resources/pictures.h"

#include <QCursor>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace tovrin {

namespace {

QString fromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QUrl onSite(std::string_view pathAndQuery) {
    return QUrl(QString::fromStdString(maker::onSite(pathAndQuery)), QUrl::StrictMode);
}

// A one-pixel rule of the given colour, placed in twips like the lines it stands for.
QFrame* rule(QWidget* parent, const QString& name, const QColor& colour, int x1, int x2, int top) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setGeometry(twips::px(x1), twips::px(top), twips::px(x2 - x1), 1);
    line->setStyleSheet(QStringLiteral("background: %1; border: none;").arg(colour.name()));
    return line;
}

constexpr int kClientWidth = 6060;
constexpr int kClientHeight = 4515;
constexpr int kLineHeight = 180; // a line of 9-point type

const QColor kAddressBlue(0x00, 0x00, 0xFF);
const QColor kArticleRed(0x80, 0x00, 0x00);

} // namespace

Form16::Form16(std::function<void(const QUrl&)> openUrl, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("Form16"));
    setWindowTitle(QStringLiteral(" 关于"));
    setFixedSize(twips::px(kClientWidth), twips::px(kClientHeight));
    setFont(twips::font("宋体", 9));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ui::compiledPicture(pictures::kAboutBanner, ui::screenScale()));
    // Its size on the screen: a picture drawn at 2x or 3x has more pixels than that.
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setGeometry(QRect(QPoint(0, 0), Image1->pixmap().deviceIndependentSize().toSize()));

    // The title twice, 20 twips apart. The banner is pale where the title goes, so the red copy
    // lies on top, where it reads; the white copy below and to its right is its highlight.
    QFont title = twips::font("宋体", 26.25);
    title.setBold(true);
    const int titleLefts[] = {2190, 2170};
    const int titleTops[] = {300, 280};
    const char* titleColours[] = {"white", "red"};
    for (int i = 0; i < 2; ++i) {
        Label12[i] = new QLabel(QStringLiteral("Tovrin"), this);
        Label12[i]->setObjectName(QStringLiteral("Label12_%1").arg(i));
        Label12[i]->setGeometry(twips::rect(titleLefts[i], titleTops[i], 3240, 525));
        Label12[i]->setFont(title);
        Label12[i]->setStyleSheet(QStringLiteral("color: %1; background: transparent;")
                                      .arg(QLatin1String(titleColours[i])));
    }
    Label12[1]->raise();

    Line2 =
        rule(this, QStringLiteral("Line2"), palette().color(QPalette::WindowText), 0, 6255, 990);

    Label1 = makeLabel(QStringLiteral("Label1"), QStringLiteral("软件名称： Tovrin 2.0"), 1200,
                       1260, 2430);
    Label2 = makeLabel(QStringLiteral("Label2"), QStringLiteral("官方网站： "), 1200, 1638, 990);
    Label6 = makeLink(QStringLiteral("Label6"), fromView(maker::kHomePageCaption),
                      QUrl(fromView(maker::kHomePage), QUrl::StrictMode), kAddressBlue, 2250, 1638,
                      1710);
    Label3 = makeLabel(QStringLiteral("Label3"), QStringLiteral("联系邮箱： "), 1200, 2016, 990);
    Label5 = makeLink(QStringLiteral("Label5"), fromView(maker::kMail),
                      QUrl(QString::fromStdString(maker::mailLink()), QUrl::StrictMode),
                      kAddressBlue, 2250, 2016, 1260);
    Label4 = makeLabel(QStringLiteral("Label4"),
                       QStringLiteral("联系ＱＱ： ") + fromView(maker::kMessengerNumber), 1200,
                       2394, 1710);
    Label8 = makeLabel(QStringLiteral("Label8"), QStringLiteral("其它软件： "), 1200, 2772, 990);
    Label7 = makeLink(QStringLiteral("Label7"),
                      fromView(maker::kHomePageCaption) + fromView(maker::kDownloadPath),
                      onSite(maker::kDownloadPath), kAddressBlue, 2250, 2772, 2520);
    Label14 = makeLabel(QStringLiteral("Label14"), QStringLiteral("相关网址： "), 1200, 3150, 990);
    Label11 = makeLink(QStringLiteral("Label11"), QStringLiteral("五笔字根口诀解释 "),
                       onSite(maker::kRadicalVersesPath), kArticleRed, 2250, 3150, 1530);
    Label13 = makeLink(QStringLiteral("Label13"), QStringLiteral("各键位字根示例"),
                       onSite(maker::kKeyExamplesPath), kArticleRed, 4020, 3150, 1260);

    Line1[0] = rule(this, QStringLiteral("Line1_0"), QColor(0x80, 0x80, 0x80), 270, 5725, 3630);
    Line1[1] = rule(this, QStringLiteral("Line1_1"), Qt::white, 270, 5710, 3645);

    Command1 = new QPushButton(QStringLiteral("确   定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(2340, 3930, 1365, 345));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    const pictures::HotSpot spot = pictures::kCursorHandHotSpot;
    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setPixmap(QPixmap(QString::fromLatin1(pictures::kCursorHand)));
    Image2->hide();
    const QCursor hand(Image2->pixmap(), spot.x, spot.y);
    for (QLabel* link : {Label5, Label6, Label7, Label11, Label13})
        link->setCursor(hand);
}

Form16::~Form16() = default;

// A label at its designed place and width; the CJK faces here can be wider and taller than the
// ones the dialog was laid out for, so a label grows to hold its whole text, never shrinks.
QLabel* Form16::makeLabel(const QString& name, const QString& caption, int left, int top,
                          int width) {
    auto* l = new QLabel(caption, this);
    l->setObjectName(name);
    const QFontMetrics metrics(l->font());
    l->setGeometry(twips::px(left), twips::px(top),
                   std::max(twips::px(width), metrics.horizontalAdvance(caption) + 1),
                   std::max(twips::px(kLineHeight), metrics.height()));
    return l;
}

QLabel* Form16::makeLink(const QString& name, const QString& caption, const QUrl& target,
                         const QColor& colour, int left, int top, int width) {
    QFont underlined = font();
    underlined.setUnderline(true);
    QLabel* link = makeLabel(name, caption, left, top, width);
    link->setFont(underlined);
    link->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    link->setProperty("target", target);
    link->installEventFilter(this);
    return link;
}

bool Form16::eventFilter(QObject* watched, QEvent* event) {
    auto* link = qobject_cast<QLabel*>(watched);
    if (!link || !ui::isClick(watched, event))
        return QDialog::eventFilter(watched, event);
    if (openUrl_)
        openUrl_(link->property("target").toUrl());
    return true;
}

} // namespace tovrin
