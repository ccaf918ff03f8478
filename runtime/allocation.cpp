// The deliverables' own allocation functions, linked into every program and
// DLL of the product. The C++ library's versions catch and throw bad_alloc,
// and that alone brings the whole exception machinery along (unwinder,
// demangler, a printf of its own): it tripled the size of each module and
// imported calls that Windows 95 only pretends to have. Nothing here throws,
// and there is no plain new: it may not answer null, and nothing here may
// end the process for want of memory.
#include <stdlib.h>

#include <new>

// A failed allocation answers null, which every caller checks.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return malloc(size ? size : 1);
}

void operator delete(void* p) noexcept
{
    free(p);
}

void operator delete[](void* p) noexcept
{
    free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    free(p);
}
