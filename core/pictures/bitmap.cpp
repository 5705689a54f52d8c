#include "core/pictures/bitmap.h"

#include <cstdint>
#include <cstdlib>

namespace tovrin {

namespace {

// Little-endian fields of the header.
std::uint32_t u32(std::string_view b, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= std::uint32_t(static_cast<unsigned char>(b[at + i])) << (8 * i);
    return v;
}

std::uint16_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      static_cast<unsigned char>(b[at + 1]) << 8);
}

} // namespace

bool wholeBitmap(std::string_view bytes) {
    // File header: "BM", size, two reserved words, the pixels' offset; then the info header,
    // whose first field is its own size.
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const std::uint64_t pixels = u32(bytes, 10);
    const std::uint32_t infoSize = u32(bytes, 14);
    std::int64_t width = 0, height = 0;
    std::uint64_t bitsPerPixel = 0, compression = 0, imageSize = 0;
    if (infoSize == 12) { // the old core header: 16-bit width and height
        width = u16(bytes, 18);
        height = u16(bytes, 20);
        bitsPerPixel = u16(bytes, 24);
    } else if (infoSize >= 40 && bytes.size() >= kFileHeader + 40) {
        // Signed; a negative height is a top-down bitmap. Widened before the sign is taken.
        width = std::llabs(std::int64_t(static_cast<std::int32_t>(u32(bytes, 18))));
        height = std::llabs(std::int64_t(static_cast<std::int32_t>(u32(bytes, 22))));
        bitsPerPixel = u16(bytes, 28);
        compression = u32(bytes, 30);
        imageSize = u32(bytes, 34);
    } else {
        return false;
    }
    // Only the depths a bitmap can have, and sizes no picture exceeds, so the products below
    // cannot overflow.
    constexpr std::int64_t kLargest = 1 << 16;
    const bool depthKnown = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                            bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
    if (!depthKnown || width <= 0 || height <= 0 || width > kLargest || height > kLargest)
        return false;
    // Uncompressed rows (BI_RGB, BI_BITFIELDS) are padded to four bytes; compressed ones are as
    // long as the header says, which it must then say.
    const bool uncompressed = compression == 0 || compression == 3;
    if (!uncompressed && imageSize == 0)
        return false;
    const std::uint64_t rows =
        uncompressed ? (bitsPerPixel * std::uint64_t(width) + 31) / 32 * 4 * std::uint64_t(height)
                     : imageSize;
    return pixels + rows <= bytes.size();
}

} // namespace tovrin
