#include "core/session/session.h"

#include "core/session/json.h"

#include <charconv>
#include <type_traits>
#include <vector>

namespace tovrin {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

// A whole number within [low, high], or -1.
int numberIn(std::string_view text, int low, int high) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
        return -1;
    return v;
}

// Only the command's name goes back into an error text, and only when it is plain ASCII, so
// the reply stays valid JSON whatever the input held.
std::string shown(std::string_view word) {
    for (char c : word)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            return "?";
    return std::string(word);
}

} // namespace

std::string Session::handle(std::string_view line) {
    const std::string error = run(line);
    return reply(error.empty(), error);
}

std::string Session::run(std::string_view line) {
    const std::vector<std::string_view> w = words(line);
    if (w.empty())
        return "blank line";
    const std::string_view cmd = w[0];
    const std::size_t args = w.size() - 1;
    LookupState& s = state_;

    if (cmd == "state")
        return args == 0 ? "" : "state takes no argument";
    if (cmd == "text") {
        // The text is the rest of the line, blanks inside it kept.
        std::string_view text =
            line.substr(static_cast<std::size_t>(cmd.data() - line.data()) + cmd.size());
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
            text.remove_suffix(1);
        if (text.empty())
            return "text takes the text to look up";
        const auto codePoints = gbk::Codec::utf8ToCodePoints(text);
        if (!codePoints)
            return "text takes UTF-8 text";
        if (const auto why = s.refusal(LookupState::Event::Text); !why.empty())
            return std::string(why);
        if (s.lookUpText(*codePoints).empty())
            return "no Chinese text to look up";
        return "";
    }
    if (cmd == "stroke") {
        const int d = args == 1 ? numberIn(w[1], 1, 5) : -1;
        if (d < 0)
            return "stroke takes one digit from 1 to 5";
        if (const auto why = s.refusal(LookupState::Event::Stroke); !why.empty())
            return std::string(why);
        s.strokeClick(d);
        return "";
    }
    if (cmd == "back" || cmd == "clear") {
        if (args != 0)
            return shown(cmd) + " takes no argument";
        if (const auto why =
                s.refusal(cmd == "back" ? LookupState::Event::Back : LookupState::Event::Clear);
            !why.empty())
            return std::string(why);
        if (cmd == "back")
            s.Command7_Click();
        else
            s.Command8_Click();
        return "";
    }
    if (cmd == "more") {
        if (args != 0)
            return "more takes no argument";
        if (const auto why = s.refusal(LookupState::Event::More); !why.empty())
            return std::string(why);
        s.Label10_Click();
        return "";
    }
    if (cmd == "pick" || cmd == "pypick") {
        const bool pinyinGrid = cmd == "pypick";
        const int i = args == 1 ? numberIn(w[1], 0, pinyinGrid ? 35 : 50) : -1;
        if (i < 0)
            return pinyinGrid ? "pypick takes a cell from 0 to 35"
                              : "pick takes a cell from 0 to 50";
        if (const auto why =
                s.refusal(pinyinGrid ? LookupState::Event::PinyinPick : LookupState::Event::Pick);
            !why.empty())
            return std::string(why);
        if (pinyinGrid)
            s.Label66_MouseDown(i);
        else
            s.Label11_MouseDown(i);
        return "";
    }
    if (cmd == "pinyin" || cmd == "panel") {
        if (args != 0)
            return shown(cmd) + " takes no argument";
        if (const auto why =
                s.refusal(cmd == "pinyin" ? LookupState::Event::Pinyin : LookupState::Event::Panel);
            !why.empty())
            return std::string(why);
        if (cmd == "pinyin")
            s.Command1_Click();
        else
            s.Command9_Click();
        return "";
    }
    if (cmd == "letter") {
        if (args != 1 || w[1].size() != 1 || w[1][0] < 'a' || w[1][0] > 'z')
            return "letter takes one letter from a to z";
        if (const auto why = s.refusal(LookupState::Event::Letter); !why.empty())
            return std::string(why);
        s.Command18_Click(w[1][0]);
        return "";
    }
    if (cmd == "next" || cmd == "prev") {
        if (args != 0)
            return shown(cmd) + " takes no argument";
        if (const auto why = s.refusal(LookupState::Event::Page); !why.empty())
            return std::string(why);
        // An inactive page label ignores the click, as in the window.
        if (cmd == "next")
            s.Label68_Click();
        else
            s.Label67_Click();
        return "";
    }
    if (cmd == "choose") {
        if (args != 2)
            return "choose takes a row (display, position, size) and an element";
        const std::string_view row = w[1];
        const int most = row == "display" ? 1 : row == "position" ? 2 : row == "size" ? 4 : -1;
        if (most < 0)
            return "choose takes a row: display, position or size";
        const int i = numberIn(w[2], 0, most);
        if (i < 0)
            return "no such element in that row";
        if (const auto why = s.refusal(LookupState::Event::Choose); !why.empty())
            return std::string(why);
        if (row == "display")
            s.Label42_Click(i);
        else if (row == "position")
            s.Label44_Click(i);
        else
            s.Label111_Click(i);
        return "";
    }
    if (cmd == "confirm") {
        if (args != 0)
            return "confirm takes no argument";
        if (const auto why = s.refusal(LookupState::Event::Confirm); !why.empty())
            return std::string(why);
        s.Command14_Click();
        s.Command14_MouseUp();
        // The options apply, as in the window, but a setup.txt not saved is no success.
        if (!s.setupWriteError().empty())
            return "setup.txt was not saved: " + s.setupWriteError();
        return "";
    }
    return "unknown command: " + shown(cmd);
}

std::string Session::reply(bool ok, std::string_view error) const {
    const LookupView& s = state_.view();
    // Texts, or grid cells (an empty one as ""), as an array of strings.
    auto stringArray = [this](const auto& items) {
        std::string out = "[";
        for (const auto& t : items) {
            if (out.size() > 1)
                out += ',';
            if constexpr (std::is_same_v<std::decay_t<decltype(t)>, gbk::Char>)
                json::appendString(out, utf8(LookupView::captionOf(t)));
            else
                json::appendString(out, utf8(t));
        }
        return out + ']';
    };

    json::Object o;
    o.boolean("ok", ok);
    if (!ok)
        o.string("error", error);
    o.string("strokes", utf8(s.Label1));
    o.string("digits", utf8(s.Label6));
    o.string("key", utf8(s.Label2));
    o.raw("grid", stringArray(s.Label11));
    o.raw("more", json::Object()
                      .boolean("visible", s.Label10.visible)
                      .number("left", s.Label10.left)
                      .number("top", s.Label10.top)
                      .str());
    o.string("history", utf8(s.Label19));
    o.string("phraseKey", utf8(s.Label18));
    o.string("current", utf8(s.Label25));
    o.string("assoc", utf8(gbk::trimRight(s.assocHz)));
    o.raw("codes", stringArray(std::array{s.Label38, s.Label45, s.Label46, s.Label48}));
    o.string("summary", utf8(s.Label8));
    o.string("found", utf8(s.Label22));
    o.raw("text1", stringArray(s.Text1));
    o.raw("word", s.pickedWord.empty() ? std::string("null")
                                       : json::Object()
                                             .string("text", utf8(s.pickedWord))
                                             .string("code", s.pickedWordCode)
                                             .str());
    const char* image = s.Picture1.image == LookupView::LinkBox::Image::Search    ? "search"
                        : s.Picture1.image == LookupView::LinkBox::Image::Article ? "article"
                                                                                  : "";
    o.raw("linkBox", json::Object()
                         .boolean("visible", s.Picture1.visible)
                         .string("image", image)
                         .number("left", s.Picture1.left)
                         .number("width", s.Picture1.width)
                         .str());
    o.raw("pinyin", json::Object()
                        .boolean("open", s.Image8Visible)
                        .string("typed", utf8(s.Label63))
                        .string("key", utf8(s.Label2))
                        .raw("cells", stringArray(s.Label66))
                        .string("slot", utf8(s.Label69))
                        .boolean("prevActive", s.Label67Active)
                        .boolean("nextActive", s.Label68Active)
                        .str());
    o.raw("options", json::Object()
                         .number("showAll", s.showAll)
                         .number("winPos", s.winPos)
                         .number("sizeMode", s.sizeMode)
                         .str());
    o.raw("panel", json::Object()
                       .boolean("open", s.Frame2Visible)
                       .raw("display", stringArray(s.Label42))
                       .raw("position", stringArray(s.Label44))
                       .raw("size", stringArray(s.Label111))
                       .str());
    return o.str();
}

} // namespace tovrin
