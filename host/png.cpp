// PNG writing with stored deflate blocks.
//
// 1. Signature.
// 2. IHDR: size, 8 bits per sample, colour type 2 (RGB), no interlace.
// 3. The raw image: every row is a filter byte 0 followed by its pixels.
// 4. The zlib stream around it: header 78 01, stored blocks of at most 65535 bytes (each with its
//    length and the length's complement), the Adler-32 of the raw image.
// 5. IDAT with that stream, then IEND. Every chunk ends with the CRC of its type and data.
#include "png.h"

#include <algorithm>
#include <array>

namespace host {

namespace {

const std::uint32_t kMaxStoredBlock = 65535;

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v >> 24));
    out.push_back(std::uint8_t(v >> 16));
    out.push_back(std::uint8_t(v >> 8));
    out.push_back(std::uint8_t(v));
}

void put_chunk(std::vector<std::uint8_t>& out, const char type[4], const std::vector<std::uint8_t>& data) {
    put_u32(out, std::uint32_t(data.size()));
    const std::size_t type_at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_u32(out, png_crc32(out.data() + type_at, out.size() - type_at));
}

}  // namespace

std::uint32_t png_crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc) {
    // Made once, on first use (a function-local static is made once even when threads race for it).
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (std::size_t i = 0; i < length; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::uint32_t png_adler32(const std::uint8_t* data, std::size_t length, std::uint32_t adler) {
    std::uint32_t a = adler & 0xFFFF, b = adler >> 16;
    for (std::size_t i = 0; i < length; ++i) {
        a = (a + data[i]) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> encode_png(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgb) {
    std::vector<std::uint8_t> out;
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu / 3) return out;
    const std::uint64_t row_bytes = std::uint64_t(width) * 3;
    if (rgb.size() != row_bytes * height) return out;

    // 1.
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    out.assign(signature, signature + 8);

    // 2.
    std::vector<std::uint8_t> header;
    put_u32(header, width);
    put_u32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    put_chunk(out, "IHDR", header);

    // 3.
    std::vector<std::uint8_t> raw;
    raw.reserve(std::size_t((row_bytes + 1) * height));
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row = rgb.begin() + std::ptrdiff_t(row_bytes * y);
        raw.insert(raw.end(), row, row + std::ptrdiff_t(row_bytes));
    }

    // 4.
    std::vector<std::uint8_t> z = {0x78, 0x01};
    std::size_t done = 0;
    do {
        const std::uint32_t n = std::uint32_t(std::min<std::size_t>(raw.size() - done, kMaxStoredBlock));
        const bool last = done + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(std::uint8_t(n));
        z.push_back(std::uint8_t(n >> 8));
        z.push_back(std::uint8_t(~n));
        z.push_back(std::uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + std::ptrdiff_t(done), raw.begin() + std::ptrdiff_t(done + n));
        done += n;
    } while (done < raw.size());
    put_u32(z, png_adler32(raw.data(), raw.size()));

    // 5.
    put_chunk(out, "IDAT", z);
    put_chunk(out, "IEND", {});
    return out;
}

}  // namespace host
