#pragma once
// Layout edit mode: arranging the paint parts of a skin window by hand with the mouse. Ctrl with a
// left press picks the topmost part under the mouse, dragging moves it (snapped to the window's
// docking bit mask), dragging with Shift held resizes it.
//
// The window procedure does not offer mouse messages to the edit mode; whoever wants it offers each
// mouse message of a skin window to edit_mode_mouse first and dispatches it only when that
// answers false.

#include "zin_window.h"

#include <cstdint>
#include <vector>

// How far a moved part may jump to bring its reference points onto set bits of the mask.
constexpr int32_t SNAP_RADIUS = 20;

// One shift of the moved part: how many reference points it brings onto set bits.
struct snap_candidate {
    int32_t dx;
    int32_t dy;
    uint32_t count;
};

// The snap candidates of one mouse message, in the order they were first found. A grid of list
// positions by offset finds the candidate of each hit at once.
class snap_candidates {
public:
    CDynArray<snap_candidate> mList;

    // Makes the grid cover the offsets -r .. r in both directions.
    void reach(int32_t r);
    // One more hit at offset (dx, dy), inside the reach: count + 1, or a new candidate of count 1.
    void hit(int32_t dx, int32_t dy);
    // The highest count; among equal counts the shortest shift; among full ties the first found.
    // Null when there is none.
    const snap_candidate* best() const;

private:
    int32_t mReach = -1;
    std::vector<uint32_t> mGrid;  // list position + 1 per offset, 0 for none; row by row
};

// Adds the set bits around (x, y), up to r pixels away in either direction, as hits at their offset
// from (x, y). The point itself counts (offset 0, 0).
void collect_snap_candidates(const bitfield& bits, int32_t r, int32_t x, int32_t y,
                             snap_candidates& candidates);

// Offers one mouse message of window w to the edit mode: true when the edit mode used it.
bool edit_mode_mouse(zin_window* w, const struct mouse_event& event);

// The part being edited, or null.
class_base* edit_mode_part();

// Forgets the edit under way (the skin unloads: its windows and parts are about to go).
void edit_mode_reset();
