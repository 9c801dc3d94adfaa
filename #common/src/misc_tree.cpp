// Directory-size tree: scanDirectory builds it, sizeUnit scales sizes, printTree writes it.
#include <misc.h>

#include <stdio.h>
#include <wchar.h>

#include <new>
#include <ostream>
#include <string>

namespace {

wchar_t* copyText(const wchar_t* text) {
    if (!text) return nullptr;
    size_t length = wcslen(text) + 1;
    wchar_t* copy = new wchar_t[length];
    wmemcpy(copy, text, length);
    return copy;
}

// Fills node with the entries of the directory whose path (path[0 .. baseLength)) ends at baseLength:
// 1. "\*" is appended to the path (when it fits); the node's total becomes 0.
// 2. FindFirstFileW / FindNextFileW walk the entries; nothing when the first call fails.
// 3. Names that begin with "." are skipped; a directory becomes a new node in mDirs, a file a new
//    entry in mFiles whose size is added to the total.
// The path holds its own text again afterwards.
void scanEntries(DirNode& node, wchar_t* path, uint32_t baseLength, uint32_t capacity) {
    // 1. Append "\*".
    node.mTotal = 0;
    if (!ZIN_CHECK_MSG(baseLength + 3 <= capacity, "room for \\* behind the path")) return;
    path[baseLength] = L'\\';
    path[baseLength + 1] = L'*';
    path[baseLength + 2] = 0;
    // 2. Walk the entries.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(path, &found);
    path[baseLength] = 0;
    if (search == INVALID_HANDLE_VALUE) return;
    // The search is closed however the walk ends (a failed allocation throws).
    struct SearchCloser {
        HANDLE search;
        ~SearchCloser() { FindClose(search); }
    } closer{search};
    do {
        // 3. Skip names that begin with "."; keep directories and files. An entry is counted only
        //    once it is whole, so the node's destructor never meets a half-made one.
        if (found.cFileName[0] == L'.') continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            DirNode* dir = node.mDirs.pushNew();
            if (!dir) continue;
            try {
                new (dir) DirNode(found.cFileName);
            } catch (...) {
                node.mDirs.removeLast(1);
                throw;
            }
        } else {
            wchar_t* name = copyText(found.cFileName);
            FileEntry* file = node.mFiles.pushNew();
            if (!file) {
                delete[] name;
                continue;
            }
            file->mName = name;
            file->mSize = found.nFileSizeHigh * 4294967296.0 + found.nFileSizeLow;
            file->mAttributes = found.dwFileAttributes;
            file->mLastWrite = found.ftLastWriteTime;
            node.mTotal += file->mSize;
        }
    } while (FindNextFileW(search, &found));
}

bool isReparsePoint(const wchar_t* path) {
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

struct ScanFrame {
    DirNode* node;
    uint32_t baseLength;  // the node's path is path[0 .. baseLength)
    uint32_t next;        // next subdirectory to scan
};

std::wstring formatSize(double& size) {
    uint32_t unit = sizeUnit(size);
    wchar_t number[64];
    swprintf(number, 64, L"%.3g", size);
    std::wstring text(L" (");
    text += number;
    text += L' ';
    text += sizeUnitName(unit);
    text += L")\r\n";
    return text;
}

const wchar_t* nameOf(const wchar_t* name) { return name ? name : L""; }

struct PrintFrame {
    DirNode* node;
    uint32_t nextDir;      // subdirectories are taken from the last one down: index + 1 of the next
    size_t prefixLength;   // the indentation of the node's contents
};

}  // namespace

DirNode::DirNode(const wchar_t* name) : mName(copyText(name)), mFiles(), mDirs(), mTotal(0) {}

DirNode::~DirNode() {
    // The arrays never run element destructors: end every element here.
    for (uint32_t i = 0; i < mFiles.mSize; ++i) delete[] mFiles.mpData[i].mName;
    for (uint32_t i = 0; i < mDirs.mSize; ++i) mDirs.mpData[i].~DirNode();
    delete[] mName;
}

// 4. After a node's entries, each subdirectory is scanned in turn with its name behind the node's path
// and its total is added to the node's total. The walk keeps its own stack, so that a deep tree does
// not cost the thread's stack.
void scanDirectory(DirNode& node, wchar_t* path, uint32_t pathCapacity) {
    if (!ZIN_CHECK(path != nullptr)) return;
    size_t rootLength = wcsnlen(path, pathCapacity);
    if (!ZIN_CHECK_MSG(rootLength < pathCapacity, "path terminated within its capacity")) return;

    scanEntries(node, path, static_cast<uint32_t>(rootLength), pathCapacity);
    CDynArray<ScanFrame> stack;
    if (!stack.push(ScanFrame{&node, static_cast<uint32_t>(rootLength), 0})) return;
    while (stack.mSize) {
        ScanFrame& top = stack.fromEnd(1);
        if (top.next < top.node->mDirs.mSize) {
            DirNode& child = top.node->mDirs.mpData[top.next++];
            uint32_t base = top.baseLength;
            size_t nameLength = wcslen(nameOf(child.mName));
            if (!ZIN_CHECK_MSG(base + 1 + nameLength < pathCapacity, "room for the subdirectory path")) continue;
            path[base] = L'\\';
            wmemcpy(path + base + 1, nameOf(child.mName), nameLength);
            uint32_t childLength = static_cast<uint32_t>(base + 1 + nameLength);
            path[childLength] = 0;
            // A link to a directory (junction, symbolic link) may lead back up the tree: keep its
            // node, but do not enter it.
            if (isReparsePoint(path)) {
                path[base] = 0;
                continue;
            }
            scanEntries(child, path, childLength, pathCapacity);
            stack.push(ScanFrame{&child, childLength, 0});  // top is not used past this point
        } else {
            DirNode* done = top.node;
            uint32_t base = top.baseLength;
            stack.removeLast(1);
            if (stack.mSize) stack.fromEnd(1).node->mTotal += done->mTotal;
            path[base] = 0;  // back to the parent's path
        }
    }
    path[rootLength] = 0;
}

uint32_t sizeUnit(double& size) {
    uint32_t unit = 0;
    while (size > 999.0 && unit < 4) {
        size /= 1024;
        ++unit;
    }
    return unit;
}

const wchar_t* sizeUnitName(uint32_t unit) {
    static const wchar_t* const names[] = {L"b", L"kb", L"MB", L"GB", L"TB"};
    return unit < 5 ? names[unit] : L"?";
}

// printTree:
// 1. The root line "[name\] (size unit)".
// 2. A depth-first walk with an explicit stack: in each directory the subdirectories are taken from
//    the last to the first, each printed and then walked; the directory's files follow after them.
// 3. A subdirectory line "prefix   +--name (size unit)"; its contents are indented by prefix + "   |".
//    The one printed last when the directory has no files uses "\--", and its contents are indented
//    by four blanks instead.
// 4. File lines "prefix   +-->name (size unit)", the last file "prefix   \-->name (size unit)".
void printTree(DirNode& root, std::wostream& out) {
    // 1. The root.
    out << L'[' << nameOf(root.mName) << L"\\]" << formatSize(root.mTotal);

    std::wstring prefix;
    CDynArray<PrintFrame> stack;
    if (!stack.push(PrintFrame{&root, root.mDirs.mSize, 0})) return;
    // 2. Depth first.
    while (stack.mSize) {
        PrintFrame& top = stack.fromEnd(1);
        DirNode* node = top.node;
        prefix.resize(top.prefixLength);
        if (top.nextDir > 0) {
            // 3. The next subdirectory, from the last one down.
            DirNode& child = node->mDirs.mpData[--top.nextDir];
            bool last = top.nextDir == 0 && node->mFiles.mSize == 0;
            out << prefix << (last ? L"   \\--" : L"   +--") << nameOf(child.mName) << formatSize(child.mTotal);
            prefix += last ? L"    " : L"   |";
            stack.push(PrintFrame{&child, child.mDirs.mSize, prefix.size()});  // top is not used past this point
        } else {
            // 4. The files, after every subdirectory.
            for (uint32_t i = 0; i < node->mFiles.mSize; ++i) {
                FileEntry& file = node->mFiles.mpData[i];
                bool last = i + 1 == node->mFiles.mSize;
                out << prefix << (last ? L"   \\-->" : L"   +-->") << nameOf(file.mName) << formatSize(file.mSize);
            }
            stack.removeLast(1);
        }
    }
}
