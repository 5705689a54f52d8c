// A strict check of the session's replies: one JSON object and nothing else.
#pragma once

#include "core/lookup/lookupstate.h"
#include "core/text/gbk.h"

#include <string_view>

namespace tovrin::fuzz {

// Whether the bytes are well-formed UTF-8 (RFC 3629: no overlong form, no surrogate, nothing
// past U+10FFFF).
bool isWellFormedUtf8(std::string_view bytes);

// Whether `text` is exactly one JSON object (RFC 8259; no white space is needed or allowed
// around it) with well-formed UTF-8 in its strings and no raw control character.
bool isJsonObject(std::string_view text);

// Renders the state as tovrin-lookup's session shows it (every caption turned into UTF-8) and
// requires one valid JSON object: a damaged dictionary reaches the terminal this way.
void requireValidReply(LookupState& state, const gbk::Codec& codec);

} // namespace tovrin::fuzz
