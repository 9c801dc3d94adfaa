// Files dropped on a skin window.
//
//   1. The add-file option at the drop point (the point the drop itself carries): that of the first
//      playlist view there, else the window's.
//   2. Option 0: nothing more.
//   3. The number of files.
//   4. Each path, whole however long, as UTF-8, into the list of locations; empty names are no
//      files.
//   5. Options 1 and 2: the active playlist is emptied.
//   6. The locations are appended to the active playlist through the host's location filter,
//      selected, with the window as the parent of anything the host shows.
//   7. - 8. The texts and the drop handle are released (on every path out).
//   9. Option 2: playback starts.

#include "drop_files.h"

#include <zin_classes/playlist.h>

#include <trovaplay/sdk/location_filter.h>
#include <trovaplay/sdk/play_control.h>
#include <zut/string_conv.h>

#include <string>
#include <vector>

namespace {

// Releases the drop handle when the drop is done, however it ends.
struct drop_finish {
    HDROP drop;
    ~drop_finish() { DragFinish(drop); }
};

}  // namespace

int32_t drop_add_file_option(const zin_window& w, const point& at) {
    const playlist* view = find_view_at(&w, at);
    return view ? view->mAddFileOption : w.mAddFileOption;
}

void drop_files(zin_window* w, HDROP drop, HWND hwnd) {
    if (!drop) return;
    int32_t option;
    {
        const drop_finish finish{drop};
        // 1. Not the last mouse position: a drop comes without any mouse message before it.
        POINT at{0, 0};
        DragQueryPoint(drop, &at);
        option = drop_add_file_option(*w, point(at.x, at.y));
        // 2.
        if (option == 0) return;
        // 3.
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        // 4. The list points into the texts, which live until the end of this block.
        std::vector<std::string> texts;
        texts.reserve(count);
        std::vector<wchar_t> buffer;
        for (UINT i = 0; i < count; ++i) {
            const UINT length = DragQueryFileW(drop, i, nullptr, 0);
            if (length == 0) continue;  // no name (some systems count one in an empty list)
            buffer.assign(length + 1, L'\0');
            DragQueryFileW(drop, i, buffer.data(), length + 1);
            texts.emplace_back(zut::utf8_from_wide(buffer.data()).get_ptr());
        }
        zut::ptr_list_t<const char> locations;
        for (const std::string& text : texts) locations.add_item(text.c_str());
        if (g_pl_oper) {
            // 5.
            if (option == 1 || option == 2) g_pl_oper->activeplaylist_remove_items(bit_array_true());
            // 6.
            g_pl_oper->activeplaylist_add_locations(locations, true, hwnd);
        }
    }  // 7. - 8.
    // 9.
    if (option == 2 && g_play_control)
        play_control_start(*g_play_control, play_control::track_command_play, false);
}
