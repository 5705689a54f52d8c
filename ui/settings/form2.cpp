#include "ui/settings/form2.h"
#include "ui/common/twips.h"

#include "core/settings/setline.h"
#include "platform/autostart.h"
#include "platform/paths.h"
#include "platform/programfiles.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <cmath>
#include <utility>

namespace tovrin {

namespace {

QComboBox* keyBox(const QString& name, QRect geometry, QWidget* parent) {
    auto* box = twips::named(new QComboBox(parent), name, geometry);
    box->setEditable(true); // a key may be typed as well as chosen
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr); // what is typed is what is stored: "F" is not completed to "F1"
    for (int code = settings::kF1; code <= settings::kF12; ++code)
        box->addItem(QString::fromStdString(settings::keyName(code)));
    return box;
}

void setKey(QComboBox* box, int code) {
    box->setCurrentIndex(box->findText(QString::fromStdString(settings::keyName(code))));
}

} // namespace

Form2::Form2(Links links, QWidget* parent)
    : QDialog(parent, Qt::WindowStaysOnTopHint), links_(std::move(links)) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral(" 设置"));
    setModal(true);
    setFont(twips::font("宋体", 9));
    setFixedSize(twips::px(6000), twips::px(3375));
    buildControls();
    // On Wayland the F-keys reach this program only while one of its windows (or, through
    // Xwayland, another X program) has the focus, unless the desktop bound them through its
    // portal: the user is told once a run which, and what to bind in the desktop's settings.
    if (links_.waylandSession && links_.tellOnce)
        QTimer::singleShot(0, this, [this] {
            const QString bound = links_.desktopKeys ? links_.desktopKeys() : QString();
            const QString where = links_.hotKeysAvailable
                                      ? QStringLiteral("本程序或其他 X11 程序的窗口")
                                      : QStringLiteral("本程序的窗口");
            links_.tellOnce(
                QStringLiteral("提示！"),
                bound.isEmpty()
                    ? QStringLiteral("Wayland 桌面不让程序读取在别的程序中按下的键，"
                                     "呼出热键和 ESC 只在%1有焦点时起作用。\n"
                                     "请在桌面的键盘设置中添加自定义快捷键：\n"
                                     "tovrin --chart（显示字根表）\n"
                                     "tovrin --lookup（打开编码查询）\n"
                                     "tovrin --selection（查询选中或复制的文字）\n"
                                     "tovrin --hide（全部隐藏，同 ESC）")
                          .arg(where)
                    : QStringLiteral("呼出热键已由桌面绑定：%1，可在桌面的快捷键设置中更改；"
                                     "这里选的键会交给桌面作为建议。ESC 只在%2有焦点时起作用。\n"
                                     "查询选中或复制的文字：请在桌面的键盘设置中把 "
                                     "tovrin --selection 绑定到一个键。")
                          .arg(bound, where));
        });
    preselect();
}

Form2::~Form2() = default;

void Form2::buildControls() {
    Frame1 = twips::named(new QGroupBox(QStringLiteral("选择Tovrin"), this),
                          QStringLiteral("Frame1"), twips::rect(210, 90, 5535, 795));
    Option1 = twips::named(new QRadioButton(QStringLiteral("字根表图1"), Frame1),
                           QStringLiteral("Option1"), twips::rect(390, 330, 1275, 315));
    Option2 = twips::named(new QRadioButton(QStringLiteral("字根表图2"), Frame1),
                           QStringLiteral("Option2"), twips::rect(2010, 330, 1275, 315));
    Option3 = twips::named(new QRadioButton(QStringLiteral("字根表图3"), Frame1),
                           QStringLiteral("Option3"), twips::rect(3690, 330, 1275, 315));
    Option1->setChecked(true);
    // The preview stays when the dialog is left with 退出; the next read of set.txt replaces it.
    int chart = 1;
    for (QRadioButton* option : {Option1, Option2, Option3}) {
        connect(option, &QRadioButton::clicked, this, [this, chart] {
            if (links_.preview)
                links_.preview(chart);
        });
        ++chart;
    }

    Frame2 = twips::named(new QGroupBox(QStringLiteral("呼出热键（ESC键退出）"), this),
                          QStringLiteral("Frame2"), twips::rect(210, 1020, 5535, 795));
    Label1 = twips::named(new QLabel(QStringLiteral("Tovrin"), Frame2), QStringLiteral("Label1"),
                          twips::rect(240, 390, 1080, 180));
    Combo1 = keyBox(QStringLiteral("Combo1"), twips::rect(1530, 330, 900, 300), Frame2);
    Label2 = twips::named(new QLabel(QStringLiteral("五笔编码查询"), Frame2),
                          QStringLiteral("Label2"), twips::rect(2760, 390, 1080, 180));
    Combo2 = keyBox(QStringLiteral("Combo2"), twips::rect(4050, 330, 975, 300), Frame2);
    Combo1->setCurrentIndex(0); // F1
    Combo2->setCurrentIndex(1); // F2
    if (!links_.hotKeysAvailable || links_.waylandSession) {
        // The frame is full below its caption, so the note shares the caption's line, right of
        // it, on a filled background in case the style draws the border through that line.
        const QString text = links_.waylandSession
                                 ? QStringLiteral("Wayland 下请在系统设置中绑定热键")
                                 : QStringLiteral("当前桌面不支持全局热键（需要 X11）");
        auto* note = twips::named(new QLabel(text, Frame2), QStringLiteral("hotKeyNote"),
                                  twips::rect(2310, 0, 3105, 210));
        note->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        note->setAutoFillBackground(true);
        note->setStyleSheet(QStringLiteral("color: #A00000;"));
    }

    Frame4 = twips::named(new QGroupBox(QStringLiteral("软件是否随系统启动"), this),
                          QStringLiteral("Frame4"), twips::rect(210, 1950, 5535, 795));
    Option28 = twips::named(new QRadioButton(QStringLiteral("随系统启动"), Frame4),
                            QStringLiteral("Option28"), twips::rect(540, 330, 1755, 315));
    Option29 = twips::named(new QRadioButton(QStringLiteral("不随系统启动"), Frame4),
                            QStringLiteral("Option29"), twips::rect(3060, 330, 1755, 315));
    Option28->setChecked(true);

    Command1 = twips::named(new QPushButton(QStringLiteral("确定"), this),
                            QStringLiteral("Command1"), twips::rect(1118, 2880, 1455, 375));
    Command2 = twips::named(new QPushButton(QStringLiteral("退出"), this),
                            QStringLiteral("Command2"), twips::rect(3518, 2880, 1455, 375));
    for (QPushButton* b : {Command1, Command2}) {
        b->setFocusPolicy(Qt::NoFocus); // no button ever shows a focus mark
        b->setAutoDefault(false);       // Enter in a key box does not press 确定
    }
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

// The dialog starts from the chart window's copy of set.txt, never from the file itself.
void Form2::preselect() {
    const settings::SetLine line = settings::parseSetLine(links_.setLine.toStdString());
    if (line.chart == 2)
        Option2->setChecked(true);
    else if (line.chart == 3)
        Option3->setChecked(true);
    if (line.chartKey != 0)
        setKey(Combo1, line.chartKey);
    if (line.lookupKey != 0)
        setKey(Combo2, line.lookupKey);
    // What is true: the program starts with the session only while its entry is there.
    if (links_.autostart)
        (links_.autostart->enabled() ? Option28 : Option29)->setChecked(true);
}

void Form2::Command1_Click() {
    const int chart = Option3->isChecked() ? 3 : Option2->isChecked() ? 2 : 1;
    const std::string line = settings::buildSetLine(chart, Combo1->currentText().toStdString(),
                                                    Combo2->currentText().toStdString());
    if (line.empty()) {
        // A typed key that is no F1-F12 (F13, f1, F7x) is refused: nothing is stored and the
        // dialog stays open with the choices, to correct them or to leave.
        if (links_.tell)
            links_.tell(QStringLiteral("提示！"),
                        QStringLiteral("热键只能是 F1 到 F12，设置没有保存。"));
        return;
    }
    const std::string path = links_.files ? links_.files->setFilePath() : std::string();
    if (!links_.files || !links_.files->writeSetFile(settings::fileText(line)).empty()) {
        // Nothing was stored: the chart window is not told to read set.txt again, autostart is
        // left alone and the dialog stays open with the choices, to try again or to leave.
        if (links_.tell)
            links_.tell(QStringLiteral("提示！"),
                        QStringLiteral("无法写入设置文件“%1”，设置没有保存。")
                            .arg(QFile::decodeName(QByteArray::fromStdString(path))));
        return;
    }
    // An autostart entry that cannot be written (a program folder whose name is no UTF-8, a
    // configuration folder that cannot be written) or removed is told; the rest is saved.
    if (links_.autostart) {
        const bool done = Option28->isChecked() ? links_.autostart->enable(links_.programPath)
                                                : links_.autostart->disable();
        if (!done && links_.tell)
            links_.tell(
                QStringLiteral("提示！"),
                QStringLiteral("无法%1随系统启动的启动项“%2”。其余设置已经保存。")
                    .arg(Option28->isChecked() ? QStringLiteral("写入") : QStringLiteral("删除"),
                         QString::fromStdString(links_.autostart->entryPath())));
    }
    if (links_.saved)
        links_.saved();
    accept();
}

} // namespace tovrin
