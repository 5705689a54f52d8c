// tovrin-lookup deck: the practice deck from a terminal.
#pragma once

#include "core/text/gbk.h"

#include <string_view>
#include <vector>

namespace tovrin::cli {

// `args` are those after "deck"; returns the exit status.
int runDeck(const std::vector<std::string_view>& args, const gbk::Codec& codec);

} // namespace tovrin::cli
