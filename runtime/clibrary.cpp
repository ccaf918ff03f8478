// The few C library functions the deliverables call, or the compiler calls
// for them (structure copies and clearing), so that they import nothing but
// the system's own DLLs: the C library's DLL is not part of every Windows 95.
// Built so that the compiler cannot turn these loops back into calls to
// themselves.
#include <windows.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <new>

// The process heap serves both deliverables: in the shell's process the
// extension's blocks live beside the shell's own.
extern "C" void* malloc(size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

extern "C" void free(void* block)
{
    if (block)
        HeapFree(GetProcessHeap(), 0, block);
}

// A failed reallocation leaves the block as it was, as the C library's does.
extern "C" void* realloc(void* block, size_t size)
{
    if (!block)
        return malloc(size);
    if (!size) {
        free(block);
        return NULL;
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

namespace std {
const nothrow_t nothrow{};
}

extern "C" void* memcpy(void* to, const void* from, size_t count)
{
    unsigned char* d = static_cast<unsigned char*>(to);
    const unsigned char* s = static_cast<const unsigned char*>(from);
    while (count--)
        *d++ = *s++;
    return to;
}

extern "C" void* memmove(void* to, const void* from, size_t count)
{
    unsigned char* d = static_cast<unsigned char*>(to);
    const unsigned char* s = static_cast<const unsigned char*>(from);
    if (d <= s || d >= s + count)
        return memcpy(to, from, count);
    while (count--)
        d[count] = s[count];
    return to;
}

extern "C" void* memset(void* to, int value, size_t count)
{
    unsigned char* d = static_cast<unsigned char*>(to);
    while (count--)
        *d++ = static_cast<unsigned char>(value);
    return to;
}

extern "C" int memcmp(const void* a, const void* b, size_t count)
{
    const unsigned char* p = static_cast<const unsigned char*>(a);
    const unsigned char* q = static_cast<const unsigned char*>(b);
    for (; count; --count, ++p, ++q) {
        if (*p != *q)
            return *p < *q ? -1 : 1;
    }
    return 0;
}

extern "C" size_t strlen(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return static_cast<size_t>(end - text);
}

extern "C" char* strcpy(char* to, const char* from)
{
    char* d = to;
    while ((*d++ = *from++) != '\0') {
    }
    return to;
}

// Bytes compare as unsigned, as the C library's do.
extern "C" int strcmp(const char* a, const char* b)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p && *p == *q) {
        ++p;
        ++q;
    }
    return *p < *q ? -1 : (*p > *q ? 1 : 0);
}

extern "C" char* strchr(const char* text, int c)
{
    const char wanted = static_cast<char>(c);
    for (;; ++text) {
        if (*text == wanted)
            return const_cast<char*>(text);
        if (!*text)
            return NULL;
    }
}

extern "C" char* strrchr(const char* text, int c)
{
    const char wanted = static_cast<char>(c);
    const char* found = NULL;
    for (;; ++text) {
        if (*text == wanted)
            found = text;
        if (!*text)
            return const_cast<char*>(found);
    }
}

extern "C" void* memchr(const void* block, int c, size_t count)
{
    const unsigned char* p = static_cast<const unsigned char*>(block);
    for (; count; --count, ++p) {
        if (*p == static_cast<unsigned char>(c))
            return const_cast<unsigned char*>(p);
    }
    return NULL;
}

extern "C" char* strpbrk(const char* text, const char* accept)
{
    for (; *text; ++text) {
        if (strchr(accept, *text))
            return const_cast<char*>(text);
    }
    return NULL;
}

namespace {

void SwapBytes(unsigned char* a, unsigned char* b, size_t size)
{
    while (size--) {
        unsigned char t = *a;
        *a++ = *b;
        *b++ = t;
    }
}

typedef int (*Compare)(const void*, const void*);

// Moves element i down the heap of count elements until both its children
// are no greater.
void SiftDown(unsigned char* base, size_t i, size_t count, size_t size, Compare compare)
{
    for (;;) {
        size_t largest = i, left = 2 * i + 1, right = left + 1;
        if (left < count && compare(base + left * size, base + largest * size) > 0)
            largest = left;
        if (right < count && compare(base + right * size, base + largest * size) > 0)
            largest = right;
        if (largest == i)
            return;
        SwapBytes(base + i * size, base + largest * size, size);
        i = largest;
    }
}

}  // namespace

// A heap sort: n log n whatever the order, no recursion, no memory.
extern "C" void qsort(void* block, size_t count, size_t size, Compare compare)
{
    unsigned char* base = static_cast<unsigned char*>(block);
    if (count < 2 || !size)
        return;
    for (size_t i = count / 2; i-- > 0;)
        SiftDown(base, i, count, size, compare);
    for (size_t end = count - 1; end > 0; --end) {
        SwapBytes(base, base + end * size, size);
        SiftDown(base, 0, end, size, compare);
    }
}

extern "C" void* bsearch(const void* key, const void* block, size_t count, size_t size, Compare compare)
{
    const unsigned char* base = static_cast<const unsigned char*>(block);
    size_t low = 0, high = count;
    while (low < high) {
        size_t middle = low + (high - low) / 2;
        int order = compare(key, base + middle * size);
        if (order == 0)
            return const_cast<unsigned char*>(base + middle * size);
        if (order < 0)
            high = middle;
        else
            low = middle + 1;
    }
    return NULL;
}

// Exact for every double: beyond 2^52 (and for infinities and NaN) a value
// is already whole.
extern "C" double floor(double value)
{
    const double kWhole = 4503599627370496.0;  // 2^52
    if (!(value > -kWhole && value < kWhole))
        return value;
    double truncated = static_cast<double>(static_cast<long long>(value));
    if (truncated == value)
        return value;  // keeps the sign of a zero
    return truncated > value ? truncated - 1.0 : truncated;
}
