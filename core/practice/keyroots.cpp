#include "core/practice/keyroots.h"

namespace tovrin::practice {

const KeyRoots* keyRoots(char letter) {
    if (letter >= 'A' && letter <= 'Y')
        letter = static_cast<char>(letter - 'A' + 'a');
    if (letter < 'a' || letter > 'y')
        return nullptr;
    return &keytable::keys[letter - 'a'];
}

} // namespace tovrin::practice
