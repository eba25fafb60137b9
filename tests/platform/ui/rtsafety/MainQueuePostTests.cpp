// A render-like thread posts refreshes to the main queue, as a parameter observer does, with the trap on.
#include "support/AllocationTrap.h"
#include "ui/DispatchQueue.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

using platform::DispatchQueue;

TEST(MainQueue, CountersSeeAllocations) {
    EXPECT_GE(quorbel::test::exerciseTrap().newDelete, 4);
}

TEST(MainQueue, PostingFromARenderThreadNeitherAllocatesNorLocks) {
    DispatchQueue& queue = DispatchQueue::main();
    queue.drain();
    struct Editor {
        int refreshes = 0;
    };
    auto editor = std::make_shared<Editor>();
    const std::weak_ptr<Editor> weakEditor = editor;
    ASSERT_TRUE(queue.prepareToSleep()); // the loop sleeps: the first post also writes the descriptor
    quorbel::test::TrapCounts counts;
    int accepted = 0;
    std::thread render([&] {
        counts = quorbel::test::inRenderScope([&] {
            for (int i = 0; i < 2 * static_cast<int>(DispatchQueue::capacity); ++i) {
                // What an observer captures: the editor weakly, an address and a value.
                accepted += queue.async([weakEditor, address = i % 10, value = 0.5f * static_cast<float>(i)] {
                    if (const auto e = weakEditor.lock()) {
                        e->refreshes += address >= 0 && value >= 0;
                    }
                });
            }
        });
    });
    render.join();
    queue.finishSleeping();
    EXPECT_EQ(counts.allocator, 0);
    EXPECT_EQ(counts.newDelete, 0);
    EXPECT_EQ(counts.locks, 0);
    EXPECT_EQ(accepted, static_cast<int>(DispatchQueue::capacity)); // the rest found it full
    EXPECT_EQ(queue.drain(), DispatchQueue::capacity);
    EXPECT_EQ(editor->refreshes, static_cast<int>(DispatchQueue::capacity));
}
