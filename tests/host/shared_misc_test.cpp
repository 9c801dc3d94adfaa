// shared.dll: call-stack tracker, system error texts, menus and text output.
#include <gtest/gtest.h>

#include <string>

#include <trovaplay/shared/shared.h>
#include <zut/string.h>

namespace {

std::string dump() {
    zut::string8_t<> out;
    uDumpCallStack(out);
    return out.get_ptr();
}

TEST(uCallStackTracker, ScopesNestAndUnwind) {
    const uint32_t base = uCallStackTrackerDepth();
    {
        uCallStackTracker outer("outer()");
        EXPECT_EQ(uCallStackTrackerDepth(), base + 1);
        {
            uCallStackTracker inner("inner()");
            EXPECT_EQ(uCallStackTrackerDepth(), base + 2);
            EXPECT_NE(dump().find("outer()\ninner()\n"), std::string::npos);
        }
        EXPECT_EQ(uCallStackTrackerDepth(), base + 1);
    }
    EXPECT_EQ(uCallStackTrackerDepth(), base);
}

TEST(uCallStackTracker, LeavesOnException) {
    const uint32_t base = uCallStackTrackerDepth();
    try {
        uCallStackTracker t("throwing()");
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(uCallStackTrackerDepth(), base);
}

TEST(uCallStackTracker, DeepNestingIsBounded) {
    const uint32_t base = uCallStackTrackerDepth();
    uint32_t tokens[200];
    for (int i = 0; i < 200; ++i) tokens[i] = uCallStackTrackerEnter("deep");
    EXPECT_EQ(uCallStackTrackerDepth(), base + 200);
    EXPECT_NE(dump().find("...\n"), std::string::npos);
    uCallStackTrackerLeave(tokens[0]);
    EXPECT_EQ(uCallStackTrackerDepth(), base);
}

TEST(uFormatSystemErrorMessage, KnownAndUnknownCodes) {
    zut::string8_t<> out("untouched");
    EXPECT_TRUE(uFormatSystemErrorMessage(out, ERROR_FILE_NOT_FOUND));
    EXPECT_GT(out.get_length(), 0u);
    EXPECT_NE(std::string(out.get_ptr()), "untouched");
    const std::string text = out.get_ptr();
    EXPECT_NE(text.back(), '\n');
    zut::string8_t<> none("untouched");
    EXPECT_FALSE(uFormatSystemErrorMessage(none, 0x2FFFFFFF));
    EXPECT_STREQ(none.get_ptr(), "untouched");
}

TEST(uMenu, AppendModifyReadBack) {
    HMENU menu = CreatePopupMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(uAppendMenu(menu, MF_STRING, 10, "&Lecture \xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(uAppendMenu(menu, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(uAppendMenu(menu, MF_STRING, 11, ""));
    zut::string8_t<> label;
    EXPECT_TRUE(uGetMenuString(menu, 0, label, MF_BYPOSITION));
    EXPECT_STREQ(label.get_ptr(), "&Lecture \xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(uGetMenuString(menu, 10, label, MF_BYCOMMAND));
    EXPECT_STREQ(label.get_ptr(), "&Lecture \xC3\xA9t\xC3\xA9");
    EXPECT_TRUE(uGetMenuString(menu, 2, label, MF_BYPOSITION));
    EXPECT_STREQ(label.get_ptr(), "");
    EXPECT_EQ(uGetMenuItemType(menu, 0), 0u);
    EXPECT_NE(uGetMenuItemType(menu, 1) & MFT_SEPARATOR, 0u);
    EXPECT_EQ(uGetMenuItemType(menu, 7), ~0u);
    EXPECT_TRUE(uModifyMenu(menu, 0, MF_BYPOSITION | MF_STRING, 10, "Pl&ay"));
    EXPECT_TRUE(uGetMenuString(menu, 0, label, MF_BYPOSITION));
    EXPECT_STREQ(label.get_ptr(), "Pl&ay");
    zut::string8_t<> missing("kept");
    EXPECT_FALSE(uGetMenuString(menu, 99, missing, MF_BYPOSITION));
    EXPECT_STREQ(missing.get_ptr(), "kept");
    DestroyMenu(menu);
}

// A 200x40 memory bitmap on a white background.
struct canvas {
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
    canvas() {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 200, 40);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 200, 40};
        FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
    }
    ~canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    // Number of pixels of exactly this colour in the rectangle.
    int count(COLORREF c, int l = 0, int t = 0, int r = 200, int b = 40) const {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                if (GetPixel(dc, x, y) == c) ++n;
        return n;
    }
};

TEST(uTextOut, HeightAndPlainText) {
    canvas c;
    TEXTMETRICW tm;
    ASSERT_TRUE(GetTextMetricsW(c.dc, &tm));
    EXPECT_EQ(uGetTextHeight(c.dc), tm.tmHeight);
    SetTextColor(c.dc, RGB(0, 0, 0));
    RECT clip = {0, 0, 200, 40};
    EXPECT_TRUE(uExtTextOut(c.dc, 2, 2, ETO_CLIPPED, &clip, "W\xC3\xA9W", ~0u, nullptr));
    EXPECT_GT(c.count(RGB(0, 0, 0)), 10);
}

TEST(uTextOut, ColourCodesChangeTheColour) {
    canvas c;
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    const char text[] = "WW\x03" "0000FF\x03WW";
    SetTextColor(c.dc, RGB(1, 2, 3));
    EXPECT_TRUE(uTextOutColors(c.dc, text, ~0u, 2, 2, nullptr, FALSE, red));
    EXPECT_GT(c.count(red), 5);
    EXPECT_GT(c.count(blue), 5);
    EXPECT_EQ(GetTextColor(c.dc), RGB(1, 2, 3));  // the caller's colour is restored
}

TEST(uTextOut, SelectedColourOfAPair) {
    canvas c;
    const COLORREF green = RGB(0, 255, 0);
    const char text[] = "\x03" "FF0000|00FF00\x03WWW";
    EXPECT_TRUE(uTextOutColors(c.dc, text, ~0u, 2, 2, nullptr, TRUE, RGB(0, 0, 0)));
    EXPECT_GT(c.count(green), 5);
    EXPECT_EQ(c.count(RGB(255, 0, 0)), 0);
}

TEST(uTextOut, TabbedRowPutsTheRightPartAtTheRight) {
    canvas c;
    RECT row = {0, 0, 200, 40};
    EXPECT_TRUE(uTextOutColorsTabbed(c.dc, "W\tW", ~0u, &row, 2, nullptr, FALSE, RGB(0, 0, 0), TRUE));
    EXPECT_GT(c.count(RGB(0, 0, 0), 0, 0, 40, 40), 3);     // left column
    EXPECT_GT(c.count(RGB(0, 0, 0), 160, 0, 200, 40), 3);  // right-aligned last column
    EXPECT_EQ(c.count(RGB(0, 0, 0), 60, 0, 140, 40), 0);
}

}  // namespace
