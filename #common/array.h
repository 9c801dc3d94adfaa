// CDynArray: the common library's array template (header only).
//
// Elements are kept as raw bytes: the array never runs an element's constructor, destructor or copy
// operation while it stores, grows or moves elements; it copies and moves them with plain byte copies
// (memcpy / memmove of whole elements). The owner of an element that holds resources releases them
// before removing it. An element handed back by value (removeAt, takeFromEnd, pop) is relocated into
// the return value: moved out of its old bytes, whose object is then destroyed.
//
// Growth: a full array grows when an element is added (add, addNew, insertNew, addUnique) by a step:
//   step >= 1  adds exactly step elements of capacity;
//   step <= 0  adds mCapacity / (-step) + 1 elements (step -2: 0, 1, 2, 4, 7, 11, 17, 26, ...).
// A step of 0 is refused. reserve, setSize and addArray reach an exact capacity; only clear, setData
// and the destructor ever shrink the block.
//
// Checks: every failed check is a debug report (debug.h) under the fixed line number that the check is
// known by (128 reallocate, 133 growth by 0, 135 growth beyond 32 bits or a failed reallocation while
// growing, 192 removeAt, 199/201 remove, 222 removeLast, 248 at, 253 indexOf, 258 operator[],
// 270 fromEnd, 314 setData, 402 takeFromEnd, 475 addArray, 491 insertNew), and the operation is
// refused: the array is left exactly as it was (a failed reallocation keeps the old block). Counts
// whose byte size would not fit in 31 bits (no object may be larger than 2 GB) are refused the same
// way.
//
// The array holds no pointer into itself, so an array may itself be moved as raw bytes.
#pragma once

#include <debug.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <new>
#include <type_traits>
#include <utility>

// Element equality used by find, addUnique, removeValue and removeAll. The default compares with ==;
// an element type keyed otherwise specializes this template (or defines its own operator==).
template <class T>
struct CDynArrayEqual {
    static bool equal(const T& a, const T& b) { return a == b; }
};

template <class T>
class CDynArray {
public:
    uint32_t mSize;      // elements in use
    T* mpData;           // element block (malloc/realloc/free); null while nothing is allocated
    uint32_t mCapacity;  // elements the block holds

    // n elements of undefined bytes; an empty array when n is 0 (or when the block cannot be had).
    explicit CDynArray(uint32_t n = 0) : mSize(0), mpData(nullptr), mCapacity(0) {
        if (n != 0 && reallocate(n)) mSize = n;
    }

    ~CDynArray() {
        if (mpData) free(mpData);
    }

    // Copying would share the block; moving hands it over and leaves the source empty.
    CDynArray(const CDynArray&) = delete;
    CDynArray& operator=(const CDynArray&) = delete;
    CDynArray(CDynArray&& other) noexcept : mSize(other.mSize), mpData(other.mpData), mCapacity(other.mCapacity) {
        other.mSize = 0;
        other.mpData = nullptr;
        other.mCapacity = 0;
    }
    CDynArray& operator=(CDynArray&& other) noexcept {
        if (this != &other) {
            if (mpData) free(mpData);
            mSize = other.mSize;
            mpData = other.mpData;
            mCapacity = other.mCapacity;
            other.mSize = 0;
            other.mpData = nullptr;
            other.mCapacity = 0;
        }
        return *this;
    }

    uint32_t getSize() const { return mSize; }
    uint32_t getCount() const { return mSize; }

    // Element access. An index outside the used part is reported and yields a fresh scratch element
    // (never a stale slot of the block, which may still hold the bytes of a removed element).
    // operator[] and getAt do not report on an empty array: there an index below mCapacity gives the
    // slot of the block, so that a reserved block can be filled as a buffer. Nothing outside the block
    // is ever touched.
    T& at(uint32_t i) {
        if (!ZIN_CHECK_AT(i < mSize, 248)) return scratch();
        return mpData[i];
    }
    const T& at(uint32_t i) const { return const_cast<CDynArray*>(this)->at(i); }

    T& operator[](uint32_t i) {
        if (i < mSize) return mpData[i];
        if (mSize != 0) {
            ZIN_REPORT_AT("i < mSize", 258);
            return scratch();
        }
        return i < mCapacity ? mpData[i] : scratch();
    }
    const T& operator[](uint32_t i) const { return (*const_cast<CDynArray*>(this))[i]; }
    T& getAt(uint32_t i) { return (*this)[i]; }
    const T& getAt(uint32_t i) const { return (*this)[i]; }

    // Element mSize - negPos (negPos 1 is the last one).
    T& fromEnd(uint32_t negPos) {
        if (!ZIN_CHECK_AT(negPos > 0 && negPos <= mSize, 270)) return scratch();
        return mpData[mSize - negPos];
    }
    const T& fromEnd(uint32_t negPos) const { return const_cast<CDynArray*>(this)->fromEnd(negPos); }

    // Index of the element at p; reported and 0xFFFFFFFF when p is not a used element.
    uint32_t indexOf(const T* p) const {
        uint32_t index;
        if (!ZIN_CHECK_MSG_AT(locate(p, index), "p inside the used elements", 253)) return UINT32_MAX;
        return index;
    }

    // Appends a byte copy of v (v may be an element of this array). False when the array could not grow.
    bool add(const T& v, int32_t step) {
        if (mSize >= mCapacity) {
            Bytes copy(v);  // v may live in the block that growing moves
            if (!grow(step)) return false;
            copy.copyTo(mpData + mSize);
        } else {
            copyBytes(mpData + mSize, &v, 1);
        }
        ++mSize;
        return true;
    }
    bool push(const T& v) { return add(v, -2); }

    // Appends n elements copied from p (p may point into this array). False when refused.
    bool addArray(const T* p, uint32_t n) {
        if (n == 0) return true;
        if (!ZIN_CHECK_AT(p != nullptr, 475)) return false;
        if (!ZIN_CHECK_MSG(n <= UINT32_MAX - mSize, "mSize + n fits in 32 bits")) return false;
        uint32_t index;
        bool inside = locateInBlock(p, index);
        if (mSize + n > mCapacity && !reserve(mSize + n)) return false;
        if (inside) p = mpData + index;  // the block may have moved
        moveBytes(mpData + mSize, p, n);
        mSize += n;
        return true;
    }

    // add(v, step) unless an equal element is there. True when v was added.
    bool addUnique(const T& v, int32_t step) {
        if (find(v, 0)) return false;
        return add(v, step);
    }

    // Appends one element of undefined bytes and returns it; null when the array could not grow.
    T* addNew(int32_t step) {
        if (mSize >= mCapacity && !grow(step)) return nullptr;
        return mpData + mSize++;
    }
    T* pushNew() { return addNew(-2); }

    // Opens a slot of undefined bytes at index (index == mSize appends); the later elements move up.
    // Null when index > mSize (reported) or when the array could not grow.
    T* insertNew(uint32_t index, int32_t step) {
        if (!ZIN_CHECK_AT(index <= mSize, 491)) return nullptr;
        if (mSize >= mCapacity && !grow(step)) return nullptr;
        moveBytes(mpData + index + 1, mpData + index, mSize - index);
        ++mSize;
        return mpData + index;
    }

    // The first element from index start upward that equals key, or null.
    T* find(const T& key, uint32_t start) {
        for (uint32_t i = start; i < mSize; ++i)
            if (CDynArrayEqual<T>::equal(mpData[i], key)) return mpData + i;
        return nullptr;
    }
    const T* find(const T& key, uint32_t start) const { return const_cast<CDynArray*>(this)->find(key, start); }

    // Removes element index and hands it back; the later elements move down. A bad index is reported,
    // nothing changes and a value-initialized T comes back.
    T removeAt(uint32_t index) {
        if (!ZIN_CHECK_AT(index < mSize, 192)) return T();
        Bytes out(mpData[index]);
        moveBytes(mpData + index, mpData + index + 1, mSize - index - 1);
        --mSize;
        return out.relocate();
    }

    // Removes the element at p (an element of the used part); the later elements move down. An empty
    // array or an address that is not a used element is reported and nothing changes. True when removed.
    bool remove(T* p) {
        if (!ZIN_CHECK_AT(mSize > 0, 199)) return false;
        uint32_t index;
        if (!ZIN_CHECK_MSG_AT(locate(p, index), "p inside the used elements", 201)) return false;
        moveBytes(mpData + index, mpData + index + 1, mSize - index - 1);
        --mSize;
        return true;
    }

    // Removes the first element equal to key, if any. True when one was removed.
    bool removeValue(const T& key) {
        T* p = find(key, 0);
        return p ? remove(p) : false;
    }

    // Removes every element equal to key; returns how many.
    uint32_t removeAll(const T& key) {
        uint32_t removed = 0;
        // Walk once, keeping the elements that differ (same result as repeated find and remove).
        uint32_t kept = 0;
        for (uint32_t i = 0; i < mSize; ++i) {
            if (CDynArrayEqual<T>::equal(mpData[i], key)) {
                ++removed;
            } else {
                if (kept != i) copyBytes(mpData + kept, mpData + i, 1);
                ++kept;
            }
        }
        mSize = kept;
        return removed;
    }

    // Drops the last count elements (their bytes are not touched). Refused when count > mSize.
    bool removeLast(uint32_t count) {
        if (!ZIN_CHECK_AT(count <= mSize, 222)) return false;
        mSize -= count;
        return true;
    }

    // Removes element mSize - negPos and hands it back; the elements after it move down one place.
    T takeFromEnd(uint32_t negPos) {
        if (!ZIN_CHECK_MSG_AT(negPos > 0 && mSize >= negPos, "negPos > 0 && mSize >= negPos", 402)) return T();
        uint32_t index = mSize - negPos;
        Bytes out(mpData[index]);
        moveBytes(mpData + index, mpData + index + 1, negPos - 1);
        --mSize;
        return out.relocate();
    }
    T pop() { return takeFromEnd(1); }

    // mSize = n with room for n elements; added elements are undefined bytes; a smaller n never shrinks
    // the block. False (and nothing changed) when the block could not grow.
    bool setSize(uint32_t n) {
        if (!reserve(n)) return false;
        mSize = n;
        return true;
    }
    bool resize(uint32_t n) { return setSize(n); }
    bool addSize(uint32_t n) {
        if (!ZIN_CHECK_MSG(n <= UINT32_MAX - mSize, "mSize + n fits in 32 bits")) return false;
        return setSize(mSize + n);
    }

    // Makes the capacity exactly n when it is below n.
    bool reserve(uint32_t n) {
        if (mCapacity >= n) return true;
        return reallocate(n);
    }

    // Reallocates the block to exactly n elements (0 frees it). A failed reallocation is reported
    // (under failLine: growBy's is known by 135) and keeps the old block. A capacity below mSize
    // cuts mSize to it.
    bool reallocate(uint32_t n, int failLine = 128) {
        if (n == 0) {
            if (mpData) free(mpData);
            mpData = nullptr;
            mCapacity = 0;
            mSize = 0;
            return true;
        }
        if (!ZIN_CHECK_MSG_AT(n <= kMaxElements, "byte size fits in 31 bits", failLine)) return false;
        void* block = realloc(static_cast<void*>(mpData), static_cast<size_t>(n) * sizeof(T));
        if (!ZIN_CHECK_MSG_AT(block != nullptr, "reallocation failed", failLine)) return false;
        mpData = static_cast<T*>(block);
        mCapacity = n;
        if (mSize > n) mSize = n;
        return true;
    }

    // Grows a full array by the step rule (see the top of this file). Step 0 is refused.
    bool grow(int32_t step) {
        if (!ZIN_CHECK_AT(step != 0, 133)) return false;
        if (step >= 1) return growBy(static_cast<uint32_t>(step));
        uint32_t divisor = 0u - static_cast<uint32_t>(step);
        return growBy(mCapacity / divisor + 1);
    }

    // Adds n elements of capacity. n == 0 and a capacity beyond 32 bits are refused.
    bool growBy(uint32_t n) {
        if (!ZIN_CHECK_AT(n != 0, 133)) return false;
        if (!ZIN_CHECK_MSG_AT(n <= UINT32_MAX - mCapacity, "mCapacity + n fits in 32 bits", 135)) return false;
        return reallocate(mCapacity + n, 135);
    }

    // Adopts the block p of n elements (from malloc; the array frees it later). The old block is freed
    // when freeOld is set (never when it is p itself). A null p with n != 0 is refused.
    bool setData(T* p, uint32_t n, bool freeOld) {
        if (!ZIN_CHECK_AT(p != nullptr || n == 0, 314)) return false;
        if (freeOld && mpData && mpData != p) free(mpData);
        mpData = p;
        mCapacity = mSize = n;
        return true;
    }

    // Frees the block; both counts become 0. The array can be used again.
    void clear() { setData(nullptr, 0, true); }

private:
    // Raw byte storage for one element, suitably aligned.
    struct Bytes {
        alignas(T) unsigned char data[sizeof(T)];
        explicit Bytes(const T& v) { memcpy(data, static_cast<const void*>(&v), sizeof(T)); }
        void copyTo(T* dst) const { memcpy(static_cast<void*>(dst), data, sizeof(T)); }
        // Moves the element living in these bytes into a returned object and ends the old one (also
        // when the move throws, so that what it holds is not lost).
        T relocate() {
            struct End {
                T* p;
                ~End() { p->~T(); }
            } end{std::launder(reinterpret_cast<T*>(data))};
            return T(std::move(*end.p));
        }
    };

    // No object may be larger than PTRDIFF_MAX bytes (2 GB here), so no block holds more elements.
    static constexpr uint32_t kMaxElements = static_cast<uint32_t>(PTRDIFF_MAX / sizeof(T));

    static void copyBytes(T* dst, const T* src, uint32_t n) {
        if (n > kMaxElements) return;  // cannot happen within a block; tells the compiler the bound
        if (n) memcpy(static_cast<void*>(dst), static_cast<const void*>(src), static_cast<size_t>(n) * sizeof(T));
    }
    static void moveBytes(T* dst, const T* src, uint32_t n) {
        if (n > kMaxElements) return;
        if (n) memmove(static_cast<void*>(dst), static_cast<const void*>(src), static_cast<size_t>(n) * sizeof(T));
    }

    // Index of p within the block (capacity) / within the used part, when p is an element boundary.
    bool locateInBlock(const T* p, uint32_t& index) const {
        if (!mpData || !p) return false;
        uintptr_t base = reinterpret_cast<uintptr_t>(mpData);
        uintptr_t at = reinterpret_cast<uintptr_t>(p);
        if (at < base) return false;
        uintptr_t offset = at - base;
        if (offset % sizeof(T) != 0 || offset / sizeof(T) >= mCapacity) return false;
        index = static_cast<uint32_t>(offset / sizeof(T));
        return true;
    }
    bool locate(const T* p, uint32_t& index) const { return locateInBlock(p, index) && index < mSize; }

    // The element handed out for a refused access: zero bytes for plain types, a freshly
    // default-constructed object for classes that need construction (a zero-filled string object would
    // have no virtual table).
    static T& scratch() {
        if constexpr (std::is_trivially_default_constructible<T>::value || !std::is_default_constructible<T>::value) {
            alignas(T) static unsigned char bytes[sizeof(T)];
            memset(bytes, 0, sizeof(T));
            return *std::launder(reinterpret_cast<T*>(bytes));
        } else {
            static T item;
            item.~T();
            new (&item) T();
            return item;
        }
    }
};
