-- The default skin: a main window with a display well (status lamp, scrolling title, time and seek
-- bar), a volume slider, the transport, menu and close buttons, and a playlist window docked below
-- it. Its pictures come from tools/make_skin_art.py; file names are relative to this folder.

-- The window: 300x110, fixed size.
main = window.new("main", 300, 110, rect.new(400, 300, 700, 410))

-- The background panel (the display well lies at 10,10 .. 290,58).
main:add_paint_part(rect.new(0, 0, 300, 110), image.new(bitmap.new("main.bmp"), 0, 0, 300, 110))

-- The status lamp: status.bmp holds three 40x24 frames side by side, stopped, playing and paused.
-- The lamp shows one frame; moving the image's source rectangle picks another.
STOPPED, PLAYING, PAUSED = 0, 1, 2
status_rect = rect.new(20, 22, 60, 46)
status_image = image.new(bitmap.new("status.bmp"), 0, 0, 40, 24)
main:add_paint_part(status_rect, status_image)

function show_status(frame)
    status_image.rect = rect.new(frame * 40, 0, frame * 40 + 40, 24)
    main:redraw(status_rect)
end

-- The display: the playing track's artist and title, and its time, formatted against the playing
-- track whenever they are updated; "stopped" while nothing plays. The title runs through its place
-- a pixel at a time; the mouse can drag it, and it holds still while it is dragged.
display_font = font.new("Tahoma", 14, 0, 700)
time_font = font.new("Tahoma", 13, 0, 400)
display_color = color.new(150, 235, 160)
TITLE = "[%artist% - ]%title%  ***  "  -- the gap before the title comes round again
title_text = text_scroll.new(rect.new(70, 14, 286, 32), TITLE, 0, display_font, display_color,
    function() title_clock:stop() end, function() if trova.is_playing() ~= 0 then title_clock:start(40) end end)
time_text = textfield.new(rect.new(70, 32, 286, 48), "%playback_time%[ / %length%]", 0, time_font, display_color, true)
main:add(title_text)
main:add(time_text)

title_clock = timer.new(function() title_text:scroll_left(1) end)
title_clock:start(40)

-- Mode 2 shows a text as written: with nothing playing there is no track to format against.
function show_track()
    if trova.is_playing() == 0 then
        title_clock:stop()
        title_text:update("stopped", 2)
    else
        title_text:update(TITLE)
        title_clock:start(40)
    end
    title_text:reset_pos()
    time_text:update()
end

-- The time moves on between the player's time events too.
clock = timer.new(function() time_text:update() end)
clock:start(500)

-- A 32x22 button in the bottom row at x, with its normal, hover and pressed pictures
-- (<name>_<state>.bmp); click runs when the button is released over itself.
function add_button(name, x, click)
    local function look(state)
        return image.new(bitmap.new(name .. "_" .. state .. ".bmp"), 0, 0, 32, 22)
    end
    local normal = look("normal")
    local b = button.new(rect.new(x, 76, x + 32, 98), normal, -1, click)
    b:add_state(normal, look("hover"), look("pressed"))
    main:add(b)
    return b
end

add_button("prev", 10, function() trova.prev() end)
add_button("play", 46, function() trova.play() end)
add_button("pause", 82, function() trova.pause() end)
add_button("stop", 118, function() trova.stop() end)
add_button("next", 154, function() trova.next() end)
-- The menu button opens the host's main menu below itself.
add_button("menu", 222, function()
    local r = main:get_pos()
    trova.show_main_menu("System", point.new(r.left + 222, r.top + 98))
end)
add_button("close", 258, function() trova.quit() end)

-- The seek bar along the bottom of the display well (in tenths of a second): its knob follows the
-- playing time, and releasing a dragged knob seeks there. While nothing plays (length 0) the knob
-- goes back to the start.
seek = progbar.new(rect.new(16, 48, 284, 56), image.new(bitmap.new("seek_knob.bmp"), 0, 0, 12, 8), 0,
    nil, nil, function()
        if seek.max > 0 then trova.seek(seek.position / 10) else seek.position = 0 end
    end)
main:add(seek)

function follow_time()
    if seek.sliding then return end
    seek.max = trova.title_playtime() * 10
    seek.position = trova.time_elapsed() * 10
end

-- The volume slider below the display well, on the right: -100 dB at its left end, full volume at
-- its right end.
volume = progbar.new(rect.new(196, 61, 286, 73), image.new(bitmap.new("volume_knob.bmp"), 0, 0, 8, 12),
    100, nil, function() trova.set_volume(volume.position - 100) end)
volume.position = trova.get_volume() + 100
main:add(volume)

set_global_callback("OnVolumeChange", function()
    print("OnVolumeChange " .. trova.get_volume())
    if not volume.sliding then volume.position = trova.get_volume() + 100 end
end)
set_global_callback("OnSeek", function()
    print("OnSeek")
    follow_time()
end)

-- A tray icon: a left click plays or pauses, a right click stops.
add_tray_icon("tray.ico", 0, function() trova.pause() end, function() trova.stop() end)

-- Playback events: a line on the console for each, and the lamp follows the player.
set_global_callback("OnStart", function()
    print("OnStart")
    show_status(PLAYING)
end)
set_global_callback("OnNewTrack", function()
    print("OnNewTrack")
    show_status(PLAYING)
    show_track()
    follow_time()
end)
set_global_callback("OnStop", function()
    print("OnStop")
    show_status(STOPPED)
    show_track()
    follow_time()
end)
set_global_callback("OnTime", function()
    time_text:update()
    follow_time()
end)
set_global_callback("OnPause", function()
    print("OnPause")
    -- The event carries no argument: ask the player whether it is paused now.
    if trova.is_playing() == 2 then show_status(PAUSED) else show_status(PLAYING) end
end)

-- The lamp and the display start as the player is now (the skin may be loaded while a track plays).
local state = trova.is_playing()
show_status((state == 2 and PAUSED) or (state == 1 and PLAYING) or STOPPED)
show_track()

-- The playlist window below the main one: the host's active playlist, one row per track. A click
-- selects, Shift and Ctrl extend, dragging moves the selection, a double click plays the row, and
-- a right click opens the host's context menu of the selected tracks.
playlist_window = window.new("playlist", 300, 190, rect.new(400, 410, 700, 600))
playlist_window:add(color_rect.new(rect.new(0, 0, 300, 190), color.new(24, 32, 28)))
playlist_view = playlist.new(rect.new(6, 6, 294, 184), font.new("Tahoma", 13, 0, 400),
    display_color, color.new(24, 32, 28), color.new(40, 80, 56), color.new(150, 235, 160))
playlist_window:add(playlist_view)

-- Docking: the playlist window sits on the main window's bottom edge, so dragging the main window
-- takes it along; a dragged window snaps to another's edge within 10 pixels.
docking.set_snap_gap(10)
docking.add_window(main)
docking.add_window(playlist_window)

main:create()
playlist_window:create()
