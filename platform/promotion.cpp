#include "platform/promotion.h"

#include <cmath>
#include <cstdint>
#include <ctime>
#include <memory>
#include <random>

namespace tovrin::platform {

promo::Sources promotionSources() {
    auto engine = std::make_shared<std::mt19937>();
    promo::Sources s;
    s.today = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                           std::chrono::month{unsigned(local.tm_mon + 1)},
                                           std::chrono::day{unsigned(local.tm_mday)}};
    };
    s.reseed = [engine] {
        const auto ticks =
            static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
        std::seed_seq seq{static_cast<std::uint32_t>(ticks),
                          static_cast<std::uint32_t>(ticks >> 32)};
        engine->seed(seq);
    };
    s.uniform = [engine] {
        // The standard library may round a draw up to 1.0 itself; the contract is [0, 1).
        const double u = std::uniform_real_distribution<double>(0.0, 1.0)(*engine);
        return u < 1.0 ? u : std::nextafter(1.0, 0.0);
    };
    return s;
}

} // namespace tovrin::platform
