// The main queue: order, a full queue, the wake descriptor, and posts from several threads at once (also
// run under ThreadSanitizer).
#include "ui/DispatchQueue.h"

#include <gtest/gtest.h>

#include <poll.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

using platform::DispatchQueue;

namespace {

bool readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, timeoutMs) == 1 && (p.revents & POLLIN) != 0;
}

} // namespace

TEST(DispatchQueue, RunsItemsInOrderAndRefusesThePostThatFindsItFull) {
    DispatchQueue& queue = DispatchQueue::main();
    queue.drain();
    std::vector<std::size_t> ran;
    for (std::size_t i = 0; i < DispatchQueue::capacity; ++i) {
        ASSERT_TRUE(queue.async([&ran, i] { ran.push_back(i); }));
    }
    const std::size_t dropped = queue.droppedCount();
    EXPECT_FALSE(queue.async([&ran] { ran.push_back(9999); }));
    EXPECT_EQ(queue.droppedCount(), dropped + 1);
    // An item posted while draining runs at the next drain, not in this one.
    EXPECT_EQ(queue.drain(), DispatchQueue::capacity);
    ASSERT_EQ(ran.size(), DispatchQueue::capacity);
    for (std::size_t i = 0; i < ran.size(); ++i) {
        ASSERT_EQ(ran[i], i);
    }
    int second = 0;
    queue.async([&] { queue.async([&] { ++second; }); });
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_EQ(second, 1);
    EXPECT_TRUE(queue.empty());
}

TEST(DispatchQueue, PostWakesTheDescriptorOnlyWhileTheLoopSleeps) {
    DispatchQueue& queue = DispatchQueue::main();
    queue.drain();
    const int fd = queue.wakeDescriptor();
    ASSERT_GE(fd, 0);
    queue.async([] {});
    EXPECT_FALSE(readable(fd, 0));        // the loop is awake: no system call, no wake-up
    EXPECT_FALSE(queue.prepareToSleep()); // and with an item waiting it must not sleep
    queue.drain();

    ASSERT_TRUE(queue.prepareToSleep());
    std::thread poster([&] { queue.async([] {}); });
    EXPECT_TRUE(readable(fd, 5000));
    poster.join();
    queue.finishSleeping();
    EXPECT_FALSE(readable(fd, 0));
    EXPECT_EQ(queue.drain(), 1u);
}

TEST(DispatchQueue, PostsFromSeveralThreadsArriveOnceAndInEachThreadsOrder) {
    DispatchQueue& queue = DispatchQueue::main();
    queue.drain();
    constexpr int threads = 4;
    constexpr int perThread = 20000;
    std::array<int, threads> next{};
    std::atomic<bool> outOfOrder{false};
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                // A full queue refuses; this poster insists (a real-time poster would drop the item).
                while (!queue.async([&, t, i] {
                    int& expected = next[static_cast<std::size_t>(t)];
                    if (expected != i) {
                        outOfOrder = true;
                    }
                    expected = i + 1;
                })) {
                    std::this_thread::yield();
                }
            }
        });
    }
    int received = 0;
    while (received < threads * perThread) {
        received += static_cast<int>(queue.drain());
    }
    for (auto& p : posters) {
        p.join();
    }
    EXPECT_FALSE(outOfOrder);
    EXPECT_EQ(received, threads * perThread);
    EXPECT_TRUE(queue.empty());
}
