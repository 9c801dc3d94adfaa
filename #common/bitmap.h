// CBitmapDC: a bitmap kept selected into its own memory device context, so that it can be drawn
// into and blitted from at once. Either loaded from a bitmap file (and then released and reloaded
// from the same file at will) or made empty at a size (and then only grown, keeping its picture).
#pragma once

#include <debug.h>

#include <windows.h>

#include <stdint.h>

class CBitmapDC {
public:
    HDC mhDC;              // the memory device context; null while empty or released
    wchar_t* mpFile;       // heap copy of the source file path; null for a bitmap made at a size
    int32_t mWidth;        // size of the selected bitmap; kept after a release
    int32_t mHeight;
    HGDIOBJ mhOldObject;   // what mhDC held before the bitmap was selected into it

    CBitmapDC() : mhDC(nullptr), mpFile(nullptr), mWidth(0), mHeight(0), mhOldObject(nullptr) {}
    ~CBitmapDC();

    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;

    // Releases what is held (forced), takes a copy of path and loads it. False when the path is
    // null or the file cannot be loaded.
    bool setFile(const wchar_t* path);

    // Loads the bitmap file mpFile. True at once when a bitmap is held (nothing is reloaded);
    // false without a path, for a file that is missing or not a bitmap, or when no device context
    // can be had.
    bool load();

    // Deletes the bitmap and its device context. A bitmap made at a size goes only when forced; one
    // loaded from a file can always be released (it can be loaded again). Path and size stay.
    bool release(bool force);

    // Makes the bitmap at least width x height. A bitmap that is large enough stays as it is (it
    // never shrinks). Otherwise a new one of exactly width x height is made with the format of the
    // current bitmap (or of hdc when there is none); keepContent copies the old picture to its top
    // left corner. Either way the bitmap forgets its source file. False, with the object unchanged,
    // when the new bitmap cannot be made.
    bool create(int32_t width, int32_t height, HDC hdc, bool keepContent);

    // The two checks are known by their line numbers 33 and 34, wherever they stand in the file.
    int32_t getWidth() const {
        (void)ZIN_CHECK_MSG_AT(mhDC != nullptr, "mhDC", 33);
        return mWidth;
    }
    int32_t getHeight() const {
        (void)ZIN_CHECK_MSG_AT(mhDC != nullptr, "mhDC", 34);
        return mHeight;
    }
    HDC getDC() const { return mhDC; }
    bool isEmpty() const { return mhDC == nullptr; }

private:
    void freeFile();
};
