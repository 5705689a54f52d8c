#include "core/lookup/lookupstate.h"
#include "core/settings/setupfile.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tovrin;
using namespace tovrin::testdata;

namespace {

class Options : public ::testing::Test {
protected:
    // Starts with setup.txt as `setup` holds it (missing when it holds nothing); what the state
    // writes goes to `written`, or fails with `writeError`.
    std::vector<LookupState::Problem> startHere() {
        s = std::make_unique<LookupState>(codec());
        LookupFiles files;
        files.strokes = FileBytes::of(strokeBytes({{text("我"), "3121534", 6}}));
        files.setup = setup;
        files.writeSetup = [this](std::string_view bytes) {
            if (writeError.empty())
                written = bytes;
            return writeError;
        };
        auto problems = s->start(std::move(files));
        // Only the option file's problems matter here.
        std::erase_if(problems, [](const auto& p) { return p.file != "setup.txt"; });
        return problems;
    }
    const LookupView& v() const { return s->view(); }
    std::string row(const std::array<gbk::Text, 5>& r) const {
        std::string out;
        for (const auto& c : r)
            out += utf8(c).substr(0, 3) == "●" ? "1" : "0";
        return out;
    }

    FileBytes setup;
    std::string written;
    std::string writeError;
    std::unique_ptr<LookupState> s;
};

} // namespace

TEST(SetupFile, ReadsEachDigitLeniently) {
    struct Case {
        const char* content;
        LookupOptions want;
    };
    const Case cases[] = {
        {"000\r\n", {0, 0, 0}},
        {"102\r\n", {1, 0, 2}},
        {"5", {5, 0, 0}}, // missing digits are 0
        {"19", {1, 9, 0}},
        {"", {0, 0, 0}},
        {"1x4", {1, 0, 4}},     // a character that is no digit gives 0
        {"0,24", {0, 0, 0}},    // the first item ends at a comma
        {"  214", {2, 1, 4}},   // leading blanks are skipped
        {"\"112\"", {1, 1, 2}}, // a quoted item
        {"\n123", {0, 0, 0}},   // only the first line counts
        {"\xFF\xFE\x01\x02", {0, 0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSetup(c.content), c.want) << c.content;
    EXPECT_EQ(formatSetup({1, 2, 4}), "124\r\n");
}

TEST_F(Options, AMissingFileIsCreatedWithTheDefaults) {
    EXPECT_TRUE(startHere().empty());
    EXPECT_EQ(written, "000\r\n");
    EXPECT_EQ(v().showAll, 0);
    EXPECT_EQ(v().sizeMode, 0);
    EXPECT_EQ(v().gridFontPoints, 12.0);
    EXPECT_EQ(v().Label11Rect[0], (layout::Rect{195, 990, 280, 295}));
}

TEST_F(Options, TheFileSetsTheOptionsAndTheGrid) {
    setup = FileBytes::of("102\r\n");
    startHere();
    EXPECT_EQ(v().showAll, 1);
    EXPECT_EQ(v().winPos, 0);
    EXPECT_EQ(v().sizeMode, 2);
    EXPECT_EQ(v().gridFontPoints, 15.0);
    EXPECT_EQ(v().Label11Rect[17 * 2 + 16], (layout::Rect{150 + 405 * 16, 1780, 325, 325}));
    // The pinyin cells take the cell size, and keep their designed places until opened.
    EXPECT_EQ(v().Label66Rect[13], (layout::Rect{2205 + 407, 1395, 325, 325}));

    // An unknown size changes no font, place or size.
    setup = FileBytes::of("009\r\n");
    startHere();
    EXPECT_EQ(v().sizeMode, 9);
    EXPECT_EQ(v().gridFontPoints, 12.0);
    EXPECT_EQ(v().Label11Rect[0], (layout::Rect{195, 990, 280, 295}));
}

TEST_F(Options, OpeningThePanelClearsTheEntryAndShowsTheValues) {
    setup = FileBytes::of("123\r\n");
    startHere();
    for (char d : std::string("3121534"))
        s->strokeClick(d - '0');
    s->Label11_MouseDown(0);
    ASSERT_EQ(utf8(v().Label19), "我");
    s->strokeClick(1);
    s->Command9_Click();
    EXPECT_TRUE(v().Frame2Visible);
    EXPECT_TRUE(v().Label1.empty() && v().Label19.empty());
    EXPECT_EQ(utf8(v().Label42[1]), "● 显示所有GBK汉字");
    EXPECT_EQ(utf8(v().Label44[2]), "● 屏幕中间");
    EXPECT_EQ(utf8(v().Label44[0]), "○ 屏幕右下角");
    EXPECT_EQ(row(v().Label111), "00010");

    // Choosing marks one element of a row; reopening discards what was not confirmed.
    s->Label111_Click(4);
    EXPECT_EQ(row(v().Label111), "00001");
    s->Command9_Click();
    EXPECT_EQ(row(v().Label111), "00010");
}

TEST_F(Options, ConfirmingAppliesLaysOutAndWrites) {
    startHere();
    s->Command9_Click();
    s->Label42_Click(1);
    s->Label44_Click(1);
    s->Label111_Click(4);
    s->Command14_Click();
    EXPECT_FALSE(v().Frame2Visible);
    EXPECT_EQ(written, "114\r\n");
    EXPECT_EQ(v().showAll, 1);
    EXPECT_EQ(v().winPos, 1);
    EXPECT_EQ(v().sizeMode, 4);
    // The first pass: font and places, the character grid sized to its text.
    EXPECT_TRUE(v().Label11AutoSize);
    EXPECT_EQ(v().gridFontPoints, 18.0);
    EXPECT_EQ(v().pinyinFontPoints, 18.0);
    EXPECT_EQ(v().Label11Rect[16].left, 150 + 6480);
    EXPECT_EQ(v().Label11Rect[34].top, 1725);
    EXPECT_EQ(v().Label66Rect[11].left, 2145 + 4477);
    EXPECT_EQ(v().Label66Rect[11].width, 280); // not yet
    // The second pass when the mouse button comes up: the cell sizes.
    s->Command14_MouseUp();
    EXPECT_FALSE(v().Label11AutoSize);
    EXPECT_EQ(v().Label11Rect[50], (layout::Rect{150 + 405 * 16, 1725, 375, 360}));
    EXPECT_EQ(v().Label66Rect[35], (layout::Rect{2145 + 407 * 11, 1725, 375, 360}));

    // Confirming without a change rewrites the same digits.
    written.clear();
    s->Command9_Click();
    s->Command14_Click();
    EXPECT_EQ(written, "114\r\n");
}

TEST_F(Options, AFileThatCannotBeWrittenIsToldOnceAndTheOptionsStillApply) {
    setup.status = FileBytes::Status::Unreadable; // a folder in place of the file, say
    writeError = "is a folder";
    auto problems = startHere();
    ASSERT_EQ(problems.size(), 1u); // cannot be read: the defaults apply
    EXPECT_EQ(v().showAll, 0);
    s->Command9_Click();
    s->Label42_Click(1);
    s->Command14_Click();
    EXPECT_EQ(v().showAll, 1);
    EXPECT_EQ(s->takeProblems().size(), 1u);
    s->Command9_Click();
    s->Command14_Click();
    EXPECT_TRUE(s->takeProblems().empty());         // told once
    EXPECT_EQ(s->setupWriteError(), "is a folder"); // but known at every write
}
