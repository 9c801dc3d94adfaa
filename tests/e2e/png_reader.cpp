// PNG reading for screenshot checks.
//
//   1. Check the signature and walk the chunks: IHDR (8-bit RGB or RGBA, not interlaced), every
//      IDAT appended, up to IEND.
//   2. Unwrap the zlib stream: its two-byte header, then stored deflate blocks only (LEN, NLEN,
//      the bytes), up to the final block.
//   3. Undo each row's filter (none, sub, up, average, Paeth) and keep the red, green and blue.

#include "png_reader.h"

#include <algorithm>
#include <cstdlib>

namespace e2e {

namespace {

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

int paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return a;
    return pb <= pc ? b : c;
}

bool fail(std::string& error, const char* why) {
    error = why;
    return false;
}

}  // namespace

rgb png_image::at(std::uint32_t x, std::uint32_t y) const {
    if (x >= width || y >= height) return rgb{-1, -1, -1};
    const std::uint8_t* p = &pixels[(std::size_t(y) * width + x) * 3];
    return rgb{p[0], p[1], p[2]};
}

bool read_png(const std::string& bytes, png_image& out, std::string& error) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    // 1.
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || !std::equal(signature, signature + 8, data)) return fail(error, "no PNG signature");
    std::uint32_t width = 0, height = 0, channels = 0;
    std::vector<std::uint8_t> zdata;
    bool ended = false;
    for (std::size_t pos = 8; pos + 12 <= size && !ended;) {
        const std::uint32_t length = be32(data + pos);
        if (length > size - pos - 12) return fail(error, "chunk runs past the end of the file");
        const std::string type(reinterpret_cast<const char*>(data + pos + 4), 4);
        const std::uint8_t* body = data + pos + 8;
        if (type == "IHDR") {
            if (length < 13) return fail(error, "short IHDR");
            width = be32(body);
            height = be32(body + 4);
            if (body[8] != 8) return fail(error, "bit depth is not 8");
            if (body[9] == 2) channels = 3;
            else if (body[9] == 6) channels = 4;
            else return fail(error, "colour type is neither RGB nor RGBA");
            if (body[12] != 0) return fail(error, "interlaced");
        } else if (type == "IDAT") {
            zdata.insert(zdata.end(), body, body + length);
        } else if (type == "IEND") {
            ended = true;
        }
        pos += 12 + std::size_t(length);
    }
    if (!ended) return fail(error, "no IEND chunk");
    if (channels == 0 || width == 0 || height == 0 || width > 16384 || height > 16384)
        return fail(error, "missing or unusable IHDR");

    // 2.
    if (zdata.size() < 2 || (zdata[0] & 0x0F) != 8) return fail(error, "not a zlib stream");
    std::vector<std::uint8_t> raw;
    std::size_t zpos = 2;
    for (bool last = false; !last;) {
        if (zpos + 5 > zdata.size()) return fail(error, "deflate data ends early");
        const std::uint8_t header = zdata[zpos];
        last = (header & 1) != 0;
        if (((header >> 1) & 3) != 0) return fail(error, "compressed deflate block (only stored blocks are read)");
        const std::size_t len = zdata[zpos + 1] | (std::size_t(zdata[zpos + 2]) << 8);
        const std::size_t nlen = zdata[zpos + 3] | (std::size_t(zdata[zpos + 4]) << 8);
        if ((len ^ 0xFFFF) != nlen) return fail(error, "stored block length check failed");
        zpos += 5;
        if (zpos + len > zdata.size()) return fail(error, "stored block runs past the data");
        raw.insert(raw.end(), zdata.begin() + std::ptrdiff_t(zpos), zdata.begin() + std::ptrdiff_t(zpos + len));
        zpos += len;
    }

    // 3.
    const std::size_t stride = std::size_t(width) * channels;
    if (raw.size() < (stride + 1) * height) return fail(error, "too little image data");
    std::vector<std::uint8_t> previous(stride, 0), row(stride);
    out.width = width;
    out.height = height;
    out.pixels.assign(std::size_t(width) * height * 3, 0);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* line = &raw[y * (stride + 1)];
        const std::uint8_t filter = line[0];
        for (std::size_t i = 0; i < stride; ++i) {
            const int a = i >= channels ? row[i - channels] : 0;
            const int b = previous[i];
            const int c = i >= channels ? previous[i - channels] : 0;
            int predicted = 0;
            switch (filter) {
                case 0: predicted = 0; break;
                case 1: predicted = a; break;
                case 2: predicted = b; break;
                case 3: predicted = (a + b) / 2; break;
                case 4: predicted = paeth(a, b, c); break;
                default: return fail(error, "unknown row filter");
            }
            row[i] = std::uint8_t(line[1 + i] + predicted);
        }
        for (std::uint32_t x = 0; x < width; ++x)
            for (int k = 0; k < 3; ++k) out.pixels[(std::size_t(y) * width + x) * 3 + k] = row[x * channels + k];
        previous.swap(row);
    }
    return true;
}

bool close_to(const rgb& pixel, const rgb& expected, int tolerance) {
    return std::abs(pixel.r - expected.r) <= tolerance && std::abs(pixel.g - expected.g) <= tolerance &&
           std::abs(pixel.b - expected.b) <= tolerance;
}

std::string to_text(const rgb& c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) + ")";
}

}  // namespace e2e
