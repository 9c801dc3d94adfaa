#pragma once
// Files of the tests that run trovaplay.exe: fresh work folders, whole files written and read back,
// and the paths of the programs and source files the tests use.

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// UTF-16 to UTF-8.
std::string narrow(const std::wstring& text);

// A fresh, empty folder under the temporary folder, named after the test and this process.
std::wstring temp_folder(const std::wstring& name);
// Removes a folder and everything in it.
void remove_folder(const std::wstring& dir);

// The whole file; empty when it cannot be read. The file may still be open for writing.
std::string read_file(const std::wstring& path);
std::vector<std::uint8_t> read_bytes(const std::wstring& path);

// Writes the file anew; false when it cannot be written.
bool write_file(const std::wstring& path, const std::string& text);

// A file in the folder of this test program (where trovaplay.exe and the DLLs are built).
std::wstring beside_this_program(const std::wstring& name);

// A file of the source tree (path relative to its top, with '/'), as a Windows path.
std::wstring source_file(const char* relative);

bool has(const std::string& text, const std::string& what);

// The last `max` bytes of a text (for failure messages about long logs).
std::string tail(const std::string& text, size_t max = 6000);

// The host's log text without the time of day at the start of each line ("13:05:42.117 ").
std::string untimed(const std::string& log);

// The lines of text that contain what.
std::vector<std::string> lines_containing(const std::string& text, const std::string& what);

}  // namespace test_support
