// CBitmapDC: made at a size, grown, released, loaded from BMP files written here.
#include <bitmap.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

namespace {

// Counts the debug reports made while it lives.
class Reports {
public:
    Reports() : start_(zin_debug_report_count()) {}
    uint32_t count() const { return zin_debug_report_count() - start_; }

private:
    uint32_t start_;
};

// A 24-bit bottom-up BMP whose pixel (x, y) is pixel(x, y).
template <class F>
std::string make_bmp(int width, int height, F pixel) {
    const int stride = (width * 3 + 3) & ~3;
    const uint32_t image_size = static_cast<uint32_t>(stride * height);
    std::string bytes;
    auto put16 = [&](uint16_t v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
    auto put32 = [&](uint32_t v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
    bytes += "BM";
    put32(54 + image_size);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<uint32_t>(width));
    put32(static_cast<uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(image_size);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = pixel(x, y);
            row += static_cast<char>(GetBValue(c));
            row += static_cast<char>(GetGValue(c));
            row += static_cast<char>(GetRValue(c));
        }
        row.resize(static_cast<size_t>(stride), '\0');
        bytes += row;
    }
    return bytes;
}

std::wstring temp_path(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name;
}

void write_file(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    ASSERT_EQ(fclose(f), 0);
}

COLORREF checker(int x, int y) {
    return ((x / 4 + y / 4) % 2) ? RGB(200, 30, 60) : RGB(10, 120, 250);
}

class ScreenDC {
public:
    ScreenDC() : dc(GetDC(nullptr)) {}
    ~ScreenDC() { ReleaseDC(nullptr, dc); }
    HDC dc;
};

class CBitmapDCTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = temp_path(L"zin_bitmap_test.bmp");
        write_file(path, make_bmp(12, 8, checker));
    }
    void TearDown() override { DeleteFileW(path.c_str()); }
    std::wstring path;
    ScreenDC screen;
};

TEST_F(CBitmapDCTest, MadeBitmapOnlyGrowsAndKeepsItsPicture) {
    CBitmapDC b;
    ASSERT_TRUE(b.create(100, 50, screen.dc, false));
    HDC first = b.getDC();
    SetPixel(first, 99, 49, RGB(1, 2, 3));
    SetPixel(first, 0, 0, RGB(250, 10, 20));
    // Smaller: the same bitmap stays.
    EXPECT_TRUE(b.create(80, 40, screen.dc, true));
    EXPECT_EQ(b.getDC(), first);
    EXPECT_EQ(b.getWidth(), 100);
    EXPECT_EQ(b.getHeight(), 50);
    // Wider: a new bitmap with the old picture in its left half.
    ASSERT_TRUE(b.create(200, 50, screen.dc, true));
    EXPECT_EQ(b.getWidth(), 200);
    EXPECT_EQ(b.getHeight(), 50);
    EXPECT_EQ(GetPixel(b.getDC(), 99, 49), RGB(1, 2, 3));
    EXPECT_EQ(GetPixel(b.getDC(), 0, 0), RGB(250, 10, 20));
}

TEST_F(CBitmapDCTest, GrownBitmapsKeepFullColour) {
    // Growing makes the new bitmap against a memory device context: it must not turn monochrome.
    CBitmapDC b;
    ASSERT_TRUE(b.create(4, 4, screen.dc, false));
    ASSERT_TRUE(b.create(8, 8, screen.dc, true));
    SetPixel(b.getDC(), 6, 6, RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(b.getDC(), 6, 6), RGB(10, 200, 30));
    BITMAP info = {};
    GetObjectW(GetCurrentObject(b.getDC(), OBJ_BITMAP), sizeof info, &info);
    EXPECT_GT(info.bmBitsPixel, 1);
    // Made against another bitmap's memory device context.
    CBitmapDC other;
    ASSERT_TRUE(other.create(5, 5, b.getDC(), false));
    SetPixel(other.getDC(), 1, 1, RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(other.getDC(), 1, 1), RGB(10, 200, 30));
}

TEST_F(CBitmapDCTest, ReleaseOfMadeBitmapNeedsForce) {
    CBitmapDC b;
    EXPECT_FALSE(b.release(true));  // nothing held
    ASSERT_TRUE(b.create(10, 10, screen.dc, false));
    EXPECT_FALSE(b.release(false));
    EXPECT_FALSE(b.isEmpty());
    EXPECT_TRUE(b.release(true));
    EXPECT_TRUE(b.isEmpty());
    EXPECT_FALSE(b.load());  // no path to load from
}

TEST_F(CBitmapDCTest, LoadsReleasesAndReloadsFromItsFile) {
    CBitmapDC b;
    ASSERT_TRUE(b.setFile(path.c_str()));
    EXPECT_EQ(b.getWidth(), 12);
    EXPECT_EQ(b.getHeight(), 8);
    EXPECT_EQ(GetPixel(b.getDC(), 0, 0), checker(0, 0));
    EXPECT_EQ(GetPixel(b.getDC(), 5, 1), checker(5, 1));
    EXPECT_EQ(GetPixel(b.getDC(), 11, 7), checker(11, 7));
    // Loading again loads nothing.
    HDC dc = b.getDC();
    EXPECT_TRUE(b.load());
    EXPECT_EQ(b.getDC(), dc);
    // A loaded bitmap is released without force and comes back from the same file.
    EXPECT_TRUE(b.release(false));
    EXPECT_TRUE(b.isEmpty());
    ASSERT_TRUE(b.load());
    EXPECT_EQ(GetPixel(b.getDC(), 5, 1), checker(5, 1));
}

TEST_F(CBitmapDCTest, GrowingForgetsTheFile) {
    CBitmapDC b;
    ASSERT_TRUE(b.setFile(path.c_str()));
    ASSERT_TRUE(b.create(24, 8, nullptr, true));
    EXPECT_EQ(b.mpFile, nullptr);
    EXPECT_EQ(GetPixel(b.getDC(), 5, 1), checker(5, 1));
    // Now a made bitmap: kept unless forced.
    EXPECT_FALSE(b.release(false));
}

TEST_F(CBitmapDCTest, SetFileReplacesWhateverIsHeld) {
    CBitmapDC b;
    ASSERT_TRUE(b.create(3, 3, screen.dc, false));
    ASSERT_TRUE(b.setFile(path.c_str()));
    EXPECT_EQ(b.getWidth(), 12);
}

TEST_F(CBitmapDCTest, BadFilesLeaveItEmpty) {
    CBitmapDC b;
    EXPECT_FALSE(b.setFile(temp_path(L"zin_no_such_file.bmp").c_str()));
    EXPECT_TRUE(b.isEmpty());
    const std::wstring text = temp_path(L"zin_not_a_bitmap.bmp");
    write_file(text, "BM this is not a bitmap at all");
    EXPECT_FALSE(b.setFile(text.c_str()));
    EXPECT_TRUE(b.isEmpty());
    DeleteFileW(text.c_str());
    Reports reports;
    EXPECT_FALSE(b.setFile(nullptr));
    EXPECT_EQ(reports.count(), 1u);
}

TEST_F(CBitmapDCTest, BadSizesAndQueriesReport) {
    CBitmapDC b;
    {
        Reports reports;
        EXPECT_FALSE(b.create(0, 10, screen.dc, false));
        EXPECT_FALSE(b.create(10, -1, screen.dc, false));
        EXPECT_TRUE(b.isEmpty());
        EXPECT_EQ(reports.count(), 2u);
    }
    ASSERT_TRUE(b.create(7, 9, screen.dc, false));
    b.release(true);
    Reports reports;
    // Size queries on an empty bitmap report (known as lines 33 and 34) and give the last size.
    std::vector<int> lines;
    void* previousContext = nullptr;
    const zin_debug_report_hook previous = zin_set_debug_report_hook(
        [](const zin_debug_report_info& report, void* context) {
            static_cast<std::vector<int>*>(context)->push_back(report.line);
        },
        &lines, &previousContext);
    EXPECT_EQ(b.getWidth(), 7);
    EXPECT_EQ(b.getHeight(), 9);
    zin_set_debug_report_hook(previous, previousContext);
    EXPECT_EQ(reports.count(), 2u);
    EXPECT_EQ(lines, (std::vector<int>{33, 34}));
}

TEST_F(CBitmapDCTest, WithoutReferenceTheScreenFormatIsUsed) {
    CBitmapDC b;
    Reports reports;
    ASSERT_TRUE(b.create(6, 6, nullptr, false));
    EXPECT_EQ(reports.count(), 1u);
    SetPixel(b.getDC(), 2, 2, RGB(10, 200, 30));
    EXPECT_EQ(GetPixel(b.getDC(), 2, 2), RGB(10, 200, 30));
}

}  // namespace
