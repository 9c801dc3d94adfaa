// Speed of the foundation and common library routines that carry bulk work: sorting, reordering,
// string building, UTF-8 / wide conversion and CDynArray growth. Prints one table per routine with
// the time per item, the callback calls per item and the heap allocation calls made.
//
// Outline:
//   1. Sort and stable sort of 1e5 and 1e6 items over four input shapes, std::sort as a reference.
//   2. Reorder of 1e6 items by a random permutation (callback and raw-block forms), and of 8192.
//   3. String appends: reallocations and block moves of string8 and string8_fast.
//   4. Converters between 1 MiB of UTF-8 and wide text.
//   5. CDynArray pushes of 1e6 elements with several growth steps.
// Every result is checked; a wrong result is printed as FAILED and the exit code becomes 1.

#include "alloc_count.h"
#include "bench_timer.h"

#include <array.h>
#include <zut/sort.h>
#include <zut/string.h>
#include <zut/string_conv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool g_failed = false;

const char* verdict(bool ok) {
    if (!ok) g_failed = true;
    return ok ? "ok" : "FAILED";
}

// Allocation calls made by body.
template <typename Body>
std::uint64_t allocations_of(Body body) {
    const std::uint64_t before = bench::allocation_count();
    body();
    return bench::allocation_count() - before;
}

// ---- 1. Sorting ----------------------------------------------------------------------------------

struct item {
    unsigned key;
    unsigned pos;  // the position before sorting, to check stability
};

enum input_shape { shape_random, shape_sorted, shape_reversed, shape_few_keys, shape_count };
const char* const kShapeNames[shape_count] = {"random", "sorted", "reversed", "16 keys"};

std::vector<item> make_input(input_shape shape, unsigned n) {
    std::vector<item> items(n);
    bench::lcg random(12345);
    for (unsigned i = 0; i < n; ++i) {
        unsigned key = 0;
        switch (shape) {
            case shape_random: key = random.next(); break;
            case shape_sorted: key = i; break;
            case shape_reversed: key = n - i; break;
            default: key = random.next() % 16; break;
        }
        items[i] = item{key, i};
    }
    return items;
}

// Sorts items by key through the callback interface and counts the calls.
class counting_sort final : public zut::sort_callback {
public:
    explicit counting_sort(std::vector<item>& items) : m_items(items.data()) {}
    int compare(t_size a, t_size b) const override {
        ++compares;
        const unsigned ka = m_items[a].key, kb = m_items[b].key;
        return ka < kb ? -1 : (ka > kb ? 1 : 0);
    }
    void swap(t_size a, t_size b) override {
        ++swaps;
        std::swap(m_items[a], m_items[b]);
    }
    mutable std::uint64_t compares = 0;
    std::uint64_t swaps = 0;

private:
    item* m_items;
};

bool is_sorted_by_key(const std::vector<item>& items, bool stable) {
    for (size_t i = 1; i < items.size(); ++i) {
        if (items[i - 1].key > items[i].key) return false;
        if (stable && items[i - 1].key == items[i].key && items[i - 1].pos > items[i].pos) return false;
    }
    return true;
}

void sort_row(const char* name, bool stable, input_shape shape, unsigned n) {
    std::uint64_t compares = 0, swaps = 0, allocations = 0;
    bool ok = true;
    const int runs = n <= 100000 ? 5 : 3;
    const double ns = bench::best_of(runs, [&] {
        std::vector<item> items = make_input(shape, n);
        counting_sort callback(items);
        bench::stopwatch clock;
        allocations = allocations_of([&] {
            if (stable)
                zut::sort_stable(callback, n);
            else
                zut::sort(callback, n);
        });
        const double elapsed = clock.elapsed_ns();
        compares = callback.compares;
        swaps = callback.swaps;
        ok = ok && is_sorted_by_key(items, stable);
        return elapsed;
    });
    std::printf("%-22s %8u  %-9s %9.1f %10.1f %9.2f %7llu  %s\n", name, n, kShapeNames[shape], ns / n,
                double(compares) / n, double(swaps) / n, static_cast<unsigned long long>(allocations),
                verdict(ok));
}

void reference_row(const char* name, bool stable, unsigned n) {
    bool ok = true;
    const double ns = bench::best_of(n <= 100000 ? 5 : 3, [&] {
        std::vector<item> items = make_input(shape_random, n);
        const auto by_key = [](const item& a, const item& b) { return a.key < b.key; };
        bench::stopwatch clock;
        if (stable)
            std::stable_sort(items.begin(), items.end(), by_key);
        else
            std::sort(items.begin(), items.end(), by_key);
        const double elapsed = clock.elapsed_ns();
        ok = ok && is_sorted_by_key(items, stable);
        return elapsed;
    });
    std::printf("%-22s %8u  %-9s %9.1f %10s %9s %7s  %s\n", name, n, "random", ns / n, "-", "-", "-",
                verdict(ok));
}

void bench_sort() {
    bench::heading("1. Sorting 8-byte items through the callback interface (best of 3-5 runs)");
    std::printf("%-22s %8s  %-9s %9s %10s %9s %7s  %s\n", "routine", "items", "input", "ns/item",
                "cmp/item", "swp/item", "allocs", "result");
    for (unsigned n : {100000u, 1000000u}) {
        for (int shape = 0; shape < shape_count; ++shape) {
            sort_row("zut::sort", false, static_cast<input_shape>(shape), n);
            sort_row("zut::sort_stable", true, static_cast<input_shape>(shape), n);
        }
        reference_row("std::sort (reference)", false, n);
        reference_row("std::stable_sort (ref)", true, n);
    }
}

// ---- 2. Reorder ----------------------------------------------------------------------------------

class counting_reorder final : public zut::reorder_callback {
public:
    explicit counting_reorder(std::vector<unsigned>& items) : m_items(items.data()) {}
    void swap(t_size a, t_size b) override {
        ++swaps;
        std::swap(m_items[a], m_items[b]);
    }
    std::uint64_t swaps = 0;

private:
    unsigned* m_items;
};

// A random permutation of 0 .. n-1 (Fisher-Yates).
std::vector<t_size> make_permutation(unsigned n) {
    std::vector<t_size> order(n);
    for (unsigned i = 0; i < n; ++i) order[i] = i;
    bench::lcg random(777);
    for (unsigned i = n; i > 1; --i) std::swap(order[i - 1], order[random.next() % i]);
    return order;
}

void reorder_row(const char* name, bool raw, unsigned n) {
    const std::vector<t_size> order = make_permutation(n);
    unsigned in_place = 0;
    for (unsigned i = 0; i < n; ++i) in_place += order[i] == i;
    std::uint64_t swaps = 0, allocations = 0;
    bool ok = true;
    const double ns = bench::best_of(5, [&] {
        std::vector<unsigned> items(n);
        for (unsigned i = 0; i < n; ++i) items[i] = i;
        counting_reorder callback(items);
        bench::stopwatch clock;
        allocations = allocations_of([&] {
            if (raw)
                zut::reorder(items.data(), sizeof(unsigned), order.data(), n);
            else
                zut::reorder(callback, order.data(), n);
        });
        const double elapsed = clock.elapsed_ns();
        swaps = callback.swaps;
        // Afterwards position i holds the item that was at order[i].
        for (unsigned i = 0; i < n && ok; ++i) ok = items[i] == order[i];
        return elapsed;
    });
    const std::string swap_text = raw ? std::string("-") : std::to_string(swaps);
    std::printf("%-26s %8u %9.1f %10s %10u %7llu  %s\n", name, n, ns / n, swap_text.c_str(),
                n - in_place, static_cast<unsigned long long>(allocations), verdict(ok));
}

void bench_reorder() {
    bench::heading("2. Reorder by a random permutation (4-byte items, best of 5 runs)");
    std::printf("%-26s %8s %9s %10s %10s %7s  %s\n", "routine", "items", "ns/item", "swaps",
                "misplaced", "allocs", "result");
    reorder_row("zut::reorder (callback)", false, 1000000);
    reorder_row("zut::reorder (raw block)", true, 1000000);
    reorder_row("zut::reorder (callback)", false, 8192);
    reorder_row("zut::reorder (callback)", false, 8193);
}

// ---- 3. String appends ---------------------------------------------------------------------------

struct growth {
    unsigned reallocations = 0;  // capacity changes
    unsigned moves = 0;          // the text ended up at a new address
};

// Notes a capacity change or a move of the text after an operation.
template <typename S>
class growth_watch {
public:
    explicit growth_watch(const S& s) : m_s(s), m_capacity(s.get_block_capacity()), m_ptr(s.get_ptr()) {}
    void check(growth& g) {
        const t_size capacity = m_s.get_block_capacity();
        if (capacity != m_capacity) {
            ++g.reallocations;
            m_capacity = capacity;
        }
        const char* ptr = m_s.get_ptr();
        if (ptr != m_ptr) {
            // The shared empty text of an empty string is no block of its own.
            if (m_ptr != zut::string8_empty_text && ptr != zut::string8_empty_text) ++g.moves;
            m_ptr = ptr;
        }
    }

private:
    const S& m_s;
    t_size m_capacity;
    const char* m_ptr;
};

const char kPiece[] = "abcdefghijklmnop";

template <typename S>
void append_row(const char* name, unsigned piece, unsigned count) {
    growth g;
    t_size capacity = 0;
    std::uint64_t allocations = 0;
    bool ok = true;
    // Timed without the watch (it reads the string after every append), counted with it.
    const double ns = bench::best_of(3, [&] {
        S s;
        bench::stopwatch clock;
        allocations = allocations_of([&] {
            for (unsigned i = 0; i < count; ++i) s.add_string(kPiece, piece);
        });
        const double elapsed = clock.elapsed_ns();
        ok = s.get_length() == t_size(piece) * count;
        return elapsed;
    });
    {
        S s;
        growth_watch<S> watch(s);
        for (unsigned i = 0; i < count; ++i) {
            s.add_string(kPiece, piece);
            watch.check(g);
        }
        capacity = s.get_block_capacity();
    }
    const std::string operation = std::to_string(piece) + " B appends";
    std::printf("%-13s %-22s %8u %9.1f %8u %7u %9u %8llu  %s\n", name, operation.c_str(), count,
                ns / count, g.reallocations, g.moves, capacity,
                static_cast<unsigned long long>(allocations), verdict(ok));
}

// Appends a piece and truncates back to a fixed text, over and over.
template <typename S>
void append_truncate_row(const char* name, unsigned count) {
    growth g;
    t_size capacity = 0;
    bool ok = true;
    const std::string base(100, 'x');
    const double ns = bench::best_of(3, [&] {
        S s(base.c_str());
        bench::stopwatch clock;
        for (unsigned i = 0; i < count; ++i) {
            s.add_string(kPiece, 10);
            s.truncate(100);
        }
        const double elapsed = clock.elapsed_ns();
        ok = s.get_length() == 100;
        return elapsed;
    });
    S s(base.c_str());
    growth_watch<S> watch(s);
    for (unsigned i = 0; i < count; ++i) {
        s.add_string(kPiece, 10);
        watch.check(g);
        s.truncate(100);
        watch.check(g);
    }
    capacity = s.get_block_capacity();
    std::printf("%-13s %-22s %8u %9.1f %8u %7u %9u %8s  %s\n", name, "+10 B then truncate", count,
                ns / count, g.reallocations, g.moves, capacity, "-", verdict(ok));
}

void bench_strings() {
    bench::heading("3. String appends (best of 3 runs; reallocations = capacity changes)");
    std::printf("%-13s %-22s %8s %9s %8s %7s %9s %8s  %s\n", "string", "operation", "count", "ns/op",
                "reallocs", "moves", "capacity", "allocs", "result");
    append_row<zut::string8>("string8", 8, 100000);
    append_row<zut::string8_fast>("string8_fast", 8, 100000);
    append_row<zut::string8>("string8", 1, 100000);
    append_row<zut::string8_fast>("string8_fast", 1, 100000);
    append_row<zut::string8_fast>("string8_fast", 1, 1000000);
    append_truncate_row<zut::string8>("string8", 1000000);
    append_truncate_row<zut::string8_fast>("string8_fast", 1000000);
}

// ---- 4. Converters -------------------------------------------------------------------------------

// 1 MiB of UTF-8 with one-, two-, three- and four-byte characters, cut at a character boundary.
std::string make_utf8_text() {
    // "Grüße, Ελλάδα, 世界 €5 𝄞 plain text " in UTF-8 bytes.
    const char* const pattern =
        "Gr\xC3\xBC\xC3\x9F" "e, \xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1, "
        "\xE4\xB8\x96\xE7\x95\x8C \xE2\x82\xAC" "5 \xF0\x9D\x84\x9E plain text ";
    const size_t target = 1 << 20;
    std::string text;
    while (text.size() < target) text += pattern;
    size_t cut = target;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

void bench_converters() {
    bench::heading("4. Converters over 1 MiB of mixed UTF-8 text (best of 5 runs)");
    std::printf("%-16s %10s %10s %9s %8s %12s %12s %7s  %s\n", "converter", "input", "output", "ns/byte",
                "MB/s", "buffer", "estimate", "allocs", "result");
    const std::string utf8 = make_utf8_text();
    const t_size bytes = static_cast<t_size>(utf8.size());

    // UTF-8 to wide.
    t_size wide_buffer = 0, wide_units = 0;
    std::uint64_t allocations = 0;
    std::vector<wchar_t> wide;
    const double to_wide = bench::best_of(5, [&] {
        bench::stopwatch clock;
        double elapsed = 0;
        allocations = allocations_of([&] {
            zut::wide_from_utf8 converted(utf8.c_str(), bytes);
            elapsed = clock.elapsed_ns();
            wide_buffer = converted.get_buffer_size();
            wide_units = converted.length();
            wide.assign(converted.get_ptr(), converted.get_ptr() + wide_units + 1);
        });
        return elapsed;
    });
    const t_size wide_estimate = zut::estimate_utf8_to_wide(utf8.c_str(), bytes);
    std::printf("%-16s %8u B %8u u %9.2f %8.0f %10u u %10u u %7llu  %s\n", "wide_from_utf8", bytes,
                wide_units, to_wide / bytes, bytes / (to_wide / 1e9) / 1e6, wide_buffer, wide_estimate,
                static_cast<unsigned long long>(allocations), verdict(wide_buffer == wide_estimate));

    // Wide back to UTF-8: the round trip must give the bytes back.
    t_size utf8_buffer = 0;
    bool same = false;
    const double to_utf8 = bench::best_of(5, [&] {
        bench::stopwatch clock;
        double elapsed = 0;
        allocations = allocations_of([&] {
            zut::utf8_from_wide converted(wide.data(), wide_units);
            elapsed = clock.elapsed_ns();
            utf8_buffer = converted.get_buffer_size();
            same = converted.length() == bytes && std::memcmp(converted.get_ptr(), utf8.data(), bytes) == 0;
        });
        return elapsed;
    });
    const t_size utf8_estimate = zut::estimate_wide_to_utf8(wide.data(), wide_units);
    std::printf("%-16s %8u u %8u B %9.2f %8.0f %10u B %10u B %7llu  %s\n", "utf8_from_wide", wide_units,
                bytes, to_utf8 / bytes, bytes / (to_utf8 / 1e9) / 1e6, utf8_buffer, utf8_estimate,
                static_cast<unsigned long long>(allocations), verdict(same && utf8_buffer == utf8_estimate));
    std::printf("(ns/byte and MB/s count the UTF-8 bytes; u = 16-bit units, buffer sizes include the NUL)\n");
}

// ---- 5. CDynArray growth -------------------------------------------------------------------------

void dynarray_row(int32_t step, unsigned count) {
    unsigned reallocations = 0;
    uint32_t capacity = 0;
    std::uint64_t allocations = 0;
    bool ok = true;
    const double ns = bench::best_of(3, [&] {
        CDynArray<uint32_t> a;
        bench::stopwatch clock;
        allocations = allocations_of([&] {
            for (unsigned i = 0; i < count; ++i) a.add(i, step);
        });
        const double elapsed = clock.elapsed_ns();
        ok = a.getSize() == count && a[count - 1] == count - 1;
        return elapsed;
    });
    {
        CDynArray<uint32_t> a;
        for (unsigned i = 0; i < count; ++i) {
            const uint32_t before = a.mCapacity;
            a.add(i, step);
            if (a.mCapacity != before) ++reallocations;
        }
        capacity = a.mCapacity;
    }
    std::printf("%6d %9u %9.2f %10u %10u %8llu  %s\n", step, count, ns / count, reallocations, capacity,
                static_cast<unsigned long long>(allocations), verdict(ok));
}

void bench_dynarray() {
    bench::heading("5. CDynArray<uint32_t>::add, one element at a time (best of 3 runs)");
    std::printf("%6s %9s %9s %10s %10s %8s  %s\n", "step", "elements", "ns/item", "reallocs", "capacity",
                "allocs", "result");
    dynarray_row(-2, 1000000);
    dynarray_row(-4, 1000000);
    dynarray_row(1024, 1000000);
    dynarray_row(16, 100000);
    dynarray_row(1, 100000);
}

}  // namespace

int main() {
    std::printf("Foundation benchmarks (times are wall clock from QueryPerformanceCounter)\n");
    bench_sort();
    bench_reorder();
    bench_strings();
    bench_converters();
    bench_dynarray();
    if (g_failed) std::printf("\nSOME RESULTS WERE WRONG (see FAILED above)\n");
    return g_failed ? 1 : 0;
}
