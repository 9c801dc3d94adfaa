// PNG reading for the screenshot checks.
//
//   1. Check the signature and walk the chunks, checking each one's CRC-32: IHDR (8-bit RGB, not
//      interlaced), every IDAT appended, up to IEND.
//   2. Unwrap the zlib stream: its two-byte header, stored deflate blocks only (LEN, NLEN, the
//      bytes) up to the final block, then the Adler-32 of what they held.
//   3. Take the rows: each a filter byte of 0 (none) and the red, green and blue of every pixel.

#include "png_read.h"

#include <algorithm>
#include <cstdlib>

namespace test_support {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Bit by bit: slow, and plainly not the writer's table-driven code.
std::uint32_t crc32(const std::uint8_t* data, std::size_t length) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

std::uint32_t adler32(const std::vector<std::uint8_t>& data) {
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

}  // namespace

std::uint32_t png_image::pixel(std::uint32_t x, std::uint32_t y) const {
    if (x >= width || y >= height) return kOutside;
    const std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * 3];
    return rgb(p[0], p[1], p[2]);
}

std::string decode_png(const std::vector<std::uint8_t>& file, png_image& out) {
    // 1.
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin())) return "no PNG signature";
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> z;
    bool header = false, end = false;
    for (std::size_t at = 8; at < file.size() && !end;) {
        if (file.size() - at < 12) return "truncated chunk";
        const std::uint32_t n = be32(&file[at]);
        if (file.size() - at - 12 < n) return "truncated chunk data";
        const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        const std::uint8_t* data = &file[at + 8];
        if (crc32(&file[at + 4], std::size_t(n) + 4) != be32(data + n)) return "bad CRC in " + type;
        if (type == "IHDR") {
            if (n != 13) return "bad IHDR";
            width = be32(data);
            height = be32(data + 4);
            if (data[8] != 8 || data[9] != 2 || data[12] != 0) return "not 8-bit RGB without interlace";
            // Larger than any screen: refused before the sizes below could overflow.
            if (width == 0 || height == 0 || width > 16384 || height > 16384) return "unusable image size";
            header = true;
        } else if (type == "IDAT") {
            z.insert(z.end(), data, data + n);
        } else if (type == "IEND") {
            end = true;
        }
        at += 12 + std::size_t(n);
    }
    if (!header || !end) return "IHDR or IEND missing";

    // 2.
    if (z.size() < 6 || z[0] != 0x78 || (z[0] * 256 + z[1]) % 31 != 0) return "bad zlib header";
    std::vector<std::uint8_t> raw;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        if (z.size() - at < 5) return "truncated deflate block";
        last = z[at] & 1;
        if ((z[at] >> 1) != 0) return "not a stored block";
        const std::size_t len = z[at + 1] | (std::size_t(z[at + 2]) << 8);
        const std::size_t nlen = z[at + 3] | (std::size_t(z[at + 4]) << 8);
        if ((len ^ 0xFFFF) != nlen) return "bad stored block length";
        at += 5;
        if (z.size() - at < len) return "truncated stored block";
        raw.insert(raw.end(), z.begin() + std::ptrdiff_t(at), z.begin() + std::ptrdiff_t(at + len));
        at += len;
    }
    if (z.size() - at != 4 || be32(&z[at]) != adler32(raw)) return "bad Adler-32";

    // 3.
    const std::size_t row = std::size_t(width) * 3 + 1;
    if (raw.size() != row * height) return "image data of the wrong size";
    out.width = width;
    out.height = height;
    out.pixels.clear();
    for (std::uint32_t y = 0; y < height; ++y) {
        if (raw[y * row] != 0) return "filtered row";
        out.pixels.insert(out.pixels.end(), raw.begin() + std::ptrdiff_t(y * row + 1),
                          raw.begin() + std::ptrdiff_t((y + 1) * row));
    }
    return "";
}

bool close_to(std::uint32_t colour, std::uint32_t expected, int tolerance) {
    if (colour > 0xFFFFFF || expected > 0xFFFFFF) return false;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = int((colour >> shift) & 0xFF), b = int((expected >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance) return false;
    }
    return true;
}

std::string colour_text(std::uint32_t colour) {
    if (colour > 0xFFFFFF) return "(outside the image)";
    return "(" + std::to_string(colour >> 16) + ", " + std::to_string((colour >> 8) & 0xFF) + ", " +
           std::to_string(colour & 0xFF) + ")";
}

}  // namespace test_support
