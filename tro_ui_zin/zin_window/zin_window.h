#pragma once
// Skin windows: the record `zin_window` behind the script class "window", the three window lists,
// the window procedure, mouse dispatch and the repaint through the one shared back buffer.

#include <windows.h>
#include <shellapi.h>

#include <array.h>
#include <bitmap.h>

#include <lua_class/lua_class.h>
#include <zin_classes/base.h>
#include <zin_classes/base_class.h>
#include <zin_classes/values.h>

#include <tro_ui_zin.h>  // the start-up's globals used here: g_host_hook, g_quitting

#include <cstdint>

class zin_window;

// ---- Records -----------------------------------------------------------------------------------

// Docking bit mask: bit y * width + x lives in byte i / 8 at bit i % 8.
struct bitfield {
    uint8_t* bits;
    uint32_t width;
    uint32_t height;
};

// A region the mouse is inside at present.
struct hover_entry {
    rect* r;                // region (inside a script rect or a part)
    class_base* part;       // the part that filed it, or null for a script region
    lua_callback leave;     // leave callback (a part's only counts as set)
};

// A script callback for a mouse event inside a region.
struct region_callback {
    rect* r;
    lua_callback callback;
};

// A part that the script made active, with the reference that keeps it alive while it is listed.
struct active_ref {
    class_base* part;
    int slot;
};

// An open window and its native window; found by handle.
struct window_handle_record {
    zin_window* window;
    HWND handle;
};
template <>
struct CDynArrayEqual<window_handle_record> {
    static bool equal(const window_handle_record& a, const window_handle_record& b) {
        return a.handle == b.handle;
    }
};

// ---- The window --------------------------------------------------------------------------------

class zin_window {
public:
    // Window callbacks, in the order of the callback-name table.
    enum window_callback {
        on_size, on_size_end, on_show, on_hide, on_close, on_activate, on_deactivate,
        on_wheel_down, on_wheel_up, window_callback_count
    };
    // Region callbacks per mouse event, in the order of the callback-name table.
    enum part_callback {
        l_down, l_up, l_dbl, r_down, r_up, r_dbl, m_down, m_up, m_dbl, hover_enter, hover_leave,
        part_callback_count
    };

    int32_t mAddFileOption;
    bitfield mDockBits;
    CDynArray<class_base*> mParts;
    rect mRect;
    CDynArray<hover_entry> mHover;
    CDynArray<class_base*> mActive;
    HWND mWnd;
    HDC mDC;
    int32_t mResizeMode;
    int32_t mMinWidth;
    int32_t mMinHeight;
    CDynArray<int32_t*> mAnchorsX;
    CDynArray<int32_t*> mAnchorsY;
    CDynArray<class_base*> mAnchoredParts;
    CDynArray<int> mRefs;
    int mSelfRef;
    char* mName;
    CDynArray<base_class*> mScriptParts;
    CDynArray<class_base*> mViews;
    lua_callback mCallbacks[window_callback_count];
    CDynArray<region_callback> mPartCallbacks[part_callback_count];
    CDynArray<active_ref> mActiveRefs;  // references of the parts the script made active

    // window.new (name, min_width, min_height, rect [, resize_mode]); the arguments from index 1.
    explicit zin_window(lua_State* L);
    ~zin_window();
    zin_window(const zin_window&) = delete;
    zin_window& operator=(const zin_window&) = delete;

    void create_native();
    void attach_hwnd();
    void load();
    // What may be asked of a window while it unloads, or while a switch hands it its native window:
    // the request is noted, and the code that unloads it (or the switch, once the hand-over is done)
    // reads the notes and carries them out.
    enum leave_request : uint8_t { leave_none = 0, leave_close = 1, leave_hide = 2 };
    // Unloads the window (once, however many requests come meanwhile); answers the requests
    // (leave_request bits) that came while it ran.
    uint8_t unload();
    bool is_unloading() const { return mUnloading; }
    // A switch is handing it a native window whose record still names the window switched from.
    bool is_taking_over() const { return mTakingOver; }
    void ask_to_leave(leave_request request) { mLeaveAsked = static_cast<uint8_t>(mLeaveAsked | request); }
    // Whether the window holds the native window hwnd: its mWnd and the record of that handle.
    bool owns(HWND hwnd) const;
    // Open: it holds a native window.
    bool is_open() const { return owns(mWnd); }
    void add_part(class_base* part, const char* class_name);
    bool is_anchored(rect& r);
    bool add_anchor(rect& r);
    void relayout(int32_t old_width, int32_t old_height);
    HWND get_hwnd() const { return mWnd; }
    void redraw_rect(const rect& r);

    // Active parts: offered every mouse message even outside their rect. Parts add and remove
    // themselves (buttons while pressed, sliders while sliding).
    void add_active(class_base* part);
    void remove_active(class_base* part);
    // Hands the native window over to other (the script's switch_to).
    void switch_to(zin_window* other);
    void call_callback(window_callback which);

    int32_t width() const { return mRect.right - mRect.left; }
    int32_t height() const { return mRect.bottom - mRect.top; }

    // Binding of the script class "window".
    static const char* get_name() { return "window"; }
    static lua_class::method_table get_methods();
    static void register_script_class(lua_State* L);

private:
    bool mUnloading = false;
    bool mTakingOver = false;
    uint8_t mLeaveAsked = leave_none;

    // After a step of create_native that can run callbacks: whether the window still holds the
    // native window hwnd it made. When a callback switched it to another window, that one is shown.
    bool kept_while_creating(HWND hwnd);
    void show_script_parts_and_size();
    void hide_script_parts();
    void release_active_refs();
};

// The callback names, matched without regard to case: index of name in the list, or -1.
int find_window_callback(const char* name);
int find_part_callback(const char* name);

// ---- Window lists ------------------------------------------------------------------------------
extern CDynArray<zin_window*> g_windows;
extern CDynArray<zin_window*> g_pending_windows;
extern CDynArray<window_handle_record> g_window_handles;

// Queues a window for the next create_queued_windows (never twice).
void queue_window(zin_window* w);
void create_queued_windows();
void destroy_all_windows();
void remove_window(zin_window* w);
// Every record of the native window hwnd goes, and w lets it go when it still holds it (a callback
// may have closed it and opened it anew); with unqueue w also leaves the pending list: it stays
// closed.
void release_handle(HWND hwnd, zin_window* w, bool unqueue = false);
// The open window whose native window is hwnd, or null.
zin_window* find_window(HWND hwnd);
// Windows whose close or destruction is under way, each on the native window it holds, marked by a
// handle_mark for as long as it lives (on the stack of the code that closes or destroys the window;
// they nest). A mark names the window as well as the handle: a switch may hand the native window to
// another window meanwhile, whose own requests are its own.
// - closing: from the start of a WM_CLOSE (before OnClose) to its end. A close of the same window
//   asked for meanwhile is part of that close, and the host's hide meanwhile does not queue it.
// - destroying: a minimise or the host's hide destroys it. It keeps its record while DestroyWindow
//   runs, so what it sends then (WM_ACTIVATE with WA_INACTIVE when it was the active one) still
//   reaches the script; it is unloaded already and on its way out, so nothing unloads, destroys,
//   paints or hands it over again meanwhile.
enum class handle_state { closing, destroying };
bool handle_marked(HWND hwnd, const zin_window* w, handle_state state);
class handle_mark {
public:
    handle_mark(HWND hwnd, const zin_window* w, handle_state state);
    ~handle_mark();
    handle_mark(const handle_mark&) = delete;
    handle_mark& operator=(const handle_mark&) = delete;

private:
    friend bool handle_marked(HWND, const zin_window*, handle_state);
    HWND m_hwnd;
    const zin_window* m_window;
    handle_state m_state;
    const handle_mark* m_outer;
};
// A window that holds hwnd and is unloaded leaves it as the host's hide has it: queued (unless
// closed is set: then it stays closed), minimised by the system, its record gone, destroyed.
void leave_hidden(zin_window* w, HWND hwnd, bool closed);
// The script's minimise: posted to the native window w holds, the request numbered in lparam.
void post_minimise(zin_window* w);
// For a minimise (SC_MINIMIZE, lparam) that hwnd receives while w holds it: whether it is w's. One
// the script posted for a window that has left hwnd since (a switch handed it over) is not, and is
// dropped; any other minimise is for the window that holds hwnd.
bool minimise_is_for(const zin_window* w, HWND hwnd, LPARAM lparam);
// Empties the three lists (the skin unload; the windows themselves die with the script state).
void clear_window_lists();

// ---- Window procedure and mouse ------------------------------------------------------------------
LRESULT CALLBACK zin_window_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// g_mouse_pos (zin_classes/values.h) is defined with the mouse dispatch.
void mouse_dispatch(zin_window* w, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// ---- Repaint and compositing ---------------------------------------------------------------------
extern CBitmapDC g_back_buffer;
extern CBitmapDC g_scratch_bitmap;
extern CRITICAL_SECTION g_paint_lock;
extern BLENDFUNCTION g_blend_function;
extern const DWORD g_raster_ops[18];
constexpr COLORREF ZIN_BACKGROUND_COLOR = 0x00FF0000;

void composite_part(class_base* part, const rect& clip);
BLENDFUNCTION make_blend_function(uint8_t alpha, bool per_pixel);
void init_paint_lock();
void delete_paint_lock();
void paint_lock_enter();
void paint_lock_leave();

// ---- Points where later subsystems join in (they do nothing yet) ---------------------------------
namespace window_hooks {
// Saved state of a window of this name in the current configuration section.
bool saved_window_rect(const char* name, rect* out);
// Docking.
void dock_place_new(zin_window* w);
void dock_attach(zin_window* w);
bool dock_has_node(zin_window* w);
void dock_move_group(zin_window* w, WINDOWPOS* pos);
void dock_copy_relations(zin_window* from, zin_window* to);
void dock_move_followers(zin_window* w);
// Files dropped on a window.
void drop_files(zin_window* w, HDROP drop);
// Keyboard shortcuts and the playlist keys; true when the key was used.
bool handle_key(zin_window* w, WPARAM key);
// Playlist views of a window gaining and losing the native window.
void views_load(zin_window* w);
void views_unload(zin_window* w);
// The host's context menu of the active playlist's selection, over a window (a right click in a
// playlist view).
void playlist_context_menu(HWND window);
// Script-defined parts: filed in a window.
void script_part_added(zin_window* w, base_class* part);
// The registered "TaskbarCreated" message (0 while there is none) and its handler.
UINT taskbar_created_message();
void taskbar_created();
}  // namespace window_hooks
