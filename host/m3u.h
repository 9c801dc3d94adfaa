#pragma once
// Playlists in the M3U format, plain or extended:
//   #EXTM3U                       (optional first line)
//   #EXTINF:<seconds>,<title>     tells about the entry on the next path line
//   <path or address>             one entry; a relative path is taken from the playlist's folder
// Other lines that begin with '#' are comments; blank lines are skipped. The text is UTF-8 (a
// leading byte-order mark is skipped); a file that is not valid UTF-8 is read in the system code
// page instead. Lines that cannot be used are skipped with a warning, never guessed at.
#include <string>
#include <vector>

namespace host {

struct m3u_entry {
    std::string path;    // UTF-8
    bool has_info = false;
    double length = 0;   // seconds from #EXTINF; 0 when unknown (also for -1)
    std::string title;   // from #EXTINF, may be empty
};

struct m3u_result {
    std::vector<m3u_entry> entries;
    std::vector<std::string> warnings;  // "line N: what was wrong"
};

// Parses playlist text. `base_folder` (UTF-8, no trailing separator; may be empty) resolves
// relative paths.
m3u_result parse_m3u(const std::string& text, const std::string& base_folder);

// Reads and parses a playlist file. False with a reason in `error` when the file cannot be read.
bool load_m3u(const std::wstring& file, m3u_result& out, std::string& error);

// True for names that end in ".m3u" or ".m3u8" (any case).
bool is_m3u_name(const std::wstring& file);

}  // namespace host
