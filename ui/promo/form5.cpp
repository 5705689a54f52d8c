#include "ui/promo/form5.h"
#include "ui/common/twips.h"

#include "core/lookup/layout.h"
#include "platform/shortcuts.h"
#include "platform/startpage.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace tovrin {

namespace {

constexpr int kClientWidth = 5760;
constexpr int kClientHeight = 1830;

} // namespace

Form5::Form5(QString promotedAddress, std::function<void()> restartStartPageTimer, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      promotedAddress_(std::move(promotedAddress)),
      restartStartPageTimer_(std::move(restartStartPageTimer)) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("强烈推荐"));
    setFixedSize(twips::px(kClientWidth), twips::px(kClientHeight));
    setFont(twips::font("宋体", 9));

    // The three lines are centred between equal margins, as they were placed.
    auto line = [this](const char* name, const QString& text, QRect place, const QFont& font) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setFont(font);
        l->setAlignment(Qt::AlignCenter);
        // The CJK faces here are larger than the ones the dialog was laid out for: the line
        // keeps its middle and grows around it rather than clip the characters.
        const QSize need(l->fontMetrics().horizontalAdvance(text) + 1, l->fontMetrics().height());
        const int wider = std::max(0, need.width() - place.width());
        const int taller = std::max(0, need.height() - place.height());
        l->setGeometry(
            place.adjusted(-wider / 2, -taller / 2, wider - wider / 2, taller - taller / 2));
        return l;
    };
    const QString host = QUrl(promotedAddress_).host();
    QFont bold = font();
    bold.setBold(true);
    Label1 = line("Label1", QStringLiteral("强烈推荐优秀的网址导航站：") + host,
                  twips::rect(585, 150, 4590, 210), bold);
    Label2 = line("Label2", QStringLiteral("每天登录导航站可得积分，积分可以兑换奖品！"),
                  twips::rect(900, 495, 3960, 180), font());
    Label2->setStyleSheet(QStringLiteral("color: red;"));
    Label3 = line("Label3", QStringLiteral("奖品有iPhone手机、移动充值卡，QQ币等"),
                  twips::rect(1260, 810, 3240, 180), font());
    Label3->setStyleSheet(QStringLiteral("color: #c06000;"));

    Command2 = new QPushButton(QStringLiteral("不要帮我设置。"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twips::rect(510, 1200, 1605, 435));
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    Command1 = new QPushButton(QStringLiteral("好，请帮我设置好导航网址。"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(2310, 1200, 3015, 435));
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
}

Form5::~Form5() = default;

void Form5::Command1_Click() {
    const std::string address = promotedAddress_.toStdString();
    platform::StartPageStore store;
    // The offer only helps: a store that cannot be written (or read whole, so never cut) is
    // left as it is, said on standard error, and the consent goes on.
    if (!store.write(address))
        qWarning("tovrin: the start page was not stored in %s", store.filePath().c_str());
    platform::createWebLaunchers(address);
    if (restartStartPageTimer_)
        restartStartPageTimer_();
    accept();
}

void Form5::Command2_Click() {
    reject();
}

} // namespace tovrin
