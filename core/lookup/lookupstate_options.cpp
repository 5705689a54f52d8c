// The options panel and setup.txt.
#include "core/lookup/lookupstate.h"

#include <utility>

namespace tovrin {

namespace {

constexpr const char* kDisplayTexts[] = {"常用汉字优先", "显示所有GBK汉字"};
constexpr const char* kPositionTexts[] = {"屏幕右下角", "屏幕底部中间", "屏幕中间"};
constexpr const char* kSizeTexts[] = {"小四", "四号", "小三", "三号", "小二"};

} // namespace

void LookupState::readSetup() {
    if (!files_.setup)
        return; // no option file: the options stay as they are
    const FileBytes r = std::exchange(*files_.setup, {});
    setupPath_ = r.path;
    LookupOptions o;
    if (r.status == FileBytes::Status::Ok) {
        o = parseSetup(r.bytes);
    } else if (r.status == FileBytes::Status::Missing) {
        // A first start: the defaults, written down.
        if (files_.writeDefaults)
            writeSetup();
    } else {
        problems_.push_back({std::string(kSetupFileName), setupPath_,
                             "cannot be read (" + r.reason + "); the defaults apply",
                             Problem::Kind::Unreadable});
    }
    showAll = o.showAll;
    winPos = o.winPos;
    sizeMode = o.sizeMode;
}

void LookupState::writeSetup() {
    setupWriteError_.clear();
    if (!files_.writeSetup)
        return;
    setupWriteError_ = files_.writeSetup(formatSetup({showAll, winPos, sizeMode}));
    // Told once: the options still apply for as long as the window is open.
    if (!setupWriteError_.empty() && !setupWriteTold_) {
        setupWriteTold_ = true;
        problems_.push_back({std::string(kSetupFileName), setupPath_,
                             setupWriteError_ + "; the options apply until the window closes",
                             Problem::Kind::NotWritten});
    }
}

void LookupState::selectRow(gbk::Text* row, std::size_t size, const char* const* texts,
                            std::size_t index) {
    if (index >= size)
        return;
    for (std::size_t i = 0; i < size; ++i)
        row[i] = fromUtf8(i == index ? "● " : "○ ") + fromUtf8(texts[i]);
}

void LookupState::Command9_Click() {
    Command8_Click(); // clears the entry exactly as "清" does
    selectRow(Label42.data(), Label42.size(), kDisplayTexts, showAll == 0 ? 0 : 1);
    selectRow(Label44.data(), Label44.size(), kPositionTexts, winPos);
    selectRow(Label111.data(), Label111.size(), kSizeTexts, sizeMode);
    Frame2Visible = true;
}

void LookupState::Label42_Click(int index) {
    selectRow(Label42.data(), Label42.size(), kDisplayTexts, static_cast<std::size_t>(index));
}

void LookupState::Label44_Click(int index) {
    selectRow(Label44.data(), Label44.size(), kPositionTexts, static_cast<std::size_t>(index));
}

void LookupState::Label111_Click(int index) {
    selectRow(Label111.data(), Label111.size(), kSizeTexts, static_cast<std::size_t>(index));
}

void LookupState::Command14_Click() {
    const gbk::Char selected = fromUtf8("●")[0];
    auto isSelected = [selected](const gbk::Text& caption) {
        return !caption.empty() && caption[0] == selected;
    };
    showAll = isSelected(Label42[0]) ? 0 : 1;
    winPos = isSelected(Label44[0]) ? 0 : isSelected(Label44[1]) ? 1 : 2;
    sizeMode = 4;
    for (std::uint8_t i = 0; i < 4; ++i) {
        if (isSelected(Label111[i])) {
            sizeMode = i;
            break;
        }
    }

    // First layout pass: fonts and places; the character grid sizes its cells to their text
    // until the second pass.
    const layout::SizeLayout& s = layout::kSizeLayouts[sizeMode];
    Label11AutoSize = true;
    gridFontPoints = s.fontPoints;
    for (int i = 0; i < layout::kGridCells; ++i) {
        layout::Rect& r = Label11Rect[static_cast<std::size_t>(i)];
        r.left = s.gridLeft + s.gridPitch * (i % layout::kGridColumns);
        r.top = s.gridTops[static_cast<std::size_t>(i / layout::kGridColumns)];
    }
    Label66AutoSize = false;
    layOutPinyinCells(true, true, false);

    writeSetup();
    Frame2Visible = false;
}

void LookupState::Command14_MouseUp() {
    if (sizeMode >= layout::kSizeLayouts.size())
        return;
    const layout::SizeLayout& s = layout::kSizeLayouts[sizeMode];
    Label11AutoSize = false;
    for (int i = 0; i < layout::kGridCells; ++i) {
        layout::Rect& r = Label11Rect[static_cast<std::size_t>(i)];
        r.left = s.gridLeft + s.gridPitch * (i % layout::kGridColumns);
        r.width = s.cellWidth;
        r.height = s.cellHeight;
    }
    layOutPinyinCells(false, false, true);
}

void LookupState::applyOptions(const LookupOptions& options) {
    showAll = options.showAll;
    winPos = options.winPos;
    sizeMode = options.sizeMode;
    layOutGrid();
}

void LookupState::Label23_MouseDown() {
    Frame2Visible = false;
}

} // namespace tovrin
