// Small helpers of the common library: text conversion into new buffers, value helpers, and the
// file, text, directory, shell-link and directory-tree helpers.
#pragma once

#include <array.h>
#include <debug.h>

#include <windows.h>

#include <stdint.h>

#include <iosfwd>

// ---- Text conversion ---------------------------------------------------------------------------
// Between multibyte text in the system ANSI code page (CP_ACP) and wide text. The result is a new
// buffer sized by the converted length and always terminated; the caller deletes it as an array
// (delete[]). A null text or a failed conversion is reported and gives an empty text (one NUL).

wchar_t* toWide(const char* str);
char* toAnsi(const wchar_t* str);

// The same with a code page of the caller's choice (toWide / toAnsi pass CP_ACP).
wchar_t* toWideCP(const char* str, uint32_t codePage);
char* toAnsiCP(const wchar_t* str, uint32_t codePage);

// ---- Value helpers -----------------------------------------------------------------------------

// value limited to [min, max]; the upper bound comes first. max < min is reported; the comparisons
// then still run in the same order (value < min gives min, else value > max gives max).
inline int32_t clamp(int32_t value, int32_t max, int32_t min) {
    ZIN_ASSERT(max >= min);
    if (value < min) return min;
    if (value > max) return max;
    return value;
}
inline float clamp(float value, float max, float min) {
    ZIN_ASSERT(max >= min);
    if (value < min) return min;
    if (value > max) return max;
    return value;
}

// The larger / smaller of two values; a when they are equal.
inline int32_t getMax(int32_t a, int32_t b) { return b > a ? b : a; }
inline int32_t getMin(int32_t a, int32_t b) { return b < a ? b : a; }

// v = limit when v > limit.
inline void clampUpper(int32_t& v, int32_t limit) {
    if (v > limit) v = limit;
}

// v = 0 (int), null (pointer) or 0.0 (float).
template <class T>
inline void setZero(T& v) {
    v = T();
}

// Deletes p when it is set (through its virtual destructor for polymorphic objects) and nulls it.
template <class T>
inline void safeDelete(T*& p) {
    if (p) {
        delete p;
        p = nullptr;
    }
}

// ---- File and text helpers (narrow paths) --------------------------------------------------------

// Appends the bytes of the file at path to out. False when path is null (reported), when the file
// cannot be opened, or on a read error (the bytes read so far stay appended).
bool readFile(CDynArray<char>& out, const char* path);

// Reads the file at path into buffer, which holds bufferSize bytes; never writes more. Returns the
// bytes read: 0 when the file cannot be opened. A file longer than the buffer is reported and cut.
uint32_t readFileInto(char* buffer, uint32_t bufferSize, const char* path);

// Cuts text in place at every CR and LF (a run of them is one cut; empty lines vanish) and appends a
// pointer to each line to out.
void splitLines(CDynArray<char*>& out, char* text);

// Cuts text in place into arguments separated by blanks and TABs, with double-quoted arguments, and
// appends a pointer to each argument to out (see misc_text.cpp for the walk).
void splitArgs(CDynArray<char*>& out, char* text);

// Creates every directory of path up to its last backslash (the part after it is not created).
// Returns 0 when every directory exists afterwards, else the first failing error code
// (ERROR_INVALID_PARAMETER for a null path). A path with "/" is reported and still walked.
uint32_t createDirectoryPath(wchar_t* path);

// Creates the shell link linkPath pointing at target (COM must be initialised on this thread).
// Returns the first failing HRESULT or that of the save; E_INVALIDARG when either is null.
HRESULT createShellLink(const wchar_t* linkPath, const wchar_t* target);

// ---- Directory-size tree (wide paths) -------------------------------------------------------------

struct FileEntry {
    wchar_t* mName;      // heap copy (new[])
    double mSize;        // bytes
    uint32_t mAttributes;
    FILETIME mLastWrite;
};

struct DirNode {
    wchar_t* mName;                 // heap copy (new[]); null stays null
    CDynArray<FileEntry> mFiles;
    CDynArray<DirNode> mDirs;
    double mTotal;                  // bytes of every file below, subdirectories included

    explicit DirNode(const wchar_t* name);
    ~DirNode();  // frees the name, the file entries and the whole subtree
    DirNode(const DirNode&) = delete;
    DirNode& operator=(const DirNode&) = delete;
};

// Fills node with the files and subdirectories below the directory path (any entry whose name begins
// with "." is skipped) and their sizes. path holds pathCapacity characters; the walk appends "\*" and
// the names below it only where they fit (a subdirectory whose path would not fit is reported and
// left unscanned) and path holds its own text again afterwards. Directories that are reparse points
// become nodes but are not entered.
void scanDirectory(DirNode& node, wchar_t* path, uint32_t pathCapacity);

// Divides size by 1024 while it is above 999.0 (at most 4 times) and returns how many times it did:
// 0 = "b", 1 = "kb", 2 = "MB", 3 = "GB", 4 = "TB".
uint32_t sizeUnit(double& size);
// The unit text of a sizeUnit result ("?" past "TB").
const wchar_t* sizeUnitName(uint32_t unit);

// Writes the tree as wide text lines ("\r\n"):
//   [root\] (1.5 kb)
//      +--sub (...)        subdirectories, the last one first; "\--" for the one printed last when
//      |   ...             the directory has no files, whose contents are then indented by blanks
//      +-->file (...)      files after the subdirectories, "\-->" for the last
// The sizes are scaled with sizeUnit in place: the nodes keep the scaled values afterwards.
void printTree(DirNode& root, std::wostream& out);
