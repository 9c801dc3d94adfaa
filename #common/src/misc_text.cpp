// splitLines / splitArgs: cutting a text in place into lines or command-line arguments.
#include <misc.h>

void splitLines(CDynArray<char*>& out, char* text) {
    if (!ZIN_CHECK(text != nullptr)) return;
    char* p = text;
    while (*p) {
        // A run of CR and LF is one cut; the run is overwritten with NULs.
        while (*p == '\r' || *p == '\n') *p++ = 0;
        if (!*p) break;
        out.push(p);
        while (*p && *p != '\r' && *p != '\n') ++p;
    }
}

// splitArgs walks the text once in one of three states:
// 1. NUL ends the walk.
// 2. A blank or TAB is skipped between arguments and inside quotes (where it stays part of the
//    argument); inside a plain argument it becomes a NUL, which ends the argument.
// 3. A double quote between arguments makes the next byte the start of a quoted argument (the walk
//    ends when that byte is the NUL); its pointer is appended and the walk goes on after that byte.
//    Inside quotes it becomes a NUL and ends the argument; inside a plain argument it switches to the
//    quoted state and stays in the text.
// 4. Any other byte between arguments starts a plain argument, whose pointer is appended.
void splitArgs(CDynArray<char*>& out, char* text) {
    if (!ZIN_CHECK(text != nullptr)) return;
    enum State { between, quoted, plain } state = between;
    char* p = text;
    for (;;) {
        char c = *p;
        // 1. End of text.
        if (c == 0) return;
        if (c == ' ' || c == '\t') {
            // 2. Blank or TAB.
            if (state == plain) {
                *p = 0;
                state = between;
            }
            ++p;
        } else if (c == '"') {
            // 3. Double quote.
            if (state == between) {
                if (p[1] == 0) return;
                out.push(p + 1);
                state = quoted;
                p += 2;
            } else if (state == quoted) {
                *p = 0;
                state = between;
                ++p;
            } else {
                state = quoted;
                ++p;
            }
        } else {
            // 4. Any other byte.
            if (state == between) {
                out.push(p);
                state = plain;
            }
            ++p;
        }
    }
}
