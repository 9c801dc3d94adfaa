#pragma once
// --screenshot: the part of the screen that this process's visible windows cover (or the whole
// screen), as the desktop shows it now, saved as a PNG file.
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace host {

// The screen's pixels (rows top to bottom, RGB). False when the screen cannot be read.
bool capture_screen(std::uint32_t& width, std::uint32_t& height, std::vector<std::uint8_t>& rgb);

// The same for a rectangle of the screen (clipped to the virtual screen).
bool capture_rect(RECT area, std::uint32_t& width, std::uint32_t& height, std::vector<std::uint8_t>& rgb);

// Captures the screen - only the bounding box of this process's visible top-level windows unless
// `full_screen` (or no such window is shown) - and writes it to `path` (replacing the file
// atomically). Logs what it did; false on failure.
bool save_screenshot(const std::wstring& path, bool full_screen);

}  // namespace host
