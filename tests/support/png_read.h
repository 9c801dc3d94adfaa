#pragma once
// Reading back the PNG files the host writes (its screenshots): 8-bit RGB, not interlaced, the image
// data in stored (uncompressed) deflate blocks, rows unfiltered. Every checksum is checked with a
// reader of its own; any other file is refused with a reason.

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// A colour as 0xRRGGBB.
constexpr std::uint32_t rgb(int r, int g, int b) {
    return (std::uint32_t(r) << 16) | (std::uint32_t(g) << 8) | std::uint32_t(b);
}
// What pixel() gives for a position outside the image: no colour at all.
constexpr std::uint32_t kOutside = 0xFFFFFFFF;

struct png_image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom, 3 bytes (red, green, blue) a pixel

    std::uint32_t pixel(std::uint32_t x, std::uint32_t y) const;  // 0xRRGGBB, or kOutside
};

// Decodes the file's bytes: "" on success, else what is wrong.
std::string decode_png(const std::vector<std::uint8_t>& file, png_image& out);

// True when every channel of the colour lies within tolerance of the expected one.
bool close_to(std::uint32_t colour, std::uint32_t expected, int tolerance);

// "(r, g, b)" for messages.
std::string colour_text(std::uint32_t colour);

}  // namespace test_support
