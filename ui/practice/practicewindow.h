// "五笔练习": the deck's due items, one at a time. The learner types an item's code in the
// window itself (letters a-y, no input method); four letters answer by themselves, Space or
// Enter answers with fewer, Backspace takes a letter back, Esc closes. The feedback shows at
// once, the answer is in the store before the next item shows, and pictures show the progress.
// With nothing due the window waits for the next item's time and wakes by itself; Space or
// Enter then starts what is due, M the items missed most. The settings are reached by keys:
// Alt+A and Alt+T the two check boxes, Alt+N the day's number of new items, Alt+M the items
// missed most.
#pragma once

#include "core/practice/deck.h"
#include "core/practice/drill.h"
#include "ui/practice/practicedeck.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

namespace tovrin {

class ProgressPictures;

class PracticeWindow : public QWidget {
    Q_OBJECT

public:
    struct Services {
        // Shows a message to the user (a message box in the program, a record in tests).
        std::function<void(const QString& title, const QString& text)> tell;
        // The moment now; none: the system clock.
        std::function<practice::Millis()> now;
    };

    PracticeWindow(PracticeDeck& deck, Services services, QWidget* parent = nullptr);
    ~PracticeWindow() override;

    // Shows the window with the first due item, telling first what the store cannot save.
    void open();
    // The session's clock starts at `at` and runs on from there (a day replayed, or a test).
    void startAt(practice::Millis at);

    const practice::Drill& drill() const { return drill_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    practice::Millis now() const;
    // The next item: the next of the queue, else what is due now; false when none is.
    bool showNext();
    void showNothingDue();
    void practiseMostMissed();
    void answered(const practice::Drill::Answer& answer);
    void showTyped();
    void showFeedback(const practice::Drill::Answer& answer);
    void refreshProgress();
    // Sets the timer that wakes the window when the next item comes due.
    void wakeAtNextDue();
    void wake();
    // Tells what the store could not save and a codes dictionary that cannot be used.
    void tellProblems();
    // The line that stays while answers are not saved, and the timer that tries the file again.
    void showSaving();
    static constexpr int kSaveAgainMillis = 5000;

    PracticeDeck& deck_;
    Services services_;
    practice::Drill drill_;
    std::string shownText_; // the item shown, UTF-8
    practice::DrillQueue queue_;
    bool codesTold_ = false; // the codes dictionary's problem was told
    bool placed_ = false;    // centred on the screen at its first opening
    std::function<practice::Millis()> systemClock_;

    QTimer* wake_ = nullptr;
    QTimer* saveAgain_ = nullptr;
    QLabel* unsaved_ = nullptr;
    QLabel* dueToday_ = nullptr;
    QCheckBox* autoAdd_ = nullptr;
    QCheckBox* autoAddText_ = nullptr;
    QSpinBox* newPerDay_ = nullptr;
    QLabel* item_ = nullptr;
    QLabel* typed_ = nullptr;
    QLabel* feedback_ = nullptr;
    QLabel* nextDue_ = nullptr;
    QPushButton* mostMissed_ = nullptr;
    QLabel* median_ = nullptr;
    QLabel* mastery_ = nullptr;
    ProgressPictures* pictures_ = nullptr;
};

} // namespace tovrin
