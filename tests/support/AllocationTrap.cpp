// The counting replacements of AllocationTrap.h: malloc, free, calloc, realloc, the aligned allocators,
// every form of operator new and delete, and pthread_mutex_lock.
#include "support/AllocationTrap.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QUORBEL_COUNT_C_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUORBEL_COUNT_C_ALLOCATOR 0
#endif
#endif
#ifndef QUORBEL_COUNT_C_ALLOCATOR
#define QUORBEL_COUNT_C_ALLOCATOR 1
#endif

namespace {

thread_local bool inRender = false;
thread_local long newsUntilFailure = 0; // 0: none armed
thread_local bool armedNewFailed = false;
std::atomic<long> allocatorCalls{0};
std::atomic<long> newDeleteCalls{0};
std::atomic<long> lockCalls{0};

void noteNewDelete() noexcept {
    if (inRender) {
        newDeleteCalls.fetch_add(1, std::memory_order_relaxed);
    }
}

void* alignedBlock(std::size_t size, std::size_t alignment) noexcept {
    void* p = nullptr;
    if (alignment < sizeof(void*)) {
        alignment = sizeof(void*);
    }
    return posix_memalign(&p, alignment, size == 0 ? 1 : size) == 0 ? p : nullptr;
}

// Counts down the armed failure; true for the call that is to fail.
bool failThisNew() noexcept {
    if (newsUntilFailure > 0 && --newsUntilFailure == 0) {
        armedNewFailed = true;
        return true;
    }
    return false;
}

void* newBlock(std::size_t size) {
    noteNewDelete();
    if (failThisNew()) {
        throw std::bad_alloc();
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}
void* newAligned(std::size_t size, std::align_val_t alignment) {
    noteNewDelete();
    if (failThisNew()) {
        throw std::bad_alloc();
    }
    void* p = alignedBlock(size, static_cast<std::size_t>(alignment));
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}
void deleteBlock(void* p) noexcept {
    noteNewDelete();
    std::free(p);
}

} // namespace

#if QUORBEL_COUNT_C_ALLOCATOR
namespace {
void noteAllocator() noexcept {
    if (inRender) {
        allocatorCalls.fetch_add(1, std::memory_order_relaxed);
    }
}
} // namespace

extern "C" {
void* __libc_malloc(std::size_t);
void __libc_free(void*);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);

void* malloc(std::size_t size) noexcept {
    noteAllocator();
    return __libc_malloc(size);
}
void free(void* p) noexcept {
    if (p != nullptr) {
        noteAllocator();
    }
    __libc_free(p);
}
void* calloc(std::size_t n, std::size_t size) noexcept {
    noteAllocator();
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    noteAllocator();
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    noteAllocator();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    noteAllocator();
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    noteAllocator();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) {
        return ENOMEM;
    }
    *out = p;
    return 0;
}
}
#endif

void* operator new(std::size_t size) {
    return newBlock(size);
}
void* operator new[](std::size_t size) {
    return newBlock(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return newBlock(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return newBlock(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t al) {
    return newAligned(size, al);
}
void* operator new[](std::size_t size, std::align_val_t al) {
    return newAligned(size, al);
}
void* operator new(std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept {
    try {
        return newAligned(size, al);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, std::align_val_t al, const std::nothrow_t&) noexcept {
    try {
        return newAligned(size, al);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    deleteBlock(p);
}
void operator delete[](void* p) noexcept {
    deleteBlock(p);
}
void operator delete(void* p, std::size_t) noexcept {
    deleteBlock(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    deleteBlock(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    deleteBlock(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    deleteBlock(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    deleteBlock(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    deleteBlock(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    deleteBlock(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    deleteBlock(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    deleteBlock(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    deleteBlock(p);
}

namespace {
using MutexLock = int (*)(pthread_mutex_t*);
MutexLock realMutexLock() noexcept {
    // Resolved on first use; dlsym takes the loader's own lock, not this function.
    static std::atomic<MutexLock> next{nullptr};
    MutexLock fn = next.load(std::memory_order_acquire);
    if (fn == nullptr) {
        fn = reinterpret_cast<MutexLock>(dlsym(RTLD_NEXT, "pthread_mutex_lock"));
        next.store(fn, std::memory_order_release);
    }
    return fn;
}
} // namespace

extern "C" int pthread_mutex_lock(pthread_mutex_t* mutex) noexcept {
    if (inRender) {
        lockCalls.fetch_add(1, std::memory_order_relaxed);
    }
    return realMutexLock()(mutex);
}

namespace quorbel::test {

bool trapCountsCAllocator() noexcept {
    return QUORBEL_COUNT_C_ALLOCATOR != 0;
}

void setInRender(bool flag) noexcept {
    inRender = flag;
}

TrapCounts trapCounts() noexcept {
    return {allocatorCalls.load(), newDeleteCalls.load(), lockCalls.load()};
}

void failNthNew(long n) noexcept {
    newsUntilFailure = n > 0 ? n : 0;
    armedNewFailed = false;
}

bool nthNewFailed() noexcept {
    return armedNewFailed;
}

TrapCounts exerciseTrap() {
    std::mutex m;
    volatile char* sink = nullptr;
    const TrapCounts seen = inRenderScope([&] {
        // Direct calls: a new-expression paired with its delete may be elided by the compiler.
        void* p = ::operator new[](64);
        sink = static_cast<char*>(p);
        ::operator delete[](p);
        auto* q = static_cast<char*>(std::malloc(32));
        sink = q;
        std::free(q);
        std::vector<float> v(1000);
        sink = reinterpret_cast<volatile char*>(v.data());
        m.lock();
        m.unlock();
    });
    (void)sink;
    return seen;
}

} // namespace quorbel::test
