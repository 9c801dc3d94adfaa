#pragma once
// Files dropped on a skin window: added to the host's active playlist as the window's (or the
// playlist view's under the drop point) add-file option says.
//
//   option 0      nothing is added
//   option 1      the active playlist is emptied, then the files are appended
//   option 2      as 1, then playback starts
//   options 3-5   the files are appended

#include "zin_window.h"

// The add-file option for a drop at a client position of the window.
int32_t drop_add_file_option(const zin_window& w, const point& at);

// WM_DROPFILES of the window's native window hwnd; the drop handle is always released.
void drop_files(zin_window* w, HDROP drop, HWND hwnd);
