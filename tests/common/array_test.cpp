// CDynArray: step growth, the removal family, raw moves and refused operations.
#include <array.h>

#include <gtest/gtest.h>

#include "report_capture.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

template <class T>
std::vector<T> contents(const CDynArray<T>& a) {
    return std::vector<T>(a.mpData, a.mpData + a.mSize);
}

std::vector<uint32_t> capacities(int32_t step, int adds) {
    CDynArray<int> a;
    std::vector<uint32_t> seen;
    for (int i = 0; i < adds; ++i) {
        EXPECT_TRUE(a.add(i, step));
        if (seen.empty() || seen.back() != a.mCapacity) seen.push_back(a.mCapacity);
    }
    for (int i = 0; i < adds; ++i) EXPECT_EQ(a[i], i);
    return seen;
}

// ---- Construction and layout ----------------------------------------------------------------------

TEST(CDynArray, FieldsInOrderAndNoVirtualTable) {
    static_assert(sizeof(CDynArray<int>) == 12, "three 32-bit fields");
    CDynArray<int> a;
    EXPECT_EQ(reinterpret_cast<char*>(&a.mSize), reinterpret_cast<char*>(&a));
    EXPECT_EQ(reinterpret_cast<char*>(&a.mpData), reinterpret_cast<char*>(&a) + 4);
    EXPECT_EQ(reinterpret_cast<char*>(&a.mCapacity), reinterpret_cast<char*>(&a) + 8);
}

TEST(CDynArray, ConstructedEmptyOrWithElements) {
    CDynArray<int> empty;
    EXPECT_EQ(empty.getSize(), 0u);
    EXPECT_EQ(empty.mCapacity, 0u);
    EXPECT_EQ(empty.mpData, nullptr);
    CDynArray<int> five(5);
    EXPECT_EQ(five.getSize(), 5u);
    EXPECT_EQ(five.getCount(), 5u);
    EXPECT_EQ(five.mCapacity, 5u);
    EXPECT_NE(five.mpData, nullptr);
}

// ---- Growth ---------------------------------------------------------------------------------------

TEST(CDynArrayGrowth, StepMinusTwoRunsThroughTheSequence) {
    EXPECT_EQ(capacities(-2, 26), (std::vector<uint32_t>{1, 2, 4, 7, 11, 17, 26}));
    EXPECT_EQ(capacities(-2, 5), (std::vector<uint32_t>{1, 2, 4, 7}));
}

TEST(CDynArrayGrowth, PositiveStepsAddExactlyThatMany) {
    EXPECT_EQ(capacities(1, 3), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(capacities(4, 3), (std::vector<uint32_t>{4}));
    EXPECT_EQ(capacities(4, 9), (std::vector<uint32_t>{4, 8, 12}));
    EXPECT_EQ(capacities(10, 25), (std::vector<uint32_t>{10, 20, 30}));
}

TEST(CDynArrayGrowth, OtherNegativeSteps) {
    // step -1: capacity + 1 more (doubling plus one).
    EXPECT_EQ(capacities(-1, 16), (std::vector<uint32_t>{1, 3, 7, 15, 31}));
    // step -4: a quarter plus one.
    EXPECT_EQ(capacities(-4, 12), (std::vector<uint32_t>{1, 2, 3, 4, 6, 8, 11, 14}));
    // The most negative step divides by 2^31 without overflow.
    EXPECT_EQ(capacities(INT32_MIN, 4), (std::vector<uint32_t>{1, 2, 3, 4}));
}

TEST(CDynArrayGrowth, PushUsesStepMinusTwo) {
    CDynArray<int> a;
    for (int i = 0; i < 5; ++i) a.push(i);
    EXPECT_EQ(a.mCapacity, 7u);
    EXPECT_EQ(contents(a), (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(CDynArrayGrowth, GrowOnlyWhenFull) {
    CDynArray<int> a;
    a.reserve(10);
    for (int i = 0; i < 10; ++i) a.add(i, 1);
    EXPECT_EQ(a.mCapacity, 10u);
    a.add(10, 1);
    EXPECT_EQ(a.mCapacity, 11u);
}

TEST(CDynArrayGrowth, SetSizeReservesExactlyAndNeverShrinks) {
    CDynArray<int> a;
    EXPECT_TRUE(a.setSize(10));
    EXPECT_EQ(a.mSize, 10u);
    EXPECT_EQ(a.mCapacity, 10u);
    EXPECT_TRUE(a.setSize(3));
    EXPECT_EQ(a.mSize, 3u);
    EXPECT_EQ(a.mCapacity, 10u);
    EXPECT_TRUE(a.resize(12));
    EXPECT_EQ(a.mCapacity, 12u);
    EXPECT_TRUE(a.addSize(3));
    EXPECT_EQ(a.mSize, 15u);
    EXPECT_EQ(a.mCapacity, 15u);
}

TEST(CDynArrayGrowth, ReserveAndReallocate) {
    CDynArray<int> a;
    EXPECT_TRUE(a.reserve(5));
    EXPECT_EQ(a.mCapacity, 5u);
    EXPECT_TRUE(a.reserve(2));
    EXPECT_EQ(a.mCapacity, 5u);
    for (int i = 0; i < 4; ++i) a.push(i);
    EXPECT_TRUE(a.reallocate(20));
    EXPECT_EQ(a.mCapacity, 20u);
    EXPECT_EQ(contents(a), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(a.growBy(5));
    EXPECT_EQ(a.mCapacity, 25u);
    EXPECT_TRUE(a.grow(-2));
    EXPECT_EQ(a.mCapacity, 25u + 13u);
    EXPECT_EQ(contents(a), (std::vector<int>{0, 1, 2, 3}));
}

TEST(CDynArrayGrowth, AddArrayReachesAnExactCapacity) {
    CDynArray<int> a;
    const int src[] = {1, 2, 3, 4, 5};
    EXPECT_TRUE(a.addArray(src, 5));
    EXPECT_EQ(a.mCapacity, 5u);
    EXPECT_TRUE(a.addArray(src, 2));
    EXPECT_EQ(a.mCapacity, 7u);
    EXPECT_EQ(contents(a), (std::vector<int>{1, 2, 3, 4, 5, 1, 2}));
    EXPECT_TRUE(a.addArray(nullptr, 0));
    EXPECT_EQ(a.mSize, 7u);
}

TEST(CDynArrayGrowth, AddingAnElementOfTheArrayItselfSurvivesGrowth) {
    CDynArray<int> a;
    a.push(41);
    a.push(42);
    ASSERT_EQ(a.mSize, a.mCapacity);
    a.push(a[1]);  // the block moves while v refers into it
    a.add(a.fromEnd(1), 1);
    EXPECT_EQ(contents(a), (std::vector<int>{41, 42, 42, 42}));
    // addArray of its own elements.
    ASSERT_TRUE(a.addArray(a.mpData, a.mSize));
    EXPECT_EQ(contents(a), (std::vector<int>{41, 42, 42, 42, 41, 42, 42, 42}));
}

// ---- Access ---------------------------------------------------------------------------------------

TEST(CDynArrayAccess, AtIndexFromEndAndIndexOf) {
    CDynArray<int> a;
    for (int i = 0; i < 4; ++i) a.push(i * 10);
    EXPECT_EQ(a.at(2), 20);
    EXPECT_EQ(a[3], 30);
    EXPECT_EQ(a.getAt(0), 0);
    EXPECT_EQ(a.fromEnd(1), 30);
    EXPECT_EQ(a.fromEnd(4), 0);
    EXPECT_EQ(a.indexOf(&a[2]), 2u);
    a.at(1) = 11;
    EXPECT_EQ(a[1], 11);
    const CDynArray<int>& c = a;
    EXPECT_EQ(c.at(1), 11);
    EXPECT_EQ(c[1], 11);
    EXPECT_EQ(c.fromEnd(2), 20);
}

TEST(CDynArrayAccess, OutOfRangeIsReportedAndTouchesNothingOutside) {
    CDynArray<int> a;
    a.push(7);
    ASSERT_EQ(a.mCapacity, 1u);
    Reports reports;
    int& outside = a.at(1);
    EXPECT_EQ(outside, 0);
    outside = 99;  // lands in scratch memory, not next to the block
    EXPECT_EQ(a[5], 0);
    EXPECT_EQ(a.fromEnd(0), 0);
    EXPECT_EQ(a.fromEnd(2), 0);
    int other = 0;
    EXPECT_EQ(a.indexOf(&other), UINT32_MAX);
    EXPECT_EQ(reports.count(), 5u);
    EXPECT_EQ(reports.lines, (std::vector<int>{248, 258, 270, 270, 253}));
    EXPECT_EQ(contents(a), (std::vector<int>{7}));
    // Inside the block but past the used part: reported, and a scratch element is handed out, never
    // the stale bytes of the slot.
    a.reserve(4);
    a.mpData[2] = 55;
    EXPECT_EQ(a.at(2), 0);
    EXPECT_EQ(a[3], 0);
    a[2] = 66;
    EXPECT_EQ(a.mpData[2], 55);
    EXPECT_EQ(a.indexOf(a.mpData + 1), UINT32_MAX);
    EXPECT_EQ(reports.count(), 9u);
    EXPECT_EQ(contents(a), (std::vector<int>{7}));
}

TEST(CDynArrayAccess, IndexingAnEmptyArrayIsNotReported) {
    CDynArray<int> a;
    Reports reports;
    (void)a[0];
    (void)a.getAt(3);
    EXPECT_EQ(reports.count(), 0u);
    (void)a.at(0);
    EXPECT_EQ(reports.count(), 1u);
    // An empty array with a block: the start of the block, as a buffer to fill.
    a.reserve(8);
    EXPECT_EQ(&a[0], a.mpData);
    EXPECT_EQ(reports.count(), 1u);
}

// ---- Adding ---------------------------------------------------------------------------------------

TEST(CDynArrayAdd, AddUniqueAndFind) {
    CDynArray<int> a;
    EXPECT_TRUE(a.addUnique(3, -2));
    EXPECT_TRUE(a.addUnique(4, -2));
    EXPECT_FALSE(a.addUnique(3, -2));
    EXPECT_EQ(contents(a), (std::vector<int>{3, 4}));
    EXPECT_EQ(a.find(4, 0), a.mpData + 1);
    EXPECT_EQ(a.find(3, 1), nullptr);
    EXPECT_EQ(a.find(3, a.mSize), nullptr);
    EXPECT_EQ(a.find(3, 100), nullptr);
    EXPECT_EQ(a.find(9, 0), nullptr);
}

TEST(CDynArrayAdd, AddNewAndPushNew) {
    CDynArray<int> a;
    int* p = a.addNew(1);
    ASSERT_NE(p, nullptr);
    *p = 5;
    int* q = a.pushNew();
    ASSERT_NE(q, nullptr);
    *q = 6;
    EXPECT_EQ(contents(a), (std::vector<int>{5, 6}));
    EXPECT_EQ(a.mCapacity, 2u);
}

TEST(CDynArrayAdd, InsertNewMovesTheLaterElementsUp) {
    CDynArray<int> a;
    a.push(1);
    a.push(2);
    int* p = a.insertNew(0, -2);
    ASSERT_EQ(p, a.mpData);
    *p = 0;
    EXPECT_EQ(contents(a), (std::vector<int>{0, 1, 2}));
    p = a.insertNew(3, -2);  // index == mSize appends
    ASSERT_EQ(p, a.mpData + 3);
    *p = 3;
    p = a.insertNew(2, 1);
    *p = 9;
    EXPECT_EQ(contents(a), (std::vector<int>{0, 1, 9, 2, 3}));
}

struct Key {
    int id;
    int payload;
};

}  // namespace

// Records keyed by their first field.
template <>
struct CDynArrayEqual<Key> {
    static bool equal(const Key& a, const Key& b) { return a.id == b.id; }
};

namespace {

TEST(CDynArrayAdd, EqualityCanBeChosenPerElementType) {
    CDynArray<Key> a;
    a.push(Key{1, 10});
    a.push(Key{2, 20});
    EXPECT_FALSE(a.addUnique(Key{1, 99}, -2));
    Key* found = a.find(Key{2, 0}, 0);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->payload, 20);
    EXPECT_TRUE(a.removeValue(Key{1, 0}));
    ASSERT_EQ(a.mSize, 1u);
    EXPECT_EQ(a[0].payload, 20);
}

// ---- Removal --------------------------------------------------------------------------------------

CDynArray<char>* abc(CDynArray<char>& a, const char* text) {
    a.clear();
    for (const char* p = text; *p; ++p) a.push(*p);
    return &a;
}

std::string str(const CDynArray<char>& a) { return std::string(a.mpData ? a.mpData : "", a.mSize); }

TEST(CDynArrayRemove, TakeFromEndAndPop) {
    CDynArray<char> a;
    abc(a, "abc");
    EXPECT_EQ(a.takeFromEnd(2), 'b');
    EXPECT_EQ(str(a), "ac");
    EXPECT_EQ(a.pop(), 'c');
    EXPECT_EQ(str(a), "a");
    EXPECT_EQ(a.takeFromEnd(1), 'a');
    EXPECT_EQ(a.mSize, 0u);
    abc(a, "abcd");
    EXPECT_EQ(a.takeFromEnd(4), 'a');
    EXPECT_EQ(str(a), "bcd");
}

TEST(CDynArrayRemove, RemoveAt) {
    CDynArray<char> a;
    abc(a, "abc");
    EXPECT_EQ(a.removeAt(0), 'a');
    EXPECT_EQ(str(a), "bc");
    EXPECT_EQ(a.removeAt(1), 'c');
    EXPECT_EQ(str(a), "b");
    EXPECT_EQ(a.mCapacity, 4u);  // removal never shrinks the block
}

TEST(CDynArrayRemove, RemoveByAddressValueAndAll) {
    CDynArray<char> a;
    abc(a, "abcde");
    EXPECT_TRUE(a.remove(a.mpData + 1));
    EXPECT_EQ(str(a), "acde");
    EXPECT_TRUE(a.remove(a.mpData + 3));
    EXPECT_EQ(str(a), "acd");
    EXPECT_TRUE(a.removeValue('c'));
    EXPECT_FALSE(a.removeValue('z'));
    EXPECT_EQ(str(a), "ad");
    abc(a, "xyxx");
    EXPECT_EQ(a.removeAll('x'), 3u);
    EXPECT_EQ(str(a), "y");
    EXPECT_EQ(a.removeAll('x'), 0u);
    abc(a, "xxx");
    EXPECT_EQ(a.removeAll('x'), 3u);
    EXPECT_EQ(a.mSize, 0u);
}

TEST(CDynArrayRemove, RemoveLast) {
    CDynArray<char> a;
    abc(a, "abcde");
    EXPECT_TRUE(a.removeLast(2));
    EXPECT_EQ(str(a), "abc");
    EXPECT_TRUE(a.removeLast(0));
    EXPECT_TRUE(a.removeLast(3));
    EXPECT_EQ(a.mSize, 0u);
}

TEST(CDynArrayRemove, ClearFreesAndTheArrayCanBeUsedAgain) {
    CDynArray<char> a;
    abc(a, "abc");
    a.clear();
    EXPECT_EQ(a.mSize, 0u);
    EXPECT_EQ(a.mCapacity, 0u);
    EXPECT_EQ(a.mpData, nullptr);
    a.push('z');
    EXPECT_EQ(str(a), "z");
    EXPECT_EQ(a.mCapacity, 1u);
}

TEST(CDynArrayRemove, SetDataAdoptsABlock) {
    CDynArray<int> a;
    a.push(1);
    int* block = static_cast<int*>(malloc(3 * sizeof(int)));
    block[0] = 7;
    block[1] = 8;
    block[2] = 9;
    EXPECT_TRUE(a.setData(block, 3, true));
    EXPECT_EQ(a.mpData, block);
    EXPECT_EQ(a.mSize, 3u);
    EXPECT_EQ(a.mCapacity, 3u);
    EXPECT_EQ(contents(a), (std::vector<int>{7, 8, 9}));
    // Adopting the block it already owns never frees it.
    EXPECT_TRUE(a.setData(block, 2, true));
    EXPECT_EQ(contents(a), (std::vector<int>{7, 8}));
    // Without freeOld the caller keeps the old block.
    int* kept = a.mpData;
    EXPECT_TRUE(a.setData(nullptr, 0, false));
    EXPECT_EQ(a.mpData, nullptr);
    free(kept);
}

// ---- Refused operations leave the array untouched -------------------------------------------------

struct Snapshot {
    uint32_t size, capacity;
    const void* data;
    std::vector<int> items;
    explicit Snapshot(const CDynArray<int>& a)
        : size(a.mSize), capacity(a.mCapacity), data(a.mpData), items(a.mpData, a.mpData + a.mSize) {}
    bool operator==(const Snapshot& o) const {
        return size == o.size && capacity == o.capacity && data == o.data && items == o.items;
    }
};

class Refused : public ::testing::Test {
protected:
    CDynArray<int> a;
    void SetUp() override {
        for (int i = 0; i < 3; ++i) a.push(i + 1);  // [1, 2, 3], capacity 4
    }
};

TEST_F(Refused, RemovalFromAnEmptyArray) {
    CDynArray<int> e;
    Reports reports;
    EXPECT_EQ(e.pop(), 0);
    EXPECT_EQ(e.removeAt(0), 0);
    int x = 0;
    EXPECT_FALSE(e.remove(&x));
    EXPECT_FALSE(e.removeLast(1));
    EXPECT_EQ(e.takeFromEnd(1), 0);
    EXPECT_EQ(reports.count(), 5u);
    // Each check reports under the line number it is known by.
    EXPECT_EQ(reports.lines, (std::vector<int>{402, 192, 199, 222, 402}));
    EXPECT_EQ(e.mSize, 0u);
    EXPECT_EQ(e.mCapacity, 0u);
    EXPECT_EQ(e.mpData, nullptr);
}

TEST_F(Refused, RemovalPastTheEnd) {
    Snapshot before(a);
    Reports reports;
    EXPECT_EQ(a.removeAt(3), 0);
    EXPECT_EQ(a.removeAt(UINT32_MAX), 0);
    EXPECT_EQ(a.takeFromEnd(4), 0);
    EXPECT_EQ(a.takeFromEnd(0), 0);
    EXPECT_FALSE(a.removeLast(4));
    EXPECT_EQ(reports.count(), 5u);
    EXPECT_EQ(reports.lines, (std::vector<int>{192, 192, 402, 402, 222}));
    EXPECT_EQ(reports.texts[2], "negPos > 0 && mSize >= negPos");
    EXPECT_TRUE(Snapshot(a) == before);
}

TEST_F(Refused, RemoveOfAnAbsentElement) {
    Snapshot before(a);
    Reports reports;
    int elsewhere = 2;
    EXPECT_FALSE(a.remove(&elsewhere));
    EXPECT_FALSE(a.remove(a.mpData + 3));  // in the block, past the used part
    EXPECT_FALSE(a.remove(reinterpret_cast<int*>(reinterpret_cast<char*>(a.mpData) + 1)));  // not an element
    EXPECT_FALSE(a.remove(nullptr));
    EXPECT_EQ(reports.count(), 4u);
    EXPECT_EQ(reports.lines, (std::vector<int>{201, 201, 201, 201}));
    EXPECT_TRUE(Snapshot(a) == before);
    // Removing a value that is not there is no failure at all.
    EXPECT_FALSE(a.removeValue(42));
    EXPECT_EQ(a.removeAll(42), 0u);
    EXPECT_EQ(reports.count(), 4u);
    EXPECT_TRUE(Snapshot(a) == before);
}

TEST_F(Refused, GrowthByZeroAndStepZero) {
    Snapshot before(a);
    Reports reports;
    EXPECT_FALSE(a.grow(0));
    EXPECT_FALSE(a.growBy(0));
    a.push(4);  // fills the array: capacity 4
    Snapshot full(a);
    EXPECT_FALSE(a.add(5, 0));
    EXPECT_EQ(a.addNew(0), nullptr);
    EXPECT_EQ(a.insertNew(0, 0), nullptr);
    EXPECT_FALSE(a.addUnique(6, 0));
    EXPECT_EQ(reports.count(), 6u);
    EXPECT_EQ(reports.lines, (std::vector<int>{133, 133, 133, 133, 133, 133}));
    EXPECT_TRUE(Snapshot(a) == full);
    (void)before;
}

TEST_F(Refused, SizesBeyond32Bits) {
    Snapshot before(a);
    Reports reports;
    EXPECT_FALSE(a.growBy(UINT32_MAX));                   // capacity overflows
    EXPECT_FALSE(a.reallocate(UINT32_MAX / 2));           // byte size overflows
    EXPECT_FALSE(a.reserve(0x40000000u));                 // 4 * 2^30 bytes
    EXPECT_FALSE(a.reserve(0x20000000u));                 // 2 GB: larger than any object may be
    EXPECT_FALSE(a.setSize(UINT32_MAX));
    EXPECT_FALSE(a.addSize(UINT32_MAX - 1));              // mSize + n overflows
    int x = 0;
    EXPECT_FALSE(a.addArray(&x, UINT32_MAX - 1));
    EXPECT_EQ(reports.count(), 7u);
    EXPECT_TRUE(Snapshot(a) == before);
    CDynArray<int> huge(UINT32_MAX);
    EXPECT_EQ(huge.mSize, 0u);
    EXPECT_EQ(huge.mpData, nullptr);
}

TEST_F(Refused, FailedReallocationKeepsTheOldBlock) {
    Snapshot before(a);
    Reports reports;
    // 0x1FFFFF00 ints: just under 2 GB, a size allowed for an object, but no 32-bit process without a
    // larger address space has that much room in one piece.
    EXPECT_FALSE(a.reallocate(0x1FFFFF00u));
    EXPECT_FALSE(a.reserve(0x1FFFFF00u));
    EXPECT_FALSE(a.growBy(0x1FFFFF00u));
    EXPECT_EQ(reports.count(), 3u);
    EXPECT_EQ(reports.lines, (std::vector<int>{128, 128, 135}));  // growBy reports its own line
    EXPECT_TRUE(Snapshot(a) == before);
    a.push(4);
    EXPECT_EQ(a.mSize, 4u);
}

TEST_F(Refused, NullSourcesAndBadInsertIndex) {
    Snapshot before(a);
    Reports reports;
    EXPECT_FALSE(a.addArray(nullptr, 2));
    EXPECT_EQ(a.insertNew(4, -2), nullptr);
    EXPECT_FALSE(a.setData(nullptr, 5, true));
    EXPECT_EQ(reports.count(), 3u);
    EXPECT_EQ(reports.lines, (std::vector<int>{475, 491, 314}));
    EXPECT_TRUE(Snapshot(a) == before);
}

// ---- Raw moves ------------------------------------------------------------------------------------

TEST(CDynArrayRaw, TheArrayItselfMovesAsRawBytes) {
    alignas(CDynArray<int>) unsigned char first[sizeof(CDynArray<int>)];
    alignas(CDynArray<int>) unsigned char second[sizeof(CDynArray<int>)];
    CDynArray<int>* a = new (first) CDynArray<int>();
    for (int i = 0; i < 10; ++i) a->push(i);
    memcpy(second, first, sizeof(first));
    memset(first, 0xCD, sizeof(first));
    CDynArray<int>* b = reinterpret_cast<CDynArray<int>*>(second);
    for (int i = 10; i < 30; ++i) b->push(i);
    EXPECT_EQ(b->mSize, 30u);
    for (int i = 0; i < 30; ++i) EXPECT_EQ((*b)[i], i);
    b->~CDynArray<int>();
}

TEST(CDynArrayRaw, ArraysOfArrays) {
    CDynArray<CDynArray<int>> outer;
    for (int i = 0; i < 20; ++i) {
        CDynArray<int>* inner = outer.pushNew();
        new (inner) CDynArray<int>();
        for (int j = 0; j <= i; ++j) inner->push(i * 100 + j);
    }
    CDynArray<int>* opened = outer.insertNew(5, -2);
    new (opened) CDynArray<int>();
    opened->push(-1);
    EXPECT_EQ(outer[5][0], -1);
    EXPECT_EQ(outer[6].mSize, 6u);
    EXPECT_EQ(outer[6][5], 505);
    CDynArray<int> taken = outer.removeAt(5);  // handed back: the caller owns its block
    EXPECT_EQ(taken.mSize, 1u);
    EXPECT_EQ(outer[5][4], 504);
    for (uint32_t i = 0; i < outer.mSize; ++i) outer[i].~CDynArray<int>();
}

// Counts every constructor, copy, move and destructor call.
struct Ledger {
    int constructed = 0, copied = 0, moved = 0, destroyed = 0;
    int live() const { return constructed + copied + moved - destroyed; }
};

struct Tracked {
    Ledger* ledger;
    int value;
    Tracked(Ledger* l, int v) : ledger(l), value(v) { ++ledger->constructed; }
    Tracked(const Tracked& o) : ledger(o.ledger), value(o.value) { ++ledger->copied; }
    Tracked(Tracked&& o) noexcept : ledger(o.ledger), value(o.value) { ++ledger->moved; }
    Tracked() : ledger(nullptr), value(0) {}
    ~Tracked() {
        if (ledger) ++ledger->destroyed;
    }
    bool operator==(const Tracked& o) const { return value == o.value; }
};

TEST(CDynArrayRaw, NoElementOperationRunsWhileStoringGrowingOrMoving) {
    Ledger ledger;
    {
        CDynArray<Tracked> a;
        for (int i = 0; i < 5; ++i) {
            Tracked t(&ledger, i);
            a.push(t);  // byte copy: no copy constructor
        }
        EXPECT_EQ(ledger.constructed, 5);
        EXPECT_EQ(ledger.copied, 0);
        EXPECT_EQ(ledger.destroyed, 5);  // the five locals
        new (a.insertNew(0, 1)) Tracked(&ledger, -1);
        a.setSize(40);
        a.setSize(6);
        a.reallocate(100);
        EXPECT_TRUE(a.remove(&a[2]));  // bytes dropped, no destructor
        Tracked key;  // no ledger: not counted
        key.value = 3;
        EXPECT_EQ(a.removeAll(key), 1u);
        EXPECT_EQ(ledger.copied + ledger.moved, 0);
        EXPECT_EQ(ledger.destroyed, 5);
        ASSERT_EQ(a.mSize, 4u);
        // Handing an element back relocates it: one move into the result, the old bytes ended once.
        {
            Tracked taken = a.removeAt(0);
            EXPECT_EQ(taken.value, -1);
            EXPECT_EQ(ledger.moved, 1);
            EXPECT_EQ(ledger.destroyed, 6);
        }
        EXPECT_EQ(ledger.destroyed, 7);
        {
            Tracked last = a.pop();
            EXPECT_EQ(last.value, 4);
        }
        EXPECT_EQ(ledger.moved, 2);
        EXPECT_EQ(ledger.destroyed, 9);
        a.clear();  // the array frees bytes only
        EXPECT_EQ(ledger.destroyed, 9);
    }
    EXPECT_EQ(ledger.copied, 0);
}

TEST(CDynArrayRaw, MoveConstructionHandsTheBlockOver) {
    CDynArray<int> a;
    a.push(1);
    int* block = a.mpData;
    CDynArray<int> b(std::move(a));
    EXPECT_EQ(b.mpData, block);
    EXPECT_EQ(a.mpData, nullptr);
    EXPECT_EQ(a.mSize, 0u);
    CDynArray<int> c;
    c.push(5);
    c = std::move(b);
    EXPECT_EQ(c.mpData, block);
    EXPECT_EQ(c.mSize, 1u);
}

}  // namespace
