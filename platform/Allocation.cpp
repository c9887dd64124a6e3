// Global allocation without exceptions: the product is built without them, so running out of
// memory ends the process instead of throwing through code that cannot catch.
#include <new>
#include <stdlib.h>

void* operator new(size_t size)
{
    void* p = ::malloc(size ? size : 1);
    if (!p)
        ::abort();
    return p;
}

void* operator new[](size_t size)
{
    return operator new(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return ::malloc(size ? size : 1);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return ::malloc(size ? size : 1);
}

void operator delete(void* p) noexcept
{
    ::free(p);
}

void operator delete[](void* p) noexcept
{
    ::free(p);
}

void operator delete(void* p, size_t) noexcept
{
    ::free(p);
}

void operator delete[](void* p, size_t) noexcept
{
    ::free(p);
}

void operator delete(void* p, const std::nothrow_t&) noexcept
{
    ::free(p);
}

void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    ::free(p);
}
