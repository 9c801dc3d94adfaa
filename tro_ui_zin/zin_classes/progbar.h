#pragma once
// The paint part "progbar": a knob image drawn at a proportional offset along the part's rect (a
// seek bar, a volume slider, a progress indicator). As a slider the mouse drags the knob and the
// script hears of the press, every change and the release.
//
//   progbar.new(rect, knob image, max [, press [, change [, release]]])
//   bar:redraw()   bar:set_draw_mode([mode])
//   members: "p..." position, "m..." max, "e..." slider flag, "show", "sliding", "slider" (the knob)
//
// The bar runs vertically when the knob image is exactly as wide as the bar, else horizontally.
// It draws no track, only the knob.

#include "base.h"
#include "bitmap_image.h"

#include <stdint.h>

class prog_bar final : public class_base {
public:
    enum flag : uint32_t {
        FLAG_SLIDER = 1,    // the mouse may drag the knob
        FLAG_SHOW = 2,      // the knob is drawn
        FLAG_SLIDING = 4,   // a drag is under way
        FLAG_VERTICAL = 8,
    };

    uint32_t mFlags;
    int mKnobRef;      // registry slot keeping the knob image alive
    image* mpKnob;
    float mPosition;   // 0..max
    int32_t mOffset;   // knob's pixel offset from the bar's left (vertical: top) edge, 0..travel
    int32_t mMax;      // >= 0
    int32_t mTravel;   // pixels the knob can move, >= 0
    lua_callback mPress;
    lua_callback mChange;
    lua_callback mRelease;

    // The script's arguments from index 1 (see above).
    explicit prog_bar(lua_State* L);
    ~prog_bar();

    void draw(HDC dc, const rect& r, const rect& clip) override;
    void size() override;
    bool message(const struct mouse_event& event) override;

    // Position clamped to 0..max; the knob follows (repainted when it moved). No callback runs.
    void set_position(lua_Number position);
    // Ends a drag under way without the release callback (the script cleared the sliding flag).
    void stop_sliding();

    bool is_vertical() const { return (mFlags & FLAG_VERTICAL) != 0; }
    // Knob size along the bar and across it.
    int32_t knob_length() const;
    int32_t knob_breadth() const;

    static const char* get_name() { return "progbar"; }
    static lua_class::method_table get_methods();

private:
    int32_t offset_of(float position) const;
    void set_from_mouse(int64_t c);
};

// The bar at a stack index ("progbar expected, got ..." otherwise).
prog_bar* check_prog_bar(lua_State* L, int index);

// __index and __newindex of "progbar".
int prog_bar_member_access(lua_State* L);

// Registers the script class "progbar" with its member function.
void register_prog_bar_class(lua_State* L);
