#pragma once

#include "base/Memory.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace oq {

// Room for L elements inside the array object; nothing when L is 0.
template <typename T, int32_t L>
struct ArrayLocalStorage
{
    alignas(T) unsigned char bytes[sizeof(T) * L];

    T *GetElements() { return reinterpret_cast<T *>(bytes); }
};

template <typename T>
struct ArrayLocalStorage<T, 0>
{
    T *GetElements() { return nullptr; }
};

// Growable array with optional local storage for the first L elements.
// Storage never shrinks; the heap block comes from the program's allocator.
template <typename T, int32_t L = 0>
class Array
{
public:
    Array()
    {
        elementCount = 0;
        reservedCount = L;
        elementArray = localStorage.GetElements();
    }

    // Takes the source's count; local storage when the count fits it, else the source's reserved count.
    Array(const Array &array)
    {
        elementCount = 0;
        reservedCount = L;
        elementArray = localStorage.GetElements();
        int32_t count = array.elementCount;
        if (count > L)
        {
            reservedCount = array.reservedCount;
            elementArray = static_cast<T *>(MemoryAllocate(sizeof(T) * size_t(reservedCount)));
        }
        for (int32_t i = 0; i < count; ++i) new (&elementArray[i]) T(array.elementArray[i]);
        elementCount = count;
    }

    Array &operator=(const Array &) = delete;

    ~Array()
    {
        if constexpr (!std::is_trivially_destructible_v<T>)
        {
            for (int32_t i = elementCount - 1; i >= 0; --i) elementArray[i].~T();
        }
        ReleaseStorage();
    }

    int32_t GetElementCount() const { return elementCount; }
    int32_t GetReservedCount() const { return reservedCount; }

    T *GetElements() { return elementArray; }
    const T *GetElements() const { return elementArray; }

    T &operator[](int32_t index) { return elementArray[index]; }
    const T &operator[](int32_t index) const { return elementArray[index]; }

    T *begin() { return elementArray; }
    T *end() { return elementArray + elementCount; }
    const T *begin() const { return elementArray; }
    const T *end() const { return elementArray + elementCount; }

    // The reserved count the growth rule gives storage of `current` elements asked for `count`.
    static int32_t GetGrownCount(int32_t current, int32_t count)
    {
        int64_t half = (int64_t(current) / 2 + 3) & ~int64_t(3);
        int64_t step = (L != 0) ? L : 4;
        int64_t grown = current + ((half > step) ? half : step);
        int64_t requested = (count > 4) ? count : 4;
        int64_t newCount = (grown > requested) ? grown : requested;
        return (newCount > INT32_MAX) ? INT32_MAX : int32_t(newCount);
    }

    // Grows the storage by the growth rule; always reallocates.
    void SetReservedCount(int32_t count)
    {
        int32_t newCount = GetGrownCount(reservedCount, count);

        T *newArray = static_cast<T *>(MemoryAllocate(sizeof(T) * size_t(newCount)));
        Relocate(newArray);
        ReleaseStorage();
        elementArray = newArray;
        reservedCount = newCount;
    }

    // Constructs or destroys elements up to the new count; never shrinks the storage.
    void SetElementCount(int32_t count)
    {
        if (count > reservedCount) SetReservedCount(count);
        if constexpr (!std::is_trivially_default_constructible_v<T>)
        {
            for (int32_t i = elementCount; i < count; ++i) new (&elementArray[i]) T();
        }
        if constexpr (!std::is_trivially_destructible_v<T>)
        {
            for (int32_t i = elementCount - 1; i >= count; --i) elementArray[i].~T();
        }
        elementCount = count;
    }

    // Empties the array and frees heap storage: count 0, capacity back to the local room.
    void Reset()
    {
        if constexpr (!std::is_trivially_destructible_v<T>)
        {
            for (int32_t i = elementCount - 1; i >= 0; --i) elementArray[i].~T();
        }
        ReleaseStorage();
        elementCount = 0;
        reservedCount = L;
        elementArray = localStorage.GetElements();
    }

    // The element is copied before the storage grows, so it may be one of this array's own elements.
    T &AddElement(const T &element)
    {
        if (elementCount < reservedCount)
        {
            T *slot = new (&elementArray[elementCount]) T(element);
            ++elementCount;
            return *slot;
        }

        T copy(element);
        SetReservedCount(elementCount + 1);
        T *slot = new (&elementArray[elementCount]) T(std::move(copy));
        ++elementCount;
        return *slot;
    }

private:
    // Moves the live elements into new storage: plain copies for trivially copyable elements,
    // else construction from the moved source (a copy for types without a move constructor)
    // followed by the source's destruction.
    void Relocate(T *newArray)
    {
        if (elementCount == 0) return;
        if constexpr (std::is_trivially_copyable_v<T>)
        {
            std::memcpy(static_cast<void *>(newArray), static_cast<const void *>(elementArray),
                        sizeof(T) * size_t(elementCount));
        }
        else
        {
            for (int32_t i = 0; i < elementCount; ++i)
            {
                new (&newArray[i]) T(std::move(elementArray[i]));
                elementArray[i].~T();
            }
        }
    }

    void ReleaseStorage()
    {
        if (elementArray && elementArray != localStorage.GetElements()) MemoryRelease(elementArray);
    }

    int32_t elementCount;
    int32_t reservedCount;
    T *elementArray;
    [[no_unique_address]] ArrayLocalStorage<T, L> localStorage;
};

}  // namespace oq
