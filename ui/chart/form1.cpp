#include "ui/chart/form1.h"
#include "ui/common/bitmapfile.h"
#include "ui/common/click.h"
#include "ui/common/twips.h"

#include "core/dict/textcut.h"
#include "core/practice/deck.h"
#include "core/promo/maker.h"
#include "core/settings/setline.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/startpage.h"
#include "resources/pictures.h"
#include "ui/about/form16.h"
#include "ui/lookup/form3.h"
#include "ui/practice/practicewindow.h"
#include "ui/printing/form4.h"
#include "ui/settings/form2.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace tovrin {

namespace {

// The client area that holds the chart and the link strip beneath it.
constexpr int kClientWidth = 10200;
constexpr int kClientHeight = 6690;

struct LinkLabel {
    const char* caption;
    int left;
    int width;
};
constexpr LinkLabel kLinks[] = {{"编码查询", 4230, 960}, {"设置", 5775, 480}, {"打印", 6825, 480},
                                {"关于", 7860, 480},     {"关闭", 8910, 480}, {nullptr, 300, 2595}};

const QColor kHoverRed(192, 0, 0);

} // namespace

Form1::Form1(const gbk::Codec& codec, platform::ProgramFiles files, Services services)
    : QWidget(nullptr), codec_(codec), files_(std::move(files)), services_(std::move(services)),
      homePage_(QString::fromStdString(std::string(maker::kHomePage))) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral(" Tovrin"));
    setWindowIcon(QIcon(QString::fromLatin1(pictures::kIcon)));
    // A fixed dialog frame without a taskbar button: the tray icon stands in for it. Where the
    // desktop has no tray the window keeps its taskbar entry, so it can always be reached.
    Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (services_.trayAvailable)
        flags |= Qt::Tool;
    else
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setFixedSize(twips::px(kClientWidth), twips::px(kClientHeight));
    buildControls();

    // Centred by the client size, in the screen's area without its panels.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->availableGeometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
    state_.windowStateChanged(false, windowState() & Qt::WindowMaximized);
    if (services_.trayAvailable)
        buildTray();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(6);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2_Timer(); });
    Timer2->start();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(66);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    // Without an X display no key is ever down: nothing to poll. With key events the tick
    // starts when a key goes down.
    if (services_.hotKeysAvailable && !services_.keyEvents)
        Timer1->start();
}

Form1::~Form1() {
    if (tray_)
        tray_->hide();
}

void Form1::buildControls() {
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twips::rect(80, 30, 10050, 6000));
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop); // drawn unscaled from the corner
    Picture1->setMouseTracking(true);
    Picture1->installEventFilter(this);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(twips::rect(0, 6075, 10200, 615));
    Image2->setPixmap(ui::compiledPicture(pictures::kChartStrip, ui::screenScale()));
    Image2->setMouseTracking(true);
    Image2->installEventFilter(this);

    QFont font(QStringLiteral("华文细黑"));
    font.setPointSizeF(12);
    const QCursor link(QPixmap(QString::fromLatin1(pictures::kCursorPoint)),
                       pictures::kCursorPointHotSpot.x, pictures::kCursorPointHotSpot.y);
    for (int i = 0; i < 6; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("Label1_%1").arg(i));
        l->setText(kLinks[i].caption ? QString::fromUtf8(kLinks[i].caption) : homePage_);
        l->setFont(font);
        l->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
        l->move(twips::px(kLinks[i].left), twips::px(6270));
        l->adjustSize(); // sized to the text
        l->setCursor(link);
        l->setMouseTracking(true);
        l->installEventFilter(this);
        Label1[i] = l;
    }
}

void Form1::buildTray() {
    mnuTray = new QMenu(this);
    mnuTray->setObjectName(QStringLiteral("mnuTray"));
    auto item = [this](const QString& name, const QString& caption, bool shown) {
        // A hidden item belongs to the menu but is not in its list: a QAction made invisible
        // would also be disabled, and these keep their enabled state in step with the window.
        auto* a = new QAction(caption, mnuTray);
        a->setObjectName(name);
        if (shown)
            mnuTray->addAction(a);
        return a;
    };
    // Five hidden items, kept in step with the window's state, then the four the user sees.
    mnuTrayRestore = item(QStringLiteral("mnuTrayRestore"), QStringLiteral("恢复&R"), false);
    connect(mnuTrayRestore, &QAction::triggered, this, [this] {
        restoreState(Qt::WindowNoState);
        show();
    });
    mnuTrayMove = item(QStringLiteral("mnuTrayMove"), QStringLiteral("移动&M"), false);
    mnuTraySize = item(QStringLiteral("mnuTraySize"), QStringLiteral("大小&S"), false);
    mnuTrayMinimize = item(QStringLiteral("mnuTrayMinimize"), QStringLiteral("最小化&n"), false);
    connect(mnuTrayMinimize, &QAction::triggered, this,
            [this] { setWindowState(Qt::WindowMinimized); });
    mnuTrayMaximize = item(QStringLiteral("mnuTrayMaximize"), QStringLiteral("最大化&x"), false);
    connect(mnuTrayMaximize, &QAction::triggered, this,
            [this] { setWindowState(Qt::WindowMaximized); });
    connect(item(QStringLiteral("show1"), QStringLiteral("主界面"), true), &QAction::triggered,
            this, [this] { show1(); });
    connect(item(QStringLiteral("show2"), QStringLiteral("查询界面"), true), &QAction::triggered,
            this, [this] { show2(); });
    if (services_.practiceDeck)
        connect(item(QStringLiteral("showPractice"), QStringLiteral("练习"), true),
                &QAction::triggered, this, [this] { showPractice(); });
    mnuTray->addSeparator()->setObjectName(QStringLiteral("mnuTraySep"));
    connect(item(QStringLiteral("mnuTrayClose"), QStringLiteral("退出&Q"), true),
            &QAction::triggered, this, [this] { mnuTrayClose_Click(); });
    setTrayItems(windowState());

    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setObjectName(QStringLiteral("tray"));
    tray_->setToolTip(QStringLiteral("鼠标左键单击显示主界面，右键弹出菜单。"));
    tray_->setContextMenu(mnuTray);
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            trayLeftClick();
    });
    tray_->show();
}

void Form1::setTrayItems(Qt::WindowStates state) {
    if (!mnuTray)
        return;
    const bool minimised = state & Qt::WindowMinimized;
    const bool maximised = !minimised && (state & Qt::WindowMaximized);
    const bool normal = !minimised && !maximised;
    mnuTrayMaximize->setEnabled(!maximised);
    mnuTrayMinimize->setEnabled(!minimised);
    mnuTrayMove->setEnabled(normal);
    mnuTrayRestore->setEnabled(!normal);
    mnuTraySize->setEnabled(normal);
}

void Form1::setTopmost(bool on) {
    if (bool(windowFlags() & Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show(); // changing a window's flags hides it
}

void Form1::focus(QWidget* w) {
    w->raise();
    w->activateWindow();
    if (services_.bringBack)
        services_.bringBack(w);
}

bool Form1::anyDialogShown() const {
    // The promotion's offer is the lookup window's own, and leaves it free to use.
    return dialog_ && dialog_->isVisible();
}

void Form1::hover(int index) {
    for (int i = 0; i < 6; ++i) {
        const QColor want = i == index ? kHoverRed : QColor(Qt::black);
        if (Label1[i]->property("hover").toBool() == (i == index))
            continue;
        Label1[i]->setProperty("hover", i == index);
        Label1[i]->setStyleSheet(
            QStringLiteral("color: %1; background: transparent;").arg(want.name()));
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == practice_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        escapeInPractice_ = true; // the window closes itself on it
        return false;
    }
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        int index = -1;
        for (int i = 0; i < 6; ++i)
            if (watched == Label1[i])
                index = i;
        if (index >= 0 || watched == Picture1 || watched == Image2)
            hover(index);
        return false;
    }
    if (ui::isClick(watched, event)) {
        for (int i = 0; i < 6; ++i) {
            if (watched == Label1[i]) {
                Label1_Click(i);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::Label1_Click(int index) {
    switch (index) {
    case 0:
        showLookup();
        break;
    case 1: {
        Form2::Links links;
        links.setLine = QString::fromStdString(state_.Label2);
        links.files = &files_;
        links.programPath = QApplication::applicationFilePath().toStdString();
        links.autostart = &autostart_;
        links.hotKeysAvailable = services_.hotKeysAvailable;
        links.waylandSession = services_.waylandSession;
        links.desktopKeys = services_.desktopKeys;
        links.tellOnce = [this](const QString& title, const QString& text) {
            tellOnce(title, text);
        };
        links.preview = [this](int chart) { loadChart(chart); };
        links.saved = [this] { Timer2->start(); };
        links.tell = services_.tell;
        auto* dialog = new Form2(std::move(links), this);
        dialog->setObjectName(QStringLiteral("Form2"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog_ = dialog;
        if (services_.runDialog)
            services_.runDialog(dialog);
        break;
    }
    case 2: {
        // Out of the always-on-top layer first, so the dialog and its messages are not hidden.
        setTopmost(false);
        Form4::Links links;
        links.printChart = QString::fromStdString(files_.picturePath("86wb.bmp"));
        // The chart shown, at the variant drawn for printing where it has one.
        links.currentChart = [this] {
            const QPixmap print =
                shownChart_ ? ui::loadBitmap(chartPath(shownChart_), kPrintScale) : QPixmap();
            return print.isNull() ? Picture1->pixmap() : print;
        };
        auto* dialog = new Form4(std::move(links), this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog_ = dialog;
        if (services_.runDialog)
            services_.runDialog(dialog);
        break;
    }
    case 3: {
        auto* about = new Form16(services_.openUrl, this);
        about->setAttribute(Qt::WA_DeleteOnClose);
        dialog_ = about;
        if (services_.runDialog)
            services_.runDialog(about);
        break;
    }
    case 4:
        exitProgram();
        break;
    case 5:
        if (services_.openUrl)
            services_.openUrl(QUrl(homePage_));
        break;
    default:
        break;
    }
}

void Form1::showLookup() {
    if (lookup_ && lookup_->isVisible()) {
        // A shown desktop or a minimise may have taken the window off the screen while it still
        // counts as shown: it is brought back, then to its compact layout.
        if (lookup_->isMinimized())
            lookup_->setWindowState(lookup_->windowState() & ~Qt::WindowMinimized);
        lookup_->Timer1->start(); // back to the compact layout at its place, 11 ms later
    } else {
        if (!lookup_) {
            std::unique_ptr<Form3> form = spare_ ? std::move(spare_) : makeLookup();
            // A window built ahead reads the start page as a new one would, after it opens.
            form->Timer2->start();
            if (!form->Form_Load()) {
                // Another copy of the program runs: this one ends, as the user was told.
                exitProgram();
                return;
            }
            connect(form.get(), &Form3::unloaded, this, [this, window = form.get()] {
                // Deleted once the event that unloaded it has been handled.
                QTimer::singleShot(0, this, [this, window] {
                    if (lookup_.get() == window)
                        lookup_.reset();
                    std::erase_if(unloading_,
                                  [window](const auto& w) { return w.get() == window; });
                    prepareLookupSoon();
                });
            });
            lookup_ = std::move(form);
        }
        lookup_->show();
    }
    focus(lookup_.get());
}

std::unique_ptr<Form3> Form1::makeLookup() {
    Form3::Services s;
    // The window is made anew each time it opens; what it tells is told once a run.
    s.tell = [this](const QString& title, const QString& text) { tellOnce(title, text); };
    s.isFirstInstance = services_.isFirstInstance;
    s.openUrl = services_.openUrl;
    s.showDesktop = services_.showDesktop;
    s.portalAddress = [] { return QString::fromStdString(std::string(maker::kPortal)); };
    s.startPage = [] { return QString::fromStdString(platform::StartPageStore().read()); };
    s.promotion = services_.promotion;
    s.keepShown = services_.keepShown;
    if (PracticeDeck* deck = services_.practiceDeck)
        s.lookedUp = [deck](const gbk::Text& item, bool inText) {
            deck->lookedUp(item, inText ? PracticeDeck::Source::Text : PracticeDeck::Source::Pick);
        };
    return std::make_unique<Form3>(codec_, files_, s);
}

// Building the window's controls was most of its first opening (40 ms from the key's press to
// the window on the screen, 11 ms once they are built); done half a second after the start, or
// after a window has closed, they are ready for the next press.
void Form1::prepareLookupSoon() {
    QTimer::singleShot(500, this, [this] {
        if (!spare_ && !lookup_)
            spare_ = makeLookup();
    });
}

void Form1::tellOnce(const QString& title, const QString& text) {
    if (told_.insert(text).second)
        tell(title, text);
}

void Form1::tell(const QString& title, const QString& text) {
    if (!services_.tell)
        return;
    // A command is answered before any message it brings: a message waits for its reader, and
    // the command's client does not.
    if (commands_ > 0) {
        QTimer::singleShot(0, this, [this, title, text] { tell(title, text); });
        return;
    }
    // One message of a kind at a time: the same one asked for again while it is up is not
    // stacked on it.
    if (!shownMessages_.insert(text).second)
        return;
    services_.tell(title, text);
    shownMessages_.erase(text);
}

void Form1::Timer2_Timer() {
    Timer2->stop();
    // Without a readable set.txt the designed choices hold: chart 1, F1 and F2.
    if (const int chart = state_.readSetLine(settings::lineOf(files_.readSetFile())))
        loadChart(chart);
    Q_EMIT keysChosen(state_.chartKey, state_.lookupKey);
    // A hot key pressed before its choice was read went by unheeded, and with key events no
    // later event tells that it is still held: held now, it acts now (on a loaded machine the
    // first press can come before this timer).
    if (services_.keyEvents && !Timer1->isActive())
        Timer1_Timer();
    prepareLookupSoon();
}

QString Form1::chartPath(int chart) const {
    return QString::fromStdString(files_.picturePath("J" + std::to_string(chart) + ".bmp"));
}

void Form1::loadChart(int chart) {
    const QString name = QStringLiteral("J%1.bmp").arg(chart);
    const QString path = chartPath(chart);
    const QPixmap picture = ui::loadBitmap(path, ui::screenScale());
    if (picture.isNull()) {
        Picture1->setPixmap(QPixmap());
        shownChart_ = 0;
        tellOnce(QStringLiteral("提示！"),
                 QStringLiteral("找不到或无法读取字根图“%1”（%2）。").arg(name, path));
        return;
    }
    Picture1->setPixmap(picture);
    shownChart_ = chart;
}

void Form1::Timer1_Timer() {
    if (services_.readKeys)
        services_.readKeys();
    const ChartState::Tick t = state_.tick(services_.keyDown, anyDialogShown());
    // ESC pressed in the practice window closes that window alone, by its own key: the ESC held
    // now is its when it went down while the window had the keyboard, whichever of the window's
    // key and the keyboard's report comes first. Once let go, ESC is everyone's again.
    if (!t.putAway)
        escapeInPractice_ = false;
    else if (practice_ && practice_->isVisible() && practice_->isActiveWindow())
        escapeInPractice_ = true;
    if (t.showChart)
        showChart();
    if (t.showLookup)
        showLookup();
    if (t.putAway && !escapeInPractice_)
        escape();
    if (services_.keyEvents) {
        // A held key repeats its action every tick; once none is down the ticks stop.
        if (!state_.keyHeld(services_.keyDown))
            Timer1->stop();
        else if (!Timer1->isActive())
            Timer1->start();
    }
}

void Form1::keyWentDown() {
    // While the ticks run, a press waits for the next one, so a held key keeps its pace.
    if (!Timer1->isActive())
        Timer1_Timer();
}

platform::Acted Form1::command(std::string_view word, const platform::CommandServer::Reply& later) {
    ++commands_;
    const platform::Acted acted = act(word, later);
    --commands_;
    return acted;
}

platform::Acted Form1::act(std::string_view word, const platform::CommandServer::Reply& later) {
    if (word == "chart") {
        showChart();
    } else if (word == "lookup") {
        if (anyDialogShown())
            return platform::Acted::Refused;
        show2();
    } else if (word == "selection") {
        if (anyDialogShown())
            return platform::Acted::Refused;
        lookUpSelection(later);
        if (later)
            return platform::Acted::Later;
    } else if (word.starts_with("practice") && services_.practiceDeck) {
        // "practice", or "practice TIME" for a session whose clock starts at TIME.
        std::optional<practice::Millis> at;
        if (word != "practice" &&
            !(word.size() > 9 && word[8] == ' ' && (at = practice::parseTime(word.substr(9)))))
            return platform::Acted::Unknown;
        if (anyDialogShown())
            return platform::Acted::Refused;
        showPractice(at);
    } else if (word == "hide") {
        escape();
    } else if (word == "quit") {
        exitProgram();
    } else {
        return platform::Acted::Unknown;
    }
    return platform::Acted::Done;
}

void Form1::restoreState(Qt::WindowStates state) {
    // ESC and the tray leave the window hidden and minimised. Qt maps such a window as it
    // leaves the minimised state and only then says it is no longer iconic, so a window manager
    // that reads the hints in between minimises it again (seen: the chart mapped and unmapped
    // 2-3 ms after a quick tap of its key).
    if (!isVisible() && (windowState() & Qt::WindowMinimized) && services_.mapNormal)
        services_.mapNormal(this);
    setWindowState(state);
}

void Form1::showChart() {
    restoreState(Qt::WindowNoState);
    show();
    if (!anyDialogShown())
        focus(this);
}

void Form1::escape() {
    // Everything is put away; the application lives on in the tray, or on the taskbar.
    auto closeAll = [](const QString& name) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == name)
                w->close();
    };
    for (const ChartState::Step step :
         ChartState::putAwaySteps(services_.trayAvailable, services_.canRestoreMinimised)) {
        switch (step) {
        case ChartState::Step::HideChart:
            hide();
            break;
        case ChartState::Step::MinimiseChart:
            setWindowState(Qt::WindowMinimized);
            break;
        case ChartState::Step::CloseAbout:
            closeAll(QStringLiteral("Form16"));
            break;
        case ChartState::Step::CloseLookup:
            if (lookup_) {
                lookup_->closeDictionaries();
                lookup_->hide();
                // A window waiting in a message of its own is deleted once it has returned
                // from it, not under it.
                if (lookup_->busy()) {
                    lookup_->unloadWhenIdle();
                    unloading_.push_back(std::move(lookup_));
                }
                lookup_.reset();
                prepareLookupSoon();
            }
            break;
        case ChartState::Step::CloseSettings:
            closeAll(QStringLiteral("Form2"));
            break;
        case ChartState::Step::ShowMinimised:
            show();
            setWindowState(windowState() | Qt::WindowMinimized);
            break;
        }
    }
}

void Form1::trayLeftClick() {
    if (windowState() & Qt::WindowMaximized && !(windowState() & Qt::WindowMinimized))
        return;
    restoreState(state_.LastState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
    show();
    if (!anyDialogShown())
        focus(this);
}

void Form1::show1() {
    restoreState(state_.LastState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
    show();
    if (!anyDialogShown())
        focus(this);
    setTopmost(true);
}

void Form1::show2() {
    if (anyDialogShown())
        return;
    showLookup();
}

void Form1::lookUpSelection(const platform::CommandServer::Reply& done) {
    show2();
    // Both are read at once, each given its second: the selection, else what is copied, is
    // looked up, the first that holds something to look up. A word of Latin letters selected
    // does not hide the Chinese text copied.
    struct Reads {
        std::optional<std::optional<QString>> selected, copied;
    };
    auto reads = std::make_shared<Reads>();
    auto decide = [this, reads, done] {
        if (!reads->selected || !reads->copied)
            return;
        // Plenty for the characters looked up, however much was selected.
        constexpr qsizetype kTaken = 2 * textcut::kLongest;
        bool silent = false;
        for (const std::optional<QString>& text : {*reads->selected, *reads->copied}) {
            silent = silent || !text;
            if (text && lookup_ && lookup_->lookUpText(text->left(kTaken))) {
                if (done)
                    done(platform::Acted::Done);
                return;
            }
        }
        if (done)
            done(silent ? platform::Acted::Failed : platform::Acted::Done);
        tell(QStringLiteral("提示！"),
             silent ? QStringLiteral("选中或复制的文字读不出来：拥有它的程序没有回应。")
                    : QStringLiteral("选中或复制的文字里没有可以查询的汉字。"));
    };
    if (!services_.readText) {
        reads->selected = reads->copied = std::optional<QString>(QString());
        decide();
        return;
    }
    services_.readText(true, [reads, decide](std::optional<QString> text) {
        reads->selected = std::move(text);
        decide();
    });
    services_.readText(false, [reads, decide](std::optional<QString> text) {
        reads->copied = std::move(text);
        decide();
    });
}

PracticeWindow* Form1::practiceWindow() const {
    return practice_;
}

void Form1::showPractice(std::optional<practice::Millis> at) {
    if (anyDialogShown() || !services_.practiceDeck)
        return;
    if (!practice_) {
        PracticeWindow::Services s;
        s.tell = [this](const QString& title, const QString& text) { tellOnce(title, text); };
        practice_ = new PracticeWindow(*services_.practiceDeck, s, this);
        practice_->installEventFilter(this); // sees its ESC before it closes on it
    }
    if (at)
        practice_->startAt(*at);
    practice_->open();
    focus(practice_);
}

void Form1::mnuTrayClose_Click() {
    exitProgram();
}

void Form1::endSession() {
    Timer1->stop();
    exitProgram();
}

void Form1::exitProgram() {
    // The exit marker lets this window's close through; every window closes, then the loop ends.
    state_.confirmExit();
    QApplication::closeAllWindows();
    if (services_.quit)
        services_.quit();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (state_.exitConfirmed()) {
        if (tray_)
            tray_->hide(); // the icon goes before the application ends
        event->accept();
        return;
    }
    // Not a confirmed exit: the window goes to the tray (or the taskbar, without a tray).
    event->ignore();
    setWindowState(windowState() | Qt::WindowMinimized);
}

void Form1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates state = windowState();
        setTrayItems(state);
        if (state & Qt::WindowMinimized) {
            // A minimised chart window is never seen: it lives on as the tray icon. Without a
            // tray it stays an ordinary minimised window, flags untouched (changing them would
            // hide it beyond reach).
            if (services_.trayAvailable)
                QTimer::singleShot(0, this, [this] {
                    if (windowState() & Qt::WindowMinimized) {
                        hide();
                        setWindowFlag(Qt::WindowStaysOnTopHint, false);
                    }
                });
        } else {
            state_.windowStateChanged(false, state & Qt::WindowMaximized);
        }
    }
    QWidget::changeEvent(event);
}

} // namespace tovrin
