#pragma once
// The bytes of a small icon file (one 16 x 16 image, 32 bits per pixel, all of one colour), for
// tests that load icons.

#include <cstdint>
#include <string>

namespace test_support {

inline std::string icon_file_bytes(std::uint32_t rgb = 0x00FF8000) {
    constexpr std::uint32_t side = 16;
    constexpr std::uint32_t pixels = side * side * 4;
    constexpr std::uint32_t mask = side * 4;  // 1 bit per pixel, rows of 4 bytes
    constexpr std::uint32_t image = 40 + pixels + mask;
    std::string bytes;
    auto put8 = [&](std::uint32_t v) { bytes += static_cast<char>(v & 0xFF); };
    auto put16 = [&](std::uint32_t v) { put8(v); put8(v >> 8); };
    auto put32 = [&](std::uint32_t v) { put16(v); put16(v >> 16); };
    // The directory: reserved, type 1 (icon), one image.
    put16(0); put16(1); put16(1);
    put8(side); put8(side); put8(0); put8(0); put16(1); put16(32); put32(image); put32(6 + 16);
    // The image: its header (height counts image and mask), the pixels, the mask (all shown).
    put32(40); put32(side); put32(side * 2); put16(1); put16(32); put32(0); put32(pixels + mask);
    put32(0); put32(0); put32(0); put32(0);
    for (std::uint32_t i = 0; i < side * side; ++i) put32(0xFF000000u | rgb);
    bytes.append(mask, '\0');
    return bytes;
}

}  // namespace test_support
