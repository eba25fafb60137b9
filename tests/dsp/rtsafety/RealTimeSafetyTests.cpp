// Replaces malloc, free, calloc, realloc, the aligned allocators, every form of operator new and delete, and
// pthread_mutex_lock with versions that count the calls a thread makes while its "in render" flag is set;
// then renders through QuorbelDSPKernel and expects no such call.
//
// Under AddressSanitizer the C allocator belongs to the sanitizer's runtime and cannot be replaced; that
// build counts operator new/delete and pthread_mutex_lock only. The Release build counts everything.
#include "dsp/QuorbelDSPKernel.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <random>
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

void* newBlock(std::size_t size) {
    noteNewDelete();
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}
void* newAligned(std::size_t size, std::align_val_t alignment) {
    noteNewDelete();
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

namespace quorbel {
namespace {

struct Counts {
    long allocator, newDelete, locks;
};

Counts counts() {
    return {allocatorCalls.load(), newDeleteCalls.load(), lockCalls.load()};
}

/// Runs `f` with the render flag set and returns the calls counted meanwhile.
template <typename F> Counts inRenderScope(F&& f) {
    const Counts before = counts();
    inRender = true;
    f();
    inRender = false;
    const Counts after = counts();
    return {after.allocator - before.allocator, after.newDelete - before.newDelete,
            after.locks - before.locks};
}

// The counters must see what they are meant to see, or a zero below would prove nothing.
TEST(RealTimeSafety, CountersSeeAllocationsAndLocks) {
    std::mutex m;
    volatile char* sink = nullptr;
    const Counts seen = inRenderScope([&] {
        auto* p = new char[64];
        sink = p;
        delete[] p;
        auto* q = static_cast<char*>(std::malloc(32));
        sink = q;
        std::free(q);
        std::vector<float> v(1000);
        sink = reinterpret_cast<volatile char*>(v.data());
        m.lock();
        m.unlock();
    });
    (void)sink;
    EXPECT_GE(seen.newDelete, 4);
    EXPECT_GE(seen.locks, 1);
#if QUORBEL_COUNT_C_ALLOCATOR
    EXPECT_GE(seen.allocator, 2);
#else
    GTEST_LOG_(INFO) << "AddressSanitizer build: the C allocator is the sanitizer's and is not counted";
#endif
}

struct RenderCase {
    const char* name;
    bool broken;
    std::int64_t filterMode;
};

TEST(RealTimeSafety, ProcessAllocatesNothingAndTakesNoLock) {
    const std::int64_t frameCounts[] = {0, 1, 64, 137, 512, 4096};
    const RenderCase cases[] = {{"wavy", false, 0}, {"choppy", true, 0}, {"choppy high-pass", true, 2}};
    constexpr std::int64_t maxFrames = 4096;

    std::mt19937 rng(3);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> source(2 * maxFrames);
    for (float& s : source) {
        s = noise(rng);
    }

    for (const RenderCase& c : cases) {
        QuorbelDSPKernel kernel;
        kernel.modulation().input.broken = c.broken;
        kernel.modulation().input.filterMode = c.filterMode;
        kernel.modulation().input.orbit = 0.6;
        kernel.modulation().input.vexity = 0.5;
        kernel.modulation().input.confusion = -0.7;
        kernel.allocate(2, maxFrames, 44100.0);
        platform::OwnedAudioBufferList buffers(2, maxFrames);

        // Enough calls that both spectral kernels complete many frames and the modulation ticks often; the
        // first call after allocation is inside the counted scope.
        double secondsRendered = 0.0;
        const Counts seen = inRenderScope([&] {
            for (int round = 0; round < 40; ++round) {
                for (std::int64_t frames : frameCounts) {
                    buffers.prepare(static_cast<std::uint32_t>(frames));
                    for (std::uint32_t ch = 0; ch < 2; ++ch) {
                        float* dst = buffers.channel(ch);
                        for (std::int64_t i = 0; i < frames; ++i) {
                            dst[i] = source[static_cast<std::size_t>(ch * maxFrames + i)];
                        }
                    }
                    kernel.process(buffers.list(), frames);
                    secondsRendered += static_cast<double>(frames) / 44100.0;
                }
            }
        });
        EXPECT_EQ(seen.allocator, 0) << c.name;
        EXPECT_EQ(seen.newDelete, 0) << c.name;
        EXPECT_EQ(seen.locks, 0) << c.name;
        EXPECT_GT(secondsRendered, 2.0); // about 80 spectral frames of the larger kernel
        EXPECT_GT(kernel.modulation().time(), 1.5) << c.name;
        EXPECT_EQ(kernel.params().squeeze, c.broken);
    }
}

} // namespace
} // namespace quorbel
