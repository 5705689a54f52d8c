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

// The progress as pictures: the items due today and on each of the next 7 days; the reviews
// and the share right at the first try, per day over the last 30 days; the 25 letter keys
// coloured by how often each was the one missed.
class ProgressPictures : public QWidget {
public:
    explicit ProgressPictures(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("pictures"));
        setMinimumSize(720, 170);
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
        const double w = width();
        const double h = height();
        const QRectF due(8, 4, w * 0.26 - 16, h - 8);
        const QRectF days(w * 0.26 + 8, 4, w * 0.40 - 16, h - 8);
        const QRectF keys(w * 0.66 + 8, 4, w * 0.34 - 16, h - 8);
        drawDue(p, due);
        drawDays(p, days);
        drawKeys(p, keys);
    }

private:
    // The panel's title on top; returns the room left under it.
    QRectF titled(QPainter& p, const QRectF& r, const QString& title) {
        QFont f = font();
        f.setPointSizeF(9);
        titleFont_ = f;
        p.setFont(f);
        p.setPen(kInk);
        const double line = QFontMetricsF(f).height();
        p.drawText(QRectF(r.left(), r.top(), r.width(), line), Qt::AlignLeft, title);
        return QRectF(r.left(), r.top() + line + 2, r.width(), r.height() - line - 2);
    }

    void drawDue(QPainter& p, const QRectF& r) {
        const QRectF area = titled(p, r, QStringLiteral("待练（今天及以后 7 天）"));
        const auto& due = progress_.dueByDay;
        const int most = std::max(1, *std::max_element(due.begin(), due.end()));
        const double line = QFontMetricsF(p.font()).height();
        const double slot = area.width() / double(due.size());
        const double room = area.height() - 2 * line;
        // The counts over the bars in a face small enough for the widest to fit its slot.
        QFont counts = p.font();
        const double widest = QFontMetricsF(counts).horizontalAdvance(QString::number(most));
        if (widest > slot * 0.95)
            counts.setPointSizeF(std::max(5.0, counts.pointSizeF() * slot * 0.95 / widest));
        for (std::size_t i = 0; i < due.size(); ++i) {
            const double bar = room * due[i] / most;
            const QRectF b(area.left() + i * slot + slot * 0.15, area.top() + line + room - bar,
                           slot * 0.7, bar);
            p.fillRect(b, i == 0 ? kWrong : kBar);
            p.setPen(kInk);
            p.setFont(counts);
            p.drawText(QRectF(area.left() + i * slot, b.top() - line, slot, line),
                       Qt::AlignHCenter | Qt::AlignBottom | Qt::TextDontClip,
                       QString::number(due[i]));
            p.setFont(titleFont_);
            p.drawText(QRectF(area.left() + i * slot, area.bottom() - line, slot, line),
                       Qt::AlignCenter,
                       i == 0 ? QStringLiteral("今") : QStringLiteral("+%1").arg(i));
        }
    }

    void drawDays(QPainter& p, const QRectF& r) {
        const QRectF area =
            titled(p, r, QStringLiteral("近 30 天：复习次数（柱）与首次答对率（点）"));
        const auto& days = progress_.days;
        int most = 1;
        for (const auto& d : days)
            most = std::max(most, d.reviews);
        const double line = QFontMetricsF(p.font()).height();
        const double slot = area.width() / double(days.size());
        const double room = area.height() - line;
        const double bottom = area.top() + room;
        p.setPen(QPen(kInk, 0.5));
        p.drawLine(QPointF(area.left(), bottom), QPointF(area.right(), bottom));
        QPolygonF share;
        for (std::size_t i = 0; i < days.size(); ++i) {
            const auto& d = days[i];
            const double x = area.left() + i * slot;
            const double bar = room * d.reviews / most;
            p.fillRect(QRectF(x + slot * 0.15, bottom - bar, slot * 0.7, bar), kBar.lighter(140));
            if (d.reviews > 0)
                share << QPointF(x + slot / 2, bottom - room * d.rightFirstTry / d.reviews);
        }
        p.setPen(QPen(kRight, 1.5));
        p.drawPolyline(share);
        p.setBrush(kRight);
        for (const QPointF& pt : share)
            p.drawEllipse(pt, 2.2, 2.2);
        p.setPen(kInk);
        p.drawText(QRectF(area.left(), bottom, area.width(), line), Qt::AlignLeft,
                   QStringLiteral("30 天前"));
        p.drawText(QRectF(area.left(), bottom, area.width(), line), Qt::AlignRight,
                   QStringLiteral("今天"));
    }

    void drawKeys(QPainter& p, const QRectF& r) {
        const QRectF area = titled(p, r, QStringLiteral("答错最多的键"));
        static const char* const kRows[] = {"qwertyuiop", "asdfghjkl", "xcvbnm"};
        const auto& missed = progress_.missedKeys;
        const int most = std::max(1, *std::max_element(missed.begin(), missed.end()));
        const double key = std::min(area.width() / 10.5, area.height() / 3.2);
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
                p.drawText(k, Qt::AlignCenter, QString(QLatin1Char(c)).toUpper());
            }
        }
    }

    practice::Progress progress_;
    QFont titleFont_;
};

PracticeWindow::PracticeWindow(PracticeDeck& deck, Services services, QWidget* parent)
    : QWidget(parent, Qt::Window), deck_(deck), services_(std::move(services)),
      queue_({[this] {
                  std::vector<std::string> texts;
                  for (practice::Item& due : deck_.store().due(now()))
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
    dueToday_ = label("dueToday", 10.5, Qt::AlignLeft | Qt::AlignVCenter);
    autoAdd_ = new QCheckBox(QStringLiteral("查询过的字词自动加入练习"), this);
    autoAdd_->setObjectName(QStringLiteral("autoAdd"));
    autoAdd_->setFocusPolicy(Qt::NoFocus);
    connect(autoAdd_, &QCheckBox::toggled, this, [this](bool on) { deck_.store().setAutoAdd(on); });
    item_ = label("item", 48, Qt::AlignCenter);
    item_->setFont([&] {
        QFont f = item_->font();
        f.setFamily(QStringLiteral("宋体"));
        return f;
    }());
    item_->setMinimumHeight(96);
    typed_ = label("typed", 20, Qt::AlignCenter);
    feedback_ = label("feedback", 11, Qt::AlignLeft | Qt::AlignTop);
    feedback_->setTextFormat(Qt::RichText);
    feedback_->setWordWrap(true);
    feedback_->setMinimumHeight(120);
    nextDue_ = label("nextDue", 10.5, Qt::AlignCenter);
    mostMissed_ = new QPushButton(QStringLiteral("练习答错最多的"), this);
    mostMissed_->setObjectName(QStringLiteral("mostMissed"));
    mostMissed_->setFocusPolicy(Qt::NoFocus);
    connect(mostMissed_, &QPushButton::clicked, this, [this] { practiseMostMissed(); });
    median_ = label("median", 9, Qt::AlignLeft | Qt::AlignVCenter);
    pictures_ = new ProgressPictures(this);

    auto* top = new QHBoxLayout;
    top->addWidget(dueToday_, 1);
    top->addWidget(autoAdd_);
    auto* nothing = new QHBoxLayout;
    nothing->addStretch(1);
    nothing->addWidget(nextDue_);
    nothing->addWidget(mostMissed_);
    nothing->addStretch(1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(item_);
    all->addWidget(typed_);
    all->addLayout(nothing);
    all->addWidget(feedback_, 1);
    all->addWidget(median_);
    all->addWidget(pictures_);
    resize(760, 560);
}

PracticeWindow::~PracticeWindow() = default;

practice::Millis PracticeWindow::now() const {
    return services_.now ? services_.now() : platform::PracticeStore::now();
}

void PracticeWindow::open() {
    platform::PracticeStore& store = deck_.store();
    show();
    raise();
    activateWindow();
    tellProblems();
    {
        const QSignalBlocker quiet(autoAdd_);
        autoAdd_->setChecked(store.autoAdd());
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
    refreshProgress();
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
    if (const std::string problem = deck_.store().takeProblem(); !problem.empty())
        services_.tell(QStringLiteral("五笔练习"), QString::fromStdString(problem));
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
    if (!drill_.showing()) {
        QWidget::keyPressEvent(event);
        return;
    }
    std::optional<practice::Drill::Answer> answer;
    const bool chord =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
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
    store.review(shownText_, answer.feedback.rating, now(),
                 platform::PracticeStore::answerOf(answer));
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
    html += QStringLiteral("<p>%1</p>").arg(codes.join(QStringLiteral("　")));
    for (; next < lines.size(); ++next)
        html += QStringLiteral("<p>%1</p>").arg(fromUtf8(lines[next]).toHtmlEscaped());
    feedback_->setText(html);
}

void PracticeWindow::refreshProgress() {
    const practice::Progress p = deck_.store().progress(now(), PracticeDeck::localOffsetMinutes());
    dueToday_->setText(QStringLiteral("今日待练 %1").arg(p.dueByDay[0]));
    median_->setText(p.medianMillis > 0 ? QStringLiteral("答题时间中位数 %1 秒（近 30 天）")
                                              .arg(p.medianMillis / 1000.0, 0, 'f', 1)
                                        : QString());
    pictures_->setProgress(p);
}

} // namespace tovrin
