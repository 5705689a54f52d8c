#include "ui/practice/practicewindow.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFont>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tovrin {

namespace {

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

const QColor kRight(0x1b, 0x7f, 0x3a);
const QColor kWrong(0xc6, 0x28, 0x28);
const QColor kBar(0x3d, 0x6f, 0xb6);
const QColor kInk(0x33, 0x33, 0x33);

} // namespace

// The progress as pictures, each with its numbers: the items due today and on each of the next
// 7 days, and later; the 25 letter keys coloured by how often each was the one missed, with the
// count on the key; under them, over the last 30 days, the reviews per day (bars) and the share
// right at the first try (points, joined only between days that follow each other).
class ProgressPictures : public QWidget {
public:
    explicit ProgressPictures(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("pictures"));
        setMinimumSize(720, 270);
    }
    void setProgress(const practice::Progress& p) {
        progress_ = p;
        update();
    }
    const practice::Progress& progress() const { return progress_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), palette().window());
        QFont f = font();
        f.setPointSizeF(9);
        p.setFont(f);
        const double w = width();
        const double h = height();
        const double top = h * 0.45;
        drawDue(p, QRectF(8, 4, w * 0.5 - 16, top - 8));
        drawKeys(p, QRectF(w * 0.5 + 8, 4, w * 0.5 - 16, top - 8));
        drawDays(p, QRectF(8, top + 4, w - 16, h - top - 8));
    }

private:
    static double lineHeight(const QPainter& p) { return QFontMetricsF(p.font()).height(); }

    // The panel's title on top; returns the room left under it.
    static QRectF titled(QPainter& p, const QRectF& r, const QString& title) {
        p.setPen(kInk);
        const double line = lineHeight(p);
        p.drawText(QRectF(r.left(), r.top(), r.width(), line), Qt::AlignLeft, title);
        return QRectF(r.left(), r.top() + line + 2, r.width(), r.height() - line - 2);
    }

    // A face small enough for `widest` to fit in `room` pixels.
    static QFont fitting(const QFont& base, const QString& widest, double room) {
        QFont f = base;
        const double wide = QFontMetricsF(f).horizontalAdvance(widest);
        if (wide > room)
            f.setPointSizeF(std::max(5.0, f.pointSizeF() * room / wide));
        return f;
    }

    // The scale beside a chart: its top value at the top, 0 at the bottom.
    static void scale(QPainter& p, const QRectF& axis, const QString& topValue, double top,
                      double bottom) {
        p.setPen(QPen(kInk, 0.5));
        p.drawLine(QPointF(axis.right(), top), QPointF(axis.right(), bottom));
        const double line = lineHeight(p);
        p.drawText(QRectF(axis.left(), top - line / 2, axis.width() - 3, line),
                   Qt::AlignRight | Qt::AlignVCenter, topValue);
        p.drawText(QRectF(axis.left(), bottom - line / 2, axis.width() - 3, line),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    }

    void drawDue(QPainter& p, const QRectF& r) {
        const QRectF all = titled(p, r, QStringLiteral("待练项数：今天、以后 7 天与更晚"));
        const auto& due = progress_.dueByDay;
        std::array<int, 9> counts{};
        std::copy(due.begin(), due.end(), counts.begin());
        counts[8] = progress_.dueLater;
        const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
        const double line = lineHeight(p);
        const double axisWidth =
            QFontMetricsF(p.font()).horizontalAdvance(QString::number(most)) + 6;
        const QRectF area(all.left() + axisWidth, all.top(), all.width() - axisWidth, all.height());
        const double slot = area.width() / double(counts.size());
        const double room = area.height() - 2 * line;
        const double bottom = area.top() + line + room;
        scale(p, QRectF(all.left(), 0, axisWidth, 0), QString::number(most), bottom - room, bottom);
        const QFont base = p.font();
        const QFont small = fitting(base, QString::number(most), slot * 0.95);
        for (std::size_t i = 0; i < counts.size(); ++i) {
            const double bar = room * counts[i] / most;
            const QRectF b(area.left() + i * slot + slot * 0.15, bottom - bar, slot * 0.7, bar);
            p.fillRect(b, i == 0 ? kWrong : i == 8 ? kBar.lighter(150) : kBar);
            p.setPen(kInk);
            p.setFont(small);
            p.drawText(QRectF(area.left() + i * slot, b.top() - line, slot, line),
                       Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip,
                       QString::number(counts[i]));
            p.setFont(fitting(base, QStringLiteral("更晚"), slot));
            p.drawText(QRectF(area.left() + i * slot, bottom, slot, line), Qt::AlignCenter,
                       i == 0   ? QStringLiteral("今")
                       : i == 8 ? QStringLiteral("更晚")
                                : QStringLiteral("+%1").arg(i));
            p.setFont(base);
        }
    }

    void drawKeys(QPainter& p, const QRectF& r) {
        const QRectF area = titled(p, r, QStringLiteral("近 30 天首次答错的键（次数）"));
        static const char* const kRows[] = {"qwertyuiop", "asdfghjkl", "xcvbnm"};
        const auto& missed = progress_.missedKeys;
        const int most = std::max(1, *std::max_element(missed.begin(), missed.end()));
        const double key = std::min(area.width() / 10.5, area.height() / 3.2);
        const QFont base = p.font();
        QFont count = base;
        count.setPointSizeF(std::max(5.0, base.pointSizeF() * 0.75));
        for (int row = 0; row < 3; ++row) {
            const std::string_view letters = kRows[row];
            for (std::size_t i = 0; i < letters.size(); ++i) {
                const char c = letters[i];
                const int n = missed[static_cast<std::size_t>(c - 'a')];
                const QRectF k(area.left() + (row * 0.5 + double(i)) * key,
                               area.top() + row * key * 1.05, key * 0.92, key * 0.92);
                // White for a key never missed, the deepest red for the one missed most.
                const double t = double(n) / most;
                const QColor fill(255, int(255 - t * (255 - kWrong.green())),
                                  int(255 - t * (255 - kWrong.blue())));
                p.setPen(QPen(kInk, 0.6));
                p.setBrush(fill);
                p.drawRoundedRect(k, 3, 3);
                p.setPen(t > 0.6 ? Qt::white : kInk);
                p.setFont(base);
                p.drawText(k.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                           QString(QLatin1Char(c)).toUpper());
                if (n > 0) {
                    p.setFont(count);
                    p.drawText(k.adjusted(0, 0, -2, -1), Qt::AlignRight | Qt::AlignBottom,
                               QString::number(n));
                }
            }
        }
        p.setFont(base);
    }

    void drawDays(QPainter& p, const QRectF& r) {
        const QRectF all =
            titled(p, r, QStringLiteral("近 30 天：每天复习次数（柱）与首次答对率（点，百分比）"));
        const auto& days = progress_.days;
        int most = 1;
        for (const auto& d : days)
            most = std::max(most, d.reviews);
        const double line = lineHeight(p);
        const QFontMetricsF metrics(p.font());
        const double axisWidth = std::max(metrics.horizontalAdvance(QString::number(most)),
                                          metrics.horizontalAdvance(QStringLiteral("100%"))) +
                                 6;
        const QRectF area(all.left() + axisWidth, all.top(), all.width() - 2 * axisWidth,
                          all.height());
        const double slot = area.width() / double(days.size());
        // A row for the shares on top, the bars with their counts, the day names under them.
        const double shareTop = area.top() + line;
        const double bottom = area.bottom() - line;
        const double room = bottom - shareTop - line;
        scale(p, QRectF(all.left(), 0, axisWidth, 0), QString::number(most), bottom - room, bottom);
        p.setPen(QPen(kRight, 0.5));
        p.drawLine(QPointF(area.right(), bottom - room), QPointF(area.right(), bottom));
        p.drawText(QRectF(area.right() + 3, bottom - room - line / 2, axisWidth, line),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("100%"));
        p.setPen(QPen(kInk, 0.5));
        p.drawLine(QPointF(area.left(), bottom), QPointF(area.right(), bottom));
        const QFont base = p.font();
        const QFont small = fitting(base, QStringLiteral("100"), slot * 0.95);
        QPolygonF run; // days with reviews that follow each other
        auto drawRun = [&p, &run] {
            p.setPen(QPen(kRight, 1.5));
            if (run.size() > 1)
                p.drawPolyline(run);
            p.setBrush(kRight);
            for (const QPointF& pt : run)
                p.drawEllipse(pt, 2.2, 2.2);
            run.clear();
        };
        p.setFont(small);
        for (std::size_t i = 0; i < days.size(); ++i) {
            const auto& d = days[i];
            const double x = area.left() + i * slot;
            const double bar = room * d.reviews / most;
            p.fillRect(QRectF(x + slot * 0.15, bottom - bar, slot * 0.7, bar), kBar.lighter(140));
            if (d.reviews == 0) {
                drawRun();
                continue;
            }
            p.setPen(kInk);
            p.drawText(QRectF(x, bottom - bar - line, slot, line),
                       Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip,
                       QString::number(d.reviews));
            const int share = (200 * d.rightFirstTry + d.reviews) / (2 * d.reviews); // rounded
            p.setPen(kRight);
            p.drawText(QRectF(x, area.top(), slot, line), Qt::AlignCenter | Qt::TextDontClip,
                       QString::number(share));
            run << QPointF(x + slot / 2, bottom - room * d.rightFirstTry / d.reviews);
        }
        drawRun();
        p.setFont(base);
        p.setPen(kInk);
        p.drawText(QRectF(area.left(), bottom, area.width(), line), Qt::AlignLeft,
                   QStringLiteral("30 天前"));
        p.drawText(QRectF(area.left(), bottom, area.width(), line), Qt::AlignRight,
                   QStringLiteral("今天"));
    }

    practice::Progress progress_;
};

PracticeWindow::PracticeWindow(PracticeDeck& deck, Services services, QWidget* parent)
    : QWidget(parent, Qt::Window), deck_(deck), services_(std::move(services)),
      queue_({[this] {
                  std::vector<std::string> texts;
                  const practice::Millis at = now();
                  for (practice::Item& due : deck_.store().due(
                           at,
                           practice::dayStart(at, platform::PracticeStore::localOffsetMinutes(at))))
                      texts.push_back(std::move(due.text));
                  return texts;
              },
              [this](std::size_t count) { return deck_.store().mostMissed(count); },
              [this](const std::string& text) { return deck_.codesOf(text); }}) {
    setObjectName(QStringLiteral("PracticeWindow"));
    setWindowTitle(QStringLiteral("五笔练习"));
    // The letters are the code itself: no input method may turn them into characters.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);

    auto label = [this](const char* name, double points, Qt::Alignment align) {
        auto* l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        QFont f = font();
        f.setFamily(QStringLiteral("黑体"));
        f.setPointSizeF(points);
        l->setFont(f);
        l->setAlignment(align);
        l->setFocusPolicy(Qt::NoFocus);
        return l;
    };
    // The settings take no focus from the drill: each has its key instead.
    auto checkBox = [this](const char* name, const QString& text, int key) {
        auto* box = new QCheckBox(text, this);
        box->setObjectName(QString::fromLatin1(name));
        box->setFocusPolicy(Qt::NoFocus);
        box->setShortcut(QKeySequence(Qt::ALT | key));
        box->setToolTip(box->shortcut().toString(QKeySequence::NativeText));
        return box;
    };
    dueToday_ = label("dueToday", 10.5, Qt::AlignLeft | Qt::AlignVCenter);
    dueToday_->setWordWrap(true);
    autoAdd_ = checkBox("autoAdd", QStringLiteral("查询过的字词自动加入练习"), Qt::Key_A);
    connect(autoAdd_, &QCheckBox::toggled, this, [this](bool on) { deck_.store().setAutoAdd(on); });
    autoAddText_ = checkBox("autoAddText", QStringLiteral("选中文字查询的也加入"), Qt::Key_T);
    connect(autoAddText_, &QCheckBox::toggled, this,
            [this](bool on) { deck_.store().setAutoAddText(on); });
    newPerDay_ = new QSpinBox(this);
    newPerDay_->setObjectName(QStringLiteral("newPerDay"));
    newPerDay_->setRange(0, platform::PracticeStore::kMostNewPerDay);
    newPerDay_->setFocusPolicy(Qt::ClickFocus);
    auto* newPerDayLabel = new QLabel(QStringLiteral("每天新字词(&N)"), this);
    newPerDayLabel->setBuddy(newPerDay_);
    connect(newPerDay_, &QSpinBox::editingFinished, this, [this] {
        deck_.store().setNewPerDay(newPerDay_->value());
        // The drill has the keys again, with the day's new items as now allowed.
        setFocus();
        if (!drill_.showing()) {
            queue_.restart();
            if (!showNext())
                showNothingDue();
        }
        refreshProgress();
    });
    item_ = label("item", 48, Qt::AlignCenter);
    item_->setFont([&] {
        QFont f = item_->font();
        f.setFamily(QStringLiteral("宋体"));
        return f;
    }());
    item_->setMinimumHeight(80);
    typed_ = label("typed", 20, Qt::AlignCenter);
    feedback_ = label("feedback", 11, Qt::AlignLeft | Qt::AlignTop);
    feedback_->setTextFormat(Qt::RichText);
    feedback_->setWordWrap(true);
    feedback_->setMinimumHeight(180);
    nextDue_ = label("nextDue", 10.5, Qt::AlignCenter);
    nextDue_->setWordWrap(true);
    mostMissed_ = new QPushButton(QStringLiteral("练习答错最多的"), this);
    mostMissed_->setObjectName(QStringLiteral("mostMissed"));
    mostMissed_->setFocusPolicy(Qt::NoFocus);
    mostMissed_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_M));
    mostMissed_->setToolTip(
        QStringLiteral("M 或 %1").arg(mostMissed_->shortcut().toString(QKeySequence::NativeText)));
    connect(mostMissed_, &QPushButton::clicked, this, [this] { practiseMostMissed(); });
    median_ = label("median", 9, Qt::AlignLeft | Qt::AlignVCenter);
    mastery_ = label("mastery", 9, Qt::AlignLeft | Qt::AlignVCenter);
    mastery_->setWordWrap(true);
    pictures_ = new ProgressPictures(this);
    unsaved_ = label("unsaved", 10, Qt::AlignLeft | Qt::AlignVCenter);
    unsaved_->setWordWrap(true);
    unsaved_->setStyleSheet(QStringLiteral("color: %1").arg(kWrong.name()));
    unsaved_->hide();
    saveAgain_ = new QTimer(this);
    saveAgain_->setInterval(kSaveAgainMillis);
    connect(saveAgain_, &QTimer::timeout, this, [this] {
        if (deck_.store().saveAgain())
            refreshProgress();
        showSaving();
    });
    wake_ = new QTimer(this);
    wake_->setSingleShot(true);
    connect(wake_, &QTimer::timeout, this, [this] { wake(); });

    auto* settings = new QHBoxLayout;
    settings->addWidget(autoAdd_);
    settings->addSpacing(12);
    settings->addWidget(autoAddText_);
    settings->addStretch(1);
    settings->addWidget(newPerDayLabel);
    settings->addWidget(newPerDay_);
    // The item and the letters typed on the left, the feedback beside them: four wrong
    // letters explained still leave the pictures their room on a 768-pixel screen.
    auto* drill = new QVBoxLayout;
    drill->addWidget(item_);
    drill->addWidget(typed_);
    drill->addWidget(nextDue_);
    drill->addWidget(mostMissed_, 0, Qt::AlignHCenter);
    drill->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addLayout(drill, 2);
    middle->addWidget(feedback_, 3);
    auto* all = new QVBoxLayout(this);
    all->addWidget(unsaved_);
    all->addWidget(dueToday_);
    all->addLayout(settings);
    all->addLayout(middle, 1);
    all->addWidget(median_);
    all->addWidget(mastery_);
    all->addWidget(pictures_);
    resize(780, 640);
}

PracticeWindow::~PracticeWindow() = default;

practice::Millis PracticeWindow::now() const {
    return services_.now ? services_.now() : platform::PracticeStore::now();
}

void PracticeWindow::startAt(practice::Millis at) {
    // The clock the window had (a test's, or the system's) runs on from `at`.
    const std::function<practice::Millis()> clock =
        services_.now ? services_.now : [] { return platform::PracticeStore::now(); };
    const practice::Millis from = clock();
    services_.now = [clock, from, at] { return at + (clock() - from); };
    if (isVisible() && !drill_.showing()) {
        queue_.restart();
        if (!showNext())
            showNothingDue();
        refreshProgress();
    }
}

void PracticeWindow::open() {
    platform::PracticeStore& store = deck_.store();
    if (!placed_) {
        // Centred on the screen it opens on, the first time as every time after a start.
        placed_ = true;
        if (const QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen()) {
            QRect frame(QPoint(), size());
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    show();
    raise();
    activateWindow();
    tellProblems();
    {
        const QSignalBlocker quiet(autoAdd_), quietText(autoAddText_), quietCount(newPerDay_);
        autoAdd_->setChecked(store.autoAdd());
        autoAddText_->setChecked(store.autoAddText());
        newPerDay_->setValue(store.newPerDay());
    }
    if (drill_.showing()) {
        // The item shown when the window was closed: its time runs from now again.
        practice::ItemCodes item = drill_.item();
        drill_.show(std::move(item), now());
        showTyped();
    } else {
        queue_.restart();
        feedback_->clear();
        if (!showNext())
            showNothingDue();
    }
    // The pictures follow once the item is painted.
    QTimer::singleShot(0, this, [this] { refreshProgress(); });
    setFocus();
}

void PracticeWindow::tellProblems() {
    if (!services_.tell)
        return;
    if (!codesTold_ && !deck_.codesProblem().empty()) {
        codesTold_ = true;
        services_.tell(QStringLiteral("五笔练习"),
                       QStringLiteral("没有字词的编码，无法练习：%1")
                           .arg(QString::fromStdString(deck_.codesProblem())));
    }
    platform::PracticeStore& store = deck_.store();
    const std::string problem = store.takeProblem();
    // Answers not saved are said by a line that stays while they are not, not by a box that
    // the drill's own Space would close.
    showSaving();
    if (store.saving() && !problem.empty())
        services_.tell(QStringLiteral("五笔练习"), QString::fromStdString(problem));
}

void PracticeWindow::showSaving() {
    platform::PracticeStore& store = deck_.store();
    if (store.saving()) {
        unsaved_->hide();
        saveAgain_->stop();
        return;
    }
    QString text = QStringLiteral("练习记录没有保存（%1：%2）")
                       .arg(QString::fromStdString(store.path()),
                            QString::fromStdString(store.whyNotSaving()));
    if (store.savesAgainLater()) {
        text += QStringLiteral("。已记下 %1 项，能写入时自动保存。").arg(store.unsavedChanges());
        if (!saveAgain_->isActive())
            saveAgain_->start();
    } else {
        text += QStringLiteral("。这次的作答只留在内存里。");
    }
    unsaved_->setText(text);
    unsaved_->show();
}

bool PracticeWindow::showNext() {
    std::optional<std::pair<std::string, practice::ItemCodes>> next = queue_.next();
    if (!next)
        return false;
    shownText_ = std::move(next->first);
    drill_.show(std::move(next->second), now());
    item_->setText(QString::fromStdString(shownText_));
    nextDue_->hide();
    mostMissed_->hide();
    showTyped();
    return true;
}

void PracticeWindow::showNothingDue() {
    shownText_.clear();
    drill_ = practice::Drill();
    item_->setText(QStringLiteral("暂无待练"));
    typed_->clear();
    const std::optional<practice::Millis> next = deck_.store().nextDue(now());
    nextDue_->setText(
        next ? QStringLiteral("下一项：%1")
                   .arg(QLocale(QLocale::Chinese)
                            .toString(QDateTime::fromMSecsSinceEpoch(*next), QLocale::ShortFormat))
             : QStringLiteral("练习库里还没有字词：在查询界面点选的字词会加入。"));
    nextDue_->show();
    mostMissed_->setVisible(!deck_.store().mostMissed(1).empty());
    wakeAtNextDue();
}

void PracticeWindow::wakeAtNextDue() {
    wake_->stop();
    const practice::Millis at = now();
    if (const std::optional<practice::Millis> next = deck_.store().nextDue(at)) {
        // A timer runs at most about 24 days; one that ends early sets the next.
        constexpr practice::Millis kLongest = 24LL * 24 * 3600 * 1000;
        wake_->start(static_cast<int>(std::min(*next - at, kLongest)));
    }
}

void PracticeWindow::wake() {
    if (!isVisible())
        return;
    if (!drill_.showing()) {
        queue_.restart();
        if (!showNext())
            showNothingDue();
    } else {
        wakeAtNextDue();
    }
    refreshProgress();
}

void PracticeWindow::practiseMostMissed() {
    queue_.missedMost();
    if (!showNext())
        showNothingDue();
    setFocus();
}

void PracticeWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Escape) {
        close();
        return;
    }
    const bool chord =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!drill_.showing()) {
        // Nothing shown: Space or Enter starts what is due now, M the items missed most.
        if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
            queue_.restart();
            if (!showNext())
                showNothingDue();
            refreshProgress();
        } else if (key == Qt::Key_M && !chord && mostMissed_->isVisible()) {
            practiseMostMissed();
        } else {
            QWidget::keyPressEvent(event);
        }
        return;
    }
    std::optional<practice::Drill::Answer> answer;
    if (key >= Qt::Key_A && key <= Qt::Key_Y && !chord) {
        answer = drill_.letter(static_cast<char>('a' + (key - Qt::Key_A)), now());
    } else if (key == Qt::Key_Backspace) {
        drill_.back();
    } else if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (drill_.typed().empty()) {
            // Nothing typed: after an answer, on to the next item.
            if (drill_.last() && !showNext())
                showNothingDue();
            return;
        }
        answer = drill_.submit(now());
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    if (answer)
        answered(*answer);
    else
        showTyped();
}

void PracticeWindow::answered(const practice::Drill::Answer& answer) {
    platform::PracticeStore& store = deck_.store();
    // An item taken out of the deck meanwhile (from a terminal) is not put back by its answer.
    if (!store.find(shownText_)) {
        if (!showNext())
            showNothingDue();
        return;
    }
    // The answer is kept before anything else shows.
    const bool kept = store
                          .review(shownText_, answer.feedback.rating, now(),
                                  platform::PracticeStore::answerOf(answer))
                          .has_value();
    if (!kept && store.saving() && services_.tell)
        services_.tell(QStringLiteral("五笔练习"),
                       QStringLiteral("这次作答的时间早于“%1”上次复习的时间，没有记下。")
                           .arg(QString::fromStdString(shownText_)));
    showFeedback(answer);
    if (answer.feedback.right && !showNext())
        showNothingDue();
    else
        showTyped();
    // What could not be saved is told, and the pictures follow, once the feedback is painted.
    QTimer::singleShot(0, this, [this] {
        tellProblems();
        refreshProgress();
    });
}

void PracticeWindow::showTyped() {
    QString s;
    const std::string& typed = drill_.typed();
    for (std::size_t i = 0; i < practice::Drill::kLongestCode; ++i)
        s += i < typed.size() ? QChar(QLatin1Char(typed[i])).toUpper() : QChar(u'＿');
    typed_->setText(s);
}

void PracticeWindow::showFeedback(const practice::Drill::Answer& answer) {
    const practice::Feedback& f = answer.feedback;
    const practice::ItemCodes& item = drill_.item();
    // The terminal's lines, the first two drawn in colour: right or wrong, and the letters typed
    // against the nearest code (a wrong letter red and underlined, a missing one a red blank, an
    // extra one struck through) in place of the line of marks under them.
    const std::vector<std::string> lines = practice::feedbackLines(item, f, deck_.codec());
    auto colored = [](const QString& text, const QColor& c) {
        return QStringLiteral("<span style=\"color:%1\">%2</span>")
            .arg(c.name(), text.toHtmlEscaped());
    };
    QString html = QStringLiteral("<p><b>%1</b>　%2　")
                       .arg(QString::fromStdString(shownText_).toHtmlEscaped(),
                            colored(fromUtf8(lines[0]), f.right ? kRight : kWrong));
    for (std::size_t i = 0; i < f.marks.size(); ++i) {
        const QString letter =
            i < f.typed.size() ? QString(QLatin1Char(f.typed[i])).toUpper() : QStringLiteral("＿");
        switch (f.marks[i]) {
        case practice::Mark::Right:
            html += colored(letter, kRight);
            break;
        case practice::Mark::Wrong:
        case practice::Mark::Missing:
            html += QStringLiteral("<u>%1</u>").arg(colored(letter, kWrong));
            break;
        case practice::Mark::Extra:
            html += QStringLiteral("<s>%1</s>").arg(colored(letter, kWrong));
            break;
        }
    }
    html += QStringLiteral("</p>");
    // The codes with their levels on one line, then each further line as it stands.
    std::size_t next = f.right ? 2 : 3;
    QStringList codes;
    for (std::size_t k = 0; k < item.codes.size() && next < lines.size(); ++k)
        codes << fromUtf8(lines[next++]).toHtmlEscaped();
    html += QStringLiteral("<p>%1").arg(codes.join(QStringLiteral("　")));
    // The rest a line each, close together: four wrong letters still fit the window.
    for (; next < lines.size(); ++next)
        html += QStringLiteral("<br>%1").arg(fromUtf8(lines[next]).toHtmlEscaped());
    feedback_->setText(html + QStringLiteral("</p>"));
}

void PracticeWindow::refreshProgress() {
    const practice::Millis at = now();
    const practice::Progress p =
        deck_.store().progress(at, platform::PracticeStore::localOffsetMinutes(at), deck_.facts());
    QString due = QStringLiteral("现在待练 %1 项").arg(p.dueNow);
    if (p.laterToday > 0 && p.nextToday)
        due +=
            QStringLiteral("；今天稍后还有 %1 项，下一项 %2")
                .arg(p.laterToday)
                .arg(
                    QDateTime::fromMSecsSinceEpoch(*p.nextToday).toString(QStringLiteral("HH:mm")));
    if (p.newWaiting > 0)
        due += QStringLiteral("；新字词 %1 项排队，每天 %2 项")
                   .arg(p.newWaiting)
                   .arg(deck_.store().newPerDay());
    dueToday_->setText(due);
    QString median;
    if (p.medianMillis > 0)
        median = QStringLiteral("答题时间中位数 %1 秒（近 30 天，练习中的作答）")
                     .arg(p.medianMillis / 1000.0, 0, 'f', 1);
    QStringList rules;
    for (std::size_t r = 0; r < practice::kRules; ++r)
        if (p.missedRules[r] > 0)
            rules << QStringLiteral("%1 %2 次")
                         .arg(fromUtf8(practice::ruleName(static_cast<practice::Rule>(r))))
                         .arg(p.missedRules[r]);
    if (!rules.isEmpty())
        median += (median.isEmpty() ? QString() : QStringLiteral("　")) +
                  QStringLiteral("规则没掌握：") + rules.join(QStringLiteral("，"));
    median_->setText(median);
    // Known: the memory holds past three weeks.
    QStringList levels;
    for (std::size_t l = 0; l < p.mastery.size(); ++l) {
        const auto level = static_cast<practice::Level>(l);
        QString part = QStringLiteral("%1 已掌握 %2、学习中 %3")
                           .arg(fromUtf8(practice::levelName(level)))
                           .arg(p.mastery[l].known)
                           .arg(p.mastery[l].learning);
        if (level == practice::Level::Short1)
            part += QStringLiteral("（共 25）");
        levels << part;
    }
    mastery_->setText(QStringLiteral("练过的字词按最短编码：") + levels.join(QStringLiteral("；")));
    pictures_->setProgress(p);
    wakeAtNextDue();
}

} // namespace tovrin
