// The lookup window: a thin Qt window over LookupState. It holds the controls, forwards each
// event to the state and then shows the captions, visibility and places the state reports.
#pragma once

#include "core/lookup/layout.h"
#include "core/lookup/lookupstate.h"
#include "core/lookup/placement.h"
#include "core/promo/trigger.h"
#include "core/text/gbk.h"
#include "platform/programfiles.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <array>
#include <functional>
#include <set>
#include <vector>

class QDialog;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace tovrin {

class Form3 : public QWidget {
    Q_OBJECT

public:
    // What the window needs from the program around it.
    struct Services {
        // Shows a message to the user (a message box in the program, a record in tests).
        std::function<void(const QString& title, const QString& text)> tell;
        // Whether this process is the program's first copy.
        std::function<bool()> isFirstInstance;
        // The promoted portal's address and the browser's start page (empty when unknown).
        std::function<QString()> portalAddress;
        std::function<QString()> startPage;
        // Opens an address in the default browser (never a command line built from data).
        std::function<void(const QUrl& url)> openUrl;
        // Shows the desktop, or brings the windows back.
        std::function<void()> showDesktop;
        // The promotion's clock and random source; without a clock the offer never runs.
        promo::Sources promotion;
        // Readies the window, before each time it is mapped, to stay shown and on top while
        // another program is active (a window manager may hide a tool window with its program).
        std::function<void(QWidget* window)> keepShown;
        // The learner looked a character or a word up, by a pick or in a text looked up
        // (`inText`): the practice deck takes it.
        std::function<void(const gbk::Text& item, bool inText)> lookedUp;
    };

    // `files`: the dictionaries, the pinyin panel's picture and setup.txt.
    Form3(const gbk::Codec& codec, platform::ProgramFiles files, Services services,
          QWidget* parent = nullptr);
    ~Form3() override;

    // The start-up: false when another copy of the program runs (the user was told, and this
    // copy is to end); true otherwise, with the window laid out and placed, not yet shown.
    bool Form_Load();

    // What the window shows, read only: it changes through the window's events alone.
    const LookupState& state() const { return state_; }
    // Closes the dictionaries (the close spot, or the chart window putting everything away).
    void closeDictionaries() { state_.closeDictionaries(); }

    // The layout reset: the compact layout at the default place. Timer1 calls it 11 ms after
    // the chart window, the tray or the lookup hot key asks for it.
    void Label97();
    QTimer* Timer1 = nullptr;
    // The start-page check: 1111 ms after the window is created, and after the promotion's
    // consent, the browser's start page is read again.
    QTimer* Timer2 = nullptr;

    // Folds the window into the small bar at the bottom right (a left press on Label23).
    void Label23_MouseDown(Qt::MouseButton button);
    bool collapsed() const { return collapsed_; }
    // What a close asked of the window manager (Alt+F4) does: the width toggles between 9495
    // and 5555 twips and the window stays.
    void refuseUserClose();
    // The window's width in twips, as the frame last set it.
    int widthTwips() const { return widthTwips_; }

    // A whole text looked up (what `tovrin --selection` found selected or copied): its words'
    // and characters' code lines on top of the history box, its last character the current one.
    // False when it held no Chinese text to look up.
    bool lookUpText(const QString& text);

    // Shows what the state holds; every event handler ends with it.
    void render();
    // Puts the link box beside the line in view of the history box, so that it covers none of
    // its letters: at its designed place where the line ends before it, else after the line's
    // end within the box; where even there it would cover the line, the line's letters are set
    // narrower. Follows every pick and every scroll of the history box.
    void fitLinkBox();

    // Twips to pixels and back, 15 to a pixel; Qt scales pixels for high-DPI screens.
    static int px(int twips);
    static QRect pxRect(const layout::Rect& r);
    static QRect pxRect(int left, int top, int width, int height);

    // Held state the window reads outside the dictionaries (set at start-up).
    QString Label99;  // the system's version, " major.minor"
    QString Label100; // the user's application-data folder
    QString Label64;  // the promoted portal's address
    QString Label9;   // the browser's start page
    QString Label37;  // the address the portal link opens

    // Whether the window waits in a message of its own (a nested event loop runs inside one of
    // its handlers): it must not be deleted then.
    bool busy() const { return busy_ > 0; }
    // For ESC while busy: the window unloads (unloaded() is emitted) once its message has
    // returned; it is to be hidden and its dictionaries closed before.
    void unloadWhenIdle() { unloadPending_ = true; }

Q_SIGNALS:
    // The close spot unloaded the window (its dictionaries are closed), or ESC did while it was
    // busy.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // The keys of stroke input methods: h s p n z or 1-5 (the keypad's too) click 一 丨 丿 丶 乛,
    // Backspace "←", Delete "清"; Ctrl+C copies the current character. The arrow keys, the page
    // keys, Home and End (with Ctrl or without) read the history box's older lines.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Runs `wait` (a message) as busy; an unload asked for meanwhile happens after.
    void whileBusy(const std::function<void()>& wait);
    int busy_ = 0;
    bool unloadPending_ = false;

    QLabel* makeLabel(const QString& name, QRect geometry, QWidget* parent = nullptr);
    // A button of the window; `button` is one of a kind of its own, made but not yet set up.
    QPushButton* makeButton(const QString& name, const QString& caption, QRect geometry,
                            const QFont& font, QPushButton* button = nullptr);
    void buildControls();
    void placeNewestLine();
    void buildPinyinKeyboard();
    void buildOptionsPanel();
    void tellProblems(const std::vector<LookupState::Problem>& problems);
    void tellOnce(const QString& key, const QString& text);
    QString toQString(std::u16string_view text) const;
    void setCaption(QLabel* label, const gbk::Text& text);
    void setCaption(QLabel* label, gbk::Char cell); // a grid cell
    void placeBySetting();
    QRect screenArea() const; // the screen without its panels, where the window is placed
    static placement::Size twipsOf(const QRect& area); // the area's size in twips
    void moveInArea(const QRect& area, placement::Point at);
    void after();                                      // render, and tell what went wrong
    void tellLookedUp(std::uint64_t text1AddedBefore); // a pick's items to the practice deck
    void handToDeck(std::vector<gbk::Text> items, bool inText); // to the practice deck, after paint
    // Hands an event to the state when the state allows it now, then renders.
    void forward(LookupState::Event event, const std::function<void()>& handle);
    void setWindowTwips(int width, int height);
    void readStartPage();
    void openLink(QObject* clicked);

    const gbk::Codec& codec_;
    platform::ProgramFiles files_;
    Services services_;
    LookupState state_;
    std::set<QString> told_;
    bool mouseConfirm_ = false;
    QPointer<QDialog> promotion_; // the promotion's offer while it is up: one at a time

    QLabel* Image2 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label24 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label23 = nullptr;
    std::array<QPushButton*, 5> strokeButtons{}; // Command2..Command6
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command9 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Label20 = nullptr; // the ruled white box behind the character grid
    std::array<QLabel*, layout::kGridCells> Label11{};
    QLabel* Label10 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLabel* Picture1 = nullptr;
    QLabel* Image4 = nullptr;
    QLabel* Image5 = nullptr;
    QLabel* Image8 = nullptr;
    std::array<QPushButton*, 26> Command18{};
    std::array<QLabel*, layout::kPinyinCells> Label66{};
    QLabel* Label67 = nullptr;
    QLabel* Label68 = nullptr;
    QLabel* Label63 = nullptr;
    QWidget* Frame2 = nullptr;
    std::array<QLabel*, 2> Label42{};
    std::array<QLabel*, 3> Label44{};
    std::array<QLabel*, 5> Label111{};
    QPushButton* Command14 = nullptr;
    QLabel* Image1 = nullptr;          // the collapsed bar's picture
    std::array<QLabel*, 3> hotSpots{}; // Label95, Label96, Label97

    bool pinyinPictureLoaded_ = false;
    bool collapsed_ = false;
    int widthTwips_ = layout::kWindowWidth;
    int heightTwips_ = layout::kWindowHeight;
    // Dragging by the title strip: where the left button went down, in the strip's pixels.
    bool dragOn_ = false;
    QPoint dragFrom_;
    std::uint64_t text1Added_ = 0; // the state's text1Added when the history box was last set
    gbk::Text text1Word_;          // the word line shown in front of the history box's lines
};

} // namespace tovrin
