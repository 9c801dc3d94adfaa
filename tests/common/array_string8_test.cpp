// CDynArray of zut::string8_t: strings moved as raw bytes survive insertion, removal and growth.
#include <array.h>
#include <zut/string.h>

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

namespace {

typedef zut::string8_t<> string8;

// The array and a plain model of what it must hold.
class Strings : public ::testing::Test {
protected:
    CDynArray<string8> a;
    std::vector<std::string> model;

    ~Strings() override {
        // The array never ends its elements: the owner does.
        for (uint32_t i = 0; i < a.mSize; ++i) a[i].~string8();
    }

    static std::string textFor(int i) {
        // Lengths from 0 to several hundred bytes, with non-ASCII UTF-8.
        std::string text = "item " + std::to_string(i) + " \xC3\xA9\xE2\x82\xAC ";
        text.append(static_cast<size_t>(i * 37 % 300), static_cast<char>('a' + i % 26));
        if (i % 11 == 0) text.clear();
        return text;
    }

    void append(int i, int32_t step) {
        string8* s = a.addNew(step);
        ASSERT_NE(s, nullptr);
        new (s) string8(textFor(i).c_str());
        model.push_back(textFor(i));
    }

    void insert(uint32_t index, int i) {
        string8* s = a.insertNew(index, -2);
        ASSERT_NE(s, nullptr);
        new (s) string8(textFor(i).c_str());
        model.insert(model.begin() + index, textFor(i));
    }

    void check() {
        ASSERT_EQ(a.mSize, model.size());
        for (uint32_t i = 0; i < a.mSize; ++i) {
            ASSERT_EQ(std::string(a[i].get_ptr()), model[i]) << "index " << i;
            ASSERT_EQ(a[i].get_length(), model[i].size()) << "index " << i;
        }
    }
};

TEST_F(Strings, SurviveGrowthAtSeveralSteps) {
    for (int32_t step : {1, 3, -1, -2, -5}) {
        for (uint32_t i = 0; i < a.mSize; ++i) a[i].~string8();
        a.clear();
        model.clear();
        for (int i = 0; i < 200; ++i) {
            append(i, step);
            if (i % 17 == 0) check();
        }
        check();
    }
}

TEST_F(Strings, SurviveInsertion) {
    for (int i = 0; i < 50; ++i) append(i, -2);
    insert(0, 1000);
    insert(a.mSize, 1001);
    for (int i = 0; i < 100; ++i) insert(static_cast<uint32_t>((i * 7919) % (a.mSize + 1)), 2000 + i);
    check();
    // The strings still work as strings after being moved.
    for (uint32_t i = 0; i < a.mSize; ++i) {
        a[i] += "+";
        model[i] += "+";
    }
    check();
}

TEST_F(Strings, SurviveRemoval) {
    for (int i = 0; i < 120; ++i) append(i, -2);
    // removeAt hands the string back: the caller owns it from then on.
    for (int round = 0; round < 30; ++round) {
        uint32_t index = static_cast<uint32_t>((round * 31) % a.mSize);
        string8 taken = a.removeAt(index);
        EXPECT_EQ(std::string(taken.get_ptr()), model[index]);
        model.erase(model.begin() + index);
    }
    check();
    // pop and takeFromEnd the same way.
    string8 last = a.pop();
    EXPECT_EQ(std::string(last.get_ptr()), model.back());
    model.pop_back();
    string8 third = a.takeFromEnd(3);
    EXPECT_EQ(std::string(third.get_ptr()), model[model.size() - 3]);
    model.erase(model.end() - 3);
    check();
    // remove by address: the owner ends the string first.
    for (int round = 0; round < 20; ++round) {
        uint32_t index = static_cast<uint32_t>((round * 13) % a.mSize);
        a[index].~string8();
        EXPECT_TRUE(a.remove(&a[index]));
        model.erase(model.begin() + index);
    }
    check();
    // And the array grows again afterwards.
    for (int i = 0; i < 60; ++i) append(500 + i, -2);
    check();
}

TEST_F(Strings, MixedOperationsAgainstTheModel) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % range;
    };
    for (int step = 0; step < 2000; ++step) {
        uint32_t op = next(10);
        if (op < 4 || a.mSize == 0) {
            append(step, -2);
        } else if (op < 7) {
            insert(next(a.mSize + 1), step);
        } else if (op < 9) {
            uint32_t index = next(a.mSize);
            string8 taken = a.removeAt(index);
            ASSERT_EQ(std::string(taken.get_ptr()), model[index]);
            model.erase(model.begin() + index);
        } else {
            string8 last = a.pop();
            ASSERT_EQ(std::string(last.get_ptr()), model.back());
            model.pop_back();
        }
        if (step % 97 == 0) check();
    }
    check();
}

TEST_F(Strings, RefusedRemovalOfAStringLeavesEverythingInPlace) {
    for (int i = 0; i < 3; ++i) append(i + 1, -2);
    zin_debug_report_hook previous = zin_set_debug_report_hook([](const zin_debug_report_info&, void*) {}, nullptr);
    uint32_t before = zin_debug_report_count();
    string8 none = a.removeAt(7);
    EXPECT_EQ(none.get_length(), 0u);
    string8 none2 = a.takeFromEnd(9);
    EXPECT_EQ(none2.get_length(), 0u);
    string8 outside("x");
    EXPECT_FALSE(a.remove(&outside));
    EXPECT_EQ(zin_debug_report_count() - before, 3u);
    zin_set_debug_report_hook(previous, nullptr);
    check();
}

TEST_F(Strings, OutOfRangeAccessGivesAUsableEmptyString) {
    for (int i = 0; i < 3; ++i) append(i + 1, -2);
    string8 last = a.pop();  // the freed slot keeps the bytes of the string moved out
    model.pop_back();
    zin_debug_report_hook previous = zin_set_debug_report_hook([](const zin_debug_report_info&, void*) {}, nullptr);
    uint32_t before = zin_debug_report_count();
    // Past the end but inside the block, and past the block: an empty string that works.
    EXPECT_STREQ(a[2].get_ptr(), "");
    EXPECT_EQ(a.at(2).get_length(), 0u);
    a[9] = "written to scratch";
    EXPECT_STREQ(a.getAt(9).get_ptr(), "");
    EXPECT_EQ(zin_debug_report_count() - before, 4u);
    zin_set_debug_report_hook(previous, nullptr);
    EXPECT_STREQ(last.get_ptr(), textFor(3).c_str());
    check();
}

}  // namespace
