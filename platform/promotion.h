// The promotion's clock and random source in the running program.
#pragma once

#include "core/promo/trigger.h"

namespace tovrin::platform {

// The local date, and a Mersenne twister re-seeded from the system clock.
promo::Sources promotionSources();

} // namespace tovrin::platform
