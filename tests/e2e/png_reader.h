#pragma once
// Reading the host's screenshots back: 8-bit RGB or RGBA PNG files whose image data lies in stored
// (uncompressed) deflate blocks, as the host writes them. Other files are refused with a reason.

#include <cstdint>
#include <string>
#include <vector>

namespace e2e {

struct rgb {
    int r, g, b;
};

struct png_image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom, 3 bytes a pixel

    rgb at(std::uint32_t x, std::uint32_t y) const;
};

// Decodes the file's bytes; on failure returns false with the reason in error.
bool read_png(const std::string& bytes, png_image& out, std::string& error);

// True when every channel of the pixel lies within tolerance of the expected colour.
bool close_to(const rgb& pixel, const rgb& expected, int tolerance);

// "(r, g, b)" for messages.
std::string to_text(const rgb& c);

}  // namespace e2e
