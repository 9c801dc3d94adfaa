// The call-stack tracker: a per-thread record of named scopes, kept for diagnostics.
#include <trovaplay/shared/shared.h>

#include <string>

#include <zut/string.h>

namespace {

constexpr uint32_t kKept = 64;  // scopes deeper than this are counted, not named

struct thread_stack {
    const char* names[kKept];
    uint32_t depth = 0;
};

thread_local thread_stack t_stack;

}  // namespace

SHARED_API uint32_t SHARED_CALL uCallStackTrackerEnter(const char* name) {
    thread_stack& s = t_stack;
    const uint32_t token = s.depth;
    if (s.depth < kKept) s.names[s.depth] = name ? name : "";
    if (s.depth != ~0u) ++s.depth;
    return token;
}

SHARED_API void SHARED_CALL uCallStackTrackerLeave(uint32_t token) {
    thread_stack& s = t_stack;
    if (token < s.depth) s.depth = token;
}

SHARED_API uint32_t SHARED_CALL uCallStackTrackerDepth(void) { return t_stack.depth; }

SHARED_API void SHARED_CALL uDumpCallStack(zut::string_receiver& out) {
    const thread_stack& s = t_stack;
    std::string text;
    for (uint32_t i = 0; i < s.depth && i < kKept; ++i) {
        text += s.names[i];
        text += '\n';
    }
    if (s.depth > kKept) text += "...\n";
    out.add_string(text.c_str(), t_size(text.size()));
}
