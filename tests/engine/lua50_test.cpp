// Skins see Lua 5.0.2: each case is a Lua 5.0 snippet, compiled on its own in a fresh state with the
// skin's libraries and script interface, and what Lua 5.0.2 gives for it: the texts that print sent
// (joined by one blank), or the error message.

#include "engine_test_util.h"

#include <lua_class/lua_load.h>

#include <gtest/gtest.h>

#include <string>

using namespace engine_test;

namespace {

struct lua50_case {
    const char* code;
    const char* output;  // what print sent, or the error message
};

// Runs one case; the output texts joined by blanks, or the error message.
std::string run_case(const char* code) {
    printed().clear();
    lua_State* L = new_state();
    skin_load::register_script_interface(L);
    g_lua = L;
    std::string result = run(L, code);
    if (result.empty()) {
        for (const std::string& text : printed()) result += (result.empty() ? "" : " ") + text;
    }
    lua_close(L);
    g_lua = nullptr;
    return result;
}

const lua50_case kLanguage[] = {
    {"for k, v in {10, 20} do print(k, v) end", "1 10 2 20"},
    {"local t = {a = 1} for k, v in t do print(k, v) end", "a 1"},
    {"print([[a[[b]]c]])", "a[[b]]c"},
    {"print([[x\n[[y]]\n]])", "x\n[[y]]\n"},
    {"function f(...) print(arg.n, arg[1], arg[3]) end f(1, nil, 3)", "3 1 3"},
    {"function f(a, ...) print(a, arg.n) end f(1)", "1 0"},
    {"print(assert(1, 2, 3))", "1"},
    // Operators and expressions Lua 5.0 did not have.
    {"print(#'abc')", "test:1: unexpected symbol near `#'"},
    {"print(5 % 3)", "test:1: `)' expected near `%'"},
    {"function f(...) return ... end", "test:1: unexpected symbol near `...'"},
    {"function f(...) local t = {...} end", "test:1: unexpected symbol near `...'"},
    // A for's (first) variable is the loop's own control variable, one for the whole loop.
    {"s = '' for i = 1, 5 do s = s .. i i = i + 1 end print(s)", "135"},
    {"for i = 1, 3 do i = 'x' end", "test:1: `for' initial value must be a number"},
    {"local f for i = 1, 2 do if i == 1 then f = function() return i end end end print(f())", "2"},
    {"s = '' for i, v in ipairs({'a', 'b', 'c', 'd'}) do s = s .. v i = i + 1 end print(s)", "ac"},
    {"local f for i, v in ipairs({'a', 'b'}) do if i == 1 then f = function() return i, v end end end "
     "print(f())",
     "nil nil"},
    {"for a, b, c, d, e in function(s, k) if not k then return 1, 2, 3, 4, 5 end end do print(a, e) end",
     "1 5"},
    // Loops survive the precompiled form (its code check knows their registers).
    {"f = loadstring(string.dump(function() local s = 0 for i = 1, 3 do s = s + i end "
     "for a, b, c, d in ipairs({4, 5}) do s = s + b end for k in {6} do s = s + k end return s end)) "
     "print(f())",
     "16"},
    // The condition of until does not see the block's locals.
    {"x = true n = 0 repeat local x = false n = n + 1 until x print(n)", "1"},
    // A generic for over a table takes the global next once, before the loop.
    {"next = setmetatable({}, {__call = function(self, t, k) return rawget(_G, 'nxt')(t, k) end}) "
     "nxt = function(t, k) if not k then return 1, t[1] end end "
     "for k, v in {'a'} do print(k, v) end",
     "1 a"},
    // Numerals: decimal only; `[=[' is no long string.
    {"print(tonumber('0x10'), tonumber('inf'), tonumber('nan'), tonumber(' 1e2 '), tonumber('.5'), '8' + 1)",
     "nil nil nil 100 0.5 9"},
    {"print(tonumber('0x10', 16), tonumber('1e'), tonumber('1.'), tonumber('- 1'))", "16 nil 1 nil"},
    {"x = 0x10", "test:1: `=' expected near `<eof>'"},
    {"print(0x10)", "test:1: `)' expected near `x10'"},
    {"x = 1e", "test:1: malformed number near `1e'"},
    {"x = 1..2", "test:1: ambiguous syntax (decimal point x string concatenation) near `1..'"},
    {"print(1.5.3)", "test:1: `)' expected near `.3'"},
    {"print([=[a]=])", "test:1: unexpected symbol near `['"},
    {"print([[a]=]b]])", "a]=]b"},
    {"--[=[ a line comment\nprint(1)", "1"},
    // A first line beginning with # is skipped by every chunk.
    {"f = loadstring('#!/bin/lua\\nprint(1)\\nerror(2)') print(pcall(f))", "1 false [string \"#!/bin/lua...\"]:3: 2"},
    // ^ calls the global __pow.
    {"__pow = function(a, b) return a .. '^' .. b end print(2 ^ 3, '2' ^ 3)", "2^3 2^3"},
    {"__pow = nil x = 2 ^ 3", "test:1: `__pow' (`^' operator) is not a function"},
    {"t = setmetatable({}, {__pow = function() return 'meta' end}) print(t ^ 2)", "meta"},
    {"print(_VERSION)", "Lua 5.0.2"},
    {"print(select, load, module, package, loadlib)", "nil nil nil nil nil"},
    {"print(type(string.gfind), string.gmatch, string.match, string.reverse)", "function nil nil nil"},
    {"print(math.mod(-7, 3), math.fmod, math.huge, math.modf, type(__pow), __pow(2, 3))",
     "-1 nil nil nil function 8"},
    {"print(table.maxn, coroutine.running, type(gcinfo), type(newproxy))", "nil nil function function"},
    {"print(getmetatable(''))", "nil"},
    {"print(ipairs({}) == ipairs, ipairs({10, 20}, 1))", "true 2 20"},
    {"local n = 0 for i, v in ipairs({1, 2, nil, 4}) do n = n + 1 end print(n)", "2"},
    {"local seen = 0 next = function(t, k) seen = seen + 1 end for k in pairs({1}) do end print(seen)",
     "1"},
    {"local s = 'x' return s:upper()", "test:1: attempt to index local `s' (a string value)"},
    // Table sizes: the n field, else the size setn recorded, else the count of non-nil items.
    {"print(table.getn({n = 5, 1, 2}), table.getn({1, 2, nil, 4}), table.getn({}))", "5 2 0"},
    {"t = {} table.setn(t, 4) print(table.getn(t), t.n)", "4 nil"},
    {"t = {n = 1} table.setn(t, 3) print(t.n)", "3"},
    {"print(table.getn({n = '3'}), table.getn({n = '', 1}), unpack({n = '2', 'a', 'b', 'c'}))", "3 1 a b"},
    {"t = {n = '1', 'a'} table.insert(t, 'b') print(t.n, type(t.n), t[2])", "2 number b"},
    {"print(table.setn({}, 3))", ""},
    {"print(unpack({n = 3, 1}))", "1 nil nil"},
    {"t = {} table.setn(t, 2) print(unpack(t))", "nil nil"},
    {"t = {n = 2, 'a', 'b'} table.insert(t, 'c') print(t.n, t[3])", "3 c"},
    {"t = {} table.insert(t, 'a') table.insert(t, 1, 'b') print(t[1], t[2], table.getn(t))", "b a 2"},
    {"t = {'a'} table.insert(t, 1, 'b', 'ignored') print(t[1], t[2])", "b a"},
    {"t = {n = 2, 'a', 'b'} print(table.remove(t, 1), t.n, t[1], t[2])", "a 1 b nil"},
    {"print(table.remove({}))", ""},
    {"t = {n = 2147483647} table.insert(t, 'a') print(t.n, t[2147483647])", "2147483647 a"},
    {"t = {n = 2, 'a', 'b', 'c'} table.foreachi(t, function(i, v) print(v) end)", "a b"},
    {"print(table.concat({'a', 'b', 'c'}, ','), table.concat({n = 2, 'a', 'b', 'c'}))", "a,b,c ab"},
    // The string library.
    {"print(string.gsub('abc', 'b', function() end))", "ac 1"},
    {"print(string.gsub('hello world', '(o)', '[%1]'))", "hell[o] w[o]rld 2"},
    {"string.gsub('abc', 'b', '[%0]')", "test:1: invalid capture index"},
    {"string.gsub('abc', 'b', '%1')", "test:1: invalid capture index"},
    {"string.gsub('abc', '(b)', '%2')", "test:1: invalid capture index"},
    {"print(string.byte('abc', 1, 3), string.byte('abc', 9))", "97"},
    {"print(string.sub('hello', 2, -2), string.rep('ab', 2), string.find('abc', 'b'))", "ell abab 2 2"},
    {"print(10 / 4, 2^10, tostring(nil), tonumber('z', 36), 1e15)", "2.5 1024 nil 35 1e+15"},
    {"collectgarbage() collectgarbage(0) print(collectgarbage(100000))", ""},
    // Errors of the language and the runtime.
    {"x = = 1", "test:1: unexpected symbol near `='"},
    {"if x then", "test:1: `end' expected near `<eof>'"},
    {"local x x()", "test:1: attempt to call local `x' (a nil value)"},
    {"y()", "test:1: attempt to call global `y' (a nil value)"},
    {"local t = {} t.f()", "test:1: attempt to call field `f' (a nil value)"},
    {"local t = {} t:m()", "test:1: attempt to call method `m' (a nil value)"},
    {"local t t.x = 1", "test:1: attempt to index local `t' (a nil value)"},
    {"return 1 + {}", "test:1: attempt to perform arithmetic on a table value"},
    {"return 'a' .. {}", "test:1: attempt to concatenate a table value"},
    {"return 1 < 'x'", "test:1: attempt to compare number with string"},
    // A numeric for subtracts the step from the initial value, then checks the limit.
    {"for i = 'a', 2 do end", "test:1: attempt to perform arithmetic on a string value"},
    {"for i = x, 2 do end", "test:1: attempt to perform arithmetic on global `x' (a nil value)"},
    {"local a for i = a, 2 do end", "test:1: attempt to perform arithmetic on local `a' (a nil value)"},
    {"for i = 1, 2, {} do end", "test:1: attempt to perform arithmetic on a table value"},
    {"for i = 1, 'x' do end", "test:1: `for' limit must be a number"},
    {"for i = '1', '2', '1' do print(i) end", "1 2"},
    // Upvalues have no names in error texts (nor in call names).
    {"local f function g() f() end g()", "test:1: attempt to call a nil value"},
    {"local t function g() t.x = 1 end g()", "test:1: attempt to index a nil value"},
    {"local rep = string.rep function g() rep() end g()",
     "test:1: bad argument #1 to `?' (string expected, got no value)"},
    {"f = coroutine.wrap(function() error('x') end) f()", "test:1: x"},
    {"for k in next, 5 do end", "test:1: bad argument #1 to `?' (table expected, got number)"},
    {"a = coroutine.create(function() "
     "  local b = coroutine.create(function() print(coroutine.status(a)) end) coroutine.resume(b) end) "
     "coroutine.resume(a)",
     "suspended"},
    {"t = {} t[nil] = 1", "test:1: table index is nil"},
    {"next({}, 'nokey')", "invalid key for `next'"},
    {"error('boom')", "test:1: boom"},
    {"assert(false)", "test:1: assertion failed!"},
    // Errors of the libraries.
    {"string.rep()", "test:1: bad argument #1 to `rep' (string expected, got no value)"},
    {"string.rep('x')", "test:1: bad argument #2 to `rep' (number expected, got no value)"},
    {"string.format('%d', 'x')", "test:1: bad argument #2 to `format' (number expected, got string)"},
    {"string.format('%d')", "test:1: bad argument #2 to `format' (number expected, got no value)"},
    {"string.format('%s %q', 'a')", "test:1: bad argument #3 to `format' (string expected, got no value)"},
    {"string.format('%y', 1)", "test:1: invalid option to `format'"},
    {"string.format(string.rep('x', 2000) .. '%s')",
     "test:1: bad argument #2 to `format' (string expected, got no value)"},
    {"string.gsub('x', 'x')", "test:1: bad argument #3 to `gsub' (string or function expected)"},
    {"table.insert({})", "test:1: bad argument #2 to `insert' (number expected, got no value)"},
    // An integer the conversion cannot hold is an argument error, never a loop over 2^31 items.
    {"table.insert({1}, 2^31, 'x')", "test:1: bad argument #2 to `insert' (position out of range)"},
    {"table.insert({1}, -2^31 - 1, 'x')", "test:1: bad argument #2 to `insert' (position out of range)"},
    {"table.insert({1}, 0/0, 'x')", "test:1: bad argument #2 to `insert' (position out of range)"},
    {"table.remove({1, 2}, -1/0)", "test:1: bad argument #2 to `remove' (position out of range)"},
    {"table.concat({}, '', 1, 1e300)", "test:1: bad argument #4 to `concat' (position out of range)"},
    {"string.sub('abc', 2^32)", "test:1: bad argument #2 to `sub' (position out of range)"},
    {"string.find('abc', 'b', 0/0)", "test:1: bad argument #3 to `find' (position out of range)"},
    {"string.rep('x', 2^31)", "test:1: bad argument #2 to `rep' (number out of range)"},
    {"string.char(2^40)", "test:1: bad argument #1 to `char' (invalid value)"},
    {"math.random(1, 1/0)", "test:1: bad argument #2 to `random' (number out of range)"},
    {"t = {} table.insert(t, 2^31 - 1, 'x') math.randomseed(1e300) "
     "print(t[2^31 - 1], string.sub('abc', -2^31, 2^31 - 1.5))",
     "x abc"},
    {"table.concat({1, {}})", "test:1: bad argument #1 to `concat' (table contains non-strings)"},
    {"unpack()", "test:1: bad argument #1 to `unpack' (table expected, got no value)"},
    {"setmetatable(1, {})", "test:1: bad argument #1 to `setmetatable' (table expected, got number)"},
    {"collectgarbage('count')",
     "test:1: bad argument #1 to `collectgarbage' (number expected, got string)"},
    {"require('no_such_package')",
     "test:1: could not load package `no_such_package' from path `?;?.lua'"},
    // A number in LUA_PATH is used as its text (kept alive while the files are tried).
    {"LUA_PATH = 12345 require('x')", "test:1: could not load package `x' from path `12345'"},
    {"tostring = function() end print(1)", "test:1: `tostring' must return a string to `print'"},
    // Errors of the engine's typed fetch and argument checks.
    {"image.new()", "test:1: bad argument #1 to `new' (bitmap expected, got nil)"},
    {"image.new(bitmap.new())", "test:1: bad argument #2 to `new' (rect expected, got nil)"},
    {"color_rect.new(rect.new(0, 0, 1, 1))", "test:1: bad argument #2 to `new' (color expected, got nil)"},
    {"color_rect.new(rect.new(0, 0, 1, 1), 5)",
     "test:1: bad argument #2 to `new' (color expected, got nil)"},
    {"rect.new(1, 2, 3)", "test:1: bad argument #4 to `new' (number expected, got no value)"},
    {"font.new()", "test:1: bad argument #1 to `new' (string expected, got no value)"},
    {"w = window.new('w', 1, 1, rect.new(0, 0, 5, 5)) w:redraw(bitmap.new())",
     "test:1: bad argument #1 to `redraw' (rect expected, got bitmap)"},
    {"t = {redraw = window.redraw} t:redraw()",
     "test:1: calling `redraw' on bad self (window expected, got nil)"},
};

TEST(Lua50, SnippetsBehaveAsUnderLua502) {
    for (const lua50_case& c : kLanguage) EXPECT_EQ(run_case(c.code), c.output) << c.code;
}

}  // namespace
