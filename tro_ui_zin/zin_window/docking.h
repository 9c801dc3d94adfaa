#pragma once
// Docking and snapping of skin windows. The script registers windows with the table `docking`;
// windows whose edges touch exactly are docked, a moved window drags the docked windows registered
// after it, and moved or sized edges snap to other windows and to the work area within a gap.
//
//   docking.set_snap_gap(n)     snap distance in pixels (negative: 0; 0 = nothing snaps)
//   docking.add_window(window)  registers a window (a second call for the same window is ignored)

#include "zin_window.h"

#include <cstdint>

// The flags of a move docking makes (a follower moved along, a window put beside its partner); a
// move with these flags is never itself a group move.
constexpr UINT SWP_DOCK_MOVE = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

// Where a later node lies seen from an earlier one; the same relation seen from the later node is
// the opposite flag (1 <-> 2, 4 <-> 8).
enum dock_flag : uint32_t {
    DOCK_NONE = 0,
    DOCK_LEFT = 1,   // the later window's right edge on this one's left edge
    DOCK_RIGHT = 2,
    DOCK_ABOVE = 4,
    DOCK_BELOW = 8,
};

// One registered window. flags[j - i - 1] is the relation of node i to the later node j, so each
// pair of nodes has one flag, kept by the earlier node.
struct dock_node {
    zin_window* window;
    CDynArray<uint32_t> flags;
};

extern CDynArray<dock_node> g_dock_nodes;
extern int32_t g_snap_gap;

// ---- Pure geometry ---------------------------------------------------------------------------------

// The relation of the window at r to the window at s, seen from s: 1 when r touches s's left edge, 2
// its right edge, 4 its top, 8 its bottom (spans must overlap), else 0.
uint32_t dock_contact(const rect& s, const rect& r);
uint32_t dock_opposite(uint32_t flag);
// Top-left corner that puts a window at s on side flag of the window at r (its other coordinate kept
// while the spans overlap, else aligned with r).
point dock_neighbour_pos(const rect& s, const rect& r, uint32_t flag);
// Snaps edge to target when moved shares a bit with bit and they lie closer than g_snap_gap: then
// false (snapped). True when it did not snap.
bool snap_edge(int32_t& edge, int32_t target, uint32_t moved, uint32_t bit);

// ---- The node list ---------------------------------------------------------------------------------

// The node of a window, or null (first match).
dock_node* dock_find(zin_window* w);
// Registers a window; false (nothing changed) when it has a node already or memory ran out.
bool dock_add_window(zin_window* w);
// Forgets every node (the skin unload).
void dock_clear();

// ---- Engine operations (each does nothing for a window without a node) -------------------------

void dock_attach(zin_window* w);
void dock_place_new(zin_window* w);
void dock_move_followers(zin_window* w);
void dock_copy_relations(zin_window* new_window, zin_window* old_window);
void dock_move_neighbour(zin_window* m, const dock_node& reference, uint32_t flag);
// One position change of w: snaps the record and, without an origin, moves w's followers.
void dock_move_group(zin_window* w, WINDOWPOS* pos, const dock_node* origin);

// Registers the script table `docking`.
void register_docking(lua_State* L);
