// CBitmapDC: loading, releasing and growing a bitmap held in its own memory device context.
//
// load
//   1. A held bitmap stays: true at once.
//   2. No path: false.
//   3. Load the file as a bitmap.
//   4. A memory device context compatible with the screen.
//   5. Width and height from the bitmap.
//   6. Select the bitmap, remembering what the context held.
// release
//   1. Nothing held: false.
//   2. A bitmap made at a size goes only when forced.
//   3. Select the old object back, delete the bitmap and the context. Path and size stay.
// create
//   1. Large enough already: keep it (never shrink), forget the path.
//   2. The reference: the current context (same format), else hdc. A size without area is refused.
//   3. A new context and a new bitmap of the reference's format, the bitmap selected into it.
//   4. Copy the old picture when asked, then release the old bitmap.
//   5. Take the new handles and size; forget the path.

#include <bitmap.h>

#include <stdlib.h>
#include <wchar.h>

namespace {

// Bitmaps are made with the format of the screen. A memory device context carries only the format
// of the bitmap selected into it, and on some systems a bitmap made "compatible" with one comes out
// monochrome; every bitmap of ours has the screen's format, so the screen stands in for it.
HBITMAP createScreenCompatibleBitmap(HDC reference, int32_t width, int32_t height) {
    const bool useScreen = reference == nullptr || GetObjectType(reference) == OBJ_MEMDC;
    HDC dc = useScreen ? GetDC(nullptr) : reference;
    if (!dc) return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    if (useScreen) ReleaseDC(nullptr, dc);
    return bitmap;
}

}  // namespace

CBitmapDC::~CBitmapDC() {
    release(true);
    freeFile();
}

void CBitmapDC::freeFile() {
    free(mpFile);
    mpFile = nullptr;
}

bool CBitmapDC::setFile(const wchar_t* path) {
    if (!ZIN_CHECK_MSG(path != nullptr, "path")) return false;
    // Whatever is held goes, also a bitmap made at a size (load would otherwise keep it).
    release(true);
    wchar_t* copy = wcsdup(path);
    if (!ZIN_CHECK_MSG(copy != nullptr, "copy of the path")) return false;
    freeFile();
    mpFile = copy;
    return load();
}

bool CBitmapDC::load() {
    // 1.
    if (mhDC) return true;
    // 2.
    if (!mpFile) return false;
    // 3.
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageW(nullptr, mpFile, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!bitmap) return false;
    // 4.
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(bitmap);
        return false;
    }
    // 5.
    BITMAP info = {};
    if (GetObjectW(bitmap, sizeof info, &info) == 0) {
        DeleteDC(dc);
        DeleteObject(bitmap);
        return false;
    }
    // 6.
    mhOldObject = SelectObject(dc, bitmap);
    mhDC = dc;
    mWidth = info.bmWidth;
    mHeight = info.bmHeight;
    return true;
}

bool CBitmapDC::release(bool force) {
    // 1.
    if (!mhDC) return false;
    // 2.
    if (!force && !mpFile) return false;
    // 3.
    HGDIOBJ bitmap = SelectObject(mhDC, mhOldObject);
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(mhDC);
    mhDC = nullptr;
    mhOldObject = nullptr;
    return true;
}

bool CBitmapDC::create(int32_t width, int32_t height, HDC hdc, bool keepContent) {
    // 1.
    if (mhDC && getWidth() >= width && getHeight() >= height) {
        freeFile();
        return true;
    }
    // A bitmap without area cannot be made (the system would hand out a 1 x 1 monochrome one).
    if (!ZIN_CHECK_MSG(width > 0 && height > 0, "width > 0 && height > 0")) return false;
    // 2.
    HDC reference = mhDC ? mhDC : hdc;
    ZIN_ASSERT_MSG(reference != nullptr, "mhDC || hdc");
    // 3. Whatever fails leaves the object as it was.
    HDC dc = CreateCompatibleDC(reference);
    if (!ZIN_CHECK_MSG(dc != nullptr, "CreateCompatibleDC")) return false;
    HBITMAP bitmap = createScreenCompatibleBitmap(reference, width, height);
    if (!ZIN_CHECK_MSG(bitmap != nullptr, "CreateCompatibleBitmap")) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    // 4.
    if (mhDC) {
        if (keepContent) BitBlt(dc, 0, 0, mWidth, mHeight, mhDC, 0, 0, SRCCOPY);
        release(true);
    }
    // 5.
    mhDC = dc;
    mhOldObject = old;
    mWidth = width;
    mHeight = height;
    freeFile();
    return true;
}
