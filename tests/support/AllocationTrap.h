#pragma once
// Counts the allocator calls (malloc family, operator new and delete) and pthread_mutex_lock calls that a
// thread makes while its "in render" flag is set, and makes a chosen operator new fail. AllocationTrap.cpp
// replaces those functions for the whole binary; link it into a test binary of its own.
//
// Under AddressSanitizer the C allocator belongs to the sanitizer's runtime and cannot be replaced; that
// build counts operator new/delete and pthread_mutex_lock only.

namespace quorbel::test {

/// Calls counted so far (or during one scope).
struct TrapCounts {
    long allocator = 0;
    long newDelete = 0;
    long locks = 0;
};

/// Whether the C allocator is counted in this build.
bool trapCountsCAllocator() noexcept;
/// Sets or clears the calling thread's "in render" flag.
void setInRender(bool inRender) noexcept;
/// The calls counted so far, all threads together.
TrapCounts trapCounts() noexcept;

/// Runs `f` with the calling thread's flag set and returns the calls counted meanwhile.
template <typename F> TrapCounts inRenderScope(F&& f) {
    const TrapCounts before = trapCounts();
    setInRender(true);
    f();
    setInRender(false);
    const TrapCounts after = trapCounts();
    return {after.allocator - before.allocator, after.newDelete - before.newDelete,
            after.locks - before.locks};
}

/// Allocates and frees through operator new, malloc and a vector, and locks a mutex, all inside a render
/// scope, and returns what was counted: a binary's self-check that its trap sees what it must.
TrapCounts exerciseTrap();

/// Makes the calling thread's `n`-th operator new from now on fail (std::bad_alloc, or null from the
/// nothrow forms), once; 0 disarms.
void failNthNew(long n) noexcept;
/// Whether the failure armed by failNthNew has happened (on the calling thread).
bool nthNewFailed() noexcept;

} // namespace quorbel::test
