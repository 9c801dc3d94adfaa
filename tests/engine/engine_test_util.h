#pragma once
// Helpers of the engine tests: a script state like the skin's, running script text, and capturing
// the debug output and the output of print.

#include <lua_class/lua_class.h>
#include <lua_class/lua_compat.h>

#include <lualib.h>
#include <debug.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace engine_test {

// Every line written through the debug output while the capture lives (wide text made narrow; the
// tests only write ASCII).
class debug_capture {
public:
    debug_capture() { m_previous = zin_set_debug_output_hook(&on_output, this, &m_previous_context); }
    ~debug_capture() { zin_set_debug_output_hook(m_previous, m_previous_context); }
    debug_capture(const debug_capture&) = delete;
    debug_capture& operator=(const debug_capture&) = delete;

    std::vector<std::string> lines;

    bool contains(const std::string& line) const {
        for (const std::string& l : lines)
            if (l == line) return true;
        return false;
    }
    // The lines that contain text, in order.
    std::vector<std::string> containing(const std::string& text) const {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            if (l.find(text) != std::string::npos) out.push_back(l);
        return out;
    }

private:
    static void on_output(const wchar_t* text, void* context) {
        std::string narrow;
        for (; *text; ++text) narrow += static_cast<char>(*text < 128 ? *text : '?');
        static_cast<debug_capture*>(context)->lines.push_back(narrow);
    }
    zin_debug_output_hook m_previous = nullptr;
    void* m_previous_context = nullptr;
};

// What print sent, one entry per output call.
inline std::vector<std::string>& printed() {
    static std::vector<std::string> texts;
    return texts;
}
inline void print_capture(const char* text) { printed().push_back(text); }

// A state with the skin's libraries (math, string, base, table), print captured.
inline lua_State* new_state() {
    lua_State* L = luaL_newstate();
    lua_compat::open_libraries(L, &print_capture);
    lua_settop(L, 0);
    return L;
}

// Runs script text in a protected call; "" on success, else the error message. The stack is left
// as it was.
inline std::string run(lua_State* L, const std::string& code) {
    const int top = lua_gettop(L);
    int status = luaL_loadbuffer(L, code.data(), code.size(), "=test");
    if (status == 0) status = lua_pcall(L, 0, 0, 0);
    std::string error;
    if (status != 0) {
        const char* text = lua_tostring(L, -1);
        error = text ? text : "(no text)";
        if (error.empty()) error = "(empty error)";
    }
    lua_settop(L, top);
    return error;
}

// The script text fails with an error that contains text.
inline ::testing::AssertionResult fails_with(lua_State* L, const std::string& code,
                                             const std::string& text) {
    const std::string error = run(L, code);
    if (error.find(text) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "error of `" << code << "` is \"" << error << "\"";
}

// Evaluates an expression and hands back its value as text (tostring), or "error: <message>".
inline std::string eval(lua_State* L, const std::string& expression) {
    const std::string error = run(L, "__result = tostring(" + expression + ")");
    if (!error.empty()) return "error: " + error;
    lua_getglobal(L, "__result");
    std::string value = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
    lua_pop(L, 1);
    return value;
}

}  // namespace engine_test
