// The screenshot's PNG writer, read back by an independent reader that checks every checksum.
#include <gtest/gtest.h>

#include <png.h>

#include <support/png_read.h>

namespace {

std::vector<std::uint8_t> pattern(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint8_t> rgb(std::size_t(w) * h * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = std::uint8_t(i * 7 + i / 3);
    return rgb;
}

TEST(png, ChecksumsMatchTheirKnownValues) {
    const char* text = "123456789";
    EXPECT_EQ(host::png_crc32(reinterpret_cast<const std::uint8_t*>(text), 9), 0xCBF43926u);
    const char* wiki = "Wikipedia";
    EXPECT_EQ(host::png_adler32(reinterpret_cast<const std::uint8_t*>(wiki), 9), 0x11E60398u);
    // Continued sums equal one sum over the whole.
    const auto* p = reinterpret_cast<const std::uint8_t*>(text);
    EXPECT_EQ(host::png_crc32(p + 4, 5, host::png_crc32(p, 4)), 0xCBF43926u);
}

TEST(png, ImagesComeBackPixelForPixel) {
    // 1 x 1, a small odd size, and one whose data needs several stored blocks (> 65535 bytes).
    const std::uint32_t sizes[][2] = {{1, 1}, {3, 5}, {300, 100}};
    for (const auto& s : sizes) {
        SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
        const std::vector<std::uint8_t> rgb = pattern(s[0], s[1]);
        test_support::png_image img;
        ASSERT_EQ(test_support::decode_png(host::encode_png(s[0], s[1], rgb), img), "");
        EXPECT_EQ(img.width, s[0]);
        EXPECT_EQ(img.height, s[1]);
        EXPECT_EQ(img.pixels, rgb);
    }
}

TEST(png, BadSizesGiveNoFile) {
    EXPECT_TRUE(host::encode_png(0, 5, {}).empty());
    EXPECT_TRUE(host::encode_png(2, 2, std::vector<std::uint8_t>(11)).empty());
    EXPECT_TRUE(host::encode_png(0x7FFFFFFF, 1, std::vector<std::uint8_t>(3)).empty());
}

}  // namespace
