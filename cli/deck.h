// tovrin-lookup deck: the practice deck from a terminal.
#pragma once

#include "core/text/gbk.h"
#include "platform/practicestore.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovrin::cli {

// `args` are those after "deck"; returns the exit status.
// The items' codes come from the dictionaries in `folder`.
int runDeck(const std::string& folder, const std::vector<std::string_view>& args,
            const gbk::Codec& codec);

// The drill in a terminal: `args` are those after "practice"; the items' codes come from the
// dictionaries in `folder`. Returns the exit status.
int runPractice(const std::string& folder, const std::vector<std::string_view>& args,
                const gbk::Codec& codec);

// The deck a terminal command works on: `file`, or the default store. A store that cannot be
// saved to is told and gives nothing (`status` then says why): a terminal command does not go
// on in memory.
std::unique_ptr<platform::PracticeStore>
openDeck(const std::optional<std::string>& file, int& status,
         platform::PracticeStore::Check check = platform::PracticeStore::Check::Pages);

} // namespace tovrin::cli
