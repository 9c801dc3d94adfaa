// readFile / readFileInto / createDirectoryPath: file and directory helpers.
#include <misc.h>

#include <stdio.h>
#include <wchar.h>

namespace {

const size_t kBlockBytes = 1024;

// "rbS": binary, sequential access.
FILE* openForReading(const char* path) { return fopen(path, "rbS"); }

bool isDirectory(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A prefix that names no directory to create: empty (a path that starts with "\"), a drive ("C:"),
// or the server part of a UNC path ("\\server").
bool isRootPrefix(const wchar_t* prefix) {
    size_t length = wcslen(prefix);
    if (length == 0) return true;
    if (length == 2 && prefix[1] == L':') return true;
    if (length > 2 && prefix[0] == L'\\' && prefix[1] == L'\\' && !wcschr(prefix + 2, L'\\')) return true;
    return false;
}

}  // namespace

bool readFile(CDynArray<char>& out, const char* path) {
    if (!ZIN_CHECK(path != nullptr)) return false;
    FILE* file = openForReading(path);
    if (!file) return false;
    bool ok = true;
    char block[kBlockBytes];
    for (;;) {
        size_t got = fread(block, 1, kBlockBytes, file);
        if (got) {
            // Grow by half again at least, so that a long file costs few reallocations.
            uint32_t need = out.mSize + static_cast<uint32_t>(got);
            if (need < out.mSize) {
                ZIN_REPORT("file too large");
                ok = false;
                break;
            }
            if (need > out.mCapacity) {
                uint32_t wanted = out.mCapacity + out.mCapacity / 2;
                if (wanted < need) wanted = need;
                if (!out.reserve(wanted) && !out.reserve(need)) {
                    ok = false;
                    break;
                }
            }
            out.addArray(block, static_cast<uint32_t>(got));
        }
        if (got < kBlockBytes) {
            if (ferror(file)) ok = false;
            break;
        }
    }
    fclose(file);
    return ok;
}

uint32_t readFileInto(char* buffer, uint32_t bufferSize, const char* path) {
    if (!ZIN_CHECK(path != nullptr)) return 0;
    if (!ZIN_CHECK(buffer != nullptr || bufferSize == 0)) return 0;
    FILE* file = openForReading(path);
    if (!file) return 0;
    uint32_t total = 0;
    for (;;) {
        size_t room = bufferSize - total;
        size_t want = room < kBlockBytes ? room : kBlockBytes;
        size_t got = want ? fread(buffer + total, 1, want, file) : 0;
        total += static_cast<uint32_t>(got);
        if (got < kBlockBytes) {
            // The buffer is full while the file goes on: cut, and say so.
            if (got == want && !feof(file) && !ferror(file) && fgetc(file) != EOF)
                ZIN_REPORT("file larger than the buffer");
            break;
        }
    }
    fclose(file);
    return total;
}

uint32_t createDirectoryPath(wchar_t* path) {
    if (!ZIN_CHECK(path != nullptr)) return ERROR_INVALID_PARAMETER;
    ZIN_ASSERT_MSG(!wcschr(path, L'/'), "no '/' in path");
    // Each backslash ends a prefix that must exist as a directory; the part after the last one is
    // not created.
    for (wchar_t* cut = wcschr(path, L'\\'); cut; cut = wcschr(cut + 1, L'\\')) {
        *cut = 0;
        DWORD error = 0;
        if (!isRootPrefix(path) && !CreateDirectoryW(path, nullptr)) {
            error = GetLastError();
            // Some existing directories (a share, a drive root) refuse creation with other codes.
            if (error == ERROR_ALREADY_EXISTS || isDirectory(path)) error = 0;
        }
        *cut = L'\\';
        if (error) return error;
    }
    return 0;
}
