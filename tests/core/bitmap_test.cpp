// Whether a bitmap's bytes hold every row its header promises.
#include "core/pictures/bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace tovrin;

namespace {

void put32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>(v >> (8 * i));
}

// A 24-bit bitmap header of width x height with the pixels at 54, and as many pixel bytes.
std::string bitmap(std::int32_t width, std::int32_t height, std::size_t pixelBytes,
                   std::uint16_t bits = 24, std::uint32_t compression = 0) {
    std::string b(54 + pixelBytes, '\0');
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 10, 54);
    put32(b, 14, 40);
    put32(b, 18, static_cast<std::uint32_t>(width));
    put32(b, 22, static_cast<std::uint32_t>(height));
    b[28] = static_cast<char>(bits);
    put32(b, 30, compression);
    return b;
}

} // namespace

TEST(Bitmap, EveryPromisedRowMustBeThere) {
    // 10 pixels of 3 bytes pad to 32 bytes a row.
    EXPECT_TRUE(wholeBitmap(bitmap(10, 10, 320)));
    EXPECT_TRUE(wholeBitmap(bitmap(10, -10, 320))); // top-down
    EXPECT_FALSE(wholeBitmap(bitmap(10, 10, 319)));
    EXPECT_FALSE(wholeBitmap(bitmap(10, 10, 320).substr(0, 30))); // the header itself cut
    EXPECT_FALSE(wholeBitmap("PK" + bitmap(10, 10, 320).substr(2)));
}

TEST(Bitmap, HostileHeadersAreDamagedNotOverflowed) {
    EXPECT_FALSE(wholeBitmap(bitmap(INT32_MIN, 1, 64)));
    EXPECT_FALSE(wholeBitmap(bitmap(1, INT32_MIN, 64)));
    // A depth no bitmap has, with sizes whose product would wrap to a small number.
    EXPECT_FALSE(wholeBitmap(bitmap(2147418114, 2097216, 524288, 32768)));
    EXPECT_FALSE(wholeBitmap(bitmap(0, 10, 64)));
    // A compressed bitmap that does not say how long its data is.
    EXPECT_FALSE(wholeBitmap(bitmap(10, 10, 320, 8, 1)));
}
