#pragma once
// Timing and table printing shared by the benchmark programs.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace bench {

// The program's argument at index as a positive number; fallback when it is missing or not one.
inline int argument(int argc, char** argv, int index, int fallback) {
    const int value = argc > index ? std::atoi(argv[index]) : 0;
    return value > 0 ? value : fallback;
}

// Wall-clock time from the performance counter.
class stopwatch {
public:
    stopwatch() { restart(); }
    void restart() { QueryPerformanceCounter(&m_start); }
    // Nanoseconds since the last restart.
    double elapsed_ns() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - m_start.QuadPart) * 1e9 / frequency();
    }

private:
    static double frequency() {
        static double hz = 0;
        if (hz == 0) {
            LARGE_INTEGER f;
            QueryPerformanceFrequency(&f);
            hz = static_cast<double>(f.QuadPart);
        }
        return hz;
    }
    LARGE_INTEGER m_start;
};

// Runs body (which does one whole measured pass, set-up excluded by the caller's design) runs
// times and returns the fastest pass in nanoseconds: the least disturbed by the rest of the machine.
template <typename Body>
double best_of(int runs, Body body) {
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        const double ns = body();
        if (i == 0 || ns < best) best = ns;
    }
    return best;
}

// A small deterministic generator, so that every run sorts the same data.
class lcg {
public:
    explicit lcg(unsigned seed) : m_state(seed) {}
    unsigned next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    unsigned m_state;
};

inline void heading(const char* title) { std::printf("\n%s\n", title); }

}  // namespace bench
