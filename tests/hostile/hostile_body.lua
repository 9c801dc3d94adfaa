-- The body of every generated hostile skin (see skins_test.cpp). The generator puts a header
-- before it that sets SEED (a number) and MODE (one of the names in `modes` below), and writes the
-- bitmaps it names beside it. The body finds the script interface by walking the global tables, so
-- functions added to the interface later are called too.
--
-- 1. Collect the interface: every function of every global table that is not a standard library.
-- 2. Make sample objects of every class (the ones that fail to be made are left out).
-- 3. Run the mode: calls with hostile arguments (under pcall, so that one skin makes many), errors
--    at the top level and in callbacks, deep recursion, windows and parts closed from their own
--    callbacks, thousands of objects, names that are not ASCII.
-- 4. Leave a window and callbacks behind that go on calling the interface from timers and player
--    events, until the host quits.

math.randomseed(SEED)
local function rnd(n) return math.floor(math.random() * n) + 1 end

-- 1. The interface, in a fixed order.
local std = { string = true, math = true, table = true, _G = true, coroutine = true, io = true, os = true,
              debug = true, package = true }
names = {}
for k, v in pairs(_G) do
  if type(k) == "string" and type(v) == "table" and not std[k] then
    for f, fn in pairs(v) do
      if type(f) == "string" and type(fn) == "function" then names[table.getn(names) + 1] = k .. "." .. f end
    end
  end
end
for _, g in ipairs({ "debug_out", "set_global_callback", "add_tray_icon", "remove_tray_icon",
                     "get_winamp_pl_info" }) do
  if type(_G[g]) == "function" then names[table.getn(names) + 1] = g end
end
table.sort(names)
local function lookup(name)
  local dot = string.find(name, ".", 1, true)
  if not dot then return _G[name] end
  return _G[string.sub(name, 1, dot - 1)][string.sub(name, dot + 1)]
end

-- 2. Sample objects, and the pool of hostile values.
local function try(f, ...) local ok, r = pcall(f, unpack(arg)); if ok then return r end end
local r0 = try(rect.new, 0, 0, 40, 30)
local bmp = try(bitmap.new, "good.bmp")
local objects = {
  r0, try(point.new, 3, 4), try(color.new, 10, 20, 30), try(font.new, "Tahoma", 12, 0, 400), bmp,
  try(image.new, bmp, 0, 0, 8, 8), try(color_rect.new, r0, try(color.new, 1, 2, 3)),
  try(textfield.new, r0, "%title%", 0, try(font.new, "Tahoma", 12, 0, 400), try(color.new, 1, 2, 3)),
  try(timer.new, function() end), try(window.new, "sample", 50, 40, rect.new(10, 10, 60, 50)),
  try(bitmap.new, "broken.bmp"), try(bitmap.new, "missing.bmp"),
}
local values = { 0, -1, 1, 2, 7, -2147483649, 2147483648, 4294967296, 1e308, -1e308, 1 / 0, -1 / 0, 0 / 0,
  0.5, -0.25, 65536, 100000, "", "x", "main", "OnTime", "ontime", string.rep("W", 70000), "\195\169t\195\169 \228\184\173",
  "%s%s%s%n%d", "a\0b", "good.bmp", "broken.bmp", "../../../../x", "c:\\nul\\nul", {}, { 1, 2, 3 }, { x = 1, y = 2 },
  true, false, print, function() error("hostile: error in a callback") end,
  function() return nil end, function(...) return unpack(arg) end }
for i = 1, table.getn(objects) do if objects[i] then values[table.getn(values) + 1] = objects[i] end end
local function any_value()
  local i = rnd(table.getn(values) + 1)
  if i > table.getn(values) then return nil end
  return values[i]
end

-- One call of a named function with n random arguments; errors are expected, crashes are not.
local function hostile_call(name, n)
  local fn = lookup(name)
  if type(fn) ~= "function" then return end
  local a = {}
  for i = 1, n do a[i] = any_value() end
  pcall(fn, unpack(a, 1, n))
end

-- `calm`: no player commands. Player events call back into the script at once, so a player
-- command from inside an event's callback raises more events inside it: a skin that does so at
-- random keeps the player busy without end, as a skin with an endless loop would.
local function sweep(calls, calm)
  local n = table.getn(names)
  if n == 0 then return end
  for i = 1, calls do
    local name = names[rnd(n)]
    -- The commands that end the run are left for the last moment.
    if name ~= "trova.quit" and not (calm and string.sub(name, 1, 6) == "trova.") then
      hostile_call(name, rnd(7) - 1)
    end
  end
end

-- The window every mode ends with, and whatever callbacks the mode leaves on it.
local function last_window(title)
  local w = window.new(title or "main", 120, 90, rect.new(20, 20, 140, 110))
  w:add(color_rect.new(rect.new(0, 0, 120, 90), color.new(40, 80, 120)))
  return w
end

local global_events = { "OnDynamic", "OnDynamicTrack", "OnSeek", "OnVolumeChange", "OnTime", "OnNewTrack",
  "OnPause", "OnStart", "OnStop", "OnPlaylistCountChanged", "OnEdited", "OnUnload", "OnOrderChange" }

-- 3. The modes.
modes = {}

-- Hostile arguments to random functions; then more of them from a timer and every player event.
function modes.sweep()
  sweep(400)
  local w = last_window()
  w:create()
  for _, e in ipairs(global_events) do set_global_callback(e, function() sweep(20, true) end) end
  local t = timer.new(function() sweep(40) end)
  t:start(rnd(50))
end

-- Every function once with each count of arguments 0 to 6, all of one kind.
function modes.each_function()
  local kinds = table.getn(values) + 1
  local pick = math.mod(SEED, kinds) + 1
  for _, name in ipairs(names) do
    if name ~= "trova.quit" then
      for n = 0, 6 do
        local a = {}
        for i = 1, n do a[i] = values[pick] end
        pcall(lookup(name), unpack(a, 1, n))
      end
    end
  end
  last_window():create()
end

-- A script error at the top level, after some of the skin was made.
function modes.toplevel_error()
  sweep(rnd(50))
  local w = last_window()
  if math.mod(SEED, 2) == 0 then w:create() end
  local what = math.mod(SEED, 4)
  if what == 0 then error("hostile: top level") end
  if what == 1 then error({}) end
  if what == 2 then error(nil) end
  local x = nil
  return x.y
end

-- Errors (and wrong return values) in every callback: global events, timers, window callbacks.
function modes.callback_error()
  local w = last_window()
  local function bad()
    sweep(5, true)
    local k = rnd(4)
    if k == 1 then error("hostile: callback") end
    if k == 2 then error(setmetatable({}, { __tostring = function() error("again") end })) end
    if k == 3 then local t = nil; return t.x end
    return string.rep("x", 100000), {}, 1 / 0
  end
  for _, e in ipairs(global_events) do set_global_callback(e, bad) end
  for _, e in ipairs({ "OnSize", "OnSizeEnd", "OnShow", "OnHide", "OnClose", "OnActivate", "OnDeactivate",
                       "OnWheelDown", "OnWheelUp" }) do
    pcall(w.set_callback, w, e, bad)
  end
  w:create()
  local t = timer.new(bad)
  t:start(10)
end

-- Deep recursion: in the script, through the interface, and through callbacks.
function modes.recursion()
  local depth = 0
  local function down() depth = depth + 1; return down() + 1 end
  pcall(down)
  local function through() local ok = pcall(timer.new, through); return ok end
  pcall(through)
  local nest = {}
  local t = nest
  for i = 1, 100000 do t[1] = {}; t = t[1] end
  pcall(rect.new, nest, nest, nest, nest)
  local w = last_window()
  w:create()
  local function again() w:redraw(); again() end
  set_global_callback("OnTime", again)
  local tm
  tm = timer.new(function() tm:start(1); again() end)
  tm:start(5)
  if math.mod(SEED, 2) == 0 then down() end
end

-- Windows, parts and timers closed, stopped or replaced from inside their own callbacks.
function modes.destroy()
  local w = last_window()
  local part = color_rect.new(rect.new(5, 5, 30, 30), color.new(200, 0, 0))
  w:add(part)
  w:create()
  local tm
  local step = 0
  tm = timer.new(function()
    step = step + 1
    local k = math.mod(SEED + step, 6)
    if k == 0 then w:close() end
    if k == 1 then tm:stop(); tm = nil; collectgarbage() end
    if k == 2 then pcall(w.close, w); pcall(w.create, w); pcall(w.redraw, w) end
    if k == 3 then set_global_callback("OnTime", nil); collectgarbage() end
    if k == 4 then w = nil; part = nil; collectgarbage() end
    if k == 5 then pcall(trova.quit) end
    sweep(10)
  end)
  tm:start(5)
  pcall(w.set_callback, w, "OnClose", function() w:close(); w:create(); collectgarbage() end)
  set_global_callback("OnTime", function() pcall(w.close, w); set_global_callback("OnTime", nil) end)
  set_global_callback("OnStart", function() collectgarbage(); sweep(10, true) end)
end

-- Thousands of parts, windows and timers.
function modes.thousands()
  local kind = math.mod(SEED, 3)
  local w = last_window()
  if kind == 0 then
    for i = 1, 5000 do w:add(color_rect.new(rect.new(math.mod(i, 100), math.mod(i, 80), math.mod(i, 100) + 5, math.mod(i, 80) + 5), color.new(math.mod(i, 256), 0, 0))) end
  elseif kind == 1 then
    for i = 1, 300 do pcall(window.new, "w" .. i, 20, 20, rect.new(i, i, i + 20, i + 20)) end
  else
    local timers = {}
    for i = 1, 3000 do timers[i] = timer.new(function() sweep(1, true) end); timers[i]:start(1 + math.mod(i, 50)) end
  end
  w:create()
end

-- Names, texts and file names that are not ASCII (UTF-8, Latin-1 bytes, invalid sequences).
function modes.non_ascii()
  local texts = { "\195\169t\195\169", "\228\184\173\230\150\135", "\233\232", "\255\254\253", "\240\159\142\181",
                  "\192\128", string.rep("\226\130\172", 3000) }
  local s = texts[math.mod(SEED, table.getn(texts)) + 1]
  pcall(bitmap.new, s .. ".bmp")
  pcall(debug_out, s)
  pcall(print, s)
  pcall(font.new, s, 12, 0, 400)
  pcall(config.load, s)
  pcall(config.save, s, s)
  pcall(set_global_callback, s, print)
  local w = window.new(s, 100, 80, rect.new(30, 30, 130, 110))
  pcall(textfield.new, rect.new(0, 0, 100, 20), s, 0, font.new("Tahoma", 12, 0, 400), color.new(1, 1, 1))
  w:create()
  for i = 1, 50 do hostile_call(names[rnd(table.getn(names))], 2) end
end

-- Broken bitmap files (the generator wrote them): loaded, drawn and freed.
function modes.bitmaps()
  local w = last_window()
  for i = 0, BITMAPS - 1 do
    local ok, b = pcall(bitmap.new, "bad" .. i .. ".bmp")
    if ok and b then
      pcall(w.add_paint_part, w, rect.new(0, 0, 100, 80), image.new(b, 0, 0, 100, 80))
      pcall(w.add_paint_part, w, rect.new(0, 0, 100, 80), image.new(b, -5, -5, 1e9, 1e9))
    end
  end
  w:create()
  w:redraw()
  pcall(w.load_docking_bitmap, w, "bad" .. math.mod(SEED, BITMAPS) .. ".bmp")
end

-- A timer that shows the message loop still runs (the generator looks for its line).
local function keep_alive()
  alive_timer = timer.new(function() print("hostile: timer alive") end)
  alive_timer:start(20)
end

-- Thousands of arguments passed on: to a script part's create, and to every function.
function modes.stack()
  local many = {}
  for i = 1, 3000 + math.mod(SEED, 5) * 1000 do many[i] = i end
  local Part = new_base_class(false)
  function Part.create(self) self.made = true end
  pcall(Part.new, rect.new(0, 0, 10, 10), unpack(many))
  for _, name in ipairs(names) do
    if name ~= "trova.quit" then pcall(lookup(name), unpack(many)) end
  end
  last_window():create()
end

-- A script part's draw asks for repaints (and adds parts) at every draw; the timers must still run.
function modes.paint()
  local w = last_window()
  local Part = new_base_class(false)
  local k = math.mod(SEED, 3)
  function Part.draw(self, r, clip)
    if k == 0 then w:redraw(rect.new(0, 0, 120, 90)) end
    if k == 1 then w:redraw(rect.new(0, 0, 5, 5)); w:add(Part.new(rect.new(0, 0, 10, 10))) end
    if k == 2 then w:redraw(clip); w:redraw(r) end
  end
  w:add(Part.new(rect.new(0, 0, 60, 60)))
  w:create()
  keep_alive()
end

-- Handlers of the mouse messages add parts and regions under the mouse (the window is put under it).
function modes.dispatch()
  local p = last_window():get_mouse_pos()
  local w = window.new("under", 120, 90, rect.new(p.x - 60, p.y - 45, p.x + 60, p.y + 45))
  local whole = rect.new(0, 0, 120, 90)
  w:add(color_rect.new(whole, color.new(1, 2, 3)))
  local Part = new_base_class(false)
  function Part.message(self, code) w:add(Part.new(rect.new(0, 0, 120, 90))); return false end
  w:add(Part.new(rect.new(0, 0, 120, 90)))
  local function enter() w:add_part_callback("HoverEnter", whole, enter); w:add(Part.new(rect.new(0, 0, 120, 90))) end
  w:add_part_callback("HoverEnter", whole, enter)
  w:create()
  keep_alive()
end

-- 300 windows docked in a touching grid, 30 x 10, one of them moved every 20 ms: every move is a
-- group move, which reaches each window of the grid along every path through its
-- neighbours; a trial per path would hang the user interface.
function modes.dock_grid()
  last_window():create()
  local columns, rows, width, height, left, top = 30, 10, 20, 16, 200, 300
  local grid = {}
  for row = 0, rows - 1 do
    for column = 0, columns - 1 do
      local x, y = left + column * width, top + row * height
      local w = window.new("dock" .. row .. "_" .. column, width, height, rect.new(x, y, x + width, y + height))
      w:add(color_rect.new(rect.new(0, 0, width, height), color.new(math.mod(column * 8, 256), row * 20, 90)))
      docking.add_window(w)
      w:create()
      grid[table.getn(grid) + 1] = w
    end
  end
  -- Odd seeds move the first window (every other one follows it), even ones the third of the
  -- second row; the snap gap is 0 or a few pixels.
  local k = 1
  if math.mod(SEED, 2) == 0 then k = columns + 3 end
  docking.set_snap_gap(math.mod(SEED + 2, 3) * 3)
  local mover = grid[k]
  local home = mover:get_pos()
  local away = false
  local moves = 0
  local function move()
    -- Making the windows may take most of the host's run time on a busy machine: once the group
    -- has moved a hundred times the skin has shown what it must, and quits.
    moves = moves + 1
    if moves == 100 then trova.quit() end
    away = not away
    local x, y = home.left, home.top
    if away then x, y = x + 310, y + 230 end
    mover:set_pos(rect.new(x, y, x + width, y + height))
  end
  -- The first move at once, while the skin starts: making the windows takes seconds, of which the
  -- host's run time may leave none to the timer.
  move()
  dock_timer = timer.new(move)
  dock_timer:start(20)
  keep_alive()
end

-- Player events answered by commands that raise the same events again.
function modes.answer()
  last_window():create()
  local k = math.mod(SEED, 3)
  if k == 0 then
    set_global_callback("OnVolumeChange", function()
      if trova.get_volume() == -10 then trova.set_volume(-20) else trova.set_volume(-10) end
    end)
    trova.set_volume(-10)
  elseif k == 1 then
    set_global_callback("OnPause", function() trova.pause() end)
    trova.pause()
  else
    set_global_callback("OnStart", function() trova.next() end)
    set_global_callback("OnNewTrack", function() trova.play() end)
  end
  keep_alive()
end

-- A finaliser that opens menus while the skin unloads.
function modes.closing()
  last_window():create()
  local proxy = newproxy(true)
  closing_proxy = proxy
  getmetatable(proxy).__gc = function()
    pcall(trova.show_main_menu)
    pcall(trova.show_context_menu)
    pcall(trova.run_menu_command, "Preferences")
    pcall(trova.run_context_command, "Properties")
  end
end

-- A script part's draw opens the menus: their modal loops would run inside the paint. The part lies
-- beneath a playlist view, so that the host's playlist notifications draw it at shutdown too, after
-- the host's message loop has ended and nothing is left to end a menu. Every one is refused.
function modes.modal_draw()
  local w = last_window()
  local Part = new_base_class(false)
  function Part.draw(self, r, clip)
    pcall(trova.show_main_menu)
    pcall(trova.show_context_menu)
    if math.mod(SEED, 2) == 0 then
      pcall(trova.run_menu_command, "About")
      pcall(trova.run_context_command, "Count & length")
    end
  end
  local whole = rect.new(0, 0, 120, 90)
  local view = playlist.new(whole, font.new("Tahoma", 12, 0, 400), color.new(250, 250, 250), color.new(0, 0, 0),
                            color.new(0, 0, 128), color.new(250, 250, 0))
  -- Beneath the view or above it: both are drawn when a row changes.
  if math.mod(SEED, 3) == 0 then w:add(view, Part.new(whole)) else w:add(Part.new(whole), view) end
  w:create()
end

-- Windows whose callbacks (and their script parts' show and hide) close, minimise, switch, move and
-- re-create windows at random, while a timer does the same between them. Each part says when it is
-- shown or hidden twice in a row (a part never shown may be hidden once), and at every tick, with
-- every callback returned, each window must be open exactly while its part is shown.
function modes.life_cycle()
  local wins, parts, depth = {}, {}, 0
  local function act()
    if depth >= 4 or rnd(3) == 1 then return end
    depth = depth + 1
    local w, o, k = wins[rnd(3)], wins[rnd(3)], rnd(7)
    if k == 1 then w:close()
    elseif k == 2 then w:minimize()
    elseif k == 3 then w:switch_to(o)
    elseif k == 4 then w:close(); w:create()
    elseif k == 5 then w:create()
    elseif k == 6 then local x = rnd(300); w:set_pos(rect.new(x, x, x + 40 + rnd(60), x + 30 + rnd(60)))
    else pcall(config.load_windows) end
    depth = depth - 1
  end
  local Part = new_base_class(false)
  function Part.show(self)
    if self.on then print("hostile: life cycle broken: a part shown twice") end
    self.on = true
    act()
  end
  function Part.hide(self)
    if self.on == false then print("hostile: life cycle broken: a part hidden twice") end
    self.on = false
    act()
  end
  docking.set_snap_gap(5)
  for i = 1, 3 do
    wins[i] = window.new("cycle" .. i, 40, 30, rect.new(100 * i, 100, 100 * i + 80, 160), 1)
    wins[i]:add(color_rect.new(rect.new(0, 0, 80, 60), color.new(60 * i, 90, 30)))
    parts[i] = Part.new(rect.new(0, 0, 10, 10))
    wins[i]:add(parts[i])
    docking.add_window(wins[i])
    for _, name in ipairs({ "OnSize", "OnSizeEnd", "OnShow", "OnHide", "OnClose", "OnActivate", "OnDeactivate" }) do
      wins[i]:set_callback(name, act)
    end
  end
  local ticks = 0
  cycle_timer = timer.new(function()
    for i = 1, 3 do
      if (parts[i].on == true) ~= wins[i]:is_visible() then print("hostile: life cycle broken: window " .. i) end
    end
    ticks = ticks + 1
    print("hostile: timer alive")
    if ticks == 150 then trova.quit() end
    depth = 0
    act()
  end)
  cycle_timer:start(10)
  wins[1]:create()
  keep_alive()
end

-- All the memory the script can get, held while the classes are used; a little given back at a time.
function modes.memory()
  local hoard, block = {}, string.rep("m", 65536)
  local ok = true
  while ok do
    local n = table.getn(hoard) + 1
    ok = pcall(function() hoard[n] = n .. string.rep(block, 16) end)
  end
  for i = 1, 30 do
    hoard[table.getn(hoard)] = nil
    pcall(sweep, 20, true)
    pcall(function() last_window():create() end)
  end
  hoard = nil
  collectgarbage()
  last_window():create()
end

-- 4.
modes[MODE]()
