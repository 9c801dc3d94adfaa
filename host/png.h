#pragma once
// A small PNG writer for the host's screenshots: 8-bit RGB, no filtering, the image data in stored
// (uncompressed) deflate blocks. Any PNG reader takes it; it needs no compression library.
#include <cstdint>
#include <vector>

namespace host {

// CRC-32 of the PNG chunks (polynomial 0xEDB88320), continued from `crc` (0 to start).
std::uint32_t png_crc32(const std::uint8_t* data, std::size_t length, std::uint32_t crc = 0);
// Adler-32 of the zlib stream, continued from `adler` (1 to start).
std::uint32_t png_adler32(const std::uint8_t* data, std::size_t length, std::uint32_t adler = 1);

// The PNG file of a width x height image; `rgb` holds the rows top to bottom, 3 bytes a pixel.
// Empty when the size is zero or does not match the pixels.
std::vector<std::uint8_t> encode_png(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& rgb);

}  // namespace host
