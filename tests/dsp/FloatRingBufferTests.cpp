#include "dsp/FloatRingBuffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace quorbel {
namespace {

std::vector<float> ramp(int n, float start = 1.0f) {
    std::vector<float> v(static_cast<std::size_t>(n));
    std::iota(v.begin(), v.end(), start);
    return v;
}

TEST(FloatRingBuffer, FreshQueueIsEmptyAndPeeksZerosAtWritePosition) {
    FloatRingBuffer q(8);
    EXPECT_EQ(q.count(), 0);
    std::vector<float> out(8, -1.0f);
    q.peekAtWritePosition(out.data(), 8);
    EXPECT_EQ(out, std::vector<float>(8, 0.0f));
}

TEST(FloatRingBuffer, WriteWrapsAroundTheEndOfStorage) {
    FloatRingBuffer q(8);
    const auto a = ramp(5, 1.0f);
    q.write(a.data(), 5);
    std::vector<float> sink(3);
    q.read(sink.data(), 3);
    EXPECT_EQ(sink, (std::vector<float>{1, 2, 3}));
    const auto b = ramp(6, 10.0f);
    q.write(b.data(), 6);
    EXPECT_EQ(q.writePos(), 3);
    EXPECT_EQ(q.readPos(), 3);
    EXPECT_EQ(q.count(), 8);
    std::vector<float> all(8);
    q.read(all.data(), 8);
    EXPECT_EQ(all, (std::vector<float>{4, 5, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(q.readPos(), q.writePos());
}

TEST(FloatRingBuffer, WriteIntoNearlyFullQueueKeepsWhatFits) {
    FloatRingBuffer q(8);
    q.writeZeros(4);
    const auto a = ramp(10);
    q.write(a.data(), 10);
    EXPECT_EQ(q.count(), 8);
    std::vector<float> all(8);
    q.read(all.data(), 8);
    EXPECT_EQ(all, (std::vector<float>{0, 0, 0, 0, 1, 2, 3, 4}));
    q.write(a.data(), 10);
    q.write(a.data(), 3); // full: stores nothing
    std::vector<float> again(8);
    q.peek(again.data(), 8);
    EXPECT_EQ(again, ramp(8));
}

TEST(FloatRingBuffer, ZerosWrapAroundTheEndOfStorageLikeSamples) {
    FloatRingBuffer q(8);
    const auto a = ramp(6);
    q.write(a.data(), 6);
    q.discard(6);
    q.writeZeros(4); // slots 6, 7, 0 and 1, over the first samples
    EXPECT_EQ(q.writePos(), 2);
    EXPECT_EQ(q.count(), 4);
    std::vector<float> out(8, -1.0f);
    q.peekAtWritePosition(out.data(), 8);
    EXPECT_EQ(out, (std::vector<float>{3, 4, 5, 6, 0, 0, 0, 0}));
}

TEST(FloatRingBuffer, ReadingMoreThanHeldLeavesTheRestOfTheDestinationAlone) {
    FloatRingBuffer q(8);
    const auto a = ramp(3);
    q.write(a.data(), 3);
    std::vector<float> out(10, -1.0f);
    q.read(out.data(), 10);
    EXPECT_EQ(out, (std::vector<float>{1, 2, 3, -1, -1, -1, -1, -1, -1, -1}));
    EXPECT_EQ(q.count(), 0);
    EXPECT_EQ(q.readPos(), q.writePos());
    q.read(out.data(), 4); // empty: nothing delivered
    EXPECT_EQ(out[0], 1.0f);
}

TEST(FloatRingBuffer, DiscardAndPeekClampToCount) {
    FloatRingBuffer q(8);
    const auto a = ramp(5);
    q.write(a.data(), 5);
    std::vector<float> out(8, -1.0f);
    q.peek(out.data(), 8);
    EXPECT_EQ(q.count(), 5);
    EXPECT_EQ(out[4], 5.0f);
    EXPECT_EQ(out[5], -1.0f);
    q.discard(100);
    EXPECT_EQ(q.count(), 0);
    EXPECT_EQ(q.readPos(), 5);
}

TEST(FloatRingBuffer, PeekAtWritePositionYieldsSamplesWrittenCapacityWritesEarlier) {
    FloatRingBuffer q(8);
    const auto a = ramp(8);
    q.write(a.data(), 6);
    q.discard(6);
    q.write(a.data() + 6, 2); // writePos wraps to 0
    EXPECT_EQ(q.writePos(), 0);
    q.discard(2);
    std::vector<float> out(20, -1.0f);
    q.peekAtWritePosition(out.data(), 20); // clamps to capacity
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 8), ramp(8));
    EXPECT_EQ(out[8], -1.0f);
    q.discard(0);
    std::vector<float> two(2);
    q.write(a.data(), 3);
    q.peekAtWritePosition(two.data(), 2); // slots 3 and 4 hold the samples of 8 writes ago
    EXPECT_EQ(two, (std::vector<float>{4, 5}));
}

TEST(FloatRingBuffer, ResetZeroesStorage) {
    FloatRingBuffer q(8);
    const auto a = ramp(8);
    q.write(a.data(), 8);
    q.reset();
    EXPECT_EQ(q.count(), 0);
    EXPECT_EQ(q.writePos(), 0);
    std::vector<float> out(8, -1.0f);
    q.peekAtWritePosition(out.data(), 8);
    EXPECT_EQ(out, std::vector<float>(8, 0.0f));
}

} // namespace
} // namespace quorbel
