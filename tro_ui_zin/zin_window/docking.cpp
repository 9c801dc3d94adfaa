// Docking and snapping of the registered skin windows.
//
// Contact (dock_attach): the relation of a window to every other open registered window is
// recomputed from exact edge contacts and stored by the earlier node of each pair.
//
// Group move (dock_move_group), for one WM_WINDOWPOSCHANGING of a window W (record P):
//   1. The new rect N from P (a record without a size keeps W's size); S = W's rect.
//   2. The moved edges; nothing moved: nothing to do. Both edges of a direction: a move (15).
//   3. h and v: the directions still free to snap.
//   4. Snap against the other open windows (not W, not the origin, not W's followers).
//   5. Snap against the work area.
//   6. The offsets dx, dy of the group.
//   7. A move whose directions are still free: a follower that snaps moves the whole group. Every
//      follower is tried along every path that leads to it, each time from its own leader.
//   8. Write the result back into P.
//   9. Only for the window that really moves: its rect, then its followers move along.
// A call with an origin (a follower tried in step 7) only computes: it changes nothing but P.

#include "docking.h"

#include <lua_class/lua_compat.h>

#include <new>
#include <unordered_map>

CDynArray<dock_node> g_dock_nodes;
int32_t g_snap_gap = 0;

namespace {

constexpr uint32_t NO_NODE = ~0u;
constexpr uint32_t MOVED_ALL = 15;
// The flags of the moves docking makes itself: the window procedure starts no group move for them.

bool is_open(const zin_window* w) { return w->mWnd != nullptr; }

// What the trials of one group move found. A trial only computes, and what it computes depends on
// nothing but the follower, its leader and the trial position (the rects and relations stay as they
// are until the move is written back): in a grid, where every window is reached along every path
// through its neighbours, each distinct trial is computed once instead of once per path.
struct trial_key {
    uint32_t follower, origin;
    int32_t x, y;
    bool operator==(const trial_key& k) const {
        return follower == k.follower && origin == k.origin && x == k.x && y == k.y;
    }
};
struct trial_key_hash {
    size_t operator()(const trial_key& k) const {
        uint64_t h = (uint64_t(k.follower) << 32 | k.origin) * 0x9E3779B97F4A7C15ull;
        h ^= (uint64_t(uint32_t(k.x)) << 32 | uint32_t(k.y)) + (h << 6) + (h >> 2);
        return size_t(h ^ (h >> 32));
    }
};
std::unordered_map<trial_key, POINT, trial_key_hash> g_trials;

uint32_t node_index(const zin_window* w) {
    for (uint32_t i = 0; i < g_dock_nodes.getSize(); ++i)
        if (g_dock_nodes[i].window == w) return i;
    return NO_NODE;
}

// The flag node i keeps for the later node j.
uint32_t& flag_of(uint32_t i, uint32_t j) { return g_dock_nodes[i].flags[j - i - 1]; }

bool spans_overlap(int32_t a_low, int32_t a_high, int32_t b_low, int32_t b_high) {
    return a_low < b_high && a_high > b_low;
}

// edge a snapped to target a, else edge b to target b: false when one of them snapped.
bool snap_either(rect& n, int32_t rect::*a, int32_t target_a, uint32_t bit_a, int32_t rect::*b,
                 int32_t target_b, uint32_t moved) {
    return snap_edge(n.*a, target_a, moved, bit_a) && snap_edge(n.*b, target_b, moved, bit_a << 1);
}

void group_move(zin_window* w, WINDOWPOS* p, uint32_t origin) {
    // 1.
    const rect s = w->mRect;
    const bool keeps_size = (p->flags & SWP_NOSIZE) != 0;
    rect n(p->x, p->y, add_clamped(p->x, keeps_size ? s.width() : p->cx),
           add_clamped(p->y, keeps_size ? s.height() : p->cy));
    // 2.
    uint32_t moved = (n.left != s.left ? 1u : 0u) | (n.right != s.right ? 2u : 0u) |
                     (n.top != s.top ? 4u : 0u) | (n.bottom != s.bottom ? 8u : 0u);
    if (moved == 0) return;
    if (moved == 3 || moved == 12) moved = MOVED_ALL;
    const bool is_move = moved == MOVED_ALL;
    // 3.
    bool h = (moved & 3) != 0;
    bool v = (moved & 12) != 0;
    // 4. A window never snaps to its own old place: its node is only marked.
    uint32_t own = NO_NODE;
    for (uint32_t i = 0; i < g_dock_nodes.getSize(); ++i) {
        if (own != NO_NODE && !h && !v) break;
        const zin_window* other = g_dock_nodes[i].window;
        if (other == w && own == NO_NODE) {
            own = i;
            continue;
        }
        if (i == origin || !is_open(other)) continue;
        if (own != NO_NODE && flag_of(own, i) != DOCK_NONE) continue;  // follows w
        const rect& r = other->mRect;
        // 4a. Beside the other window, then aligned with it.
        if (h && spans_overlap(n.top, n.bottom, r.top, r.bottom)) {
            h = snap_either(n, &rect::left, r.right, 1, &rect::right, r.left, moved);
            if (!h && v) v = snap_either(n, &rect::top, r.top, 4, &rect::bottom, r.bottom, moved);
        }
        // 4b. Above or below it, then aligned with it.
        if (v && spans_overlap(n.left, n.right, r.left, r.right)) {
            v = snap_either(n, &rect::top, r.bottom, 4, &rect::bottom, r.top, moved);
            if (!v && h) h = snap_either(n, &rect::left, r.left, 1, &rect::right, r.right, moved);
        }
    }
    // 5.
    if (h || v) {
        RECT area{0, 0, 0, 0};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        if (h) h = snap_either(n, &rect::left, area.left, 1, &rect::right, area.right, moved);
        if (v) v = snap_either(n, &rect::top, area.top, 4, &rect::bottom, area.bottom, moved);
    }
    // 6. The far edge gives the offset unless the near edge snapped.
    int32_t dx = clamp_to_int32(n.left == p->x ? int64_t(n.right) - s.right : int64_t(n.left) - s.left);
    int32_t dy = clamp_to_int32(n.top == p->y ? int64_t(n.bottom) - s.bottom : int64_t(n.top) - s.top);
    // 7.
    if (is_move && (h || v) && own != NO_NODE) {
        for (uint32_t j = own + 1; j < g_dock_nodes.getSize() && (h || v); ++j) {
            if (flag_of(own, j) == DOCK_NONE) continue;
            zin_window* follower = g_dock_nodes[j].window;
            if (!is_open(follower)) continue;
            const rect& f = follower->mRect;
            WINDOWPOS trial{};
            trial.x = add_clamped(f.left, dx);
            trial.y = add_clamped(f.top, dy);
            trial.cx = f.width();
            trial.cy = f.height();
            const int32_t x = trial.x;
            const int32_t y = trial.y;
            const trial_key key{j, own, x, y};
            const auto known = g_trials.find(key);
            if (known != g_trials.end()) {
                trial.x = known->second.x;
                trial.y = known->second.y;
            } else {
                group_move(follower, &trial, own);
                try {
                    g_trials.emplace(key, POINT{trial.x, trial.y});
                } catch (const std::bad_alloc&) {
                    // Without memory the trial is computed again when met again.
                }
            }
            if (h && trial.x != x) {
                dx = add_clamped(dx, trial.x - x);
                h = false;
            }
            if (v && trial.y != y) {
                dy = add_clamped(dy, trial.y - y);
                v = false;
            }
        }
    }
    // 8.
    if (is_move) {
        p->x = add_clamped(s.left, dx);
        p->y = add_clamped(s.top, dy);
    } else {
        p->x = n.left;
        p->y = n.top;
        p->cx = n.width();
        p->cy = n.height();
    }
    if (origin != NO_NODE) return;
    // 9a.
    if (is_move)
        w->mRect.offset(dx, dy);
    else
        w->mRect = n;
    // 9b.
    if ((dx == 0 && dy == 0) || own == NO_NODE) return;
    // 9c. The targets first: moving a window runs its window procedure (and the host's hook).
    struct shift {
        zin_window* window;
        int32_t dx, dy;
    };
    CDynArray<shift> shifts;
    for (uint32_t j = own + 1; j < g_dock_nodes.getSize(); ++j) {
        const uint32_t f = flag_of(own, j);
        if (!(f & moved)) continue;
        const bool across = !is_move && (f & (DOCK_ABOVE | DOCK_BELOW));
        const bool up_down = !is_move && (f & (DOCK_LEFT | DOCK_RIGHT));
        shifts.push(shift{g_dock_nodes[j].window, across ? 0 : dx, up_down ? 0 : dy});
    }
    for (uint32_t k = 0; k < shifts.getSize(); ++k) {
        zin_window* f = shifts[k].window;
        if (node_index(f) == NO_NODE || !is_open(f)) continue;
        SetWindowPos(f->mWnd, nullptr, add_clamped(f->mRect.left, shifts[k].dx),
                     add_clamped(f->mRect.top, shifts[k].dy), 0, 0, SWP_DOCK_MOVE);
    }
}

// ---- The script table `docking` ------------------------------------------------------------------

int docking_set_snap_gap(lua_State* L) {
    const int32_t n = lua_class::to_int32(luaL_checknumber(L, 1));
    g_snap_gap = n < 0 ? 0 : n;
    return 0;
}

int docking_add_window(lua_State* L) {
    dock_add_window(static_cast<zin_window*>(lua_compat::check_udata(L, 1, "window")));
    return 0;
}

const luaL_Reg kDockingFunctions[] = {
    {"set_snap_gap", &docking_set_snap_gap},
    {"add_window", &docking_add_window},
};

struct docking_table {
    static const char* get_name() { return "docking"; }
    static lua_class::method_table get_methods() {
        return {kDockingFunctions, static_cast<int>(sizeof kDockingFunctions / sizeof kDockingFunctions[0])};
    }
    static constexpr bool lua_has_new = false;
};

}  // namespace

// ---- Pure geometry ---------------------------------------------------------------------------------

uint32_t dock_contact(const rect& s, const rect& r) {
    if (spans_overlap(s.top, s.bottom, r.top, r.bottom)) {
        if (s.left == r.right) return DOCK_LEFT;
        if (r.left == s.right) return DOCK_RIGHT;
        return DOCK_NONE;
    }
    if (spans_overlap(s.left, s.right, r.left, r.right)) {
        if (s.top == r.bottom) return DOCK_ABOVE;
        if (r.top == s.bottom) return DOCK_BELOW;
    }
    return DOCK_NONE;
}

uint32_t dock_opposite(uint32_t flag) {
    switch (flag) {
    case DOCK_LEFT: return DOCK_RIGHT;
    case DOCK_RIGHT: return DOCK_LEFT;
    case DOCK_ABOVE: return DOCK_BELOW;
    case DOCK_BELOW: return DOCK_ABOVE;
    default: return DOCK_NONE;
    }
}

point dock_neighbour_pos(const rect& s, const rect& r, uint32_t flag) {
    point at(s.left, s.top);
    if (flag == DOCK_LEFT || flag == DOCK_RIGHT) {
        at.y = spans_overlap(r.top, r.bottom, s.top, s.bottom) ? s.top : r.top;
        at.x = flag == DOCK_LEFT ? clamp_to_int32(int64_t(r.left) - s.width()) : r.right;
    } else if (flag == DOCK_ABOVE || flag == DOCK_BELOW) {
        at.x = spans_overlap(r.left, r.right, s.left, s.right) ? s.left : r.left;
        at.y = flag == DOCK_ABOVE ? clamp_to_int32(int64_t(r.top) - s.height()) : r.bottom;
    }
    return at;
}

bool snap_edge(int32_t& edge, int32_t target, uint32_t moved, uint32_t bit) {
    if (!(moved & bit)) return true;
    const int64_t distance = int64_t(target) - edge;
    if ((distance < 0 ? -distance : distance) >= g_snap_gap) return true;
    edge = target;
    return false;
}

// ---- The node list ---------------------------------------------------------------------------------

dock_node* dock_find(zin_window* w) {
    const uint32_t i = node_index(w);
    return i == NO_NODE ? nullptr : &g_dock_nodes[i];
}

bool dock_add_window(zin_window* w) {
    if (!w || node_index(w) != NO_NODE) return false;
    const uint32_t count = g_dock_nodes.getSize();
    if (!g_dock_nodes.reserve(count + 1)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (!g_dock_nodes[i].flags.push(DOCK_NONE)) {
            // Out of memory: take back the flags already added.
            for (uint32_t k = 0; k < i; ++k) g_dock_nodes[k].flags.removeLast(1);
            return false;
        }
    }
    dock_node* node = new (g_dock_nodes.pushNew()) dock_node();
    node->window = w;
    return true;
}

void dock_clear() {
    for (uint32_t i = 0; i < g_dock_nodes.getSize(); ++i) g_dock_nodes[i].flags.clear();
    g_dock_nodes.clear();
}

// ---- Engine operations -----------------------------------------------------------------------------

void dock_attach(zin_window* w) {
    const uint32_t own = node_index(w);
    if (own == NO_NODE) return;
    for (uint32_t i = 0; i < g_dock_nodes.getSize(); ++i) {
        const zin_window* other = g_dock_nodes[i].window;
        // A closed window keeps its relations (they put it back when it opens again).
        if (i == own || !is_open(other)) continue;
        const uint32_t flag = dock_contact(w->mRect, other->mRect);
        if (i > own)
            flag_of(own, i) = flag;
        else
            flag_of(i, own) = dock_opposite(flag);
    }
}

void dock_move_neighbour(zin_window* m, const dock_node& reference, uint32_t flag) {
    if (!is_open(m)) return;
    const point at = dock_neighbour_pos(m->mRect, reference.window->mRect, flag);
    SetWindowPos(m->mWnd, nullptr, at.x, at.y, 0, 0, SWP_DOCK_MOVE);
}

void dock_place_new(zin_window* w) {
    const uint32_t own = node_index(w);
    if (own == NO_NODE) return;
    for (uint32_t i = 0; i < own; ++i) {
        const uint32_t flag = flag_of(i, own);
        if (flag == DOCK_NONE || !is_open(g_dock_nodes[i].window)) continue;
        dock_move_neighbour(w, g_dock_nodes[i], flag);
        return;
    }
}

void dock_move_followers(zin_window* w) {
    // Moving a window runs its window procedure: the node is looked up again for every follower.
    for (uint32_t k = 0;; ++k) {
        const uint32_t own = node_index(w);
        if (own == NO_NODE || own + 1 + k >= g_dock_nodes.getSize()) return;
        const uint32_t flag = flag_of(own, own + 1 + k);
        if (flag != DOCK_NONE) dock_move_neighbour(g_dock_nodes[own + 1 + k].window, g_dock_nodes[own], flag);
    }
}

void dock_copy_relations(zin_window* new_window, zin_window* old_window) {
    const uint32_t n = node_index(new_window);
    const uint32_t o = node_index(old_window);
    if (n == NO_NODE || o == NO_NODE) return;
    // Only the relations toward nodes registered after both are copied.
    const uint32_t first = o > n ? o - n : 0;
    CDynArray<uint32_t>& to = g_dock_nodes[n].flags;
    const CDynArray<uint32_t>& from = g_dock_nodes[o].flags;
    for (uint32_t k = first; k < to.getSize(); ++k) to[k] = from.mpData[k + n - o];
}

void dock_move_group(zin_window* w, WINDOWPOS* pos, const dock_node* origin) {
    const uint32_t origin_index =
        origin ? static_cast<uint32_t>(origin - g_dock_nodes.mpData) : NO_NODE;
    // The trials of step 7 run no window procedure and no script, so no other group move starts
    // while they run; what they found holds for this move only.
    g_trials.clear();
    group_move(w, pos, origin_index);
    g_trials.clear();
}

void register_docking(lua_State* L) { lua_class::binding<docking_table>::register_type(L); }
