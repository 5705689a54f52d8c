// The 25 letter keys of Wubi 86 with their roots, as the charts show them: compiled in from
// resources/wubi86-keys.tsv, which tools/mkkeys turns into a table at build time.
#pragma once

#include <span>
#include <string_view>

namespace tovrin::practice {

struct KeyRoots {
    char letter;                                // 'a'..'y'
    int zone;                                   // 11..55: the zone (1-5) and position (1-5)
    std::string_view name;                      // the key-name character, UTF-8
    std::span<const std::string_view> radicals; // the main roots, UTF-8, the name's first
};

// The key of a letter, either case; nullptr for anything but a-y.
const KeyRoots* keyRoots(char letter);

namespace keytable {
// The generated table, one key per letter from a to y in order.
extern const KeyRoots keys[25];
} // namespace keytable

} // namespace tovrin::practice
