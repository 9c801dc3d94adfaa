#pragma once
// Reads back the PNG files the host writes (8-bit RGB, stored deflate blocks, no filtering) and
// checks every checksum on the way. Anything else is refused with a reason.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <png.h>

namespace png_read {

struct image {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> rgb;  // rows top to bottom
    std::uint32_t pixel(std::uint32_t x, std::uint32_t y) const {  // 0xRRGGBB
        const std::uint8_t* p = &rgb[(std::size_t(y) * width + x) * 3];
        return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
    }
};

inline std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

// Empty string on success, else what is wrong.
inline std::string decode(const std::vector<std::uint8_t>& file, image& out) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin())) return "no PNG signature";
    std::vector<std::uint8_t> z;
    bool header = false, end = false;
    for (std::size_t at = 8; at < file.size() && !end;) {
        if (file.size() - at < 12) return "truncated chunk";
        const std::uint32_t n = be32(&file[at]);
        if (file.size() - at - 12 < n) return "truncated chunk data";
        const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
        const std::uint8_t* data = &file[at + 8];
        if (host::png_crc32(&file[at + 4], n + 4) != be32(data + n)) return "bad CRC in " + type;
        if (type == "IHDR") {
            if (n != 13) return "bad IHDR";
            out.width = be32(data);
            out.height = be32(data + 4);
            if (data[8] != 8 || data[9] != 2 || data[12] != 0) return "not 8-bit RGB without interlace";
            header = true;
        } else if (type == "IDAT") {
            z.insert(z.end(), data, data + n);
        } else if (type == "IEND") {
            end = true;
        }
        at += 12 + n;
    }
    if (!header || !end) return "IHDR or IEND missing";
    if (z.size() < 6 || z[0] != 0x78 || (z[0] * 256 + z[1]) % 31 != 0) return "bad zlib header";
    std::vector<std::uint8_t> raw;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        if (z.size() - at < 5) return "truncated deflate block";
        last = z[at] & 1;
        if ((z[at] >> 1) != 0) return "not a stored block";
        const std::uint32_t len = z[at + 1] | (z[at + 2] << 8);
        const std::uint32_t nlen = z[at + 3] | (z[at + 4] << 8);
        if ((len ^ 0xFFFF) != nlen) return "bad stored block length";
        at += 5;
        if (z.size() - at < len) return "truncated stored block";
        raw.insert(raw.end(), z.begin() + std::ptrdiff_t(at), z.begin() + std::ptrdiff_t(at + len));
        at += len;
    }
    if (z.size() - at != 4 || be32(&z[at]) != host::png_adler32(raw.data(), raw.size())) return "bad Adler-32";
    const std::size_t row = std::size_t(out.width) * 3 + 1;
    if (raw.size() != row * out.height) return "image data of the wrong size";
    out.rgb.clear();
    for (std::uint32_t y = 0; y < out.height; ++y) {
        if (raw[y * row] != 0) return "filtered row";
        out.rgb.insert(out.rgb.end(), raw.begin() + std::ptrdiff_t(y * row + 1), raw.begin() + std::ptrdiff_t((y + 1) * row));
    }
    return "";
}

}  // namespace png_read
