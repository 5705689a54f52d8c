#include "ui/lookup/form3.h"

#include "core/lookup/placement.h"
#include "core/promo/maker.h"
#include "platform/files.h"
#include "platform/systeminfo.h"
#include "resources/pictures.h"
#include "ui/common/bitmapfile.h"
#include "ui/common/click.h"
#include "ui/common/twips.h"
#include "ui/promo/form5.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QFontMetricsF>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>

namespace tovrin {

namespace {

constexpr int kTwips = layout::kTwipsPerPixel;

// The white box behind the character grid, ruled into 3 rows and 17 columns.
class RuledBox : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setPen(QColor(0xC0, 0xC0, 0xC0));
        const QPoint origin = pos(); // lines are placed in the window's twips
        auto x = [&origin](int tw) { return Form3::px(tw) - origin.x(); };
        auto y = [&origin](int tw) { return Form3::px(tw) - origin.y(); };
        for (int row : {1320, 1710})
            p.drawLine(x(120), y(row), x(7020), y(row));
        for (int col : {510, 915, 1320, 1725, 2130, 2535, 2940, 3345, 3765, 4170, 4575, 4980, 5385,
                        5790, 6195, 6600})
            p.drawLine(x(col), y(900), x(col), y(2120));
    }
};

// The window's two outline rectangles, behind every control.
class Outline : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QColor(0x40, 0x40, 0x40));
        p.drawRect(Form3::pxRect(0, 180, 7170, 3000).adjusted(0, 0, -1, -1));
        p.setPen(QColor(0x80, 0x80, 0x80));
        p.drawRect(Form3::pxRect(30, 210, 7095, 2925).adjusted(0, 0, -1, -1));
    }
};

// The history box, whose text can be moved up past its top edge.
class HistoryBox : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;
    void raiseText(int pixels) { setViewportMargins(0, -pixels, 0, 0); }
    // Moves the view by whole lines (the box shows one); the newest line is line 0.
    void scrollLines(int lines) {
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + lines);
    }

protected:
    // The wheel reads the older lines a line a notch (the hidden scroll bar takes no wheel).
    void wheelEvent(QWheelEvent* event) override {
        wheel_ += event->angleDelta().y();
        const int notches = wheel_ / QWheelEvent::DefaultDeltasPerStep;
        wheel_ -= notches * QWheelEvent::DefaultDeltasPerStep;
        scrollLines(-notches);
        event->accept();
    }

private:
    int wheel_ = 0; // what a fine-grained wheel turned short of a notch
};

// A letter of the pinyin keyboard. Its 290-twip key is lower than the line box of the CJK face
// here, so a caption centred by its line box loses the tails of g, j, p, q and y. The letter is
// centred by the ink of the whole alphabet instead: every letter keeps one baseline, and no
// ascender or tail leaves the key.
class LetterButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        const QFontMetricsF metrics(font());
        const QRectF ink = metrics.tightBoundingRect(QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
        const QPointF at((width() - metrics.horizontalAdvance(text())) / 2,
                         (height() - ink.height()) / 2 - ink.top());
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(at, text());
    }
};

QCursor pictureCursor(const char* picture, pictures::HotSpot spot) {
    return QCursor(QPixmap(QString::fromLatin1(picture)), spot.x, spot.y);
}

const char* const kStrokeCaptions[] = {"一", "丨", "丿", "丶", "乛"};
constexpr int kStrokeLefts[] = {90, 540, 990, 1440, 1890};

} // namespace

int Form3::px(int twips) {
    return twips::px(twips);
}

QRect Form3::pxRect(int left, int top, int width, int height) {
    return twips::rect(left, top, width, height);
}

QRect Form3::pxRect(const layout::Rect& r) {
    return twips::rect(r);
}

Form3::Form3(const gbk::Codec& codec, platform::ProgramFiles files, Services services,
             QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), codec_(codec),
      files_(std::move(files)), services_(std::move(services)), state_(codec) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Mirel鼠标打字笔画输入法"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(11);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { Label97(); });
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1111);
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, [this] { readStartPage(); });
    Timer2->start();

    // The first step of every press on a cell of the character grid: now and then, while the
    // browser's start page is not the portal, offer to make it so. The offer stands over the
    // window without taking the keyboard from it: the pick goes on, and the strokes typed next
    // are the window's, as they would be without the offer.
    state_.promotionTrigger = [this] {
        if (promotion_ || !services_.promotion.today ||
            !promo::offerOnPress(services_.promotion, Label9.toStdString(), Label64.toStdString()))
            return;
        auto* dialog = new Form5(
            Label64, [this] { Timer2->start(); }, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->setAttribute(Qt::WA_ShowWithoutActivating);
        promotion_ = dialog;
        const bool hadKeyboard = isActiveWindow();
        dialog->show();
        // Where the platform activates a window it maps all the same, the keyboard comes back.
        if (hadKeyboard)
            activateWindow();
    };
}

void Form3::setWindowTwips(int width, int height) {
    widthTwips_ = width;
    heightTwips_ = height;
    setFixedSize(px(width), px(height));
}

void Form3::readStartPage() {
    if (!services_.startPage)
        return;
    // An address without a scheme gets "http://", so it compares with the promoted one.
    Label9 = QString::fromStdString(promo::withHttpScheme(services_.startPage().toStdString()));
}

Form3::~Form3() = default;

QLabel* Form3::makeLabel(const QString& name, QRect geometry, QWidget* parent) {
    auto* l = new QLabel(parent ? parent : this);
    l->setObjectName(name);
    l->setGeometry(geometry);
    l->installEventFilter(this);
    return l;
}

QPushButton* Form3::makeButton(const QString& name, const QString& caption, QRect geometry,
                               const QFont& font, QPushButton* b) {
    if (!b)
        b = new QPushButton(this);
    b->setText(caption);
    b->setObjectName(name);
    b->setGeometry(geometry);
    b->setFont(font);
    b->setFocusPolicy(Qt::NoFocus); // no button ever shows a focus mark
    return b;
}

void Form3::buildControls() {
    setWindowTwips(layout::kWindowWidth, layout::kWindowHeight);
    auto* outline = new Outline(this);
    outline->setGeometry(rect());

    // The title strip: the picture, the title twice (white over a black shadow), the drag
    // strip, the collapse and close spots.
    Image2 = makeLabel(QStringLiteral("Image2"), pxRect(0, 0, 7170, 360));
    Image2->setPixmap(ui::compiledPicture(pictures::kTitle, ui::screenScale()));
    Image2->setScaledContents(true);
    const QString title = QStringLiteral("用笔画查五笔编码");
    Label7 = makeLabel(QStringLiteral("Label7"), pxRect(165, 75, 1680, 210));
    Label14 = makeLabel(QStringLiteral("Label14"), pxRect(180, 90, 1680, 210));
    for (QLabel* l : {Label7, Label14}) {
        l->setText(title);
        l->setFont(twips::font("宋体", 10.5));
    }
    Label7->setStyleSheet(QStringLiteral("color: black; background: transparent;"));
    Label14->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label24 = makeLabel(QStringLiteral("Label24"), pxRect(0, 0, 7155, 345));
    Label24->setCursor(pictureCursor(pictures::kCursorDrag, pictures::kCursorDragHotSpot));
    Label23 = makeLabel(QStringLiteral("Label23"), pxRect(6540, 60, 255, 240));
    Label13 = makeLabel(QStringLiteral("Label13"), pxRect(6810, 60, 255, 240));
    // The two spots lie over the strip's coloured dots: their tooltips say what they do.
    Label23->setToolTip(QStringLiteral("折叠"));
    Label13->setToolTip(QStringLiteral("关闭"));

    // The button row.
    const QFont hei = twips::font("黑体", 12);
    for (int i = 0; i < 5; ++i) {
        strokeButtons[i] = makeButton(QStringLiteral("Command%1").arg(i + 2),
                                      QString::fromUtf8(kStrokeCaptions[i]),
                                      pxRect(kStrokeLefts[i], 375, 465, 435), hei);
        connect(strokeButtons[i], &QPushButton::clicked, this, [this, i] {
            forward(LookupState::Event::Stroke, [this, i] { state_.strokeClick(i + 1); });
        });
    }
    Command7 = makeButton(QStringLiteral("Command7"), QStringLiteral("←"),
                          pxRect(2460, 375, 465, 435), hei);
    connect(Command7, &QPushButton::clicked, this,
            [this] { forward(LookupState::Event::Back, [this] { state_.Command7_Click(); }); });
    Command8 = makeButton(QStringLiteral("Command8"), QStringLiteral("清"),
                          pxRect(2910, 375, 465, 435), hei);
    connect(Command8, &QPushButton::clicked, this,
            [this] { forward(LookupState::Event::Clear, [this] { state_.Command8_Click(); }); });
    Label17 = makeLabel(QStringLiteral("Label17"), pxRect(3420, 390, 2115, 410));
    Label17->setStyleSheet(QStringLiteral("background: white; border: 1px solid #808080;"));
    Label1 = makeLabel(QStringLiteral("Label1"), pxRect(3480, 510, 1980, 180));
    Label1->setFont(twips::font("宋体", 9));
    Label1->setStyleSheet(QStringLiteral("background: transparent;"));
    Command1 = makeButton(QStringLiteral("Command1"), QStringLiteral("用拼音查"),
                          pxRect(5580, 375, 915, 435), twips::font("宋体", 9));
    connect(Command1, &QPushButton::clicked, this, [this] {
        if (!state_.allowed(LookupState::Event::Pinyin))
            return;
        const bool firstOpening = !pinyinPictureLoaded_;
        state_.Command1_Click();
        if (firstOpening) {
            pinyinPictureLoaded_ = true;
            const QString path = QString::fromStdString(files_.picturePath("拼音4.bmp"));
            const QPixmap panel = ui::loadBitmap(path, ui::screenScale());
            if (panel.isNull())
                tellOnce(path, QStringLiteral("找不到或无法读取拼音键盘图片“拼音4.bmp”（%1）。"
                                              "拼音键盘照常使用，只是没有背景图。")
                                   .arg(path));
            Image8->setPixmap(panel);
        }
        after();
    });
    Command9 = makeButton(QStringLiteral("Command9"), QStringLiteral("设置"),
                          pxRect(6510, 375, 525, 435), twips::font("宋体", 9));
    connect(Command9, &QPushButton::clicked, this,
            [this] { forward(LookupState::Event::Panel, [this] { state_.Command9_Click(); }); });

    // The character grid.
    Label20 = new RuledBox(this);
    Label20->setObjectName(QStringLiteral("Label20"));
    Label20->setGeometry(pxRect(90, 870, 6960, 1275));
    for (int i = 0; i < layout::kGridCells; ++i) {
        Label11[i] =
            makeLabel(QStringLiteral("Label11_%1").arg(i), pxRect(state_.view().Label11Rect[i]));
        Label11[i]->setAlignment(Qt::AlignCenter);
        Label11[i]->setStyleSheet(QStringLiteral("background: transparent;"));
        Label11[i]->setCursor(Qt::PointingHandCursor);
    }
    Label10 = makeLabel(QStringLiteral("Label10"), pxRect(8090, 1020, 375, 180));
    Label10->setText(QStringLiteral("更多"));
    Label10->setFont(twips::font("宋体", 9));
    Label10->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    Label10->setCursor(Qt::PointingHandCursor);

    // The history box and the link box.
    Text1 = new HistoryBox(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(pxRect(90, 2220, 6960, 840));
    // A face whose Latin letters are half the width of a character, as the layout was made for;
    // where it is missing, the codes' proportional letters are still fitted by fitLinkBox().
    QFont history = twips::font("宋体", 36);
    history.setFamilies({QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("宋体")});
    Text1->setFont(history);
    Text1->setReadOnly(true);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Text1->document()->setDocumentMargin(0);
    Text1->document()->setUndoRedoEnabled(false);
    connect(Text1->verticalScrollBar(), &QScrollBar::valueChanged, this, &Form3::fitLinkBox);
    Picture1 = makeLabel(QStringLiteral("Picture1"), pxRect(4050, 2460, 2595, 405));
    Picture1->setToolTip(QStringLiteral("点击打开浏览器"));
    Picture1->setCursor(pictureCursor(pictures::kCursorPoint, pictures::kCursorPointHotSpot));
    Image4 = makeLabel(QStringLiteral("Image4"), pxRect(60, 10, 795, 375), Picture1);
    Image4->setPixmap(ui::compiledPicture(pictures::kLinkSearch, ui::screenScale()));
    Image5 = makeLabel(QStringLiteral("Image5"), pxRect(0, 0, 2595, 405), Picture1);
    Image5->setPixmap(ui::compiledPicture(pictures::kLinkArticle, ui::screenScale()));
    Image5->setScaledContents(true);
    Picture1->hide();
    placeNewestLine();

    buildPinyinKeyboard();
    buildOptionsPanel();

    // The collapsed bar's picture and hot spots wait out of sight.
    Image1 = makeLabel(QStringLiteral("Image1"), pxRect(0, 0, 1560, 375));
    Image1->setPixmap(ui::compiledPicture(pictures::kBar, ui::screenScale()));
    Image1->hide();
    const int spotLefts[] = {5040, 5325, 5640};
    const int spotWidths[] = {255, 255, 825};
    for (int i = 0; i < 3; ++i) {
        hotSpots[i] = makeLabel(QStringLiteral("Label%1").arg(95 + i),
                                pxRect(spotLefts[i], 6150, spotWidths[i], 240));
        hotSpots[i]->setCursor(
            pictureCursor(pictures::kCursorPoint, pictures::kCursorPointHotSpot));
    }

    // The drag strip and the two spots lie over the title.
    Label24->raise();
    Label23->raise();
    Label13->raise();
}

void Form3::placeNewestLine() {
    // The CJK faces here have a taller line box than the face the 840-twip box was sized for:
    // at the top of the box the newest line's baseline sits so low that the letters' tails
    // are cut off. The text is moved up, so that the ink of a line (from the top of the
    // tallest character to the tail of Q) stands in the middle of the box.
    const QFontMetricsF metrics(Text1->font());
    const QRectF ink = metrics.tightBoundingRect(QStringLiteral("丨鬱QJ"));
    const int frame = Text1->frameWidth();
    const double inside = Text1->height() - 2.0 * frame;
    const double baseline = (inside - ink.height()) / 2 - ink.top();
    const int up = std::max(0, static_cast<int>(std::lround(metrics.ascent() - baseline)));
    static_cast<HistoryBox*>(Text1)->raiseText(up);
    // The text's view now reaches over the box's top edge: the edge is drawn again above it.
    auto* edge = new QFrame(this);
    edge->setObjectName(QStringLiteral("Text1Edge"));
    edge->setFrameStyle(Text1->frameStyle());
    edge->setGeometry(Text1->geometry());
    edge->setAttribute(Qt::WA_TransparentForMouseEvents);
    edge->stackUnder(Picture1);
}

void Form3::fitLinkBox() {
    const LookupView::LinkBox& box = state_.view().Picture1;
    QRect place = pxRect(box.left, 2460, box.width, 405);
    // The search picture sits 60 twips into a box as wide as itself: the box takes it whole.
    if (box.image == LookupView::LinkBox::Image::Search)
        place.setWidth(std::max(place.width(), Image4->geometry().right() + 1));
    const QTextBlock line =
        Text1->document()->findBlockByNumber(Text1->verticalScrollBar()->value());
    if (!box.visible || !line.isValid()) {
        Picture1->setGeometry(place);
        return;
    }
    // In the window's pixels: where the line starts, how wide it is in the box's own font, and
    // the inside of the box's frame.
    QWidget* view = Text1->viewport();
    const int start = view->mapTo(this, Text1->cursorRect(QTextCursor(line)).topLeft()).x();
    const double width = QFontMetricsF(Text1->font()).horizontalAdvance(line.text());
    const int end = view->mapTo(this, QPoint(view->width(), 0)).x();
    const int gap = px(120);
    const int rightmost = std::max(place.left(), end - place.width());
    place.moveLeft(
        std::clamp(static_cast<int>(std::ceil(start + width)) + gap, place.left(), rightmost));
    int stretch = 100;
    if (width > 0 && start + width + gap > place.left())
        stretch = std::max(1, static_cast<int>(100.0 * (place.left() - gap - start) / width));
    Picture1->setGeometry(place);

    QTextCursor letters(line);
    letters.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    const int now = letters.charFormat().fontStretch(); // 0: never set, as wide as the face
    if ((now == 0 ? 100 : now) != stretch) {
        QTextCharFormat narrow;
        narrow.setFontStretch(stretch);
        letters.mergeCharFormat(narrow);
    }
}

void Form3::buildPinyinKeyboard() {
    Image8 = makeLabel(QStringLiteral("Image8"), pxRect(120, 900, 6900, 1275));
    Image8->setStyleSheet(QStringLiteral("background: white;"));
    const int tops[] = {930, 1220, 1500, 1790};
    const QFont song12 = twips::font("宋体", 12);
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('a' + i);
        const int row = i / 7;
        const int col = i % 7;
        Command18[i] = makeButton(
            QStringLiteral("Command18_%1").arg(i), QString(QLatin1Char(letter)),
            pxRect(180 + 270 * col, tops[row], 270, 290), song12, new LetterButton(this));
        connect(Command18[i], &QPushButton::clicked, this, [this, i] {
            // The button's caption is the letter typed.
            const QString caption = Command18[i]->text();
            if (caption.size() == 1 && caption[0].unicode() < 0x80)
                forward(LookupState::Event::Letter, [this, caption] {
                    state_.Command18_Click(static_cast<char>(caption[0].unicode()));
                });
        });
    }
    for (int i = 0; i < layout::kPinyinCells; ++i) {
        Label66[i] =
            makeLabel(QStringLiteral("Label66_%1").arg(i), pxRect(state_.view().Label66Rect[i]));
        Label66[i]->setAlignment(Qt::AlignCenter);
        Label66[i]->setStyleSheet(QStringLiteral("background: transparent;"));
        Label66[i]->setCursor(Qt::PointingHandCursor);
    }
    Label67 = makeLabel(QStringLiteral("Label67"), pxRect(1620, 1825, 195, 200));
    Label68 = makeLabel(QStringLiteral("Label68"), pxRect(1860, 1830, 195, 195));
    for (QLabel* l : {Label67, Label68}) {
        l->setToolTip(QStringLiteral("翻页"));
        l->setText(QStringLiteral(" "));
    }
    Label63 = makeLabel(QStringLiteral("Label63"), pxRect(3480, 450, 1995, 255));
    Label63->setFont(twips::font("宋体", 10.5));
    Label63->setStyleSheet(QStringLiteral("background: transparent;"));
}

void Form3::buildOptionsPanel() {
    Frame2 = new QWidget(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(pxRect(8160, 5370, 7050, 2805));
    Frame2->setAutoFillBackground(true);
    const QFont song9 = twips::font("宋体", 9);
    auto staticCaption = [&](const char* text, int top) {
        auto* l = new QLabel(QString::fromUtf8(text), Frame2);
        l->setGeometry(pxRect(270, top, 1400, 180));
        l->setFont(song9);
    };
    staticCaption("候选汉字显示： ", 360);
    staticCaption("界面默认位置： ", 1027);
    staticCaption("候选汉字大小： ", 1695);
    auto row = [&](auto& labels, const char* name, const std::vector<int>& lefts, int top) {
        for (std::size_t i = 0; i < labels.size(); ++i) {
            labels[i] = makeLabel(QStringLiteral("%1_%2").arg(QString::fromUtf8(name)).arg(i),
                                  pxRect(lefts[i], top, 1700, 180), Frame2);
            labels[i]->setFont(song9);
            labels[i]->setCursor(Qt::PointingHandCursor);
            labels[i]->setProperty("rowClick", QVariant::fromValue(static_cast<int>(i)));
            labels[i]->setProperty("row", QString::fromUtf8(name));
        }
    };
    row(Label42, "Label42", {1725, 3450}, 360);
    row(Label44, "Label44", {1725, 3450, 5280}, 1020);
    row(Label111, "Label111", {1725, 2580, 3450, 4365, 5280}, 1695);
    for (int top : {570, 1230, 1920}) {
        auto* line = new QFrame(Frame2);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(0, px(top), px(7050), 2);
    }
    Command14 = new QPushButton(QStringLiteral("确 定"), Frame2);
    Command14->setObjectName(QStringLiteral("Command14"));
    Command14->setGeometry(pxRect(2970, 2250, 1485, 315));
    Command14->setFont(song9);
    Command14->setFocusPolicy(Qt::NoFocus);
    Command14->installEventFilter(this);
    connect(Command14, &QPushButton::clicked, this, [this] {
        if (!state_.allowed(LookupState::Event::Confirm))
            return;
        state_.Command14_Click();
        // A confirmation with the mouse lays the grids out a second time as the button comes up.
        if (mouseConfirm_)
            state_.Command14_MouseUp();
        mouseConfirm_ = false;
        after();
    });
    Frame2->hide();
}

QString Form3::toQString(std::u16string_view text) const {
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (gbk::Char c : text) {
        const char32_t cp = codec_.toUnicode(c);
        if (cp < 0x10000) {
            out.append(QChar(static_cast<char16_t>(cp)));
        } else {
            const char32_t both[] = {cp};
            out.append(QString::fromUcs4(both, 1));
        }
    }
    return out;
}

void Form3::setCaption(QLabel* label, const gbk::Text& text) {
    const QString s = toQString(text);
    if (label->text() != s)
        label->setText(s);
}

void Form3::setCaption(QLabel* label, gbk::Char cell) {
    setCaption(label, LookupView::captionOf(cell));
}

void Form3::tellOnce(const QString& key, const QString& text) {
    if (!told_.insert(key).second)
        return;
    if (services_.tell)
        whileBusy([&] { services_.tell(QStringLiteral("提示！"), text); });
}

void Form3::whileBusy(const std::function<void()>& wait) {
    ++busy_;
    wait();
    if (--busy_ == 0 && unloadPending_) {
        unloadPending_ = false;
        Q_EMIT unloaded();
    }
}

void Form3::tellProblems(const std::vector<LookupState::Problem>& problems) {
    for (const LookupState::Problem& p : problems) {
        const QString file = QString::fromStdString(p.file);
        const QString path = QString::fromStdString(p.path);
        QString text;
        switch (p.kind) {
        case LookupState::Problem::Kind::Missing:
            text = QStringLiteral("找不到文件“%1”（%2）。与它有关的查询将查不到结果。");
            break;
        case LookupState::Problem::Kind::Unreadable:
            text = QStringLiteral("无法读取文件“%1”（%2）。与它有关的查询将查不到结果。");
            break;
        case LookupState::Problem::Kind::Damaged:
            text = QStringLiteral("文件“%1”（%2）为空或已损坏。与它有关的查询将查不到结果。");
            break;
        case LookupState::Problem::Kind::NotWritten:
            text = QStringLiteral("无法保存设置文件“%1”（%2）。本次设置在关闭窗口前仍然有效。");
            break;
        }
        tellOnce(path, text.arg(file, path));
    }
}

void Form3::forward(LookupState::Event event, const std::function<void()>& handle) {
    // The window's controls cover each other as the state says; the state's own rule decides
    // all the same, as it does for the session.
    if (!state_.allowed(event))
        return;
    handle();
    after();
}

bool Form3::lookUpText(const QString& text) {
    if (!state_.allowed(LookupState::Event::Text))
        return true; // the options panel covers the window: it is the user's to close first
    const QList<uint> ucs4 = text.toUcs4();
    const std::u32string points(ucs4.begin(), ucs4.end());
    const std::vector<textcut::Piece> pieces = state_.lookUpText(points);
    if (pieces.empty())
        return false;
    after();
    // Each word and character joins the practice deck, as picks do.
    std::vector<gbk::Text> items;
    for (const textcut::Piece& p : pieces) {
        items.push_back(p.text);
        if (p.word)
            for (gbk::Char c : p.text)
                items.emplace_back(1, c);
    }
    handToDeck(std::move(items), true);
    return true;
}

void Form3::handToDeck(std::vector<gbk::Text> items, bool inText) {
    // After the window has shown them.
    if (!services_.lookedUp || items.empty())
        return;
    QTimer::singleShot(0, this, [this, items = std::move(items), inText] {
        for (const gbk::Text& item : items)
            services_.lookedUp(item, inText);
    });
}

void Form3::tellLookedUp(std::uint64_t text1AddedBefore) {
    // A pick whose codes were shown logged a line; the character and the word the picks spell
    // go to the practice deck.
    const LookupView& s = state_.view();
    if (s.text1Added == text1AddedBefore)
        return;
    std::vector<gbk::Text> items{s.Label25};
    if (!s.pickedWord.empty())
        items.push_back(s.pickedWord);
    handToDeck(std::move(items), false);
}

void Form3::after() {
    render();
    tellProblems(state_.takeProblems());
}

bool Form3::Form_Load() {
    // Only the first copy of the program may open the lookup window.
    if (services_.isFirstInstance && !services_.isFirstInstance()) {
        if (services_.tell)
            services_.tell(QStringLiteral("提示！"),
                           QStringLiteral("程序已经运行或最小化到桌面右下角,请用鼠标点击右下角的"
                                          "工具条使用。"));
        return false;
    }
    setWindowTwips(layout::kWindowWidth, layout::kWindowHeight);
    tellProblems(state_.start(files_.lookupFiles()));
    placeBySetting();
    Label99 = platform::versionText();
    Label100 = platform::appDataFolder();
    if (services_.portalAddress)
        Label64 = services_.portalAddress();
    Label37 = Label64;
    readStartPage();
    after();
    return true;
}

QRect Form3::screenArea() const {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

placement::Size Form3::twipsOf(const QRect& area) {
    const QSize s = area.size() * kTwips;
    return {s.width(), s.height()};
}

void Form3::moveInArea(const QRect& area, placement::Point at) {
    move(area.x() + px(static_cast<int>(at.left)), area.y() + px(static_cast<int>(at.top)));
}

void Form3::placeBySetting() {
    // Places are taken in the screen's area without its panels, so that none lies over them.
    const QRect area = screenArea();
    if (area.isEmpty())
        return;
    // The window has no frame, so the window and its client area are the same 7170 x 3200
    // twips; they are taken as designed rather than measured back from whole pixels.
    const placement::Size w{layout::kWindowWidth, layout::kWindowHeight};
    if (const auto place = placement::startPlace(state_.view().winPos, twipsOf(area), w, w))
        moveInArea(area, *place);
}

void Form3::Label97() {
    for (QPushButton* b : strokeButtons)
        b->show();
    Command1->show();
    Image2->show();
    setWindowTwips(layout::kWindowWidth, layout::kWindowHeight);
    collapsed_ = false;
    if (const QRect area = screenArea(); !area.isEmpty()) {
        if (const auto place = placement::resetPlace(state_.view().winPos, twipsOf(area),
                                                     {layout::kWindowWidth, layout::kWindowHeight}))
            moveInArea(area, *place);
    }
    Image1->hide();
    Label14->show();
    Label7->show();
    for (QLabel* spot : hotSpots)
        spot->move(px(-1111), spot->y());
    // The collapse raised the drag strip over the bar; back in the title strip the two spots
    // lie over it again, or the strip would take their presses.
    Label24->raise();
    Label23->raise();
    Label13->raise();
}

void Form3::Label23_MouseDown(Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    Command1->hide();
    for (QPushButton* b : strokeButtons)
        b->hide();
    Image2->hide();
    setWindowTwips(1560, 370);
    if (const QRect area = screenArea(); !area.isEmpty())
        moveInArea(area, placement::barPlace(twipsOf(area), {widthTwips_, heightTwips_}));
    Image1->move(0, 0);
    Image1->show();
    const int spotLefts[] = {60, 350, 660};
    for (int i = 0; i < 3; ++i)
        hotSpots[i]->move(px(spotLefts[i]), px(60));
    // The bar drags like the window: the strip lies over the bar's picture, the spots over it.
    Label24->move(0, 0);
    Image1->raise();
    Label24->raise();
    for (QLabel* spot : hotSpots)
        spot->raise();
    state_.Label23_MouseDown();
    Label14->hide();
    Label7->hide();
    collapsed_ = true;
    render();
}

void Form3::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods =
        event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier);
    if (mods == Qt::ControlModifier && event->key() == Qt::Key_C) {
        const gbk::Text current = gbk::trim(state_.view().Label25);
        if (!current.empty())
            QGuiApplication::clipboard()->setText(toQString(current));
        return;
    }
    // The history box takes no focus: its keys come here, and read the older lines.
    auto* history = static_cast<HistoryBox*>(Text1);
    const int all = history->verticalScrollBar()->maximum();
    const std::pair<int, int> scrolls[] = {{Qt::Key_Up, -1},     {Qt::Key_Down, 1},
                                           {Qt::Key_PageUp, -3}, {Qt::Key_PageDown, 3},
                                           {Qt::Key_Home, -all}, {Qt::Key_End, all}};
    for (const auto& [key, lines] : scrolls) {
        if (event->key() == key) {
            history->scrollLines(lines);
            return;
        }
    }
    // 一 丨 丿 丶 乛 by the letters h s p n z or the digits 1-5.
    QPushButton* button = nullptr;
    if (mods == Qt::NoModifier) {
        for (int i = 0; i < 5; ++i)
            if (event->key() == Qt::Key_A + ("hspnz"[i] - 'a') || event->key() == Qt::Key_1 + i)
                button = strokeButtons[static_cast<std::size_t>(i)];
        if (event->key() == Qt::Key_Backspace)
            button = Command7;
        else if (event->key() == Qt::Key_Delete)
            button = Command8;
    }
    // A key is its button's click, where the button can be clicked (not in the collapsed bar).
    if (button && button->isVisibleTo(this))
        button->click();
    else
        QWidget::keyPressEvent(event);
}

void Form3::closeEvent(QCloseEvent* event) {
    // A close the user asks of the window manager (Alt+F4) is refused and toggles the width;
    // closes from the program itself (exit, the end of the session) go through.
    if (event->spontaneous()) {
        event->ignore();
        refuseUserClose();
        return;
    }
    event->accept();
}

void Form3::showEvent(QShowEvent* event) {
    // Sent before the window is mapped, whoever shows it.
    if (!event->spontaneous() && services_.keepShown)
        services_.keepShown(this);
    QWidget::showEvent(event);
}

void Form3::refuseUserClose() {
    setWindowTwips(widthTwips_ == 9495 ? 5555 : 9495, heightTwips_);
}

void Form3::openLink(QObject* clicked) {
    if (!services_.openUrl)
        return;
    if (clicked == Image4) {
        // The current character goes into the query as its GBK bytes, percent-encoded, so the
        // browser gets a well-formed address that the site reads as GBK.
        QByteArray address = QByteArray::fromStdString(maker::onSite(maker::kSearchPath));
        for (const unsigned char b : gbk::encode(gbk::trim(state_.view().Label25)))
            address += '%' + QByteArray::number(b, 16).toUpper().rightJustified(2, '0');
        services_.openUrl(QUrl::fromEncoded(address, QUrl::StrictMode));
    } else if (clicked == Image5) {
        services_.openUrl(QUrl(QString::fromStdString(maker::onSite(maker::kLookupArticlePath))));
    } else {
        services_.openUrl(QUrl(Label37)); // the box outside its pictures: the portal
    }
}

void Form3::render() {
    const LookupView& s = state_.view();
    setCaption(Label1, s.Label1);

    const bool keyboard = s.Image8Visible;
    Label20->setVisible(!keyboard);
    const QFont gridFont = twips::font("宋体", s.gridFontPoints);
    for (int i = 0; i < layout::kGridCells; ++i) {
        QLabel* cell = Label11[i];
        setCaption(cell, s.Label11[i]);
        if (cell->font() != gridFont)
            cell->setFont(gridFont);
        if (s.Label11AutoSize) {
            cell->move(px(s.Label11Rect[i].left), px(s.Label11Rect[i].top));
            cell->adjustSize();
        } else if (cell->geometry() != pxRect(s.Label11Rect[i])) {
            cell->setGeometry(pxRect(s.Label11Rect[i]));
        }
        cell->setVisible(!keyboard);
    }
    Label10->setGeometry(
        pxRect(s.Label10.left, s.Label10.top, layout::kMoreWidth, layout::kMoreHeight));
    Label10->setVisible(s.Label10.visible && !keyboard);

    // The history box: the new lines go in at the top and the oldest leave at the bottom, so a
    // pick costs the same however long the history is. Only a box that held nothing, or lines
    // it cannot account for, is set whole.
    const gbk::Text word = s.wordLine();
    const std::uint64_t fresh = s.text1Added - text1Added_;
    if (fresh != 0 || word != text1Word_) {
        QTextDocument* document = Text1->document();
        if (document->isEmpty() || fresh > s.Text1.size() || s.text1Added < text1Added_) {
            QStringList lines;
            lines.reserve(static_cast<qsizetype>(s.Text1.size()) + 1);
            if (!word.empty())
                lines.append(toQString(word));
            for (std::u16string_view line : s.Text1)
                lines.append(toQString(line));
            Text1->setPlainText(lines.join(QLatin1Char('\n')));
        } else {
            QTextCursor cursor(document);
            if (!text1Word_.empty()) { // the word line shown so far, with its line end
                cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
            cursor.setCharFormat({}); // a new line is never set as narrow as an older one
            QString top;
            if (!word.empty())
                top += toQString(word) + QLatin1Char('\n');
            for (std::size_t i = 0; i < fresh; ++i)
                top += toQString(s.Text1[i]) + QLatin1Char('\n');
            cursor.movePosition(QTextCursor::Start);
            cursor.insertText(top);
            const int wanted = static_cast<int>(s.Text1.size()) + (word.empty() ? 0 : 1);
            while (document->blockCount() > wanted) {
                cursor.movePosition(QTextCursor::End);
                cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
                cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
        }
        // The newest line in view, also after the older ones were read with the wheel or keys.
        Text1->verticalScrollBar()->setValue(0);
        text1Added_ = s.text1Added;
        text1Word_ = word;
        // The link box changes only with a look-up, which brings a new line: the two are
        // fitted together, and a click that adds no line leaves both as they stand.
        Picture1->setVisible(s.Picture1.visible);
        fitLinkBox();
    }
    Image4->setVisible(s.Picture1.image == LookupView::LinkBox::Image::Search);
    Image5->setVisible(s.Picture1.image == LookupView::LinkBox::Image::Article);

    // The pinyin keyboard.
    Image8->setVisible(keyboard);
    for (QPushButton* b : Command18)
        b->setVisible(keyboard);
    const QFont pinyinFont = twips::font("宋体", s.pinyinFontPoints);
    for (int i = 0; i < layout::kPinyinCells; ++i) {
        QLabel* cell = Label66[i];
        setCaption(cell, s.Label66[i]);
        if (cell->font() != pinyinFont)
            cell->setFont(pinyinFont);
        if (cell->geometry() != pxRect(s.Label66Rect[i]))
            cell->setGeometry(pxRect(s.Label66Rect[i]));
        cell->setVisible(keyboard);
    }
    // A page label is active when it lets the arrow of the panel picture show through.
    for (auto [label, active] : {std::pair{Label67, s.Label67Active}, {Label68, s.Label68Active}}) {
        if (label->property("active") != QVariant(active)) {
            label->setProperty("active", active);
            label->setStyleSheet(active ? QStringLiteral("background: transparent;")
                                        : QStringLiteral("background: white;"));
            label->setCursor(active ? Qt::PointingHandCursor : Qt::ArrowCursor);
        }
        label->setVisible(keyboard);
    }
    setCaption(Label63, s.Label63);
    Label63->setVisible(keyboard);

    // The options panel.
    for (std::size_t i = 0; i < Label42.size(); ++i)
        setCaption(Label42[i], s.Label42[i]);
    for (std::size_t i = 0; i < Label44.size(); ++i)
        setCaption(Label44[i], s.Label44[i]);
    for (std::size_t i = 0; i < Label111.size(); ++i)
        setCaption(Label111[i], s.Label111[i]);
    if (s.Frame2Visible) {
        Frame2->setGeometry(pxRect(60, 330, 7050, 2805));
        Frame2->show();
        Frame2->raise();
    } else {
        Frame2->hide();
    }
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == Label24 && (type == QEvent::MouseButtonPress || type == QEvent::MouseMove ||
                               type == QEvent::MouseButtonRelease)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            // A Wayland compositor moves no window at a program's request: there the
            // compositor's own move follows the pointer.
            const bool compositorMoves =
                QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
                windowHandle() && windowHandle()->startSystemMove();
            dragOn_ = !compositorMoves;
            dragFrom_ = mouse->position().toPoint();
        } else if (type == QEvent::MouseMove && dragOn_) {
            // The window follows the pointer by the distance it moved since the press.
            move(pos() + mouse->position().toPoint() - dragFrom_);
        } else if (type == QEvent::MouseButtonRelease) {
            dragOn_ = false; // any button ends a drag
        }
        return true;
    }
    if (watched == Label23 && type == QEvent::MouseButtonPress) {
        Label23_MouseDown(static_cast<QMouseEvent*>(event)->button());
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    auto* mouse = static_cast<QMouseEvent*>(event);
    const bool press = type == QEvent::MouseButtonPress;
    const bool click = ui::isClick(watched, event);

    if (watched == Command14) {
        if (!press && mouse->button() == Qt::LeftButton)
            mouseConfirm_ = true;
        return false;
    }
    // Picks act on the press of any button.
    for (int i = 0; i < layout::kGridCells; ++i) {
        if (watched == Label11[i]) {
            if (press) {
                const std::uint64_t before = state_.view().text1Added;
                forward(LookupState::Event::Pick, [this, i] { state_.Label11_MouseDown(i); });
                tellLookedUp(before);
            }
            return press;
        }
    }
    for (int i = 0; i < layout::kPinyinCells; ++i) {
        if (watched == Label66[i]) {
            if (press) {
                const std::uint64_t before = state_.view().text1Added;
                forward(LookupState::Event::PinyinPick, [this, i] { state_.Label66_MouseDown(i); });
                tellLookedUp(before);
            }
            return press;
        }
    }
    if (!click)
        return false;
    if (watched == Label10) {
        if (!state_.allowed(LookupState::Event::More))
            return true;
        state_.Label10_Click();
    } else if (watched == Label67 || watched == Label68) {
        if (!state_.allowed(LookupState::Event::Page))
            return true;
        if (watched == Label67)
            state_.Label67_Click();
        else
            state_.Label68_Click();
    } else if (watched == Image4 || watched == Image5 || watched == Picture1) {
        openLink(watched);
        return true;
    } else if (watched == hotSpots[0]) {
        if (services_.showDesktop)
            services_.showDesktop();
        return true;
    } else if (watched == hotSpots[1]) {
        if (services_.openUrl)
            services_.openUrl(QUrl(Label37));
        return true;
    } else if (watched == hotSpots[2]) {
        Label97();
        after();
        return true;
    } else if (watched == Label13) {
        // The close spot: the dictionaries close and the window unloads.
        state_.closeDictionaries();
        hide();
        Q_EMIT unloaded();
        return true;
    } else if (const QVariant row = watched->property("row"); row.isValid()) {
        if (!state_.allowed(LookupState::Event::Choose))
            return true;
        const int index = watched->property("rowClick").toInt();
        if (row.toString() == QStringLiteral("Label42"))
            state_.Label42_Click(index);
        else if (row.toString() == QStringLiteral("Label44"))
            state_.Label44_Click(index);
        else
            state_.Label111_Click(index);
    } else {
        return false;
    }
    after();
    return true;
}

} // namespace tovrin
