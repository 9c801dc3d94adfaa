#pragma once
// --screenshot: the whole screen, as the desktop shows it now, saved as a PNG file.
#include <cstdint>
#include <string>
#include <vector>

namespace host {

// The screen's pixels (rows top to bottom, RGB). False when the screen cannot be read.
bool capture_screen(std::uint32_t& width, std::uint32_t& height, std::vector<std::uint8_t>& rgb);

// Captures the screen and writes it to `path` (replacing the file atomically). Logs what it did;
// false on failure.
bool save_screenshot(const std::wstring& path);

}  // namespace host
