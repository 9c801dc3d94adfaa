// File, directory, shell-link and directory-tree helpers on a temporary folder.
#include <misc.h>

#include <gtest/gtest.h>

#include "report_capture.h"

#include <objbase.h>

#include <stdio.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::string narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += static_cast<char>(c);  // the test paths are ASCII
    return s;
}

void writeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
    CloseHandle(file);
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) removeTree(child);
            else DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

bool isDirectory(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A fresh folder under the temporary folder for each test.
class Files : public ::testing::Test {
protected:
    std::wstring root;
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
        root = temp;
        if (!root.empty() && root.back() == L'\\') root.pop_back();
        root += L"\\zin_common_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                std::to_wstring(::testing::UnitTest::GetInstance()->random_seed()) + L"_" +
                std::to_wstring(GetTickCount());
        removeTree(root);
        ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    }
    void TearDown() override { removeTree(root); }
};

// ---- readFile / readFileInto ----------------------------------------------------------------------

std::string pattern(size_t n) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

TEST_F(Files, ReadFileAppendsEveryByte) {
    for (size_t n : {0u, 1u, 1023u, 1024u, 1025u, 2048u, 5000u, 300000u}) {
        std::wstring path = root + L"\\data.bin";
        std::string bytes = pattern(n);
        writeFile(path, bytes);
        CDynArray<char> out;
        out.push('>');  // appended behind what is there
        ASSERT_TRUE(readFile(out, narrow(path).c_str())) << n;
        ASSERT_EQ(out.mSize, n + 1) << n;
        EXPECT_EQ(out[0], '>');
        EXPECT_EQ(std::string(out.mpData + 1, n), bytes) << n;
    }
}

TEST_F(Files, ReadFileFailures) {
    CDynArray<char> out;
    EXPECT_FALSE(readFile(out, narrow(root + L"\\missing.bin").c_str()));
    Reports reports;
    EXPECT_FALSE(readFile(out, nullptr));
    EXPECT_EQ(reports.count(), 1u);
    EXPECT_EQ(out.mSize, 0u);
}

TEST_F(Files, ReadFileIntoNeverWritesPastTheBuffer) {
    std::wstring path = root + L"\\data.bin";
    std::string bytes = pattern(3000);
    writeFile(path, bytes);

    std::vector<char> big(4000, '#');
    EXPECT_EQ(readFileInto(big.data(), 4000, narrow(path).c_str()), 3000u);
    EXPECT_EQ(std::string(big.data(), 3000), bytes);
    EXPECT_EQ(big[3000], '#');

    // Exactly the size of the file: no report.
    std::vector<char> exact(3000);
    Reports reports;
    EXPECT_EQ(readFileInto(exact.data(), 3000, narrow(path).c_str()), 3000u);
    EXPECT_EQ(reports.count(), 0u);

    // Too small: cut at the buffer's end and reported.
    for (uint32_t size : {0u, 1u, 1024u, 1500u, 2048u, 2999u}) {
        std::vector<char> small(size + 16, '#');
        EXPECT_EQ(readFileInto(small.data(), size, narrow(path).c_str()), size);
        EXPECT_EQ(std::string(small.data(), size), bytes.substr(0, size));
        for (uint32_t i = size; i < size + 16; ++i) ASSERT_EQ(small[i], '#') << size;
    }
    EXPECT_EQ(reports.count(), 6u);

    EXPECT_EQ(readFileInto(big.data(), 4000, narrow(root + L"\\missing.bin").c_str()), 0u);
    EXPECT_EQ(readFileInto(big.data(), 4000, nullptr), 0u);
    EXPECT_EQ(readFileInto(nullptr, 10, narrow(path).c_str()), 0u);
    EXPECT_EQ(reports.count(), 8u);
}

// ---- createDirectoryPath --------------------------------------------------------------------------

TEST_F(Files, CreateDirectoryPathCreatesEveryPrefix) {
    std::wstring path = root + L"\\a\\b\\c\\name.txt";
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.push_back(0);
    EXPECT_EQ(createDirectoryPath(buffer.data()), 0u);
    EXPECT_EQ(std::wstring(buffer.data()), path);  // the backslashes are put back
    EXPECT_TRUE(isDirectory(root + L"\\a\\b\\c"));
    EXPECT_FALSE(isDirectory(root + L"\\a\\b\\c\\name.txt"));  // the part after the last one is not created
    // Everything there already: 0 again.
    EXPECT_EQ(createDirectoryPath(buffer.data()), 0u);
    // A trailing backslash creates the last directory too.
    std::wstring withSlash = root + L"\\x\\y\\";
    std::vector<wchar_t> second(withSlash.begin(), withSlash.end());
    second.push_back(0);
    EXPECT_EQ(createDirectoryPath(second.data()), 0u);
    EXPECT_TRUE(isDirectory(root + L"\\x\\y"));
}

TEST_F(Files, CreateDirectoryPathStopsAtTheFirstFailure) {
    writeFile(root + L"\\file", "x");
    std::wstring path = root + L"\\file\\sub\\name";
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.push_back(0);
    uint32_t error = createDirectoryPath(buffer.data());
    EXPECT_NE(error, 0u);
    EXPECT_FALSE(isDirectory(root + L"\\file\\sub"));
    EXPECT_EQ(std::wstring(buffer.data()), path);
}

TEST_F(Files, CreateDirectoryPathChecks) {
    Reports reports;
    EXPECT_EQ(createDirectoryPath(nullptr), static_cast<uint32_t>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(reports.count(), 1u);
    std::wstring path = root + L"\\p/q\\r";
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.push_back(0);
    createDirectoryPath(buffer.data());
    EXPECT_EQ(reports.count(), 2u);
    EXPECT_EQ(std::wstring(buffer.data()), path);
}

// ---- createShellLink ------------------------------------------------------------------------------

TEST_F(Files, CreateShellLinkWritesALink) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    std::wstring target = root + L"\\target.txt";
    writeFile(target, "target");
    std::wstring link = root + L"\\target.lnk";
    HRESULT hr = createShellLink(link.c_str(), target.c_str());
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    DWORD attributes = GetFileAttributesW(link.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    CDynArray<char> bytes;
    ASSERT_TRUE(readFile(bytes, narrow(link).c_str()));
    ASSERT_GE(bytes.mSize, 4u);
    EXPECT_EQ(bytes[0], 0x4C);  // a shell link file starts with its header size, 0x4C
    CoUninitialize();
}

TEST_F(Files, CreateShellLinkChecks) {
    Reports reports;
    EXPECT_EQ(createShellLink(nullptr, L"x"), E_INVALIDARG);
    EXPECT_EQ(createShellLink(L"x", nullptr), E_INVALIDARG);
    EXPECT_EQ(reports.count(), 2u);
    // Without COM initialised the creation fails and the failure comes back.
    std::wstring link = root + L"\\none.lnk";
    EXPECT_TRUE(FAILED(createShellLink(link.c_str(), L"C:\\windows")));
}

// ---- Directory-size tree --------------------------------------------------------------------------

// root
//   alpha/        a1 (2000 bytes), a2 (10)
//     deep/       d1 (5)
//   beta/         (empty)
//   .hidden/      skipped
//   top.txt       100 bytes
//   .dotfile      skipped
void makeTree(const std::wstring& root) {
    CreateDirectoryW((root + L"\\alpha").c_str(), nullptr);
    CreateDirectoryW((root + L"\\alpha\\deep").c_str(), nullptr);
    CreateDirectoryW((root + L"\\beta").c_str(), nullptr);
    CreateDirectoryW((root + L"\\.hidden").c_str(), nullptr);
    writeFile(root + L"\\alpha\\a1", std::string(2000, 'a'));
    writeFile(root + L"\\alpha\\a2", std::string(10, 'a'));
    writeFile(root + L"\\alpha\\deep\\d1", std::string(5, 'd'));
    writeFile(root + L"\\top.txt", std::string(100, 't'));
    writeFile(root + L"\\.dotfile", std::string(999, '.'));
    writeFile(root + L"\\.hidden\\h", std::string(999, 'h'));
}

const DirNode* dirNamed(const DirNode& node, const wchar_t* name) {
    for (uint32_t i = 0; i < node.mDirs.mSize; ++i)
        if (wcscmp(node.mDirs[i].mName, name) == 0) return &node.mDirs[i];
    return nullptr;
}

const FileEntry* fileNamed(const DirNode& node, const wchar_t* name) {
    for (uint32_t i = 0; i < node.mFiles.mSize; ++i)
        if (wcscmp(node.mFiles[i].mName, name) == 0) return &node.mFiles[i];
    return nullptr;
}

TEST_F(Files, DirNodeConstruction) {
    DirNode named(L"name");
    EXPECT_STREQ(named.mName, L"name");
    EXPECT_EQ(named.mFiles.mSize, 0u);
    EXPECT_EQ(named.mDirs.mSize, 0u);
    EXPECT_EQ(named.mTotal, 0.0);
    DirNode unnamed(nullptr);
    EXPECT_EQ(unnamed.mName, nullptr);
}

TEST_F(Files, ScanDirectoryBuildsTheTreeWithSizes) {
    makeTree(root);
    std::vector<wchar_t> path(MAX_PATH * 2, 0);
    wcscpy(path.data(), root.c_str());
    DirNode node(L"root");
    scanDirectory(node, path.data(), static_cast<uint32_t>(path.size()));
    EXPECT_EQ(std::wstring(path.data()), root);  // the path holds its own text again

    EXPECT_EQ(node.mDirs.mSize, 2u);
    EXPECT_EQ(node.mFiles.mSize, 1u);
    const FileEntry* top = fileNamed(node, L"top.txt");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->mSize, 100.0);
    EXPECT_FALSE(top->mAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(top->mLastWrite.dwLowDateTime != 0 || top->mLastWrite.dwHighDateTime != 0);
    const DirNode* alpha = dirNamed(node, L"alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->mFiles.mSize, 2u);
    ASSERT_EQ(alpha->mDirs.mSize, 1u);
    EXPECT_EQ(alpha->mDirs[0].mTotal, 5.0);
    EXPECT_EQ(alpha->mTotal, 2015.0);
    const DirNode* beta = dirNamed(node, L"beta");
    ASSERT_NE(beta, nullptr);
    EXPECT_EQ(beta->mTotal, 0.0);
    EXPECT_EQ(dirNamed(node, L".hidden"), nullptr);
    EXPECT_EQ(fileNamed(node, L".dotfile"), nullptr);
    EXPECT_EQ(node.mTotal, 2115.0);
}

TEST_F(Files, ScanDirectoryNeverWritesPastThePath) {
    makeTree(root);
    Reports reports;
    // Room for the root's own "\*" but not for any subdirectory's path.
    std::vector<wchar_t> path(root.size() + 3 + 16, L'#');
    wcscpy(path.data(), root.c_str());
    DirNode node(L"root");
    scanDirectory(node, path.data(), static_cast<uint32_t>(root.size() + 3));
    EXPECT_EQ(std::wstring(path.data()), root);
    for (size_t i = root.size() + 3; i < path.size(); ++i) ASSERT_EQ(path[i], L'#');
    EXPECT_EQ(node.mDirs.mSize, 2u);
    EXPECT_EQ(node.mTotal, 100.0);  // the subdirectories could not be scanned
    EXPECT_GE(reports.count(), 2u);

    // No room for "\*": nothing scanned, reported.
    DirNode none(L"none");
    scanDirectory(none, path.data(), static_cast<uint32_t>(root.size() + 2));
    EXPECT_EQ(none.mDirs.mSize, 0u);
    // A path with no terminator within its capacity.
    DirNode bad(L"bad");
    size_t before = reports.count();
    scanDirectory(bad, path.data(), 4);
    EXPECT_EQ(reports.count(), before + 1);
}

TEST_F(Files, ScanDirectoryDoesNotEnterDirectoryLinks) {
    makeTree(root);
    // A link from inside the tree back to its root: entering it would walk round for ever.
    std::wstring link = root + L"\\loop";
    if (!CreateSymbolicLinkW(link.c_str(), root.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "directory links cannot be made here";
    struct RemoveLink {
        std::wstring path;
        ~RemoveLink() {
            if (!RemoveDirectoryW(path.c_str())) DeleteFileW(path.c_str());
        }
    } removeLink{link};
    DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "links are not reported as reparse points here";

    std::vector<wchar_t> path(MAX_PATH * 4, 0);
    wcscpy(path.data(), root.c_str());
    DirNode node(L"root");
    scanDirectory(node, path.data(), static_cast<uint32_t>(path.size()));
    const DirNode* loop = dirNamed(node, L"loop");
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->mDirs.mSize + loop->mFiles.mSize, 0u);
    EXPECT_EQ(node.mTotal, 2115.0);
}

TEST_F(Files, ScanDirectoryOfAMissingFolderIsEmpty) {
    std::wstring missing = root + L"\\missing";
    std::vector<wchar_t> path(MAX_PATH, 0);
    wcscpy(path.data(), missing.c_str());
    DirNode node(L"missing");
    node.mTotal = 5;
    scanDirectory(node, path.data(), MAX_PATH);
    EXPECT_EQ(node.mTotal, 0.0);
    EXPECT_EQ(node.mDirs.mSize + node.mFiles.mSize, 0u);
}

// Builds a tree by hand so that the order of entries is known.
DirNode* addDir(DirNode& parent, const wchar_t* name, double total) {
    DirNode* d = parent.mDirs.pushNew();
    new (d) DirNode(name);
    d->mTotal = total;
    return d;
}

void addFile(DirNode& parent, const wchar_t* name, double size) {
    FileEntry* f = parent.mFiles.pushNew();
    f->mName = new wchar_t[wcslen(name) + 1];
    wcscpy(f->mName, name);
    f->mSize = size;
    f->mAttributes = 0;
    f->mLastWrite = FILETIME{0, 0};
}

TEST(PrintTree, LinesAndIndentation) {
    DirNode root(L"C:\\music");
    root.mTotal = 3 * 1024 * 1024;
    DirNode* first = addDir(root, L"first", 2048);
    addFile(*first, L"f1.mp3", 1024);
    addFile(*first, L"f2.mp3", 1024);
    DirNode* second = addDir(root, L"second", 0);
    DirNode* inner = addDir(*second, L"inner", 10);
    addFile(*inner, L"i.txt", 10);
    addFile(root, L"cover.jpg", 500);

    std::wostringstream out;
    printTree(root, out);
    EXPECT_EQ(out.str(),
              L"[C:\\music\\] (3 MB)\r\n"
              L"   +--second (0 b)\r\n"
              L"   |   \\--inner (10 b)\r\n"
              L"   |       \\-->i.txt (10 b)\r\n"
              L"   +--first (2 kb)\r\n"
              L"   |   +-->f1.mp3 (1 kb)\r\n"
              L"   |   \\-->f2.mp3 (1 kb)\r\n"
              L"   \\-->cover.jpg (500 b)\r\n");
    // The scaled sizes stay in the nodes.
    EXPECT_EQ(root.mTotal, 3.0);
    EXPECT_EQ(root.mDirs[0].mTotal, 2.0);  // "first" (pointers into mDirs moved as it grew)
}

TEST(PrintTree, LastSubdirectoryWithoutFilesIndentsByBlanks) {
    DirNode root(L"r");
    DirNode* a = addDir(root, L"a", 1);
    addDir(*a, L"a1", 1);  // before "b": adding "b" may move "a"
    DirNode* b = addDir(root, L"b", 1536);
    addFile(*b, L"b.bin", 1536);
    std::wostringstream out;
    printTree(root, out);
    EXPECT_EQ(out.str(),
              L"[r\\] (0 b)\r\n"
              L"   +--b (1.5 kb)\r\n"
              L"   |   \\-->b.bin (1.5 kb)\r\n"
              L"   \\--a (1 b)\r\n"
              L"       \\--a1 (1 b)\r\n");
}

TEST(PrintTree, EmptyRootAndUnnamedRoot) {
    DirNode root(nullptr);
    std::wostringstream out;
    printTree(root, out);
    EXPECT_EQ(out.str(), L"[\\] (0 b)\r\n");
}

TEST_F(Files, ScannedTreePrints) {
    makeTree(root);
    std::vector<wchar_t> path(MAX_PATH * 2, 0);
    wcscpy(path.data(), root.c_str());
    DirNode node(L"root");
    scanDirectory(node, path.data(), static_cast<uint32_t>(path.size()));
    std::wostringstream out;
    printTree(node, out);
    std::wstring text = out.str();
    const std::wstring first = L"[root\\] (2.07 kb)\r\n";
    EXPECT_EQ(text.compare(0, first.size(), first), 0) << narrow(text);
    EXPECT_NE(text.find(L"+-->a1 (1.95 kb)"), std::wstring::npos) << narrow(text);
    EXPECT_NE(text.find(L"\\-->top.txt (100 b)"), std::wstring::npos) << narrow(text);
}

}  // namespace
