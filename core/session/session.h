// The session driver: one command a line, standing for one event of the lookup window, and one
// line of JSON after each, describing the window's state.
#pragma once

#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"

#include <string>
#include <string_view>

namespace tovrin {

class Session {
public:
    Session(LookupState& state, const gbk::Codec& codec) : state_(state), codec_(codec) {}

    // Runs one command line and returns its reply (without the line end). A command the user
    // could not give at this moment, an unknown or malformed one, or a blank line changes
    // nothing and answers "ok": false with an "error" text. A `confirm` whose setup.txt could
    // not be saved answers so too, although its options apply, as they do in the window.
    std::string handle(std::string_view line);

    // The reply for the state as it stands.
    std::string reply(bool ok, std::string_view error = {}) const;

private:
    std::string run(std::string_view line); // "" when done, otherwise the error
    std::string utf8(std::u16string_view t) const { return codec_.toUtf8(t); }

    LookupState& state_;
    const gbk::Codec& codec_;
};

} // namespace tovrin
