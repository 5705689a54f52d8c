#include "core/lookupstate.h"
#include "core/setupfile.h"
#include "platform/files.h"
#include "tests/core/testdata.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tovrin;
using namespace tovrin::testdata;
namespace fs = std::filesystem;

namespace {

class Options : public ::testing::Test {
protected:
    std::vector<LookupState::Problem> startHere() {
        s = std::make_unique<LookupState>(codec());
        auto problems = s->start(folderFiles(program.str(), settings.str()));
        // Only the option file's problems matter here; the folder holds no dictionaries.
        std::erase_if(problems, [](const auto& p) { return p.file != "setup.txt"; });
        return problems;
    }
    std::string row(const std::array<gbk::Text, 5>& r) const {
        std::string out;
        for (const auto& c : r)
            out += utf8(c).substr(0, 3) == "●" ? "1" : "0";
        return out;
    }

    TempDir program;
    TempDir settings;
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
    EXPECT_EQ(readAll(settings / "setup.txt"), "000\r\n");
    EXPECT_EQ(s->showAll, 0);
    EXPECT_EQ(s->sizeMode, 0);
    EXPECT_EQ(s->gridFontPoints, 12.0);
    EXPECT_EQ(s->Label11Rect[0], (layout::Rect{195, 990, 280, 295}));
    EXPECT_FALSE(fs::exists(program / "setup.txt")); // only the one place is written
}

TEST_F(Options, TheFileSetsTheOptionsAndTheGrid) {
    writeFile(settings / "setup.txt", "102\r\n");
    startHere();
    EXPECT_EQ(s->showAll, 1);
    EXPECT_EQ(s->winPos, 0);
    EXPECT_EQ(s->sizeMode, 2);
    EXPECT_EQ(s->gridFontPoints, 15.0);
    EXPECT_EQ(s->Label11Rect[17 * 2 + 16], (layout::Rect{150 + 405 * 16, 1780, 325, 325}));
    // The pinyin cells take the cell size, and keep their designed places until opened.
    EXPECT_EQ(s->Label66Rect[13], (layout::Rect{2205 + 407, 1395, 325, 325}));

    // An unknown size changes no font, place or size.
    writeFile(settings / "setup.txt", "009\r\n");
    startHere();
    EXPECT_EQ(s->sizeMode, 9);
    EXPECT_EQ(s->gridFontPoints, 12.0);
    EXPECT_EQ(s->Label11Rect[0], (layout::Rect{195, 990, 280, 295}));
}

TEST_F(Options, OpeningThePanelClearsTheEntryAndShowsTheValues) {
    writeFile(settings / "setup.txt", "123\r\n");
    startHere();
    s->strokeClick(1);
    s->Label19 = text("我");
    s->Command9_Click();
    EXPECT_TRUE(s->Frame2Visible);
    EXPECT_TRUE(s->Label1.empty() && s->Label19.empty());
    EXPECT_EQ(utf8(s->Label42[1]), "● 显示所有GBK汉字");
    EXPECT_EQ(utf8(s->Label44[2]), "● 屏幕中间");
    EXPECT_EQ(utf8(s->Label44[0]), "○ 屏幕右下角");
    EXPECT_EQ(row(s->Label111), "00010");

    // Choosing marks one element of a row; reopening discards what was not confirmed.
    s->Label111_Click(4);
    EXPECT_EQ(row(s->Label111), "00001");
    s->Command9_Click();
    EXPECT_EQ(row(s->Label111), "00010");
}

TEST_F(Options, ConfirmingAppliesLaysOutAndWrites) {
    startHere();
    s->Command9_Click();
    s->Label42_Click(1);
    s->Label44_Click(1);
    s->Label111_Click(4);
    s->Command14_Click();
    EXPECT_FALSE(s->Frame2Visible);
    EXPECT_EQ(readAll(settings / "setup.txt"), "114\r\n");
    EXPECT_EQ(s->showAll, 1);
    EXPECT_EQ(s->winPos, 1);
    EXPECT_EQ(s->sizeMode, 4);
    // The first pass: font and places, the character grid sized to its text.
    EXPECT_TRUE(s->Label11AutoSize);
    EXPECT_EQ(s->gridFontPoints, 18.0);
    EXPECT_EQ(s->pinyinFontPoints, 18.0);
    EXPECT_EQ(s->Label11Rect[16].left, 150 + 6480);
    EXPECT_EQ(s->Label11Rect[34].top, 1725);
    EXPECT_EQ(s->Label66Rect[11].left, 2145 + 4477);
    EXPECT_EQ(s->Label66Rect[11].width, 280); // not yet
    // The second pass when the mouse button comes up: the cell sizes.
    s->Command14_MouseUp();
    EXPECT_FALSE(s->Label11AutoSize);
    EXPECT_EQ(s->Label11Rect[50], (layout::Rect{150 + 405 * 16, 1725, 375, 360}));
    EXPECT_EQ(s->Label66Rect[35], (layout::Rect{2145 + 407 * 11, 1725, 375, 360}));

    // Confirming without a change rewrites the same digits.
    fs::remove(settings / "setup.txt");
    s->Command9_Click();
    s->Command14_Click();
    EXPECT_EQ(readAll(settings / "setup.txt"), "114\r\n");
}

TEST_F(Options, AFileThatCannotBeWrittenIsToldOnceAndTheOptionsStillApply) {
    fs::create_directory(settings / "setup.txt"); // a folder in place of the file
    auto problems = startHere();
    ASSERT_EQ(problems.size(), 1u); // cannot be read: the defaults apply
    EXPECT_EQ(s->showAll, 0);
    s->Command9_Click();
    s->Label42_Click(1);
    s->Command14_Click();
    EXPECT_EQ(s->showAll, 1);
    EXPECT_EQ(s->takeProblems().size(), 1u);
    s->Command9_Click();
    s->Command14_Click();
    EXPECT_TRUE(s->takeProblems().empty()); // told once
    EXPECT_TRUE(fs::is_directory(settings / "setup.txt"));
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(settings.path()), fs::directory_iterator()), 1);
}

TEST(AtomicFile, ReplacesWholeOrNotAtAll) {
    TempDir dir;
    const std::string path = (dir / "f.txt").string();
    EXPECT_EQ(writeFileAtomically(path, "old\r\n"), "");
    EXPECT_EQ(readAll(path), "old\r\n");
    EXPECT_EQ(writeFileAtomically(path, "new\r\n"), "");
    EXPECT_EQ(readAll(path), "new\r\n");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::others_read, fs::perms::others_read);

    // A folder that does not exist: nothing is written and the error says so.
    EXPECT_NE(writeFileAtomically((dir / "none" / "f.txt").string(), "x"), "");
    const FileBytes r = readSmallFile(path, 3);
    EXPECT_EQ(r.status, FileBytes::Status::Ok);
    EXPECT_EQ(r.bytes, "new");
    EXPECT_EQ(readSmallFile((dir / "gone").string()).status, FileBytes::Status::Missing);
    EXPECT_EQ(readSmallFile(dir.str()).status, FileBytes::Status::Unreadable);
}
