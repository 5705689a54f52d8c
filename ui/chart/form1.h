// The chart window: the application's start-up window and home. It shows the radical chart,
// opens the other windows from its link strip, lives in the tray and answers the hot keys.
#pragma once

#include "core/practice/fsrs.h"
#include "core/promo/trigger.h"
#include "core/settings/chartstate.h"
#include "core/text/gbk.h"
#include "platform/autostart.h"
#include "platform/commands.h"
#include "platform/programfiles.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace tovrin {

class Form3;
class PracticeDeck;
class PracticeWindow;

class Form1 : public QWidget {
    Q_OBJECT

public:
    // What the chart window needs from the program around it; tests give stand-ins.
    struct Services {
        std::function<void(const QString& title, const QString& text)> tell;
        std::function<void(const QUrl& url)> openUrl;
        std::function<bool()> isFirstInstance;
        // Reads the keyboard once per tick, then answers whether a key (virtual-key code) is down.
        std::function<void()> readKeys;
        std::function<bool(int virtualKey)> keyDown;
        bool hotKeysAvailable = true;
        // The keys come as events (keyWentDown): the tick runs only while a key is down. Without,
        // it polls every 66 ms for the life of the window.
        bool keyEvents = false;
        // A Wayland session: the hot keys are bound in the desktop's settings to the commands.
        bool waylandSession = false;
        // The keys the desktop bound for the program through its portal; "" or none: none.
        std::function<QString()> desktopKeys;
        bool trayAvailable = true;
        // Opens a modal dialog of the chart window (settings, printing, About); the window is
        // given so the caller can show it and the chart window can tell it is up.
        std::function<void(QDialog* dialog)> runDialog;
        // Ends the application (the event loop); every window has been closed before.
        std::function<void()> quit;
        // Shows the desktop (the collapsed lookup bar's first spot).
        std::function<void()> showDesktop;
        // Brings a window back on screen and into focus, also from a shown desktop; none: Qt's
        // own raise and activation.
        std::function<void(QWidget* window)> bringBack;
        // Readies a hidden window that was minimised to come back in its normal state, before Qt
        // maps it; none: Qt's own order, where a window manager may minimise it again at once.
        std::function<void(QWidget* window)> mapNormal;
        // Whether a minimised window can be brought back by the program (not natively on
        // Wayland, where only the user can): where it cannot, ESC hides the chart instead.
        bool canRestoreMinimised = true;
        // Readies the lookup window before each map to stay shown and on top while another
        // program is active; none: as Qt maps it.
        std::function<void(QWidget* window)> keepShown;
        // The promotion's clock and random source, for the lookup window; none: no offer.
        promo::Sources promotion;
        // The practice deck: the lookup window's picks join it, the practice window drills it;
        // none: no practice.
        PracticeDeck* practiceDeck = nullptr;
        // Reads what is selected (`primary`, the primary selection) or what is copied without
        // holding up the program, and hands it to `done` on the program's thread: nothing when
        // its owner did not answer in time. None: nothing is ever selected or copied.
        using TextRead = std::function<void(std::optional<QString>)>;
        std::function<void(bool primary, TextRead done)> readText;
    };

    Form1(const gbk::Codec& codec, platform::ProgramFiles files, Services services);
    ~Form1() override;

    // The chart window's state: the set.txt line and the hot keys, the exit marker, LastState.
    const ChartState& state() const { return state_; }

    QTimer* Timer1 = nullptr; // the hot-key tick, 66 ms, while a key is down (always when polled)
    QTimer* Timer2 = nullptr; // the settings load, 6 ms, one-shot

    // The link strip's labels, by index: 编码查询, 设置, 打印, 关于, 关闭, the home page.
    void Label1_Click(int index);
    void Timer1_Timer();
    void Timer2_Timer();
    // A key went down somewhere on the desktop: the tick runs at once, and goes on while a key it
    // tests is held.
    void keyWentDown();
    // A command from outside (`tovrin --chart` ...): "chart" and "lookup" do what their hot keys
    // do, "selection" opens the lookup window as its hot key does and looks up the text selected
    // or copied, "practice" what the tray's 练习 does, "hide" what ESC does, "quit" what the
    // tray's 退出 does. "lookup", "selection" and "practice" are refused while a dialog of the
    // chart window is up (their windows could not be used under it). A message the command
    // brings is told once it has been answered.
    // "selection" is answered through `later` once the text is read.
    platform::Acted command(std::string_view word,
                            const platform::CommandServer::Reply& later = {});

    // The tray and its menu.
    void trayLeftClick();
    void show1(); // 主界面
    void show2(); // 查询界面
    // 练习; `at`: the practice session's clock starts then (tovrin --practice --at TIME).
    void showPractice(std::optional<practice::Millis> at = std::nullopt);
    // The lookup window, with what is selected or copied looked up; `done` hears whether the
    // text could be read.
    void lookUpSelection(const platform::CommandServer::Reply& done = {});
    void mnuTrayClose_Click();
    // The user's session ends: the application ends without hiding first.
    void endSession();

    // Shows chart 1, 2 or 3 (J1.bmp ... J3.bmp) unscaled in Picture1 at once; a picture that is
    // missing or unreadable is told once and leaves the chart empty.
    void loadChart(int chart);
    QString chartPath(int chart) const; // J1.bmp ... J3.bmp in the program's folder

    bool anyDialogShown() const;
    Form3* lookupWindow() const { return lookup_.get(); }
    PracticeWindow* practiceWindow() const;
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return mnuTray; }
    const QString& homePage() const { return homePage_; }

Q_SIGNALS:
    // set.txt was read, at the start or after the settings dialog saved it: the hot keys chosen
    // (virtual-key codes, 0 for none).
    void keysChosen(int chartKey, int lookupKey);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildTray();
    void setTrayItems(Qt::WindowStates state);
    void setTopmost(bool on);
    void hover(int index); // -1: every label black
    void showChart();      // what the chart hot key does
    // Sets the chart window's state on the way back from the tray or the taskbar.
    void restoreState(Qt::WindowStates state);
    void showLookup();
    std::unique_ptr<Form3> makeLookup();
    void prepareLookupSoon();
    void exitProgram(); // a confirmed exit: every window closes and the application ends
    void escape();
    void focus(QWidget* w);
    // Tells the user once a run: a missing file named again is not told again.
    void tellOnce(const QString& title, const QString& text);
    // Tells the user, after the command being answered, and not while the same message is up.
    void tell(const QString& title, const QString& text);
    platform::Acted act(std::string_view word, const platform::CommandServer::Reply& later);

    const gbk::Codec& codec_;
    platform::ProgramFiles files_; // the dictionaries, pictures and option files
    Services services_;
    QString homePage_;
    std::set<QString> told_;          // every message told this run, each told once
    std::set<QString> shownMessages_; // the messages up now
    int commands_ = 0;                // commands being acted on

    QLabel* Picture1 = nullptr;
    QLabel* Image2 = nullptr;
    std::array<QLabel*, 6> Label1{};
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* mnuTray = nullptr;
    QAction* mnuTrayRestore = nullptr;
    QAction* mnuTrayMove = nullptr;
    QAction* mnuTraySize = nullptr;
    QAction* mnuTrayMinimize = nullptr;
    QAction* mnuTrayMaximize = nullptr;

    ChartState state_;
    platform::Autostart autostart_;
    std::unique_ptr<Form3> lookup_;
    QPointer<PracticeWindow> practice_; // made at its first opening
    // The next lookup window, built while the program idles so that the hot key only loads its
    // dictionaries and shows it; never shown or loaded before showLookup() takes it.
    std::unique_ptr<Form3> spare_;
    std::vector<std::unique_ptr<Form3>> unloading_; // put away by ESC while busy, to be deleted
    QPointer<QDialog> dialog_;      // the modal dialog shown from the link strip, while it is up
    int shownChart_ = 0;            // the chart J1-J3 in Picture1, 0 for none
    bool escapeInPractice_ = false; // the ESC held now was pressed in the practice window
    // The charts print from their variant drawn at four times the size: 384 dots per inch at
    // their natural size of 15 twips a pixel.
    static constexpr int kPrintScale = 4;
};

} // namespace tovrin
